#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/DatabaseSource.h"

// The data types of importing a plain CSV, TSV or ARFF file into a data file: what the caller
// asks for, what the importer infers per column, and what it reports after writing.

// The text encoding of a file to import.
enum class TImportEncoding {
    Detect,   // a UTF-8 byte order mark or (mostly) valid UTF-8 gives UTF-8, else Windows-1250
    Utf8,     // with or without a byte order mark
    Win1250,  // the bytes are taken as they are
};

// The layout of a file to import.
enum class TImportFormat {
    Csv,   // a header row of names, then one record per row (comma, semicolon or tab)
    Arff,  // @relation, @attribute lines, @data rows
    // Read whole by a reader of their own, as a table of texts (CellTable.h):
    Xlsx,      // an Office Open XML workbook
    Ods,       // an OpenDocument spreadsheet
    Xls,       // the binary workbook of BIFF records
    Sav,       // SPSS system file, also compressed (.sav, .zsav)
    Por,       // SPSS portable file
    Dta,       // Stata
    Sas7bdat,  // SAS data set
    Xport,     // SAS transport file (.xpt)
    Sqlite,    // a table or a query of a SQLite database (TImportPlan::database)
};

// Whether a file of `format` is a workbook or a statistics file rather than a text table.
inline bool isCellTableFormat(TImportFormat format) {
    return format != TImportFormat::Csv && format != TImportFormat::Arff &&
           format != TImportFormat::Sqlite;
}

// The defaults and bounds of the options.
inline constexpr int kDefaultImportBoundaries = 4;
inline constexpr int kMaxImportBoundaries = 126;  // an interval INT field has codes 1..n+1 <= 127
inline constexpr int kDefaultSetLimit = 127;      // SET codes 1..k with 0 as the unknown code
inline constexpr int kDefaultIntLimit = 12;       // more distinct whole numbers become intervals
inline constexpr int kMaxIntLimit = 128;          // every whole number of 0..127 a value of its own
inline constexpr std::uint64_t kDefaultSampleSeed = 1;
inline constexpr long long kDefaultSampleSize = 65001;  // the records of a sample unless told
// A column's distinct texts are counted up to this many; a count that reaches it means "or more".
inline constexpr long long kDistinctCountLimit = 65536;
// A column keeps up to this many of its numbers for the quantile boundaries: all of them when they
// fit, else a uniform random sample of this size (fixed seed), so that memory stays bounded.
inline constexpr long long kNumberBudget = 131072;

// What the caller asks of an import.
struct TImportOptions {
    char delimiter = 0;  // ',', ';' or '\t'; 0 detects it from the first lines (CSV only)
    TImportEncoding encoding = TImportEncoding::Detect;
    int boundaries = kDefaultImportBoundaries;  // of inferred REAL and interval INT fields, 1..126
    int setLimit = kDefaultSetLimit;            // most distinct texts of a SET field, 1..127
    int intLimit = kDefaultIntLimit;  // most distinct whole numbers of an inferred INT, 1..128
    bool sample = false;  // keep a uniform random sample of `sampleSize` records (all if fewer)
    long long sampleSize = kDefaultSampleSize;  // 1 or more
    bool strict = false;  // a CSV row with fewer values than the header is an error, not filled
    std::uint64_t seed = kDefaultSampleSeed;
    std::string sheet{};  // of a workbook: its name, or its number from 1; empty for the first
    int skipRows = 0;     // of a workbook: rows above the header row (titles, notes)
};

// The field type a column becomes. CURRENCY is coded as REAL is; DATE keeps its texts as STRING
// does. Only a choice of the user gives either.
enum class TImportType { Set, Int, Real, String, Currency, Date };

// How the values of a column are written.
enum class TImportCoding {
    Labels,     // SET:1..k:UNK=0, each distinct text a code, its label the text
    Integers,   // INT:low..high, the integers themselves (unknown code outside the range)
    Intervals,  // INT:1..k:UNK=0, the number of the interval that holds the value
    Numbers,    // REAL:::n or CURRENCY:::n, the numbers with interval boundaries
    Text,       // STRING or DATE, the texts
};

// Where a column's interval boundaries are chosen to be: at `count` quantiles, or at the given
// numbers.
struct TImportBins {
    int count = 0;  // 1..126 quantile boundaries; 0 when `boundaries` are given
    std::vector<double> boundaries = {};  // strictly ascending
    bool operator==(const TImportBins&) const = default;
};

// What the user chose for one column; a column without a choice keeps the inferred coding.
struct TImportColumnChoice {
    std::optional<TImportType> type = {};
    std::optional<TImportBins> bins = {};  // with a type that has intervals (INT, REAL, CURRENCY)
    bool ignored = false;                  // the column is left out of the data file
    bool empty() const { return !type && !bins && !ignored; }
};

// One column: its name, what it was coded as and what the file holds in it.
struct TImportColumn {
    std::string sourceName;  // as in the file (Windows-1250)
    std::string name;        // unique, upper-cased, without ";", ":" and ","
    TImportType type = TImportType::String;
    TImportCoding coding = TImportCoding::Text;
    int low = 0;  // code range of SET and INT fields
    int high = 0;
    int unknownCode = -1;                    // -1: none
    std::vector<std::string> labels;         // Labels: the text of code k at index k-1
    std::vector<double> boundaries;          // Numbers, Intervals: ascending
    std::vector<std::string> boundaryTexts;  // the boundaries as written
    std::optional<std::vector<std::string>> declaredValues;  // a nominal ARFF attribute
    long long distinctCount =
        0;  // distinct texts among the known values, up to kDistinctCountLimit
    long long missingCount = 0;
    TImportColumnChoice choice;  // what the user chose; the coding above follows it
    // Dates (of a workbook or a statistics file): written as a DATE field when a STRING.
    bool date = false;
    int boundaryCount() const { return static_cast<int>(boundaries.size()); }
};

// The known values of one column, in bounded memory whatever the number of records.
struct TColumnProfile {
    long long missingCount = 0;
    std::vector<std::string> distinct;  // the first 128 known texts, in order of first appearance
    long long distinctCount = 0;        // distinct known texts, counted up to kDistinctCountLimit
    bool numeric = false;               // at least one known value, and every one a number
    bool integral = false;              // numeric, and every known value written as a whole number
    double low = 0;                     // numeric: the smallest and the largest number
    double high = 0;
    int distinctNumbers = 0;      // numeric: distinct numbers, counted up to kMaxIntLimit + 1
    std::vector<double> numbers;  // numeric, ascending: all known numbers, or a uniform sample
    bool numbersSampled = false;  // numbers holds kNumberBudget of more numbers
};

// What inferImport found: the columns (overridable with setColumnType) and the records read.
struct TImportPlan {
    std::string sourcePath;
    TImportFormat format = TImportFormat::Csv;
    char delimiter = ',';
    TImportEncoding encoding = TImportEncoding::Win1250;  // as used, never Detect
    bool decimalComma = false;  // "," read as a decimal separator (delimiter other than ",")
    std::vector<TImportColumn> columns;
    std::vector<TColumnProfile> profiles;  // one per column, for setColumnType
    long long recordsRead = 0;
    // Where writeImport reads the records again: the bytes given to inferImportBytes, or (null)
    // the file sourcePath, which must still have sourceSize bytes.
    std::shared_ptr<const std::string> sourceBytes;
    long long sourceSize = 0;
    size_t skippedBytes = 0;  // a byte order mark before the table
    bool strict = false;      // TImportOptions::strict
    // The records writeImport keeps: 0 for all, else a uniform random sample of that many drawn
    // with `seed` (all when there are no more). The types describe every record read.
    long long sampleSize = 0;
    std::uint64_t seed = kDefaultSampleSeed;
    std::vector<std::string> warnings;  // Windows-1250, for the user
    // A workbook: the sheet read (TImportOptions::sheet resolved), the names of all its sheets
    // (UTF-8) and the rows above the header.
    std::string sheet;
    std::vector<std::string> sheetNames;
    int skipRows = 0;
    TImportOptions options;  // as asked of inferImport
    int classColumn = -1;    // the class column chosen, or -1 for none yet
    // Of a database table or query (format Sqlite): where its rows are read again; sourcePath is
    // then the database file, and sourceSize the rows of a table (-1 for a query).
    std::optional<TDatabaseSource> database;
};

// The choices of tav-batch import as typed (Windows-1250), each naming its column by its name or
// its number from 0; applyImportChoices (Importer.h) resolves and applies them.
struct TImportChoiceTexts {
    std::vector<std::pair<std::string, std::string>> types = {};  // column, type keyword
    std::vector<std::pair<std::string, std::string>> bins = {};   // column, "N" or "b1,b2,..."
    std::vector<std::string> ignored = {};
    std::optional<std::string> classColumn = {};
};

// What writeImport wrote.
struct TImportSummary {
    std::string outputPath;
    int fieldCount = 0;
    int labelLineCount = 0;
    long long recordsRead = 0;
    long long recordsKept = 0;
    bool sampled = false;  // recordsKept is a random sample of recordsRead
    std::uint64_t seed = kDefaultSampleSeed;
    std::vector<std::string> warnings;  // those of the plan
};

// The distinct values of a column as shown: the count, "65536+" when it reached the limit.
std::string distinctCountText(const TImportColumn& column);

// The keyword of a type ("SET", "INT", "REAL", "STRING", "CURRENCY", "DATE").
const char* importTypeText(TImportType type);

// The type of a keyword compared without regard to case, or none.
std::optional<TImportType> importTypeFromText(const std::string& text);

// The type specification a column is written with ("SET:1..3:UNK=0", "REAL:::4", "STRING").
std::string importTypeSpec(const TImportColumn& column);
