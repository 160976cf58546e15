#include "table/TxValue.h"

#include <cmath>

#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "table/ExDataSetError.h"
#include "table/TxValueText.h"

namespace {

std::int64_t floatToInteger(double value) {
    const double rounded = std::round(value);
    if (!(rounded >= -9.2233720368547758e18 && rounded < 9.2233720368547758e18))
        throw ExDataSetError("'" + formatFloat(value, localeFormat().decimalSeparator) +
                             "' is not a valid integer value");
    return static_cast<std::int64_t>(rounded);
}

[[noreturn]] void arrayError() {
    throw ExDataSetError("Variant array cannot be converted");
}

}  // namespace

TxValue TxValue::currency(std::int64_t tenThousandths) {
    TxValue v;
    v.m_kind = Kind::Currency;
    v.m_int = tenThousandths;
    return v;
}

TxValue TxValue::dateTime(double value) {
    TxValue v;
    v.m_kind = Kind::DateTime;
    v.m_float = value;
    return v;
}

std::int64_t TxValue::toInteger() const {
    switch (m_kind) {
        case Kind::Null:
            return 0;
        case Kind::Integer:
        case Kind::Boolean:
            return m_int;
        case Kind::Currency:
            return floatToInteger(static_cast<double>(m_int) / 10000.0);
        case Kind::Float:
        case Kind::DateTime:
            return floatToInteger(m_float);
        case Kind::String: {
            const auto value = tryParseInteger(m_string);
            if (!value) throw ExDataSetError("'" + m_string + "' is not a valid integer value");
            return *value;
        }
        case Kind::Array:
            arrayError();
    }
    return 0;
}

double TxValue::toFloat() const {
    switch (m_kind) {
        case Kind::Null:
            return 0.0;
        case Kind::Integer:
        case Kind::Boolean:
            return static_cast<double>(m_int);
        case Kind::Currency:
            return static_cast<double>(m_int) / 10000.0;
        case Kind::Float:
        case Kind::DateTime:
            return m_float;
        case Kind::String: {
            double value = 0.0;
            if (!parseFloat(m_string, localeFormat().decimalSeparator, value))
                throw ExDataSetError("'" + m_string + "' is not a valid floating point value");
            return value;
        }
        case Kind::Array:
            arrayError();
    }
    return 0.0;
}

std::int64_t TxValue::toCurrency() const {
    switch (m_kind) {
        case Kind::Currency:
            return m_int;
        case Kind::Integer:
        case Kind::Boolean:
            return m_int * 10000;
        case Kind::String: {
            std::int64_t value = 0;
            if (!parseCurrency(m_string, localeFormat().decimalSeparator, value))
                throw ExDataSetError("'" + m_string + "' is not a valid floating point value");
            return value;
        }
        default:
            return floatToInteger(toFloat() * 10000.0);
    }
}

std::string TxValue::toString() const {
    const TLocaleFormat& locale = localeFormat();
    switch (m_kind) {
        case Kind::Null:
            return {};
        case Kind::Integer:
            return std::to_string(m_int);
        case Kind::Float:
            return formatFloat(m_float, locale.decimalSeparator);
        case Kind::Currency:
            return formatCurrency(m_int, locale.decimalSeparator);
        case Kind::String:
            return m_string;
        case Kind::Boolean:
            return m_int ? "True" : "False";
        case Kind::DateTime: {
            std::string text = formatDateText(m_float, locale.shortDateFormat);
            if (m_float != std::trunc(m_float)) {
                if (!text.empty()) text += ' ';
                text += formatTimeText(m_float, locale.longTimeFormat);
            }
            return text;
        }
        case Kind::Array:
            arrayError();
    }
    return {};
}

bool TxValue::toBoolean() const {
    switch (m_kind) {
        case Kind::Null:
            return false;
        case Kind::String: {
            const std::string upper = upperCase1250(m_string);
            if (upper == "TRUE") return true;
            if (upper == "FALSE") return false;
            throw ExDataSetError("'" + m_string + "' is not a valid boolean value");
        }
        case Kind::Array:
            arrayError();
        default:
            return toFloat() != 0.0;
    }
}

double TxValue::toDateTime() const {
    if (m_kind != Kind::String) return toFloat();
    const TLocaleFormat& locale = localeFormat();
    double date = 0.0, time = 0.0;
    if (parseDateText(m_string, locale.shortDateFormat, date)) return date;
    if (parseTimeText(m_string, locale.longTimeFormat, time)) return time;
    const auto blank = m_string.find(' ');
    if (blank != std::string::npos &&
        parseDateText(m_string.substr(0, blank), locale.shortDateFormat, date) &&
        parseTimeText(m_string.substr(blank + 1), locale.longTimeFormat, time))
        return date < 0 ? date - time : date + time;
    throw ExDataSetError("'" + m_string + "' is not a valid date and time");
}

bool TxValue::operator==(const TxValue& other) const {
    return m_kind == other.m_kind && m_int == other.m_int &&
           (m_float == other.m_float || (std::isnan(m_float) && std::isnan(other.m_float))) &&
           m_string == other.m_string && m_elements == other.m_elements;
}
