#pragma once

#include <string>

#include "core/uTavObj.h"
#include "import/ImportTypes.h"
#include "import/ImportWriter.h"

// Imports a plain CSV, TSV or ARFF file: inferImport reads it and infers a field type per column,
// the caller may change a column's type with setColumnType, and writeImport (ImportWriter.h)
// writes the data file. Errors are exceptions of core/Errors.h with messages for the user:
// EInOutError (a file that cannot be read or written), EConvertError (a file or a type that
// cannot be imported), ELimitError (more than 256 columns). A file of any number of records is
// imported whole unless the options ask for a random sample.

// Reads the file at `path` in pieces and infers its columns; the plan holds their profiles, not
// the records, which writeImport reads again. The format is ARFF when the first line that
// is not a comment begins with "@relation", CSV otherwise. Reports the share of the file read to
// `progress`, and 0 when done.
TImportPlan inferImport(const std::string& path, const TImportOptions& options = {},
                        const ProgressHook& progress = {});

// The same over the bytes of a file; `fileName` names it in messages.
TImportPlan inferImportBytes(const std::string& bytes, const std::string& fileName,
                             const TImportOptions& options = {}, const ProgressHook& progress = {});

// The plan of a database's table or query (DatabaseSource.h; SQLite only): its rows read through
// import/SqliteImport.h, then inferred as a CSV file's records are; writeImport reads them again.
// Throws EConvertError for another kind of database and for a result without rows, and what
// parseSqliteSource throws.
TImportPlan inferDatabaseImport(const TDatabaseSource& source, const TImportOptions& options = {},
                                const ProgressHook& progress = {});

// Codes column `column` (from 0) as `type`; `boundaries` (1..126) is used by REAL, CURRENCY and
// by INT of numbers that are not integers in 0..127, and is a choice of bins when it is not the
// plan's default. Throws EConvertError when the values do not fit (see codeColumnAs in
// ImportInference.h) and EListIndexError for a column outside the plan; the column stays as it
// was then.
void setColumnType(TImportPlan& plan, int column, TImportType type,
                   int boundaries = kDefaultImportBoundaries);

// Makes `choice` the choice of column `column` (from 0) and codes the column by it (see
// codeColumnChosen in ImportInference.h); an empty choice brings back the inferred coding. The
// class column is given up when the column can no longer be the class. Throws as setColumnType;
// the column stays as it was then.
void chooseColumn(TImportPlan& plan, int column, const TImportColumnChoice& choice);

// Makes `column` the class column of the plan (-1: none). Throws EConvertError naming the column
// when it cannot be the class and EListIndexError for a column outside the plan.
void setClassColumn(TImportPlan& plan, int column);

// Resolves the columns `choices` name (by name or number) and applies them to `plan` all at once:
// types, bins, ignored columns, then the class. Throws EConvertError naming the column and the
// reason (no such column, a type given twice, an unknown type keyword, bins that cannot be read or
// used, values the type cannot hold, an ignored column given another choice or made the class,
// every column ignored); the plan stays as it was then.
void applyImportChoices(TImportPlan& plan, const TImportChoiceTexts& choices);

// Whether `column` may be the class field: a STRING or DATE column has no values to count, an
// ignored one is not in the data file.
bool canBeClassColumn(const TImportColumn& column);

// The field number in the data file of column `column`: the columns before it that are not
// ignored; -1 for an ignored column or one outside the plan.
int importFieldIndex(const TImportPlan& plan, int column);

// The first `count` records of the plan's source, one text (Windows-1250) per column, for a
// preview; fewer when the file has fewer. Throws what reading the source throws.
std::vector<std::vector<std::string>> importPreviewRows(const TImportPlan& plan, int count);

// The class column proposed for `plan`: the last column of an ARFF file (that format's
// convention) when it can be the class, otherwise the last column that is neither a STRING nor
// an identifier (named ID, or a SET or INT of whole numbers with a distinct value per known
// one), else the last that can be the class; -1 when none can.
int proposedClassColumn(const TImportPlan& plan);

// The column whose name (upper-cased) or original name equals `name`, or -1.
int importColumnIndex(const TImportPlan& plan, const std::string& name);

// The unique field names of a header: upper-cased, without ";", ":" and ",", trimmed; an empty
// name becomes FIELDn (n the column from 1); a repeated one gets "_2", "_3" ...
std::vector<std::string> importFieldNames(const std::vector<std::string>& sourceNames);
