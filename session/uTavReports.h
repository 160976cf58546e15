#pragma once

#include <cstdio>
#include <string>

class TTavSession;
class TxViewReader;

// The global simple-rules report "TavGlobalRep.txt": created in the working directory at start-up,
// kept open for the run, one block appended per "&Simple rules" command. The report of an earlier
// run is kept under a dated name, never emptied.
class TGlobalReport {
  public:
    // The report's file name, relative to the working directory.
    static constexpr const char* kFileName = "TavGlobalRep.txt";

    // Renames a non-empty earlier report to its dated name (keepEarlierFile), then creates the
    // file; when the rename fails the earlier one stays and the new report goes to a fresh dated
    // name. When the file cannot be created the program goes on without it; openError() tells why.
    explicit TGlobalReport(const std::string& path = kFileName);
    ~TGlobalReport();
    TGlobalReport(const TGlobalReport&) = delete;
    TGlobalReport& operator=(const TGlobalReport&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // Why the file could not be created ("" when it is open).
    const std::string& openError() const { return m_openError; }
    // Where this run's report is written.
    const std::string& path() const { return m_path; }
    // What became of an earlier report at start ("" when there was none).
    const std::string& startNote() const { return m_startNote; }

    // Appends one block for the session's tables in one write and flushes it. Does nothing
    // without a loaded table. Throws EInOutError when the report is not open (saying why) or the
    // write fails; the file is then cut back to its length before the block.
    void writeBlock(TTavSession& session);

  private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_openError;
    std::string m_startNote;
};

// One block of the global report for the session's tables (CR LF lines): the class rows of the
// Frequency table, then every simple rule with the Frequency table's figures under it. Walks the
// Simple rules table and returns to its first row; sets DataReady. "" without a loaded table.
std::string globalReportBlock(TTavSession& session);

// The clipboard report of a Frequency table (CR LF lines, tab-separated): "Tav", the description
// with the date and time of one clock reading, the column heading and one line per row. Reads the
// rows without moving the table's cursor.
std::string clipboardReportText(TxViewReader& frequency, const std::string& description);
