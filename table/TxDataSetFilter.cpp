// The record filter of TxDataSet: Filtered, FilterX, FilterOptions and OnFilterRecord.
#include "table/TxDataSet.h"
#include "table/TxDataSetState.h"

void TxDataSet::compileFilter() {
    m_filterExpr.reset();
    invalidateRows();
    // The lexer skips white space; a text of white space only is no filter.
    if (m_filterText.find_first_not_of(" \t\r\n") != std::string::npos)
        m_filterExpr = TxFilterExpr::compile(m_filterText, m_layout, m_filterOptions);
}

void TxDataSet::refreshFilter() {
    invalidateRows();
    if (!Active()) return;
    first();
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
}

void TxDataSet::SetFilterX(const std::string& text) {
    m_filterText = text;
    m_filterExpr.reset();
    invalidateRows();
    if (!Active()) return;
    compileFilter();
    if (m_filtered) refreshFilter();
}

void TxDataSet::SetFiltered(bool on) {
    if (on && Active() && !m_filterExpr) compileFilter();
    m_filtered = on;
    refreshFilter();
}

void TxDataSet::SetFilterOptions(TxFilterOptions options) {
    m_filterOptions = options;
    if (!Active()) return;
    compileFilter();
    if (m_filtered) refreshFilter();
}

bool TxDataSet::recordPasses(std::uint8_t* buffer) {
    if (!m_filtered) return true;
    StateScope scope(*this, TxDataSetState::Filter, buffer);
    if (OnFilterRecord) {
        bool accept = true;
        OnFilterRecord(*this, accept);
        return accept;
    }
    if (!m_filterExpr) return true;
    return m_filterExpr->passes([&](int index) {
        return readFieldValue(m_layout.fields()[static_cast<std::size_t>(index)], buffer,
                              m_codePageIn, m_codePageOut);
    });
}
