#include "table/TxRecordLayout.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "core/Win1250.h"
#include "table/ExDataSetError.h"

namespace {

template <typename T>
T load(const std::uint8_t* p) {
    T value;
    std::memcpy(&value, p, sizeof value);  // little-endian host
    return value;
}

template <typename T>
void store(std::uint8_t* p, T value) {
    std::memcpy(p, &value, sizeof value);
}

std::int64_t checkedInteger(const TxField& field, const TxValue& value, std::int64_t low,
                            std::int64_t high) {
    const std::int64_t v = value.toInteger();
    if (v < low || v > high)
        throw ExDataSetError(std::to_string(v) + " is not a valid value for field '" + field.name +
                             "'. The allowed range is " + std::to_string(low) + " to " +
                             std::to_string(high));
    return v;
}

}  // namespace

void TxRecordLayout::clear() {
    *this = TxRecordLayout();
}

void TxRecordLayout::checkNewField(const std::string& name, int type, int length) const {
    if (type < 0 || type >= kFieldTypeCount)
        throw ExDataSetError("Invalid field type code " + std::to_string(type));
    if (type == xftString && length == 0) throw ExDataSetError("Field length must not be zero");
    if (type != xftString && length != 0) throw ExDataSetError("Field length must be zero");
    if (type == xftString && (length < 1 || length > 255))
        throw ExDataSetError("Field length must be 1..255");
    if (name.empty()) throw ExDataSetError("Field name must not be empty");
    if (indexOf(name) >= 0) throw ExDataSetError("Duplicate field name '" + name + "'");
}

void TxRecordLayout::addField(const std::string& name, int type, int length) {
    checkNewField(name, type, length);
    const auto code = static_cast<TxFieldType>(type);
    const int bytes = fieldByteCount(code, length);
    if (m_recordSize + bytes > kMaxRecordSize)
        throw ExDataSetError("Record size must not exceed 65535 bytes");
    TxField field;
    field.name = name;
    field.type = code;
    field.size = code == xftString ? length : code == xftChar ? 1 : bytes;
    field.offset = m_recordSize;
    field.fieldNo = static_cast<int>(m_fields.size()) + 1;
    m_fields.push_back(field);
    ++m_dataFieldCount;
    m_recordSize += bytes;
}

void TxRecordLayout::placeCalcFields(const std::vector<TxCalcFieldDef>& defs) {
    for (const auto& def : defs) {
        checkNewField(def.name, def.type, def.length);
        const auto code = static_cast<TxFieldType>(def.type);
        const int bytes = fieldByteCount(code, def.length);
        TxField field;
        field.name = def.name;
        field.type = code;
        field.size = code == xftString ? def.length : code == xftChar ? 1 : bytes;
        field.offset = m_recordSize + m_calcAreaSize;
        field.kind = TxFieldKind::Calculated;
        field.fieldNo = static_cast<int>(m_fields.size()) + 1;
        m_fields.push_back(field);
        m_calcAreaSize += 1 + bytes;
    }
}

int TxRecordLayout::indexOf(const std::string& name) const {
    const std::string upper = upperCase1250(name);
    for (std::size_t k = 0; k < m_fields.size(); ++k) {
        if (upperCase1250(m_fields[k].name) == upper) return static_cast<int>(k);
    }
    return -1;
}

int TxRecordLayout::indexOfExact(const std::string& name) const {
    for (std::size_t k = 0; k < m_fields.size(); ++k) {
        if (m_fields[k].name == name) return static_cast<int>(k);
    }
    return -1;
}

std::vector<TxFieldDef> TxRecordLayout::fieldDefs() const {
    std::vector<TxFieldDef> defs;
    for (int k = 0; k < m_dataFieldCount; ++k) {
        const TxField& f = m_fields[k];
        defs.push_back({f.name, presentedType(f.type),
                        f.type == xftString || f.type == xftChar ? f.size : 0, false, f.fieldNo});
    }
    return defs;
}

TxValue readFieldValue(const TxField& field, const std::uint8_t* buffer, CodePageId in,
                       CodePageId out) {
    const std::uint8_t* p = buffer + field.offset;
    if (field.calculated()) {
        if (*p == 0) return {};
        ++p;
    }
    switch (field.type) {
        case xftByte:
            return TxValue(static_cast<int>(*p));
        case xftSmallint:
            return TxValue(static_cast<int>(load<std::int16_t>(p)));
        case xftInteger:
            return TxValue(static_cast<int>(load<std::int32_t>(p)));
        case xftWord:
            return TxValue(static_cast<int>(load<std::uint16_t>(p)));
        case xftReal48:
            return TxValue(real48ToDouble(p));
        case xftSingle:
            return TxValue(static_cast<double>(load<float>(p)));
        case xftDouble: {
            // A stored double without a presence byte keeps "no value" as a quiet NaN.
            const double d = load<double>(p);
            if (std::isnan(d)) return {};
            return TxValue(d);
        }
        case xftExtended:
            return TxValue(extendedToDouble(p));
        case xftCurrency:
            return TxValue::currency(load<std::int64_t>(p));
        case xftChar:
            if (*p == 0) return TxValue(std::string());
            return TxValue(std::string(1, static_cast<char>(ConvertChar(*p, in, out))));
        case xftString: {
            const int length = std::min<int>(*p, field.size);
            if (length == 0) return {};
            std::string text(reinterpret_cast<const char*>(p + 1),
                             static_cast<std::size_t>(length));
            return TxValue(in == out ? text : ConvertString(text, in, out));
        }
        case xftBoolean:
            return TxValue(*p != 0);
        case xftDate: {
            const std::int32_t day = load<std::int32_t>(p);
            return TxValue::dateTime(dayNumberToDate(day == 0 ? 1 : day));
        }
        case xftTime:
            return TxValue::dateTime(msecsToTime(load<std::uint32_t>(p)));
        case xftPkDate:
            return TxValue::dateTime(DecodePackedDate(p));
    }
    return {};
}

void writeFieldValue(const TxField& field, std::uint8_t* buffer, const TxValue& value,
                     CodePageId in, CodePageId out) {
    std::uint8_t* p = buffer + field.offset;
    const int bytes = field.byteCount();
    std::uint8_t* presence = field.calculated() ? p++ : nullptr;
    // Convert first, so that a failed conversion leaves the bytes as they were.
    std::uint8_t image[256] = {};
    if (!value.isNull()) {
        switch (field.type) {
            case xftByte:
                image[0] =
                    static_cast<std::uint8_t>(checkedInteger(field, value, -32768, 32767) & 0xFF);
                break;
            case xftSmallint:
                store(image,
                      static_cast<std::int16_t>(checkedInteger(field, value, -32768, 32767)));
                break;
            case xftInteger:
                store(image, static_cast<std::int32_t>(
                                 checkedInteger(field, value, INT32_MIN, INT32_MAX)));
                break;
            case xftWord:
                store(image, static_cast<std::uint16_t>(checkedInteger(field, value, 0, 65535)));
                break;
            case xftReal48:
                doubleToReal48(value.toFloat(), image);
                break;
            case xftSingle: {
                const double d = value.toFloat();
                if (d > FLT_MAX || d < -FLT_MAX) {
                    if (!std::isinf(d)) throw ExDataSetError("Floating point overflow");
                }
                store(image, static_cast<float>(d));
                break;
            }
            case xftDouble:
                store(image, value.toFloat());
                break;
            case xftExtended:
                doubleToExtended(value.toFloat(), image);
                break;
            case xftCurrency:
                store(image, value.toCurrency());
                break;
            case xftChar: {
                const std::string text = value.toString();
                image[0] =
                    text.empty() ? 0 : ConvertChar(static_cast<unsigned char>(text[0]), out, in);
                break;
            }
            case xftString: {
                std::string text = value.toString();
                if (static_cast<int>(text.size()) > field.size)
                    text.resize(static_cast<std::size_t>(field.size));
                if (in != out) text = ConvertString(text, out, in);
                image[0] = static_cast<std::uint8_t>(text.size());
                std::memcpy(image + 1, text.data(), text.size());
                break;
            }
            case xftBoolean:
                image[0] = value.toBoolean() ? 1 : 0;
                break;
            case xftDate: {
                std::int32_t day = 0;
                if (!dateToDayNumber(value.toDateTime(), day))
                    throw ExDataSetError("Invalid argument to date encode");
                store(image, day);
                break;
            }
            case xftTime: {
                std::uint32_t ms = 0;
                if (!timeToMSecs(value.toDateTime(), ms))
                    throw ExDataSetError("Invalid argument to time encode");
                store(image, ms);
                break;
            }
            case xftPkDate:
                EncodePackedDate(value.toDateTime(), image);
                break;
        }
    }
    if (value.isNull() && !presence && field.type == xftDouble)
        store(image, std::numeric_limits<double>::quiet_NaN());
    std::memcpy(p, image, static_cast<std::size_t>(bytes));
    if (presence) *presence = value.isNull() ? 0 : 1;
}

TxBookmarkInfo readBookmarkInfo(const TxRecordLayout& layout, const std::uint8_t* buffer) {
    const std::uint8_t* p = buffer + layout.bookmarkInfoOffset();
    TxBookmarkInfo info;
    info.bookmark = load<std::int32_t>(p);
    info.index = load<std::int32_t>(p + 4);
    info.flag = static_cast<TxBookmarkFlag>(p[8]);
    return info;
}

void writeBookmarkInfo(const TxRecordLayout& layout, std::uint8_t* buffer,
                       const TxBookmarkInfo& info) {
    std::uint8_t* p = buffer + layout.bookmarkInfoOffset();
    std::memset(p, 0, kBookmarkInfoSize);
    store(p, info.bookmark);
    store(p + 4, info.index);
    p[8] = info.flag;
}
