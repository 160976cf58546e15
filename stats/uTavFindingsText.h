#pragma once

#include <string>
#include <vector>

#include "core/RowTable.h"
#include "stats/uTavFindings.h"

// The findings as text: the export table, the plain-language sentences and the header that says
// how to get the same numbers again.

// The program's version as the reproducibility header names it.
inline constexpr const char* kTavVersion = "0.1";

// Where the findings came from, beyond the findings themselves.
struct TFindingsProvenance {
    std::string dataFile;  // the data file's path as loaded (Windows-1250)
    long long records = 0;
    std::string sha256;           // of the file's bytes; "" when it could not be read
    std::string context;          // the applied context expression ("" = all records)
    bool contextPending = false;  // an edited context expression is not applied yet
    std::string compare1;
    std::string compare2;
    std::vector<int> selectedFields;  // in increasing order
    int fieldCount = 0;
    // Of a data file written by an import (its origin file, core/DataFileOrigin.h); empty else.
    std::string originalTable;    // the imported table's path
    std::string originalSha256;   // "" when it could not be read at the import
    std::string importArguments;  // of tav-batch import after IN and OUT, quoted for a shell
    // Of a table read from a database (dataFile is then the source as shown, and there is no
    // SHA-256): the tav-batch options that read it again, "--db", URL, "--table", NAME and the
    // import's choices (unquoted words); empty for a data file.
    std::vector<std::string> databaseArguments;
};

// The export formats: comma- or tab-separated UTF-8 with a header line, or a Markdown table.
enum class TFindingsFormat { Csv, Tsv, Markdown };

// The lines that say what the table is (the reproducibility header and the multiplicity line; as
// "# " lines before CSV and TSV, as a list before Markdown), then the ranked findings and the
// rules below the minimum count (marked in the "ranked" column), one line each in `format`, with
// "." decimals; UTF-8, LF line ends. Each row starts with the rule's number (TFinding::ruleNumber),
// its name and its condition in values, and ends with the number and the names ("; " between
// them) of the rules folded into it.
std::string exportFindings(const TFindings& findings, const TFindingsProvenance& origin,
                           TFindingsFormat format);

// The rows of the export table: the ranked findings, then the rules below the minimum count with
// blanks where a rank belongs, the columns of exportFindings.
TRowTable findingsRows(const TFindings& findings);

// The tav-batch command line that computes the same findings from the same file (Windows-1250):
// every setting, the selection, the class, the target, the minimum count, the order and the
// context written out, each argument quoted for a POSIX shell when it needs to be.
std::string findingsCommandLine(const TFindings& findings, const TFindingsProvenance& origin);

// Lines starting with "# ": what, the data file (a database's table: the database and the table
// in place of the file and its SHA-256), records, SHA-256, for an imported data file the
// original table, its SHA-256 and the tav-batch import command line that writes the data file
// from it, settings, context, compare expressions, program version and the command line
// (Windows-1250, LF line ends).
std::string reproducibilityHeader(const TFindings& findings, const TFindingsProvenance& origin);

// One sentence for a finding: "Under CHECKING = <0 (274 records), the rate of CREDIT = bad rises
// from 0.30 [0.27-0.33] to 0.49 [0.43-0.55]; P(higher) = 1.000." It rises when P(higher) > 0.5,
// falls when below and stays the same at 0.5. A rule standing for others with the same records
// says so: "(89 records, as under 32 other rules)".
std::string findingSentence(const TFindings& findings, const TFinding& finding);

// The header, a blank line, the multiplicity line and one sentence per flagged finding in the
// ranked order ("No rule is flagged." when none is).
std::string findingsText(const TFindings& findings, const TFindingsProvenance& origin);

// The header line and the rows of `table` (cells as rowCellText gives them), one line each in
// `format` (CSV quoted as needed, tabs and line ends of TSV and Markdown cells made blanks),
// LF-ended, with the separator line of a Markdown table after the header.
void appendRowTable(std::string& out, const TRowTable& table, TFindingsFormat format);

// A number with `decimals` fixed decimals and "." whatever the process's locale.
std::string fixedDecimals(double value, int decimals);

// "0.42 [0.40-0.43]": a rate and its interval as the sentences write them.
std::string rateWithInterval(const TRateEstimate& estimate);
