#pragma once

#include <string>
#include <utility>
#include <vector>

// Writers of the workbooks and statistics files that the import tests and the fuzz seeds read,
// made with the writing side of the same libraries (libxlsxwriter, readstat, minizip).

// An .xlsx workbook of two sheets. "Loans" has a title row and a blank row above its header
// (NAME, AGE, INCOME, OWNER, SINCE, NOTE, LOAN) and six records: shared strings, whole and
// decimal numbers, booleans, dates, an empty cell, a formula's text. "Notes" holds one column.
// With `inlineStrings` the strings are written inline instead of shared.
void writeLoansWorkbook(const std::string& path, bool inlineStrings = false);

// An .ods spreadsheet zipped with minizip: the `contentXml` as its content.xml, and a manifest
// that says it is encrypted when `encrypted`.
void writeOds(const std::string& path, const std::string& contentXml, bool encrypted = false);

// The content.xml of a spreadsheet of two tables: "Loans" with a title row, then the header and
// records of texts, floats, booleans, dates, repeated cells and an empty row; "Second".
std::string loansOdsContent();

// A zip archive of the given parts (name, bytes).
void writeZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& parts);

// An SPSS .sav file: SEX (labels 1 male, 2 female; 9 a user-defined missing value labelled
// "refused"), AGE, BORN (a DATE11 date), CITY (a string) and LOAN (labels 1 approved, 2 refused,
// 3 pending, in that order although 3 is labelled first), ten records.
void writeLoansSav(const std::string& path);

// A Stata .dta file: GROUP (labels 1 low, 2 middle, 3 high) with the extended missing values .a
// and .b, SCORE, DAY (%td) and CLASS (labels 0 no, 1 yes), eight records.
void writeGroupsDta(const std::string& path);

// A SAS transport (.xpt) file: ID, HEIGHT, NAME and VISIT (a DATE9 date), four records.
void writeVisitsXpt(const std::string& path);

// An SPSS .sav file of one variable with a value label set of `labels` values (codes 1..labels).
void writeManyLabelsSav(const std::string& path, int labels);
