#include "table/TxFieldTypes.h"

#include <cmath>
#include <cstring>

#include "table/ExDataSetError.h"

const std::array<const char*, kFieldTypeCount> FieldTypeNames = {
    "Byte",     "Smallint", "Integer", "Word",    "Real48", "Single", "Double", "Extended",
    "Currency", "Char",     "String",  "Boolean", "Date",   "Time",   "PkDate"};

int fieldTypeByName(const std::string& name) {
    for (int code = 0; code < kFieldTypeCount; ++code) {
        if (name == FieldTypeNames[code]) return code;
    }
    return -1;
}

TxPresentedType presentedType(TxFieldType type) {
    switch (type) {
        case xftByte:
        case xftSmallint:
            return TxPresentedType::Smallint;
        case xftInteger:
            return TxPresentedType::Integer;
        case xftWord:
            return TxPresentedType::Word;
        case xftReal48:
        case xftSingle:
        case xftDouble:
        case xftExtended:
            return TxPresentedType::Float;
        case xftCurrency:
            return TxPresentedType::Currency;
        case xftChar:
        case xftString:
            return TxPresentedType::String;
        case xftBoolean:
            return TxPresentedType::Boolean;
        case xftDate:
        case xftPkDate:
            return TxPresentedType::Date;
        case xftTime:
            return TxPresentedType::Time;
    }
    return TxPresentedType::Integer;
}

int fieldByteCount(TxFieldType type, int length) {
    static constexpr int kBytes[kFieldTypeCount] = {1, 2, 4, 2, 6, 4, 8, 10, 8, 1, 0, 1, 4, 4, 3};
    return type == xftString ? length + 1 : kBytes[type];
}

// --- Real48 and extended ----------------------------------------------------------------------

double real48ToDouble(const std::uint8_t* b) {
    if (b[0] == 0) return 0.0;
    std::uint64_t fraction = static_cast<std::uint64_t>(b[5] & 0x7F) << 32;
    for (int k = 1; k <= 4; ++k)
        fraction |= static_cast<std::uint64_t>(b[k]) << (8 * (k - 1));
    const double magnitude = std::ldexp(1.0 + std::ldexp(static_cast<double>(fraction), -39),
                                        static_cast<int>(b[0]) - 129);
    return (b[5] & 0x80) ? -magnitude : magnitude;
}

void doubleToReal48(double value, std::uint8_t* b) {
    std::memset(b, 0, 6);
    if (value == 0.0) return;
    if (!std::isfinite(value)) throw ExDataSetError("Floating point overflow");
    int exponent = 0;
    const double m = std::frexp(std::fabs(value), &exponent);  // |value| = m * 2^exponent
    // 1.fraction * 2^(e - 129) with 1.fraction = 2m.
    auto fraction = static_cast<std::uint64_t>(std::llround(std::ldexp(2.0 * m - 1.0, 39)));
    int e = exponent + 128;
    if (fraction == (std::uint64_t{1} << 39)) {
        fraction = 0;
        ++e;
    }
    if (e <= 0) return;  // below the smallest Real48: zero
    if (e > 255) throw ExDataSetError("Floating point overflow");
    b[0] = static_cast<std::uint8_t>(e);
    for (int k = 1; k <= 4; ++k)
        b[k] = static_cast<std::uint8_t>(fraction >> (8 * (k - 1)));
    b[5] = static_cast<std::uint8_t>((fraction >> 32) & 0x7F);
    if (value < 0) b[5] |= 0x80;
}

double extendedToDouble(const std::uint8_t* b) {
    std::uint64_t mantissa = 0;
    for (int k = 0; k < 8; ++k)
        mantissa |= static_cast<std::uint64_t>(b[k]) << (8 * k);
    const int signExp = b[8] | (b[9] << 8);
    const bool negative = (signExp & 0x8000) != 0;
    const int exponent = signExp & 0x7FFF;
    double magnitude;
    if (exponent == 0x7FFF) {
        magnitude = (mantissa << 1) == 0 ? INFINITY : NAN;
    } else if (mantissa == 0) {
        magnitude = 0.0;
    } else {
        // Denormals (exponent 0) use the exponent of the smallest normal number.
        const int e = (exponent == 0 ? 1 : exponent) - 16383 - 63;
        magnitude = std::ldexp(static_cast<double>(mantissa), e);
    }
    return negative ? -magnitude : magnitude;
}

void doubleToExtended(double value, std::uint8_t* b) {
    std::uint64_t mantissa = 0;
    int exponent = 0;
    if (std::isnan(value)) {
        mantissa = 0xC000000000000000ull;
        exponent = 0x7FFF;
    } else if (std::isinf(value)) {
        mantissa = 0x8000000000000000ull;
        exponent = 0x7FFF;
    } else if (value != 0.0) {
        int e = 0;
        const double m = std::frexp(std::fabs(value), &e);  // exact: 53 bits fit in 64
        mantissa = static_cast<std::uint64_t>(std::ldexp(m, 64));
        exponent = e - 1 + 16383;
    }
    for (int k = 0; k < 8; ++k)
        b[k] = static_cast<std::uint8_t>(mantissa >> (8 * k));
    const int signExp = exponent | (std::signbit(value) ? 0x8000 : 0);
    b[8] = static_cast<std::uint8_t>(signExp & 0xFF);
    b[9] = static_cast<std::uint8_t>(signExp >> 8);
}

// --- Dates ------------------------------------------------------------------------------------

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

constexpr std::int64_t kUnixDayNumber = 719163;  // day number of 1970-01-01

}  // namespace

bool isLeapYear(int year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool tryEncodeDate(int year, int month, int day, double& value) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month))
        return false;
    value = static_cast<double>(daysFromCivil(year, month, day) + kUnixDayNumber - kDateDelta);
    return true;
}

bool dateToDayNumber(double value, std::int32_t& dayNumber) {
    if (!std::isfinite(value)) return false;
    const double whole = std::trunc(value) + kDateDelta;
    if (whole < 1 || whole > kMaxDayNumber) return false;
    dayNumber = static_cast<std::int32_t>(whole);
    return true;
}

double dayNumberToDate(std::int32_t dayNumber) {
    return static_cast<double>(dayNumber) - kDateDelta;
}

bool decodeDate(double value, int& year, int& month, int& day) {
    year = month = day = 0;
    std::int32_t dayNumber = 0;
    if (!dateToDayNumber(value, dayNumber)) return false;
    civilFromDays(dayNumber - kUnixDayNumber, year, month, day);
    return true;
}

bool timeToMSecs(double value, std::uint32_t& msecs) {
    if (!std::isfinite(value)) return false;
    const double fraction = std::fabs(value - std::trunc(value));
    const auto ms = static_cast<std::uint32_t>(std::llround(fraction * kMSecsPerDay));
    msecs = ms >= kMSecsPerDay ? 0 : ms;
    return true;
}

double msecsToTime(std::uint32_t msecs) {
    return static_cast<double>(msecs) / kMSecsPerDay;
}

bool tryEncodeTime(int hour, int minute, int second, int msec, double& value) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
        msec < 0 || msec > 999)
        return false;
    value =
        msecsToTime(static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 + msec));
    return true;
}

void decodeTime(double value, int& hour, int& minute, int& second, int& msec) {
    std::uint32_t ms = 0;
    timeToMSecs(value, ms);
    msec = static_cast<int>(ms % 1000);
    second = static_cast<int>(ms / 1000 % 60);
    minute = static_cast<int>(ms / 60000 % 60);
    hour = static_cast<int>(ms / 3600000);
}

void EncodePackedDate(double date, std::uint8_t* bytes) {
    bytes[0] = bytes[1] = bytes[2] = 0;
    if (date == 0.0) return;
    int year = 0, month = 0, day = 0;
    if (!decodeDate(date, year, month, day)) return;
    int dayOfYear = day;
    for (int m = 1; m < month; ++m)
        dayOfYear += daysInMonth(year, m);
    const int word = year * 2 + dayOfYear / 256;
    bytes[0] = static_cast<std::uint8_t>(word & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(word >> 8);
    bytes[2] = static_cast<std::uint8_t>(dayOfYear % 256);
}

double DecodePackedDate(const std::uint8_t* bytes) {
    const auto word = static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
    if (word == 0) return 0.0;
    const int year = word / 2;
    int dayOfYear = (word % 2) * 256 + bytes[2];
    if (year == 0) return 0.0;
    int month = 1;
    while (month <= 12 && dayOfYear > daysInMonth(year, month)) {
        dayOfYear -= daysInMonth(year, month);
        ++month;
    }
    double value = 0.0;
    return tryEncodeDate(year, month, dayOfYear, value) ? value : 0.0;
}
