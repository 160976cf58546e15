#pragma once

#include <cstdint>
#include <optional>
#include <string>

class TBaza;

// The one way the readable filter reads a record's value, so that where the texts of the
// records come from can change behind it. Field and record indexes count from 0; every function
// requires 0 <= record < RecordCount and 0 <= field < FieldCount. Not thread-safe: the table
// caches the record whose texts it split last. The table must outlive this object.
class TRecordValues {
  public:
    explicit TRecordValues(const TBaza& data) : m_data(data) {}

    // The value code stored at load time.
    int code(int record, int field) const;
    // Whether the code is one of the field's unknown codes.
    bool unknownCode(int field, int code) const;
    // The value's text, upper-cased (Windows-1250); "" when the record has none.
    std::string text(int record, int field) const;
    // The number in an INT, REAL or CURRENCY value ("," or "." as decimal separator); none for
    // an empty text, a text that is no number and an unknown code.
    std::optional<double> number(int record, int field) const;
    // The day number of a DATE value (FilterDate.h); none when the text is no date.
    std::optional<int32_t> date(int record, int field) const;

  private:
    const TBaza& m_data;
};
