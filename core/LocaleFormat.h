#pragma once

#include <chrono>
#include <functional>
#include <string>

// The user's number, date and time conventions. The core only reads them; the GUI fills them from
// the user's locale at start, and tests fix them. The defaults are those of a neutral locale.
struct TLocaleFormat {
    char decimalSeparator = '.';
    char thousandSeparator = ',';  // 0 means no thousands separator
    // Date and time patterns in the toolkit's notation: d, dd, M, MM, yy, yyyy, h, hh, H, HH, m,
    // mm, s, ss, AP/ap; anything else is copied.
    std::string shortDateFormat = "dd.MM.yyyy";
    std::string longTimeFormat = "HH:mm:ss";
    // The local clock; tests replace it.
    std::function<std::chrono::system_clock::time_point()> clock = [] {
        return std::chrono::system_clock::now();
    };
};

// The one locale setting of the process.
TLocaleFormat& localeFormat();
