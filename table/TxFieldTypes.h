#pragma once

#include <array>
#include <cstdint>
#include <string>

// The fifteen storage types of a result table field, by type code.
enum TxFieldType : std::uint8_t {
    xftByte = 0,
    xftSmallint = 1,
    xftInteger = 2,
    xftWord = 3,
    xftReal48 = 4,
    xftSingle = 5,
    xftDouble = 6,
    xftExtended = 7,
    xftCurrency = 8,
    xftChar = 9,
    xftString = 10,
    xftBoolean = 11,
    xftDate = 12,
    xftTime = 13,
    xftPkDate = 14,
};

inline constexpr int kFieldTypeCount = 15;

// The names of the storage types as table files use them ("Byte" .. "PkDate").
extern const std::array<const char*, kFieldTypeCount> FieldTypeNames;

// The type code whose name equals `name` exactly, or -1.
int fieldTypeByName(const std::string& name);

// How a field presents its value to users of the field.
enum class TxPresentedType {
    Smallint,
    Integer,
    Word,
    Float,
    Currency,
    String,
    Boolean,
    Date,
    Time
};

// The presented type of a storage type.
TxPresentedType presentedType(TxFieldType type);

// The bytes a field of the type takes in the record; `length` matters only for "String"
// (length + 1 bytes).
int fieldByteCount(TxFieldType type, int length);

// --- Stored forms ---------------------------------------------------------------------------

// Real48: byte 0 the exponent with bias 129 (0 = the value zero), bytes 1..5 a 39-bit fraction with
// the sign in the top bit of byte 5.
double real48ToDouble(const std::uint8_t* bytes);
// Stores `value` rounded to the nearest Real48; values too small become zero.
// Throws ExDataSetError("Floating point overflow") for values beyond the format and for NaN.
void doubleToReal48(double value, std::uint8_t* bytes);

// The 80-bit extended format: 64-bit significand with explicit integer bit, then 15-bit exponent
// (bias 16383) and sign, little-endian.
double extendedToDouble(const std::uint8_t* bytes);
void doubleToExtended(double value, std::uint8_t* bytes);

// --- Dates ------------------------------------------------------------------------------------
// Date values are serial numbers counting days from 1899-12-30 (value 0) with the time of day as
// the fraction. "Date" fields store a day number in which 0001-01-01 is day 1.

inline constexpr std::int32_t kDateDelta = 693594;      // day number of 1899-12-30
inline constexpr std::int32_t kMaxDayNumber = 3652059;  // 9999-12-31
inline constexpr std::uint32_t kMSecsPerDay = 86400000;

bool isLeapYear(int year);
// Requires: 1 <= month <= 12.
int daysInMonth(int year, int month);

// The date value of a valid calendar date (years 1..9999), or false.
bool tryEncodeDate(int year, int month, int day, double& value);
// The calendar date of a date value (its whole days). Returns false for values outside years
// 1..9999 (and NaN), leaving the outputs 0.
bool decodeDate(double value, int& year, int& month, int& day);

// The day number of the whole days of a date value (truncated towards zero).
// Returns false when the day lies outside 0001-01-01..9999-12-31 or the value is not finite.
bool dateToDayNumber(double value, std::int32_t& dayNumber);
double dayNumberToDate(std::int32_t dayNumber);

// Milliseconds since midnight of the fraction of a date value (rounded; a fraction that rounds up
// to a whole day gives 0). Returns false for values that are not finite.
bool timeToMSecs(double value, std::uint32_t& msecs);
double msecsToTime(std::uint32_t msecs);

// The date value of hours, minutes, seconds and milliseconds, or false when one is out of range.
bool tryEncodeTime(int hour, int minute, int second, int msec, double& value);
// Hours, minutes, seconds and milliseconds of the fraction of a date value.
void decodeTime(double value, int& hour, int& minute, int& second, int& msec);

// PackedDate, 3 bytes: a little-endian word year * 2 + (day of year div 256), then the byte
// day of year mod 256. Three zero bytes stand for the date value 0.
void EncodePackedDate(double date, std::uint8_t* bytes);
double DecodePackedDate(const std::uint8_t* bytes);
