// Editing and field access of TxDataSet.
#include <algorithm>
#include <cstring>

#include "table/TxDataSet.h"
#include "table/TxDataSetState.h"

void TxDataSet::setState(TxDataSetState state) {
    if (m_state == state) return;
    m_state = state;
    notify(TxDataEvent::StateChange);
}

// Runs `operation`; an ExDataSetError goes to the handler, which lets it pass (Fail), ends the
// operation silently (Abort, answer false) or runs the operation again (Retry).
bool TxDataSet::guarded(const TDataSetErrorEvent& handler, const std::function<void()>& operation) {
    for (;;) {
        try {
            operation();
            return true;
        } catch (const ExDataSetError& e) {
            if (!handler) throw;
            TxDataAction action = TxDataAction::Fail;
            handler(*this, e, action);
            if (action == TxDataAction::Fail) throw;
            if (action == TxDataAction::Abort) return false;
        }
    }
}

void TxDataSet::append() {
    checkBrowseMode();
    checkCanModify();
    fire(BeforeInsert);
    m_insertFromIndex = m_currentIndex;
    std::fill(m_edit.begin(), m_edit.end(), 0);
    writeBookmarkInfo(m_layout, m_edit.data(), {-1, -1, bfInserted});
    m_state = TxDataSetState::Insert;
    computeCalcFields(m_edit.data());
    if (OnNewRecord) OnNewRecord(*this);
    m_modified = false;
    notify(TxDataEvent::StateChange);
    fire(AfterInsert);
}

// There is no insertion in the middle: an inserted record is posted at the end as well.
void TxDataSet::insert() {
    append();
}

void TxDataSet::edit() {
    checkActive();
    if (m_state == TxDataSetState::Edit || m_state == TxDataSetState::Insert) return;
    checkCanModify();
    fire(BeforeEdit);
    if (!guarded(OnEditError, [this] { requireCurrentRecord(); })) return;
    m_edit = m_current;
    m_modified = false;
    setState(TxDataSetState::Edit);
    fire(AfterEdit);
}

void TxDataSet::post() {
    checkActive();
    if (m_state != TxDataSetState::Edit && m_state != TxDataSetState::Insert) return;
    fire(BeforePost);
    const bool inserting = m_state == TxDataSetState::Insert;
    const bool stored = guarded(OnPostError, [&] {
        checkCanModify();
        if (inserting) {
            storeAppend(m_edit.data());
            m_currentIndex = storeCount() - 1;
        } else {
            requireCurrentRecord();
            if (m_layout.recordSize() > 0) {
                std::memcpy(storeRecordForWrite(m_currentIndex), m_edit.data(),
                            static_cast<std::size_t>(m_layout.recordSize()));
            }
        }
    });
    if (!stored) return;
    const int postedIndex = m_currentIndex;
    m_state = TxDataSetState::Browse;
    m_modified = false;
    invalidateRows();
    resync(false);
    notify(TxDataEvent::StateChange);
    const bool sameRecord = m_hasRecord && m_currentIndex == postedIndex;
    notify(inserting || !sameRecord ? TxDataEvent::DataSetChange : TxDataEvent::RecordChange);
    notify(TxDataEvent::DataChange);
    fire(AfterPost);
    afterChange();
    flushReplaced();
}

void TxDataSet::cancel() {
    checkActive();
    if (m_state != TxDataSetState::Edit && m_state != TxDataSetState::Insert) return;
    fire(BeforeCancel);
    const bool inserting = m_state == TxDataSetState::Insert;
    m_state = TxDataSetState::Browse;
    m_modified = false;
    if (inserting) m_currentIndex = m_insertFromIndex;
    if (inserting || m_hasRecord) resync(false);
    notify(TxDataEvent::StateChange);
    notify(inserting ? TxDataEvent::DataSetChange : TxDataEvent::RecordChange);
    notify(TxDataEvent::DataChange);
    fire(AfterCancel);
    flushReplaced();
}

void TxDataSet::deleteRecord() {
    checkActive();
    if (m_state == TxDataSetState::Insert) {
        cancel();
        return;
    }
    checkCanModify();
    if (m_state == TxDataSetState::Edit) cancel();
    fire(BeforeDelete);
    fire(BeforeScroll);
    if (!guarded(OnDeleteError, [this] {
            requireCurrentRecord();
            storeDelete(m_currentIndex);
        }))
        return;
    if (m_currentIndex >= storeCount()) m_currentIndex = storeCount();  // after the last record
    invalidateRows();
    resync(false);
    fire(AfterDelete);
    fire(AfterScroll);
    notify(TxDataEvent::DataSetChange);
    notify(TxDataEvent::DataChange);
    afterChange();
    flushReplaced();
}

// --- Field access -----------------------------------------------------------------------------

std::uint8_t* TxDataSet::stateBuffer() {
    switch (m_state) {
        case TxDataSetState::Browse:
            return m_hasRecord ? m_current.data() : nullptr;
        case TxDataSetState::Edit:
        case TxDataSetState::Insert:
            return m_edit.data();
        case TxDataSetState::CalcFields:
        case TxDataSetState::Filter:
            return m_transientBuffer;
        case TxDataSetState::Inactive:
            return nullptr;
    }
    return nullptr;
}

const std::uint8_t* TxDataSet::stateBuffer() const {
    return const_cast<TxDataSet*>(this)->stateBuffer();
}

TxFieldRef TxDataSet::fieldByName(const std::string& name) {
    const int index = m_layout.indexOf(name);
    if (index < 0) fail("Field '" + name + "' not found");
    return TxFieldRef(*this, index);
}

TxValue TxDataSet::fieldValue(int index) const {
    const TxField& f = field(index);
    const std::uint8_t* buffer = stateBuffer();
    if (!buffer) return {};
    return readFieldValue(f, buffer, m_codePageIn, m_codePageOut);
}

void TxDataSet::setFieldValue(int index, const TxValue& value) {
    checkActive();
    const TxField& f = field(index);
    auto write = [&](std::uint8_t* buffer) {
        try {
            writeFieldValue(f, buffer, value, m_codePageIn, m_codePageOut);
        } catch (const ExDataSetError& e) {
            fail(e.what());
        }
    };
    switch (m_state) {
        case TxDataSetState::CalcFields:
            if (!f.calculated()) fail("Dataset not in edit or insert mode");
            write(m_transientBuffer);
            return;
        case TxDataSetState::Filter:
            fail("Dataset not in edit or insert mode");
        case TxDataSetState::Edit:
        case TxDataSetState::Insert:
            checkCanModify();
            write(m_edit.data());
            m_modified = true;
            if (m_autocalcFields && !f.calculated()) computeCalcFields(m_edit.data());
            notify(TxDataEvent::FieldChange, index);
            return;
        case TxDataSetState::Browse:
            checkCanModify();
            requireCurrentRecord();
            write(m_current.data());
            if (!f.calculated() && m_layout.recordSize() > 0) {
                std::memcpy(storeRecordForWrite(m_currentIndex), m_current.data(),
                            static_cast<std::size_t>(m_layout.recordSize()));
                invalidateRows();
            }
            notify(TxDataEvent::FieldChange, index);
            if (!f.calculated()) afterChange();
            return;
        case TxDataSetState::Inactive:
            return;
    }
}

const TxField& TxFieldRef::field() const {
    return m_dataSet->field(m_index);
}

TxValue TxFieldRef::value() const {
    return m_dataSet->fieldValue(m_index);
}

void TxFieldRef::setValue(const TxValue& value) const {
    m_dataSet->setFieldValue(m_index, value);
}
