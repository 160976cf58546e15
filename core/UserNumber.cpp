#include "core/UserNumber.h"

#include "core/LocaleFormat.h"
#include "core/TextUtils.h"

std::optional<double> parseUserDecimal(const std::string& text) {
    if (std::optional<double> value = tryParsePlainDecimal(text)) return value;
    const char separator = localeFormat().decimalSeparator;
    if (separator == '.' || text.find('.') != std::string::npos) return std::nullopt;
    const size_t at = text.find(separator);
    if (at == std::string::npos || text.find(separator, at + 1) != std::string::npos)
        return std::nullopt;
    std::string plain = text;
    plain[at] = '.';
    return tryParsePlainDecimal(plain);
}
