#pragma once

#include <cstdint>
#include <string>

// The files of XML tables: modification stamps, backup names, whole-file reads.

// What tells that another writer changed a file: its modification time and its size. A missing
// file has the stamp {-1, -1}.
struct TxFileStamp {
    std::int64_t time = -1;  // nanoseconds of the file clock
    std::int64_t size = -1;
    bool operator==(const TxFileStamp& other) const = default;
};

TxFileStamp fileStamp(const std::string& path);

// The backup name: a tilde inserted after the dot of the file name's extension ("data.xml" becomes
// "data.~xml"); a name without an extension gets ".~" appended ("data" becomes "data.~"). The
// backup lies in the same folder and is never the file itself.
std::string backupFileName(const std::string& path);

// The whole file. Throws ExDataSetError with the system's open or read error.
std::string readWholeFile(const std::string& path);
