#include "core/TextUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/Errors.h"
#include "core/LocaleFormat.h"

std::pair<std::string, std::string> splitHead(const std::string& text, char separator) {
    const size_t at = text.find(separator);
    if (at == std::string::npos) return {text, std::string()};
    return {text.substr(0, at), text.substr(at + 1)};
}

std::string trimLeftBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string trimRightBlanks(const std::string& text) {
    const size_t last = text.find_last_not_of(' ');
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when `text` is exactly: [sign] (digits [. [digits]] | . digits) [(e|E) [sign] digits].
bool isDecimalSyntax(const std::string& text) {
    size_t i = 0;
    const size_t n = text.size();
    if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = 0;
    while (i < n && isDigit(text[i]))
        ++i, ++digits;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
        size_t exponentDigits = 0;
        while (i < n && isDigit(text[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == n;
}

}  // namespace

bool isDecimalDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::optional<double> tryParsePlainDecimal(const std::string& text) {
    if (!isDecimalSyntax(text)) return std::nullopt;
    // from_chars takes no "+" and never depends on the C locale.
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (*first == '+') ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    // Out of range ("1e999", "1e-999") is not a number we can hold.
    if (error != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::optional<double> tryParseReal(const std::string& text) {
    std::string s = text;
    const size_t comma = s.find(',');
    if (comma != std::string::npos) s[comma] = '.';
    return tryParsePlainDecimal(s);
}

double parseReal(const std::string& text) {
    return tryParseReal(text).value_or(0.0);
}

std::optional<int32_t> tryParseInteger(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return std::nullopt;
    const size_t n = text.size();
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    int64_t magnitude = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        int digit;
        if (isDigit(c)) {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return std::nullopt;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t{1} << 31) return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return static_cast<int32_t>(value);
}

int32_t parseIntegerOrThrow(const std::string& text) {
    const std::optional<int32_t> value = tryParseInteger(text);
    if (!value) throw EConvertError("'" + text + "' is not a valid integer value");
    return *value;
}

std::string padLeft(const std::string& text, int width) {
    if (width <= 0 || static_cast<int>(text.size()) >= width) return text;
    return std::string(width - text.size(), ' ') + text;
}

std::string collapseBlanks(const std::string& text) {
    std::string tidy;
    for (char c : text) {
        if (c == ' ' && (tidy.empty() || tidy.back() == ' ')) continue;
        tidy += c;
    }
    if (!tidy.empty() && tidy.back() == ' ') tidy.pop_back();
    return tidy;
}

std::string shellWord(const std::string& arg) {
    bool plain = !arg.empty();
    for (unsigned char c : arg) {
        const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') ||
                          std::string("_./:=,+-@%").find(static_cast<char>(c)) != std::string::npos;
        plain = plain && safe;
    }
    if (plain) return arg;
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {

// `x` in fixed point with "." and no grouping, rounded half away from zero as users expect
// (0.125 with two decimals is 0.13); "NAN", "INF" and "-INF" for the special values.
std::string fixedPoint(int decimals, double x) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    // 25 further digits decide the rounding; a value within 1e-25 of a tie counts as the tie.
    constexpr int kGuardDigits = 25;
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(x),
                                            std::chars_format::fixed, decimals + kGuardDigits);
    if (error != std::errc()) return "NAN";
    const std::string digits(buffer, end);
    const size_t point = digits.find('.');
    std::string kept = digits.substr(0, decimals == 0 ? point : point + 1 + decimals);
    if (digits[point + 1 + decimals] >= '5') {
        int k = static_cast<int>(kept.size()) - 1;
        for (; k >= 0; --k) {
            if (kept[k] == '.') continue;
            if (kept[k] == '9') {
                kept[k] = '0';
                continue;
            }
            ++kept[k];
            break;
        }
        if (k < 0) kept.insert(kept.begin(), '1');
    }
    // A value that rounds to zero is written without a minus sign.
    const bool zero = kept.find_first_not_of("0.") == std::string::npos;
    return x < 0 && !zero ? "-" + kept : kept;
}

}  // namespace

std::string realToText(int width, int decimals, double x) {
    return padLeft(fixedPoint(decimals, x), width);
}

std::string formatNumber(int width, int decimals, double x) {
    const std::string plain = fixedPoint(decimals, x);
    if (!std::isfinite(x)) return padLeft(plain, width);
    const TLocaleFormat& locale = localeFormat();
    const bool negative = plain[0] == '-';
    const size_t start = negative ? 1 : 0;
    const size_t point = plain.find('.');
    const std::string integerPart =
        plain.substr(start, (point == std::string::npos ? plain.size() : point) - start);
    std::string grouped;
    for (size_t k = 0; k < integerPart.size(); ++k) {
        if (k > 0 && (integerPart.size() - k) % 3 == 0 && locale.thousandSeparator != 0) {
            grouped += locale.thousandSeparator;
        }
        grouped += integerPart[k];
    }
    std::string text = negative ? "-" + grouped : grouped;
    if (point != std::string::npos) text += locale.decimalSeparator + plain.substr(point + 1);
    return padLeft(text, width);
}

std::string joinCommaText(const std::vector<std::string>& items) {
    if (items.size() == 1 && items[0].empty()) return "\"\"";
    std::string result;
    for (size_t k = 0; k < items.size(); ++k) {
        if (k > 0) result += ',';
        const std::string& item = items[k];
        bool quote = false;
        for (char c : item) {
            const unsigned char u = static_cast<unsigned char>(c);
            if (u <= ' ' || c == '"' || c == ',') {
                quote = true;
                break;
            }
        }
        if (!quote) {
            result += item;
            continue;
        }
        result += '"';
        for (char c : item) {
            if (c == '"') result += '"';
            result += c;
        }
        result += '"';
    }
    return result;
}

void splitCommaText(const std::string& text, std::vector<std::string>& items, size_t maxItems) {
    items.clear();
    const size_t n = text.size();
    auto isSpace = [&](size_t i) { return static_cast<unsigned char>(text[i]) <= ' '; };
    size_t i = 0;
    while (i < n && isSpace(i))
        ++i;
    while (i < n && items.size() < maxItems) {
        std::string value;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        value += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
        } else {
            const size_t start = i;
            while (i < n && !isSpace(i) && text[i] != ',')
                ++i;
            value = text.substr(start, i - start);
        }
        items.push_back(std::move(value));
        while (i < n && isSpace(i))
            ++i;
        if (i < n && text[i] == ',') {
            // A "," at the very end adds a final empty value.
            if (i + 1 == n && items.size() < maxItems) items.emplace_back();
            do {
                ++i;
            } while (i < n && isSpace(i));
        }
    }
}
