#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A field value as field access, the key search and views exchange it: null, an integer, a floating
// value, a currency value (a count of ten-thousandths), a string (Windows-1250), a boolean, a date
// value (days from 1899-12-30 with the time as fraction) or an array of values (key search).
class TxValue {
  public:
    enum class Kind { Null, Integer, Float, Currency, String, Boolean, DateTime, Array };

    TxValue() = default;
    TxValue(int value) : m_kind(Kind::Integer), m_int(value) {}
    TxValue(std::int64_t value) : m_kind(Kind::Integer), m_int(value) {}
    TxValue(double value) : m_kind(Kind::Float), m_float(value) {}
    TxValue(bool value) : m_kind(Kind::Boolean), m_int(value ? 1 : 0) {}
    TxValue(const char* text) : m_kind(Kind::String), m_string(text) {}
    TxValue(std::string text) : m_kind(Kind::String), m_string(std::move(text)) {}
    TxValue(std::vector<TxValue> elements) : m_kind(Kind::Array), m_elements(std::move(elements)) {}

    static TxValue currency(std::int64_t tenThousandths);
    static TxValue dateTime(double value);

    Kind kind() const { return m_kind; }
    bool isNull() const { return m_kind == Kind::Null; }
    bool isArray() const { return m_kind == Kind::Array; }
    const std::vector<TxValue>& elements() const { return m_elements; }

    // Conversions. Null gives 0, 0.0, "" and false. Throws ExDataSetError for a text that is not a
    // number, date or boolean, an array, and a floating value beyond the integer range.
    std::int64_t toInteger() const;
    double toFloat() const;
    // Integers as decimal text, floating values in the general format with the user's decimal
    // separator, currency as a decimal number, booleans "True"/"False", date values as the user's
    // short date (and long time when there is a time of day).
    std::string toString() const;
    bool toBoolean() const;
    double toDateTime() const;
    // The count of ten-thousandths (integers and floating values are scaled, rounded).
    std::int64_t toCurrency() const;

    bool operator==(const TxValue& other) const;

  private:
    Kind m_kind = Kind::Null;
    std::int64_t m_int = 0;  // Integer, Currency, Boolean
    double m_float = 0.0;    // Float, DateTime
    std::string m_string;
    std::vector<TxValue> m_elements;
};
