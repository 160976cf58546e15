#pragma once

#include <string>

// What became of an earlier file before a new one of the same name was started.
struct TKeptFile {
    // The dated name the earlier file now has ("" when there was none, or it was empty).
    std::string keptAs;
    // Where the new file goes: the name itself, or a fresh dated name when the earlier file could
    // not be renamed and stays where it is.
    std::string newPath;
    // What the user should hear of it ("" when nothing happened).
    std::string note;
};

// The dated name of `path` for time `stamp` (seconds since the epoch, local time):
// "DIR/STEM-YYYYMMDD-HHMMSS.EXT", with "-2", "-3", ... after the time when that name is taken.
std::string datedFileName(const std::string& path, long long stamp);

// Keeps a non-empty file at `path` from being emptied: renames it to its dated name after its
// modification time. When the rename fails the earlier file stays, and the new file is to go to a
// fresh dated name after the current time instead. Never throws.
TKeptFile keepEarlierFile(const std::string& path);
