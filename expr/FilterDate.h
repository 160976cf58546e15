#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The day number of a date text (days since 1 January 1970, earlier dates negative), read the
// same way for a record's DATE value and for a date constant of a filter: three groups of digits
// with one separator between them; year, month and day when the first group has four digits
// (2001-12-31), else day, month and year when the separator is a dot (31.12.2001), else in the
// order of the locale's short date pattern (M/d/yyyy or d/M/yyyy). A two-digit year is
// 1950..2049. Text after a blank (a time) is ignored. None for anything else, for a month
// outside 1..12, a day the month does not have or a year outside 1..9999.
std::optional<int32_t> dayNumberOfDate(const std::string& text);
