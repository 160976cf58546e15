#pragma once

#include <cstdint>
#include <string>

// Texts of field values: the value texts of table files and the text form of field values. All
// functions are independent of the C locale; the separator and the patterns are parameters (callers
// pass the user's settings from localeFormat()).

// General floating-point text with up to 15 significant digits, trailing zeros dropped, the
// exponent form ("1.5E-7", "1E20") only when the exponent is below -5 or above 14. Infinities and
// NaN are written "INF", "-INF" and "NAN".
std::string formatFloat(double value, char decimalSeparator);
// Reads [sign] digits [separator digits] [E [sign] digits], or INF / -INF / NAN, surrounded by
// optional blanks. Returns false for any other text.
bool parseFloat(const std::string& text, char decimalSeparator, double& value);

// A count of ten-thousandths as a decimal number: "12.5", "-0.0001", "3".
std::string formatCurrency(std::int64_t tenThousandths, char decimalSeparator);
// Reads [sign] digits [separator digits]; decimals beyond the fourth are rounded half away from
// zero. Returns false for other texts and for values beyond the int64 count.
bool parseCurrency(const std::string& text, char decimalSeparator, std::int64_t& tenThousandths);

// Date and time patterns in the locale's notation, written by core's formatDateTime and read by
// the same rules: d, dd, M, MM, yy, yyyy, h, hh, H, HH, m, mm, s, ss, AP, ap; text in single
// quotes and any other character is copied. Times are written to the second.

// The date part of a date value in the pattern; empty for values outside years 1..9999.
std::string formatDateText(double date, const std::string& pattern);
// The date value of a text in the pattern (digit groups may be shorter than the pattern's). "yy"
// reads 00..49 as 2000..2049 and 50..99 as 1950..1999.
bool parseDateText(const std::string& text, const std::string& pattern, double& date);

// The time of day of a date value in the pattern.
std::string formatTimeText(double time, const std::string& pattern);
// The time value (fraction of a day) of a text in the pattern.
bool parseTimeText(const std::string& text, const std::string& pattern, double& time);

// The pattern with its year widened to "yyyy" (and literal text quoted), so that a written date
// keeps its century.
std::string withFullYear(const std::string& datePattern);
