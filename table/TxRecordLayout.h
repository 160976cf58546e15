#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/CodePage.h"
#include "table/TxFieldTypes.h"
#include "table/TxValue.h"

// Data fields lie in the record; calculated fields lie in the calculated area of the record buffer
// (one presence byte followed by the value) and are computed by OnCalcFields at every fetch.
enum class TxFieldKind { Data, Calculated };

// One defined field.
struct TxField {
    std::string name;
    TxFieldType type = xftInteger;
    int size = 0;    // the declared length for "String", 1 for "Char", else the byte count
    int offset = 0;  // data: first byte in the record; calculated: the presence byte in the buffer
    TxFieldKind kind = TxFieldKind::Data;
    int fieldNo = 0;  // 1-based position among all fields

    // The bytes of the value (without a presence byte).
    int byteCount() const { return fieldByteCount(type, size); }
    bool calculated() const { return kind == TxFieldKind::Calculated; }
};

// A field definition as the field layer sees it: name, presented type and length, not required.
struct TxFieldDef {
    std::string name;
    TxPresentedType dataType = TxPresentedType::Integer;
    int size = 0;  // the length of "String", 1 for "Char", else 0
    bool required = false;
    int fieldNo = 0;
};

// A calculated field declared on a closed table; it lives across opens.
struct TxCalcFieldDef {
    std::string name;
    int type = xftInteger;
    int length = 0;
};

// The tail of every record buffer: where the record lies in the record list.
enum TxBookmarkFlag : std::uint8_t { bfCurrent = 0, bfBOF = 1, bfEOF = 2, bfInserted = 3 };

struct TxBookmarkInfo {
    std::int32_t bookmark = -1;  // the record's 0-based index in the record list
    std::int32_t index = -1;     // the record's 0-based index
    TxBookmarkFlag flag = bfCurrent;
};

inline constexpr int kBookmarkInfoSize = 12;
inline constexpr int kMaxRecordSize = 65535;

// The fields of a table and the layout of its records and record buffers:
// [record: RecordSize bytes][calculated area][BookmarkInfo: 12 bytes].
class TxRecordLayout {
  public:
    // Removes all fields.
    void clear();
    // Appends a data field at the end of the record.
    // Throws ExDataSetError: "Field length must not be zero" ("String" with length 0), "Field
    // length must be zero" (another type with a non-zero length), "Field length must be 1..255",
    // "Invalid field type code N", "Field name must not be empty", "Duplicate field name 'X'",
    // "Record size must not exceed 65535 bytes".
    // Requires: no calculated field placed yet.
    void addField(const std::string& name, int type, int length);
    // Places calculated fields behind the record, with the same checks as addField.
    void placeCalcFields(const std::vector<TxCalcFieldDef>& defs);

    const std::vector<TxField>& fields() const { return m_fields; }
    int dataFieldCount() const { return m_dataFieldCount; }
    int recordSize() const { return m_recordSize; }
    int calcAreaSize() const { return m_calcAreaSize; }
    int bookmarkInfoOffset() const { return m_recordSize + m_calcAreaSize; }
    int bufferSize() const { return bookmarkInfoOffset() + kBookmarkInfoSize; }

    // The index of the field with the name compared without regard to case, or -1.
    int indexOf(const std::string& name) const;
    // The index of the field with exactly that name, or -1.
    int indexOfExact(const std::string& name) const;
    // The definitions of the data fields.
    std::vector<TxFieldDef> fieldDefs() const;

  private:
    void checkNewField(const std::string& name, int type, int length) const;

    std::vector<TxField> m_fields;
    int m_dataFieldCount = 0;
    int m_recordSize = 0;
    int m_calcAreaSize = 0;
};

// Field values in a record buffer, with the conversion between the stored code page `in` and the
// presented code page `out` for "Char" and "String".

// The value of the field: never null except a "String" of length 0 and an absent calculated value.
TxValue readFieldValue(const TxField& field, const std::uint8_t* buffer, CodePageId in,
                       CodePageId out);
// Stores `value` (null zero-fills the bytes; a calculated field gets its presence byte).
// Throws ExDataSetError when the value cannot be converted or lies outside the presented range.
void writeFieldValue(const TxField& field, std::uint8_t* buffer, const TxValue& value,
                     CodePageId in, CodePageId out);

TxBookmarkInfo readBookmarkInfo(const TxRecordLayout& layout, const std::uint8_t* buffer);
void writeBookmarkInfo(const TxRecordLayout& layout, std::uint8_t* buffer,
                       const TxBookmarkInfo& info);
