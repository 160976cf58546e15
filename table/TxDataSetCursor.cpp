// The cursor of TxDataSet: record fetch, navigation, record number, bookmarks and the rows that
// views read.
#include <algorithm>
#include <cstring>

#include "table/TxDataSet.h"
#include "table/TxDataSetState.h"

// --- Fetch ------------------------------------------------------------------------------------

void TxDataSet::fillBuffer(std::vector<std::uint8_t>& buffer, int index) {
    buffer.assign(static_cast<std::size_t>(m_layout.bufferSize()), 0);
    // A table without fields has empty records, whose storage may be a null pointer.
    if (m_layout.recordSize() > 0) {
        std::memcpy(buffer.data(), storeRecord(index),
                    static_cast<std::size_t>(m_layout.recordSize()));
    }
    writeBookmarkInfo(m_layout, buffer.data(), {index, index, bfCurrent});
    computeCalcFields(buffer.data());
}

void TxDataSet::computeCalcFields(std::uint8_t* buffer) {
    if (m_layout.calcAreaSize() == 0) return;
    std::memset(buffer + m_layout.recordSize(), 0,
                static_cast<std::size_t>(m_layout.calcAreaSize()));
    if (!OnCalcFields) return;
    StateScope scope(*this, TxDataSetState::CalcFields, buffer);
    OnCalcFields(*this);
}

TxGetResult TxDataSet::getRecord(std::vector<std::uint8_t>& buffer, TxGetMode mode) {
    if (m_state == TxDataSetState::Browse) beforeFetch();
    for (;;) {
        const int count = storeCount();
        switch (mode) {
            case TxGetMode::Current:
                if (m_currentIndex >= count) return TxGetResult::Eof;
                if (m_currentIndex < 0) return TxGetResult::Bof;
                break;
            case TxGetMode::Next:
                if (m_currentIndex >= count - 1) return TxGetResult::Eof;
                ++m_currentIndex;
                break;
            case TxGetMode::Prior:
                if (m_currentIndex < 1) return TxGetResult::Bof;
                m_currentIndex = std::min(m_currentIndex, count) - 1;
                break;
        }
        fillBuffer(buffer, m_currentIndex);
        if (recordPasses(buffer.data())) return TxGetResult::Ok;
        if (mode == TxGetMode::Current) return TxGetResult::Error;
    }
}

void TxDataSet::takeScratch() {
    m_current.swap(m_scratch);
    m_hasRecord = true;
    m_currentIndex = readBookmarkInfo(m_layout, m_current.data()).index;
}

void TxDataSet::noRecord() {
    m_hasRecord = false;
    m_bof = m_eof = true;
    std::fill(m_current.begin(), m_current.end(), 0);
}

// Re-reads the record at the cursor; when it is gone or filtered out (and not `exact`), takes the
// next record, else the prior one, else there is no current record.
bool TxDataSet::resync(bool exact) {
    const int start = m_currentIndex;
    if (getRecord(m_scratch, TxGetMode::Current) == TxGetResult::Ok) {
        takeScratch();
        m_bof = m_eof = false;
        return true;
    }
    if (!exact) {
        if (getRecord(m_scratch, TxGetMode::Next) == TxGetResult::Ok ||
            getRecord(m_scratch, TxGetMode::Prior) == TxGetResult::Ok) {
            takeScratch();
            m_bof = m_eof = false;
            return true;
        }
    }
    m_currentIndex = exact ? start : -1;
    noRecord();
    return false;
}

// --- Navigation -------------------------------------------------------------------------------

void TxDataSet::checkBrowseMode() {
    checkActive();
    if (m_state == TxDataSetState::Edit || m_state == TxDataSetState::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void TxDataSet::first() {
    jumpToEnd(TxGetMode::Next);
}

void TxDataSet::last() {
    jumpToEnd(TxGetMode::Prior);
}

void TxDataSet::jumpToEnd(TxGetMode mode) {
    checkBrowseMode();
    fire(BeforeScroll);
    const bool toFirst = mode == TxGetMode::Next;
    // The fetch starts just outside the records: before the first, or after the last.
    m_currentIndex = toFirst ? -1 : storeCount();
    if (getRecord(m_scratch, mode) == TxGetResult::Ok) {
        takeScratch();
        m_bof = toFirst;
        m_eof = !toFirst;
    } else {
        m_currentIndex = -1;
        noRecord();
    }
    fire(AfterScroll);
    notify(TxDataEvent::DataSetScroll);
    notify(TxDataEvent::DataChange);
    flushReplaced();
}

void TxDataSet::next() {
    step(TxGetMode::Next);
}

void TxDataSet::prior() {
    step(TxGetMode::Prior);
}

void TxDataSet::step(TxGetMode mode) {
    checkBrowseMode();
    bool& atEnd = mode == TxGetMode::Next ? m_eof : m_bof;
    if (atEnd) return;
    fire(BeforeScroll);
    const int start = m_currentIndex;
    if (getRecord(m_scratch, mode) == TxGetResult::Ok) {
        takeScratch();
        m_bof = m_eof = false;
        fire(AfterScroll);
        notify(TxDataEvent::DataSetScroll);
        notify(TxDataEvent::DataChange);
    } else {
        // The cursor goes back to the record it showed.
        m_currentIndex = m_hasRecord ? readBookmarkInfo(m_layout, m_current.data()).index : start;
        atEnd = true;
        fire(AfterScroll);
    }
    flushReplaced();
}

TxGetResult TxDataSet::fetch(TxGetMode mode) {
    checkActive();
    switch (mode) {
        case TxGetMode::Current: {
            checkBrowseMode();
            const bool found = resync(false);
            notify(TxDataEvent::DataSetScroll);
            notify(TxDataEvent::DataChange);
            flushReplaced();
            return found ? TxGetResult::Ok : TxGetResult::Eof;
        }
        case TxGetMode::Next:
            next();
            return m_eof ? TxGetResult::Eof : TxGetResult::Ok;
        case TxGetMode::Prior:
            prior();
            return m_bof ? TxGetResult::Bof : TxGetResult::Ok;
    }
    return TxGetResult::Error;
}

int TxDataSet::recNo() const {
    if (m_state == TxDataSetState::Insert || !m_hasRecord) return 0;
    return m_currentIndex + 1;
}

void TxDataSet::setRecNo(int n) {
    checkBrowseMode();
    if (n < 1 || n > storeCount()) fail("SetRecNo: out of range");
    fire(BeforeScroll);
    m_currentIndex = n - 1;
    resync(false);
    fire(AfterScroll);
    notify(TxDataEvent::DataSetScroll);
    notify(TxDataEvent::DataChange);
    flushReplaced();
}

// --- Bookmarks --------------------------------------------------------------------------------

TxBookmark TxDataSet::getBookmark() const {
    if (!m_hasRecord || m_state == TxDataSetState::Insert) return std::nullopt;
    return readBookmarkInfo(m_layout, m_current.data()).bookmark;
}

void TxDataSet::gotoBookmark(const TxBookmark& bookmark) {
    checkBrowseMode();
    if (!bookmark || *bookmark < 0 || *bookmark >= storeCount()) fail("Record not found");
    if (m_filtered) {
        fillBuffer(m_scratch, *bookmark);
        if (!recordPasses(m_scratch.data())) fail("Record not found");
    }
    fire(BeforeScroll);
    m_currentIndex = *bookmark;
    resync(false);
    fire(AfterScroll);
    notify(TxDataEvent::DataSetScroll);
    notify(TxDataEvent::DataChange);
    flushReplaced();
}

int TxDataSet::compareBookmarks(const TxBookmark& a, const TxBookmark& b) const {
    if (!a && !b) return 0;
    if (!a) return 1;
    if (!b) return -1;
    return *a < *b ? -1 : *a > *b ? 1 : 0;
}

bool TxDataSet::bookmarkValid(const TxBookmark& bookmark) {
    if (!Active() || !bookmark || *bookmark < 0 || *bookmark >= storeCount()) return false;
    if (!m_filtered) return true;
    std::vector<std::uint8_t> buffer;
    fillBuffer(buffer, *bookmark);
    return recordPasses(buffer.data());
}

// --- Rows -------------------------------------------------------------------------------------

const std::vector<int>& TxDataSet::rows() {
    if (!m_rowsValid) {
        m_rows.clear();
        std::vector<std::uint8_t> buffer;
        for (int index = 0; index < storeCount(); ++index) {
            fillBuffer(buffer, index);
            if (recordPasses(buffer.data())) m_rows.push_back(index);
        }
        m_rowsValid = true;
    }
    return m_rows;
}

int TxDataSet::RecordCount() {
    if (!Active()) return 0;
    if (!m_filtered) return storeCount();
    return static_cast<int>(rows().size());
}

int TxDataSet::currentRow() {
    if (!Active() || !m_hasRecord) return -1;
    if (!m_filtered) return m_currentIndex;
    const auto& r = rows();
    const auto it = std::lower_bound(r.begin(), r.end(), m_currentIndex);
    return it != r.end() && *it == m_currentIndex ? static_cast<int>(it - r.begin()) : -1;
}

bool TxDataSet::moveToRow(int row) {
    checkActive();
    if (row < 0 || row >= RecordCount()) return false;
    const int index = m_filtered ? rows()[static_cast<std::size_t>(row)] : row;
    if (m_hasRecord && index == m_currentIndex && m_state == TxDataSetState::Browse) return true;
    gotoBookmark(index);
    return true;
}

TxValue TxDataSet::valueAtIndex(int index, int fieldIndex) {
    if (!Active() || index < 0 || index >= storeCount() || fieldIndex < 0 ||
        fieldIndex >= fieldCount())
        return {};
    const TxField& f = m_layout.fields()[static_cast<std::size_t>(fieldIndex)];
    if (!f.calculated()) return readFieldValue(f, storeRecord(index), m_codePageIn, m_codePageOut);
    std::vector<std::uint8_t> buffer;
    fillBuffer(buffer, index);
    return readFieldValue(f, buffer.data(), m_codePageIn, m_codePageOut);
}

TxValue TxDataSet::valueAt(int row, int fieldIndex) {
    if (!Active() || row < 0 || row >= RecordCount()) return {};
    return valueAtIndex(m_filtered ? rows()[static_cast<std::size_t>(row)] : row, fieldIndex);
}
