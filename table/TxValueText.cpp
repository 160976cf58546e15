#include "table/TxValueText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "core/DateTimeFormat.h"
#include "table/TxFieldTypes.h"

namespace {

std::string trimBlanks(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && (text[begin] == ' ' || text[begin] == '\t'))
        ++begin;
    while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t'))
        --end;
    return text.substr(begin, end - begin);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool equalsNoCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
        char c = a[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != b[k]) return false;
    }
    return true;
}

}  // namespace

std::string formatFloat(double value, char decimalSeparator) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    const int exponent =
        value == 0.0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    std::to_chars_result r;
    if (exponent < -5 || exponent > 14) {
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    } else {
        // Fixed notation with 15 significant digits in all.
        const int decimals = std::max(0, 14 - exponent);
        r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                          decimals);
    }
    std::string text(buffer, r.ptr);
    std::string mantissa = text, exp;
    const auto ePos = text.find('e');
    if (ePos != std::string::npos) {
        mantissa = text.substr(0, ePos);
        exp = text.substr(ePos + 1);
    }
    if (mantissa.find('.') != std::string::npos) {
        while (mantissa.back() == '0')
            mantissa.pop_back();
        if (mantissa.back() == '.') mantissa.pop_back();
    }
    if (mantissa == "-0") mantissa = "0";
    for (char& c : mantissa) {
        if (c == '.') c = decimalSeparator;
    }
    if (exp.empty()) return mantissa;
    // A rounded fixed value may have reached the next power of ten; the scientific text is kept.
    std::string digits;
    bool negative = false;
    std::size_t k = 0;
    if (exp[k] == '+' || exp[k] == '-') negative = exp[k++] == '-';
    while (k + 1 < exp.size() && exp[k] == '0')
        ++k;
    digits = exp.substr(k);
    return mantissa + "E" + (negative ? "-" : "") + digits;
}

bool parseFloat(const std::string& text, char decimalSeparator, double& value) {
    const std::string t = trimBlanks(text);
    if (equalsNoCase(t, "INF") || equalsNoCase(t, "+INF")) {
        value = INFINITY;
        return true;
    }
    if (equalsNoCase(t, "-INF")) {
        value = -INFINITY;
        return true;
    }
    if (equalsNoCase(t, "NAN")) {
        value = NAN;
        return true;
    }
    std::string plain;
    std::size_t k = 0;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) {
        if (t[k] == '-') plain += '-';
        ++k;
    }
    int digits = 0;
    while (k < t.size() && isDigit(t[k]))
        plain += t[k++], ++digits;
    if (k < t.size() && t[k] == decimalSeparator) {
        plain += '.';
        ++k;
        while (k < t.size() && isDigit(t[k]))
            plain += t[k++], ++digits;
    }
    if (digits == 0) return false;
    if (k < t.size() && (t[k] == 'E' || t[k] == 'e')) {
        plain += 'e';
        ++k;
        if (k < t.size() && (t[k] == '+' || t[k] == '-')) plain += t[k++];
        int expDigits = 0;
        while (k < t.size() && isDigit(t[k]))
            plain += t[k++], ++expDigits;
        if (expDigits == 0) return false;
    }
    if (k != t.size()) return false;
    const auto r = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (r.ec == std::errc::result_out_of_range) {
        // Overflow gives an infinity, underflow zero, as a floating conversion does.
        value =
            plain.find("e-") != std::string::npos ? 0.0 : (plain[0] == '-' ? -INFINITY : INFINITY);
        return true;
    }
    return r.ec == std::errc() && r.ptr == plain.data() + plain.size();
}

std::string formatCurrency(std::int64_t c, char decimalSeparator) {
    const bool negative = c < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(c) : static_cast<std::uint64_t>(c);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / 10000);
    std::uint64_t fraction = magnitude % 10000;
    if (fraction != 0) {
        std::string digits = std::to_string(fraction);
        digits.insert(0, 4 - digits.size(), '0');
        while (digits.back() == '0')
            digits.pop_back();
        text += decimalSeparator + digits;
    }
    return text;
}

bool parseCurrency(const std::string& text, char decimalSeparator, std::int64_t& result) {
    const std::string t = trimBlanks(text);
    std::size_t k = 0;
    bool negative = false;
    if (k < t.size() && (t[k] == '+' || t[k] == '-')) negative = t[k++] == '-';
    constexpr std::uint64_t kLimit =
        static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + 1;
    std::uint64_t whole = 0;
    int digits = 0;
    for (; k < t.size() && isDigit(t[k]); ++k, ++digits) {
        if (whole > kLimit / 10) return false;
        whole = whole * 10 + static_cast<unsigned>(t[k] - '0');
        if (whole > kLimit / 10000) return false;
    }
    std::uint64_t fraction = 0;
    int decimals = 0;
    bool roundUp = false;
    if (k < t.size() && t[k] == decimalSeparator) {
        for (++k; k < t.size() && isDigit(t[k]); ++k, ++digits, ++decimals) {
            if (decimals < 4)
                fraction = fraction * 10 + static_cast<unsigned>(t[k] - '0');
            else if (decimals == 4)
                roundUp = t[k] >= '5';
        }
    }
    if (digits == 0 || k != t.size()) return false;
    for (int d = decimals; d < 4; ++d)
        fraction *= 10;
    const std::uint64_t magnitude = whole * 10000 + fraction + (roundUp ? 1 : 0);
    if (magnitude > kLimit || (!negative && magnitude == kLimit)) return false;
    result =
        negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    return true;
}

// --- Date and time patterns -------------------------------------------------------------------
// Formatting is core's formatDateTime; the parser below reads the patterns by the same rules: a run
// of one pattern letter is one token, text in single quotes is copied.

namespace {

struct PatternToken {
    char code = 0;  // 'd', 'M', 'y', 'H', 'h', 'm', 's', 'A' (AP or ap); 0 for literal text
    int run = 0;
    std::string literal;
};

std::vector<PatternToken> tokenize(const std::string& pattern) {
    std::vector<PatternToken> tokens;
    auto addLiteral = [&](const std::string& text) {
        if (tokens.empty() || tokens.back().code != 0) tokens.push_back({});
        tokens.back().literal += text;
    };
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            const std::size_t close = pattern.find('\'', i + 1);
            const std::size_t end = close == std::string::npos ? pattern.size() : close;
            addLiteral(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if ((c == 'A' || c == 'a') && i + 1 < pattern.size() &&
            pattern[i + 1] == (c == 'A' ? 'P' : 'p')) {
            tokens.push_back({'A', 2, {}});
            i += 2;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c)
            ++run;
        if (std::strchr("dMyHhms", c))
            tokens.push_back({c, static_cast<int>(run), {}});
        else
            addLiteral(std::string(run, c));
        i += run;
    }
    return tokens;
}

struct Parts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    int pm = -1;  // -1 no marker, 0 AM, 1 PM
};

bool parseParts(const std::string& rawText, const std::string& pattern, Parts& p) {
    const std::string text = trimBlanks(rawText);
    const auto tokens = tokenize(pattern);
    bool twelve = false;
    for (const auto& t : tokens)
        twelve = twelve || t.code == 'A';
    std::size_t k = 0;
    for (const auto& t : tokens) {
        if (t.code == 0) {
            if (text.compare(k, t.literal.size(), t.literal) != 0) return false;
            k += t.literal.size();
            continue;
        }
        if (t.code == 'A') {
            const std::string marker = text.substr(k, 2);
            if (equalsNoCase(marker, "AM"))
                p.pm = 0;
            else if (equalsNoCase(marker, "PM"))
                p.pm = 1;
            else
                return false;
            k += 2;
            continue;
        }
        const bool fullYear = t.code == 'y' && t.run >= 4;
        const int maxDigits = fullYear ? 4 : 2;
        int value = 0, digits = 0;
        while (k < text.size() && digits < maxDigits && isDigit(text[k])) {
            value = value * 10 + (text[k++] - '0');
            ++digits;
        }
        if (digits == 0) return false;
        switch (t.code) {
            case 'y':
                p.year = fullYear ? value : (value < 50 ? 2000 + value : 1900 + value);
                break;
            case 'd':
                p.day = value;
                break;
            case 'M':
                p.month = value;
                break;
            case 'h':
                if (twelve && (value < 1 || value > 12)) return false;
                p.hour = value;
                break;
            case 'H':
                p.hour = value;
                break;
            case 'm':
                p.minute = value;
                break;
            default:
                p.second = value;
                break;
        }
    }
    if (k != text.size()) return false;
    if (p.pm >= 0) {
        if (p.hour > 12) return false;
        p.hour = p.hour % 12 + (p.pm == 1 ? 12 : 0);
    }
    return true;
}

}  // namespace

std::string formatDateText(double date, const std::string& pattern) {
    TLocalDateTime parts;
    if (!decodeDate(date, parts.year, parts.month, parts.day)) return {};
    return formatDateTime(pattern, parts);
}

bool parseDateText(const std::string& text, const std::string& pattern, double& date) {
    Parts p;
    return parseParts(text, pattern, p) && tryEncodeDate(p.year, p.month, p.day, date);
}

std::string formatTimeText(double time, const std::string& pattern) {
    TLocalDateTime parts;
    int msec = 0;
    decodeTime(time, parts.hour, parts.minute, parts.second, msec);
    return formatDateTime(pattern, parts);
}

bool parseTimeText(const std::string& text, const std::string& pattern, double& time) {
    Parts p;
    return parseParts(text, pattern, p) && tryEncodeTime(p.hour, p.minute, p.second, 0, time);
}

std::string withFullYear(const std::string& datePattern) {
    std::string out;
    for (const auto& t : tokenize(datePattern)) {
        if (t.code == 0) {
            const bool letters = t.literal.find_first_of("dMyHhmsAa") != std::string::npos;
            out += letters ? "'" + t.literal + "'" : t.literal;
        } else if (t.code == 'A')
            out += "AP";
        else if (t.code == 'y')
            out += "yyyy";
        else
            out += std::string(static_cast<std::size_t>(t.run), t.code);
    }
    return out;
}
