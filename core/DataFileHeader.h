#pragma once

#include <string>

// Whether a line is the header of a data file: its first 8 characters are "TAV DATA".
bool isDataFileHeader(const std::string& firstLine);

// Whether the file at `path` begins with a data file header; false also when it cannot be read.
bool fileHasDataFileHeader(const std::string& path);
