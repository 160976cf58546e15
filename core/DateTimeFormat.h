#pragma once

#include <chrono>
#include <string>

// A local date and time broken into its parts.
struct TLocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The local calendar date and time of a clock reading.
TLocalDateTime toLocalDateTime(std::chrono::system_clock::time_point when);

// `when` written with a pattern of the locale: d, dd (day), M, MM (month), yy, yyyy (year), h, hh
// (hour 1..12 with AP), H, HH (hour 0..23), m, mm (minute), s, ss (second), AP or ap (AM/PM);
// text in single quotes and any other character is copied.
std::string formatDateTime(const std::string& pattern, const TLocalDateTime& when);

// A date or time pattern of the toolkit's locale reduced to what formatDateTime and the table's
// date parser understand, so that no pattern letter ends up in the text: the time zone (t) and
// milliseconds (z) go with the blanks or brackets around them, a weekday name (ddd, dddd) goes
// with the separator after it, a month name (MMM, MMMM) becomes the month's number (MM), and a
// lone A or a becomes AP or ap. Quoted text stays as it is.
std::string reducedLocalePattern(const std::string& pattern);
