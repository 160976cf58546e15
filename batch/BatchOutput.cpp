#include "batch/BatchOutput.h"

#include "core/Win1250.h"

void TBatchOutput::printLine(const std::string& text) const {
    out << win1250ToUtf8(text) << '\n';
}

void TBatchOutput::printError(const std::string& text) const {
    err << win1250ToUtf8(text) << '\n';
}
