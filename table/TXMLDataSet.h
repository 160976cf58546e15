#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "table/TxDataSet.h"
#include "table/TxFileUtil.h"

// A key declared in a table file's header; kept with the table, no further part.
struct TxKey {
    std::string name;
    int length = 0;
    bool allowDup = true;
    bool maintained = true;
};

// How XmlEscape treats a text: markup (the fixed markup) or value (field names, type names,
// lengths and record values).
enum class TxEscapeMode { Markup, Value };

// In both modes "&" becomes "&amp;" and every character above 126 a character reference of its
// Unicode code point (the text is Windows-1250). In value mode also '"' becomes "&#34;", "<"
// "&lt;", and tab, line feed and carriage return "&#9;", "&#10;", "&#13;".
std::string XmlEscape(const std::string& text, TxEscapeMode mode);

using TWriteErrorEvent = std::function<void(TxDataSet&, const ExDataSetError&)>;

// The result table with its record store (RecordList) and the optional XML file: read at open,
// re-read when another writer changed it (checked every LazyRead fetches), written after LazyWrite
// changes and at close. Without FileName the table lives in memory only.
class TXMLDataSet : public TxDataSet {
  public:
    TXMLDataSet();
    // Closes the table; a failed write goes to OnWriteError instead of an exception.
    ~TXMLDataSet() override;

    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& fileName) { m_fileName = fileName; }
    // Fetches between two checks of the file's stamp; -1 never checks. Default 1000.
    int LazyRead() const { return m_lazyRead; }
    void SetLazyRead(int count) { m_lazyRead = count; }
    // Changes between two writes; -1 writes only at close. Default 10.
    int LazyWrite() const { return m_lazyWrite; }
    void SetLazyWrite(int count) { m_lazyWrite = count; }
    bool IgnoreUnknownFields() const { return m_ignoreUnknownFields; }
    void SetIgnoreUnknownFields(bool on) { m_ignoreUnknownFields = on; }
    int WriteCount() const { return m_writeCount; }
    int ReadCount() const { return m_readCount; }
    const TxFileStamp& FileStamp() const { return m_fileStamp; }
    const std::vector<TxKey>& Keys() const { return m_keys; }
    const std::vector<std::vector<std::uint8_t>>& RecordList() const { return m_records; }

    // Defines the fields from the file's header (fields and keys).
    void ReadHeaderFromXml();
    // Reads all records of the file (and CodePageIn) and replaces RecordList with them; on an
    // error RecordList and CodePageIn stay as they were.
    void LoadFromXml();
    // Writes the whole table to FileName (nothing without a file name). Fails with "File changed:
    // write operation failed" when the file's stamp differs from FileStamp, and before anything is
    // touched when a field name is no XML name or a value holds a control character other than
    // tab, line feed and carriage return. The file is first renamed to its backup name; when the
    // new file cannot be written the backup is renamed back and the error passes. WriteCount is 0
    // only after a successful write.
    void SaveToXml();

    // Hears of a write that failed while the destructor closed the table.
    TWriteErrorEvent OnWriteError;

  protected:
    void defineFieldsWithoutHandler() override;
    void loadRecords(bool hasHeaderHandler) override;
    void saveAtClose(bool editStored) override;
    void freeRecords() override;
    int storeCount() const override { return static_cast<int>(m_records.size()); }
    const std::uint8_t* storeRecord(int index) const override;
    std::uint8_t* storeRecordForWrite(int index) override;
    void storeAppend(const std::uint8_t* record) override;
    void storeDelete(int index) override;
    void beforeFetch() override;
    void afterChange() override;
    std::string errorFileName() const override { return m_fileName; }

  private:
    bool hasFileName() const;
    void writeWholeFile(const std::string& path, const std::string& text) const;
    std::string buildXmlText() const;
    std::vector<std::vector<std::uint8_t>> readRecords(const std::string& content,
                                                       CodePageId& codePage) const;

    std::vector<std::vector<std::uint8_t>> m_records;
    std::vector<TxKey> m_keys;
    std::string m_fileName;
    int m_lazyRead = 1000;
    int m_lazyWrite = 10;
    bool m_ignoreUnknownFields = false;
    int m_readCount = 0;
    int m_writeCount = 0;
    TxFileStamp m_fileStamp;
};
