#pragma once

#include <optional>
#include <string>

// A number typed by the user: a plain decimal number (optional sign, digits, a point, optional
// exponent), or the same written with the locale's decimal separator instead of the point
// ("0,5" where the comma is the decimal separator). Nothing else
// counts: no blanks, no thousands separators, and "nan", "inf" and numbers beyond a double are
// refused.
std::optional<double> parseUserDecimal(const std::string& text);
