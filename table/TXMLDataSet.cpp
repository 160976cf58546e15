#include "table/TXMLDataSet.h"

#include <cstring>

TXMLDataSet::TXMLDataSet() = default;

TXMLDataSet::~TXMLDataSet() {
    if (!Active()) return;
    try {
        close();
    } catch (const ExDataSetError& e) {
        if (OnWriteError) {
            try {
                OnWriteError(*this, e);
            } catch (...) {
            }
        }
    } catch (...) {
    }
    closeWithoutSaving();
}

bool TXMLDataSet::hasFileName() const {
    for (char c : m_fileName) {
        if (static_cast<unsigned char>(c) > ' ') return true;
    }
    return false;
}

void TXMLDataSet::defineFieldsWithoutHandler() {
    if (!hasFileName()) fail("Cannot open a table without FileName or OnGetHeader handler");
    ReadHeaderFromXml();
}

void TXMLDataSet::loadRecords(bool hasHeaderHandler) {
    m_records.clear();
    m_readCount = 0;
    m_writeCount = 0;
    m_fileStamp = hasFileName() ? fileStamp(m_fileName) : TxFileStamp{};
    // A table with its own header and a file that does not exist yet starts empty; the file is
    // created at the first write.
    if (!hasFileName() || (hasHeaderHandler && m_fileStamp.time == -1)) return;
    LoadFromXml();
}

void TXMLDataSet::saveAtClose(bool editStored) {
    if (editStored) ++m_writeCount;
    if (m_writeCount != 0) SaveToXml();
}

void TXMLDataSet::freeRecords() {
    m_records.clear();
    m_records.shrink_to_fit();
    m_readCount = 0;
    m_writeCount = 0;
}

const std::uint8_t* TXMLDataSet::storeRecord(int index) const {
    return m_records[static_cast<std::size_t>(index)].data();
}

std::uint8_t* TXMLDataSet::storeRecordForWrite(int index) {
    return m_records[static_cast<std::size_t>(index)].data();
}

void TXMLDataSet::storeAppend(const std::uint8_t* record) {
    m_records.emplace_back(record, record + RecordSize());
}

void TXMLDataSet::storeDelete(int index) {
    m_records.erase(m_records.begin() + index);
}

void TXMLDataSet::beforeFetch() {
    if (!hasFileName() || m_lazyRead == -1) return;
    if (m_readCount >= m_lazyRead) {
        m_readCount = 0;
        const TxFileStamp stamp = fileStamp(m_fileName);
        // A file that vanished is not re-read; the next write reports the change.
        if (stamp != m_fileStamp && stamp.time != -1) {
            const int index = CurrentIndex();
            LoadFromXml();  // replaces the records only when the whole file could be read
            m_fileStamp = stamp;
            setCurrentIndex(std::min(index, storeCount() - 1));
            recordsReplaced();
        }
    }
    ++m_readCount;
}

void TXMLDataSet::afterChange() {
    if (m_lazyWrite != -1 && m_writeCount >= m_lazyWrite) {
        try {
            SaveToXml();
        } catch (...) {
            ++m_writeCount;  // the change stays counted: the next change and the close try again
            throw;
        }
    }
    ++m_writeCount;
}
