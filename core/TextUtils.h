#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Text utilities shared by the reader, the set builder, the reports and the windows. All texts
// are Windows-1250 bytes.

// The text before the first `separator` and the text after it; (text, "") when it does not occur.
std::pair<std::string, std::string> splitHead(const std::string& text, char separator);

// `text` without its leading blanks (the blank character only, not tabs).
std::string trimLeftBlanks(const std::string& text);

// `text` without its trailing blanks (the blank character only, not tabs).
std::string trimRightBlanks(const std::string& text);

// The number in `text`: the first "," is read as ".", then the whole text must be a decimal
// number with optional sign, fraction and exponent. Anything else ("", "abc", "nan", "inf",
// "0x10", hexadecimal floats, a number out of range such as "1e999") gives 0.
double parseReal(const std::string& text);

// Like parseReal, but tells a text that is not a number (no value) from one that is 0.
std::optional<double> tryParseReal(const std::string& text);

// Like tryParseReal without the "," rule: a plain decimal number with "." as its only separator,
// as typed into the settings.
std::optional<double> tryParsePlainDecimal(const std::string& text);

// Whether `text` is one or more decimal digits and nothing else (no sign, no blanks).
bool isDecimalDigits(std::string_view text);

// The signed 32-bit integer in `text` as a whole: leading blanks and a sign allowed; "$", "x",
// "X", "0x" or "0X" introduce hexadecimal digits. None for anything else, overflow included.
std::optional<int32_t> tryParseInteger(const std::string& text);

// tryParseInteger, throwing EConvertError "'text' is not a valid integer value" on failure.
int32_t parseIntegerOrThrow(const std::string& text);

// `x` in fixed point with `decimals` decimals, the locale's thousands and decimal separators,
// padded on the left with blanks to `width`.
std::string formatNumber(int width, int decimals, double x);

// `x` in plain fixed point with `decimals` decimals and "." as separator, padded on the left with
// blanks to `width`.
std::string realToText(int width, int decimals, double x);

// `text` padded on the left with blanks to `width` (never cut).
std::string padLeft(const std::string& text, int width);

// `text` with every run of blanks as one blank and none at either end.
std::string collapseBlanks(const std::string& text);

// `arg` as one word of a POSIX shell: as it is when it holds only characters the shell takes
// literally, else in single quotes.
std::string shellWord(const std::string& arg);

// The comma-text form of a list: texts joined by ","; a text holding a blank, a control
// character, a comma or a double quote is quoted with its quotes doubled. A list of one empty
// text gives two double quotes.
std::string joinCommaText(const std::vector<std::string>& items);

// Splits a comma text into `items` (cleared first); the inverse of joinCommaText. Blanks and
// control characters before a value are skipped, a quoted value runs to its closing quote, any
// other value to the next blank, control character or ",". Stops after `maxItems` values.
void splitCommaText(const std::string& text, std::vector<std::string>& items,
                    size_t maxItems = SIZE_MAX);
