#pragma once

#include <string>

class TBaza;

// The outcome of writing the summary report beside a data file.
struct TSummaryOutcome {
    std::string reportPath;  // where the report goes (or would go)
    bool written = false;
    std::string warning;  // why it was not written (Windows-1250), empty when written
};

// Writes the summary report of `data` to summaryReportPath(dataFileName). A report path that is
// the data file itself is never written; a report that cannot be written is a warning that names
// the path and the reason. Never throws for these; the table stays loaded either way.
TSummaryOutcome writeSummaryBeside(const TBaza& data, const std::string& dataFileName);
