#include "expr/FilterDate.h"

#include <array>

#include "core/LocaleFormat.h"

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool leapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a valid civil date (the proleptic Gregorian calendar).
int32_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int era = (year >= 0 ? year : year - 399) / 400;
    const int yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The order of day, month and year in the locale's short date pattern, as 'd', 'M' and 'y'.
std::array<char, 3> localeOrder() {
    std::array<char, 3> order = {'d', 'M', 'y'};
    int found = 0;
    char last = 0;
    std::array<char, 3> seen = {0, 0, 0};
    for (const char c : localeFormat().shortDateFormat) {
        if ((c == 'd' || c == 'M' || c == 'y') && c != last && found < 3) seen[found++] = c;
        if (c == 'd' || c == 'M' || c == 'y') last = c;
    }
    if (found == 3 && seen[0] != seen[1] && seen[1] != seen[2] && seen[0] != seen[2]) order = seen;
    return order;
}

}  // namespace

std::optional<int32_t> dayNumberOfDate(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    std::array<int, 3> groups = {0, 0, 0};
    std::array<int, 3> widths = {0, 0, 0};
    char separator = 0;
    for (int g = 0; g < 3; ++g) {
        if (g > 0) {
            // One separator, which may be followed by blanks ("1. 1. 1990").
            if (i >= text.size() || isDigit(text[i]) || text[i] == ' ') return std::nullopt;
            if (g == 1) separator = text[i];
            ++i;
            while (i < text.size() && text[i] == ' ')
                ++i;
        }
        while (i < text.size() && isDigit(text[i])) {
            if (widths[g] == 4) return std::nullopt;
            groups[g] = groups[g] * 10 + (text[i] - '0');
            ++widths[g];
            ++i;
        }
        if (widths[g] == 0) return std::nullopt;
    }
    // A trailing separator ("31.12.2001.") or a time after a blank may follow.
    if (i < text.size() && text[i] == '.') ++i;
    if (i < text.size() && text[i] != ' ') return std::nullopt;
    int day = 0;
    int month = 0;
    int year = 0;
    int yearWidth = 0;
    if (widths[0] == 4) {
        year = groups[0];
        yearWidth = 4;
        month = groups[1];
        day = groups[2];
    } else {
        // Dates with dots are written day first wherever they are used, whatever the locale of
        // the reader; a data file is often older than, or from elsewhere than, its reader.
        const std::array<char, 3> order =
            separator == '.' ? std::array<char, 3>{'d', 'M', 'y'} : localeOrder();
        for (int g = 0; g < 3; ++g) {
            if (order[g] == 'd') day = groups[g];
            if (order[g] == 'M') month = groups[g];
            if (order[g] == 'y') {
                year = groups[g];
                yearWidth = widths[g];
            }
        }
    }
    if (yearWidth <= 2) year += year < 50 ? 2000 : 1900;
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    return daysFromCivil(year, month, day);
}
