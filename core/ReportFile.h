#pragma once

#include <cstdio>
#include <string>

// A report file that a run appends whole blocks to: created at start, kept open for the run. The
// report of an earlier run is kept under a dated name, never emptied.
class TReportFile {
  public:
    // Renames a non-empty earlier file at `path` to its dated name (keepEarlierFile), then creates
    // the file; when the rename fails the earlier one stays and the new report goes to a fresh
    // dated name. When the file cannot be created the program goes on without it; openError()
    // tells why.
    explicit TReportFile(const std::string& path);
    // Closes the file.
    ~TReportFile();
    TReportFile(const TReportFile&) = delete;
    TReportFile& operator=(const TReportFile&) = delete;

    // Whether the file was created and blocks can be appended.
    bool isOpen() const { return m_file != nullptr; }
    // Why the file could not be created ("" when it is open).
    const std::string& openError() const { return m_openError; }
    // Where this run's report is written.
    const std::string& path() const { return m_path; }
    // What became of an earlier report at start ("" when there was none).
    const std::string& startNote() const { return m_startNote; }

    // Appends `block` in one write and flushes it; an empty block appends nothing and never
    // fails. Throws EInOutError when the report is not open (saying why) or the write fails; the
    // file is then cut back to its length before the block.
    void appendBlock(const std::string& block);

  private:
    std::FILE* m_file = nullptr;
    std::string m_path;
    std::string m_openError;
    std::string m_startNote;
};
