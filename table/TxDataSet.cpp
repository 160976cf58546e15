#include "table/TxDataSet.h"

#include <algorithm>

#include "table/TxFilterExpr.h"

TxDataSet::TxDataSet() = default;

// The descendant closes the table in its destructor; here nothing is left to release but memory.
TxDataSet::~TxDataSet() = default;

void TxDataSet::fail(const std::string& message) const {
    throw ExDataSetError(message, errorFileName());
}

void TxDataSet::checkActive() const {
    if (m_state == TxDataSetState::Inactive)
        fail("Cannot perform this operation on a closed dataset");
}

void TxDataSet::checkCanModify() const {
    if (m_readOnly) fail("Cannot modify a read-only dataset");
}

void TxDataSet::requireCurrentRecord() const {
    if (!m_hasRecord || m_currentIndex < 0 || m_currentIndex >= storeCount())
        fail("Cannot perform this operation without a current record");
}

// --- Definitions and properties ---------------------------------------------------------------

void TxDataSet::AddField(const std::string& name, int type, int length) {
    if (Active()) fail("Cannot perform this operation on an open dataset");
    try {
        m_layout.addField(name, type, length);
    } catch (const ExDataSetError& e) {
        fail(e.what());
    }
}

void TxDataSet::AddCalcField(const std::string& name, int type, int length) {
    if (Active()) fail("Cannot perform this operation on an open dataset");
    // The same checks as at open, so that a bad definition fails here already.
    TxRecordLayout probe;
    probe.placeCalcFields(m_calcDefs);
    probe.placeCalcFields({{name, type, length}});
    m_calcDefs.push_back({name, type, length});
}

void TxDataSet::clearCalcFields() {
    if (Active()) fail("Cannot perform this operation on an open dataset");
    m_calcDefs.clear();
}

const TxField& TxDataSet::field(int index) const {
    if (index < 0 || index >= fieldCount()) fail("Field index out of range");
    return m_layout.fields()[static_cast<std::size_t>(index)];
}

void TxDataSet::SetCodePageIn(CodePageId codePage) {
    m_codePageIn = codePage;
    invalidateRows();
}

void TxDataSet::SetCodePageOut(CodePageId codePage) {
    m_codePageOut = codePage;
    invalidateRows();
}

// --- Open and close ---------------------------------------------------------------------------

void TxDataSet::open() {
    if (Active()) return;
    fire(BeforeOpen);
    m_layout.clear();
    m_opening = true;
    try {
        if (OnGetHeader)
            OnGetHeader(*this);
        else
            defineFieldsWithoutHandler();
        m_layout.placeCalcFields(m_calcDefs);
        loadRecords(static_cast<bool>(OnGetHeader));
        m_opening = false;
        m_current.assign(static_cast<std::size_t>(m_layout.bufferSize()), 0);
        m_edit = m_current;
        m_scratch = m_current;
        m_filterExpr.reset();
        if (!m_filterText.empty()) compileFilter();
    } catch (...) {
        m_opening = false;
        freeRecords();
        m_filterExpr.reset();
        throw;
    }
    m_state = TxDataSetState::Browse;
    m_modified = false;
    invalidateRows();
    // What a view does after open: fetch from before the first record.
    m_currentIndex = -1;
    m_hasRecord = false;
    if (getRecord(m_scratch, TxGetMode::Next) == TxGetResult::Ok) {
        takeScratch();
    } else {
        noRecord();
    }
    m_bof = true;
    m_eof = !m_hasRecord;
    m_replaced = false;
    fire(AfterOpen);
    notify(TxDataEvent::StateChange);
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
}

void TxDataSet::close() {
    if (!Active()) return;
    fire(BeforeClose);
    bool editStored = false;
    if (m_state == TxDataSetState::Edit && m_hasRecord && m_currentIndex >= 0 &&
        m_currentIndex < storeCount()) {
        std::copy_n(m_edit.begin(), m_layout.recordSize(), storeRecordForWrite(m_currentIndex));
        editStored = true;
    }
    if (m_state == TxDataSetState::Edit || m_state == TxDataSetState::Insert) {
        m_state = TxDataSetState::Browse;
        m_modified = false;
        if (editStored) m_current = m_edit;
        notify(TxDataEvent::StateChange);
    }
    saveAtClose(editStored);  // on failure the table stays open
    closeWithoutSaving();
    fire(AfterClose);
    notify(TxDataEvent::StateChange);
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
}

void TxDataSet::closeWithoutSaving() noexcept {
    freeRecords();
    m_state = TxDataSetState::Inactive;
    m_currentIndex = -1;
    m_hasRecord = false;
    m_bof = m_eof = true;
    m_modified = false;
    m_replaced = false;
    m_filterExpr.reset();
    m_rows.clear();
    invalidateRows();
}

// --- Notifications ----------------------------------------------------------------------------

void TxDataSet::attachView(TxDataView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void TxDataSet::detachView(TxDataView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void TxDataSet::notify(TxDataEvent event, int field) {
    if (m_disableCount > 0) {
        m_heldNotification = true;
        return;
    }
    const TxNotification notification{event, field};
    // A copy: a view may detach itself while it is notified.
    const std::vector<TxDataView*> views = m_views;
    for (TxDataView* view : views) {
        if (std::find(m_views.begin(), m_views.end(), view) != m_views.end())
            view->dataEvent(notification);
    }
}

void TxDataSet::disableControls() {
    ++m_disableCount;
}

void TxDataSet::enableControls() {
    if (m_disableCount == 0) return;
    if (--m_disableCount > 0 || !m_heldNotification) return;
    m_heldNotification = false;
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
}

void TxDataSet::recordsReplaced() {
    invalidateRows();
    m_replaced = true;
}

void TxDataSet::flushReplaced() {
    if (!m_replaced) return;
    m_replaced = false;
    resync(false);
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
}
