#include "core/DateTimeFormat.h"

#include <ctime>

TLocalDateTime toLocalDateTime(std::chrono::system_clock::time_point when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    return TLocalDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                          parts.tm_hour,        parts.tm_min,     parts.tm_sec};
}

namespace {

// How many times the pattern letter at `i` repeats from there ("dd" is a run of 2).
size_t letterRun(const std::string& pattern, size_t i) {
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == pattern[i])
        ++run;
    return run;
}

std::string twoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string formatDateTime(const std::string& pattern, const TLocalDateTime& when) {
    const bool twelveHours =
        pattern.find("AP") != std::string::npos || pattern.find("ap") != std::string::npos;
    std::string out;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const size_t run = letterRun(pattern, i);
        auto number = [&](int value) {
            out += run >= 2 ? twoDigits(value) : std::to_string(value);
        };
        if (c == '\'') {
            const size_t close = pattern.find('\'', i + 1);
            const size_t end = close == std::string::npos ? pattern.size() : close;
            out += pattern.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        if ((c == 'A' && i + 1 < pattern.size() && pattern[i + 1] == 'P') ||
            (c == 'a' && i + 1 < pattern.size() && pattern[i + 1] == 'p')) {
            const bool pm = when.hour >= 12;
            out += c == 'A' ? (pm ? "PM" : "AM") : (pm ? "pm" : "am");
            i += 2;
            continue;
        }
        switch (c) {
            case 'd':
                number(when.day);
                break;
            case 'M':
                number(when.month);
                break;
            case 'y':
                out += run >= 4 ? std::to_string(when.year) : twoDigits(when.year % 100);
                break;
            case 'H':
                number(when.hour);
                break;
            case 'h': {
                const int hour =
                    twelveHours ? (when.hour % 12 == 0 ? 12 : when.hour % 12) : when.hour;
                number(hour);
                break;
            }
            case 'm':
                number(when.minute);
                break;
            case 's':
                number(when.second);
                break;
            default:
                out.append(run, c);
                break;
        }
        i += run;
    }
    return out;
}

namespace {

bool isPatternSeparator(char c) {
    return c == ' ' || c == ',' || c == '(' || c == ')' || c == '[' || c == ']';
}

// Drops the blanks, commas and brackets at the end of `out` (what led up to a dropped part).
void dropTrailingSeparators(std::string& out) {
    while (!out.empty() && isPatternSeparator(out.back()))
        out.pop_back();
}

}  // namespace

std::string reducedLocalePattern(const std::string& pattern) {
    std::string out;
    bool dropFollowingSeparators = false;
    size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        const size_t run = letterRun(pattern, i);
        if (dropFollowingSeparators && isPatternSeparator(c)) {
            i += run;
            continue;
        }
        dropFollowingSeparators = false;
        if (c == '\'') {
            const size_t close = pattern.find('\'', i + 1);
            const size_t end = close == std::string::npos ? pattern.size() : close + 1;
            out += pattern.substr(i, end - i);
            i = end;
            continue;
        }
        if (c == 't' || c == 'z') {
            dropTrailingSeparators(out);
            // The milliseconds' decimal point goes with them.
            if (c == 'z' && !out.empty() && (out.back() == '.' || out.back() == ','))
                out.pop_back();
            dropFollowingSeparators = true;
        } else if (c == 'd' && run >= 3) {
            dropFollowingSeparators = true;
        } else if (c == 'M' && run >= 3) {
            out += "MM";
        } else if ((c == 'A' || c == 'a') && run == 1 &&
                   !(i + 1 < pattern.size() && pattern[i + 1] == (c == 'A' ? 'P' : 'p'))) {
            out += c == 'A' ? "AP" : "ap";
        } else {
            out.append(pattern, i, run);
        }
        i += run;
    }
    return out;
}
