#include "core/SummaryFile.h"

#include <filesystem>
#include <system_error>

#include "core/Errors.h"
#include "core/uTavObj.h"

namespace {

// Whether two paths name the same file: the same text, or the same file on disk.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

TSummaryOutcome writeSummaryBeside(const TBaza& data, const std::string& dataFileName) {
    TSummaryOutcome outcome;
    outcome.reportPath = summaryReportPath(dataFileName);
    if (sameFile(outcome.reportPath, dataFileName)) {
        outcome.warning = "The summary report was not written: its name \"" +
                          displayPath(outcome.reportPath) + "\" is that of the data file itself.";
        return outcome;
    }
    try {
        data.writeSummaryReport(outcome.reportPath);
        outcome.written = true;
    } catch (const EInOutError& error) {
        outcome.warning = error.what();
    }
    return outcome;
}
