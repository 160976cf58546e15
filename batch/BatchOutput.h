#pragma once

#include <ostream>
#include <string>

// Where a batch command writes: text is Windows-1250 inside and UTF-8 on the streams.
struct TBatchOutput {
    std::ostream& out;
    std::ostream& err;

    // A line of Windows-1250 text on standard output, as UTF-8.
    void printLine(const std::string& text) const;
    // A line of Windows-1250 text on standard error, as UTF-8.
    void printError(const std::string& text) const;
};
