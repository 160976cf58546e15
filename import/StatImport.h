#pragma once

#include <string>
#include <string_view>

#include "import/CellTable.h"
#include "import/ImportTypes.h"

// Reads a statistics file with libreadstat: SPSS (.sav, .zsav, .por), Stata (.dta), SAS
// (.sas7bdat, .xpt). A variable with value labels gets them as its value names in code order
// (its values become their labels; a code without a label keeps its number); user-defined
// missing values and the extended missing values (.a to .z) are missing; a variable with a date
// or date-time format has dates ("YYYY-MM-DD", with " HH:MM:SS" for date-times). Variable labels
// have no place in a data file and are not read. Throws EConvertError naming `fileName` for a
// damaged file, a SAS file with binary compression and a value label set with more than 127
// values (naming the variable).
// Requires: `format` is Sav, Por, Dta, Sas7bdat or Xport.
TCellTable readStatFile(std::string_view bytes, TImportFormat format, const std::string& fileName);

// Whether a variable's display format (as the file gives it) shows dates: SPSS DATE, ADATE,
// EDATE, SDATE, JDATE, DATETIME, YMDHMS; Stata %td, %tc, %tC, %d; SAS DATE, DATETIME, MMDDYY,
// DDMMYY, YYMMDD, E8601DA, E8601DT and kin. Sets `dateTime` when the values are times of a day.
bool isStatDateFormat(TImportFormat format, std::string_view displayFormat, bool& dateTime);
