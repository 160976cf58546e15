// The commands of the result panes: moves, field selection, the class field and the class rows.

#include "session/uTavSession.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

bool TTavSession::moveToField(int row) {
    bool moved = false;
    // The move reaches the Frequency table through the table's data-change link.
    runCommand([&] { moved = m_fields->moveToRow(row); });
    return moved;
}

bool TTavSession::moveToRule(int row) {
    bool moved = false;
    runCommand([&] { moved = m_rules->moveToRow(row); });
    return moved;
}

bool TTavSession::moveToFrequencyRow(int row) {
    return m_frequency->moveToRow(row);
}

int TTavSession::activeFieldNumber() const {
    if (!m_fields->hasCurrentRecord()) return -1;
    return static_cast<int>(m_fields->fieldValue(FieldsColumns::kNo).toInteger());
}

void TTavSession::writeActiveSelection(int selected) {
    m_fields->setFieldValue(FieldsColumns::kSel, TxValue(selected));
    if (TMnozica* set = m_sets->fieldSet(activeFieldNumber())) set->Selected = selected;
}

void TTavSession::markField(int field, int selected) {
    if (TMnozica* set = m_sets->fieldSet(field)) set->Selected = selected;
}

void TTavSession::selectField(int field, bool selected) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] {
        markField(field, selected ? kSelected : 0);
        FillResultTables(false);
        invalidateFrequency();
    });
}

void TTavSession::selectActiveField(bool selected) {
    if (!m_fields->hasCurrentRecord()) return;
    runCommand([&] {
        m_fields->edit();
        writeActiveSelection(selected ? kSelected : 0);
        m_fields->post();
    });
}

void TTavSession::selectAllFields(bool selected) {
    if (!m_fields->hasCurrentRecord()) return;
    runCommand([&] {
        const TxBookmark remembered = m_fields->getBookmark();
        TSuspendedViews quiet(*m_fields);
        m_fields->first();
        while (m_fields->hasCurrentRecord() && !m_fields->eof()) {
            m_fields->edit();
            writeActiveSelection(selected ? kSelected : 0);
            m_fields->post();
            m_fields->next();
        }
        if (m_fields->bookmarkValid(remembered)) m_fields->gotoBookmark(remembered);
    });
}

void TTavSession::selectFields(const std::vector<int>& fields) {
    if (m_data == nullptr) return;
    runCommand([&] {
        for (int field : fields)
            markField(field, kSelected);
        FillResultTables(false);
        invalidateFrequency();
    });
}

void TTavSession::setClassField(int field) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] {
        m_classField = field;
        invalidateFrequency();
    });
}

void TTavSession::makeActiveFieldTheClass() {
    if (!m_fields->hasCurrentRecord()) return;
    setClassField(activeFieldNumber());
}

void TTavSession::setClassFieldDeselected(int field) {
    if (m_data == nullptr || field < 0 || field >= m_data->FieldCount()) return;
    runCommand([&] {
        markField(field, 0);
        m_classField = field;
        FillResultTables(false);
        invalidateFrequency();
    });
}

void TTavSession::fieldsDoubleClick() {
    if (!m_fields->hasCurrentRecord()) return;
    runCommand([&] {
        m_fields->edit();
        writeActiveSelection(0);
        m_classField = activeFieldNumber();
        m_fields->post();
    });
}

int TTavSession::activeFrequencyValue() const {
    if (!m_frequency->hasCurrentRecord()) return -1;
    return static_cast<int>(m_frequency->fieldValue(FrequencyColumns::kNo).toInteger());
}

void TTavSession::showAllRows() {
    runCommand([this] {
        RowVisible.fill(true);
        RowVisible[kSubTotalSlot] = false;
        invalidateFrequency();
    });
}

void TTavSession::hideClassValues(const std::vector<int>& codes) {
    runCommand([&] {
        for (int code : codes) {
            if (code >= 0 && code <= kMaxValueCode) RowVisible[code] = false;
        }
        invalidateFrequency();
    });
}

void TTavSession::hideValueRange(int from, int to) {
    runCommand([&] {
        for (int i = std::max(from, 0); i <= to && i <= kMaxValueCode; ++i)
            RowVisible[i] = false;
        invalidateFrequency();
    });
}

void TTavSession::removeActiveRow() {
    const int v = activeFrequencyValue();
    hideValueRange(v, v);
}

void TTavSession::removeToLast() {
    const int v = activeFrequencyValue();
    hideValueRange(v, v >= 0 ? kMaxValueCode : -1);
}

void TTavSession::removeToFirst() {
    const int v = activeFrequencyValue();
    hideValueRange(0, v);
}
