#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "core/DataFileLines.h"
#include "core/RecordSplitter.h"
#include "core/uTavObj.h"

// Where the texts of a table that does not hold them come from: its data file, read again a
// record at a time. The line of record r starts at the position TBaza keeps for it; records in
// order are read on from where the last one ended, without a seek.
struct TBaza::TTextSource {
    TTextSource(std::string path, std::uintmax_t size, std::filesystem::file_time_type modified)
        : path(std::move(path)), size(size), modified(modified) {}

    // The values of record r's line, as the load split them. Throws EInOutError when the file
    // cannot be read or is no longer the file that was loaded.
    void read(const TBaza& data, int r, std::uint64_t lineOffset, std::vector<std::string>& values);

    std::string path;
    std::uintmax_t size;
    std::filesystem::file_time_type modified;
    TDataFileKind kind = dfkTxt;
    CodePageId page = cp1250;

  private:
    [[noreturn]] void fail(const std::string& why) const;

    std::ifstream m_file;
    std::unique_ptr<TDataFileLines> m_lines;
    std::unique_ptr<TRecordSplitter> m_splitter;
    int m_nextRecord = -1;  // the record whose line m_lines gives next
};
