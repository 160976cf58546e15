#include "core/uTavObj.h"

#include <algorithm>
#include <climits>

#include "core/Errors.h"
#include "core/RecordTexts.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"

TraceHook& traceHook() {
    static TraceHook hook;
    return hook;
}

namespace {

const std::string kEmpty;

void trace(const std::string& message) {
    if (traceHook()) traceHook()(message);
}

// An integer item of a type specification: empty gives `ifEmpty`, anything else must be an
// integer.
int integerItem(const std::string& text, int ifEmpty) {
    return text.empty() ? ifEmpty : parseIntegerOrThrow(text);
}

// The integer in a text, as tryParseInteger reads it; the common plain digits are read here
// without making a string of them.
std::optional<int32_t> integerOfText(std::string_view text) {
    constexpr size_t kSafeDigits = 9;  // below 2^31 whatever the digits
    if (!text.empty() && text.size() <= kSafeDigits) {
        int32_t value = 0;
        bool digits = true;
        for (const char c : text) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (digits) return value;
    }
    return tryParseInteger(std::string(text));
}

void appendLength(std::string& bytes, size_t length) {
    while (length >= 0x80) {
        bytes += static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    bytes += static_cast<char>(length);
}

size_t readLength(const std::string& bytes, size_t& at) {
    size_t length = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned char byte = static_cast<unsigned char>(bytes[at++]);
        length |= static_cast<size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) return length;
    }
}

}  // namespace

TFieldInfo parseFieldInfo(const std::string& nameEntry, const std::string& typeSpec) {
    TFieldInfo field;
    const auto [name, width] = splitHead(nameEntry, ':');
    field.name = upperCase1250(name);
    field.width = tryParseInteger(width).value_or(0);

    auto [keyword, rest] = splitHead(typeSpec, ':');
    field.type = fieldTypeFromText(keyword);
    auto [range, afterRange] = splitHead(rest, ':');
    auto [unknownItem, afterUnknown] = splitHead(afterRange, ':');
    const std::string boundaryItem = splitHead(afterUnknown, ':').first;

    if (isIntervalType(field.type)) {
        field.boundaryCount = integerItem(boundaryItem, 0);
        field.low = 0;
        field.high = field.boundaryCount;
    } else {
        const size_t dots = range.find("..");
        const std::string lowText = dots == std::string::npos ? range : range.substr(0, dots);
        const std::string highText = dots == std::string::npos ? "" : range.substr(dots + 2);
        field.low = integerItem(lowText, 0);
        field.high = integerItem(highText, 0);
    }

    const auto [unknownKey, codes] = splitHead(unknownItem, '=');
    if (unknownKey == "UNK") {
        std::string remaining = codes;
        for (int k = 0; k < 3; ++k) {
            auto [code, next] = splitHead(remaining, ',');
            field.unknown[k] = integerItem(code, -1);
            remaining = next;
        }
    }
    return field;
}

TBaza::TBaza() = default;
TBaza::~TBaza() = default;

namespace {

// A quarter of a gigabyte of texts is held; a larger file's texts are read again on demand.
constexpr std::size_t kDefaultTextBytesHeld = std::size_t{256} << 20;
std::size_t textBytesHeldSetting = kDefaultTextBytesHeld;

}  // namespace

std::size_t TBaza::textBytesHeld() {
    return textBytesHeldSetting;
}

void TBaza::setTextBytesHeldForTesting(std::size_t bytes) {
    textBytesHeldSetting = bytes == 0 ? kDefaultTextBytesHeld : bytes;
}

std::string TBaza::recordText(int r) const {
    return joinCommaText(recordValues(r));
}

const TFieldInfo& TBaza::info(int i) const {
    if (i < 0 || i >= FieldCount()) {
        throw EListIndexError("List index out of bounds (field " + std::to_string(i) + ")");
    }
    return m_info[i];
}

std::string TBaza::fieldName(int i) const {
    return i < 0 ? "Field ???" : info(i).name;
}

int TBaza::fieldIndex(const std::string& name) const {
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_info[i].name == name) return i;
    }
    return -1;
}

int TBaza::fieldWidth(int i) const {
    return info(i).width;
}

int TBaza::fieldStart(int i) const {
    return info(i).start;
}

const std::string& TBaza::fieldTypeSpec(int i) const {
    info(i);
    return m_types[i];
}

TFieldType TBaza::fieldType(int i) const {
    return info(i).type;
}
int TBaza::fieldLow(int i) const {
    return info(i).low;
}
int TBaza::fieldHigh(int i) const {
    return info(i).high;
}
int TBaza::fieldUnknown1(int i) const {
    return info(i).unknown[0];
}
int TBaza::fieldUnknown2(int i) const {
    return info(i).unknown[1];
}
int TBaza::fieldUnknown3(int i) const {
    return info(i).unknown[2];
}

bool TBaza::isUnknownCode(int i, int code) const {
    const TFieldInfo& field = info(i);
    return code == field.unknown[0] || code == field.unknown[1] || code == field.unknown[2];
}

int TBaza::fieldBoundaryCount(int i) const {
    const TFieldInfo& field = info(i);
    return isIntervalType(field.type) ? field.boundaryCount : 0;
}

double TBaza::fieldBoundary(int i, int k) const {
    info(i);
    if (k < 0 || k > kMaxBoundaries) return 0.0;
    return m_boundaries[i][k];
}

const std::vector<std::string>& TBaza::recordValues(int r) const {
    if (r != m_currentRecord) {
        if (r < 0 || r >= RecordCount()) {
            throw EListIndexError("List index out of bounds (record " + std::to_string(r) + ")");
        }
        // A failed read leaves no record cached, so that it is not taken for record r.
        m_currentRecord = -1;
        if (m_textSource != nullptr) {
            m_textSource->read(*this, r, m_recordStarts[r], m_currentValues);
            m_currentRecord = r;
            return m_currentValues;
        }
        const size_t end = r + 1 < RecordCount() ? m_recordStarts[r + 1] : m_valueBytes.size();
        m_currentValues.clear();
        for (size_t at = m_recordStarts[r]; at < end;) {
            const size_t length = readLength(m_valueBytes, at);
            m_currentValues.emplace_back(m_valueBytes, at, length);
            at += length;
        }
        m_currentRecord = r;
    }
    return m_currentValues;
}

std::string TBaza::fieldValueAsString(int r, int i) const {
    const std::vector<std::string>& values = recordValues(r);
    if (i < 0 || i >= static_cast<int>(values.size())) return std::string();
    return upperCase1250(values[i]);
}

double TBaza::fieldValueAsReal(int r, int i) const {
    if (i < 0 || !isIntervalType(fieldType(i))) return 0.0;
    const std::string text = fieldValueAsString(r, i);
    const std::optional<double> value = tryParseReal(text);
    if (!value) {
        trace("Error fieldValueAsReal[" + std::to_string(r) + ", " + std::to_string(i) +
              "] not valid: \"" + text + "\"");
    }
    return value.value_or(0.0);
}

int TBaza::codeOfText(int r, int i, std::string_view text) const {
    const TFieldInfo& field = m_info[i];
    if (field.type == ftSet || field.type == ftInt) {
        const std::optional<int32_t> code = integerOfText(text);
        if (!code) {
            trace("Error fieldValueAsInteger[" + std::to_string(r) + ", " + std::to_string(i) +
                  "] not valid: \"" + std::string(text) + "\"");
        }
        return code.value_or(0);
    }
    if (isIntervalType(field.type)) {
        const std::optional<double> value = tryParseReal(std::string(text));
        if (!value) {
            trace("Error fieldValueAsReal[" + std::to_string(r) + ", " + std::to_string(i) +
                  "] not valid: \"" + std::string(text) + "\"");
        }
        const double x = value.value_or(0.0);
        const int n = field.boundaryCount;
        int code = n;
        for (int k = n; k >= 1; --k) {
            if (m_boundaries[i][k] >= x) code = k - 1;
        }
        return code;
    }
    return 0;
}

int TBaza::fieldValueAsInteger(int r, int i) const {
    if (i < 0 || !isCodedType(fieldType(i))) return 0;
    return codeOfText(r, i, fieldValueAsString(r, i));
}

int TBaza::fieldValueCode(int r, int i) const {
    if (r < 0 || r >= RecordCount() || i < 0 || i >= FieldCount()) return 0;
    const size_t at = static_cast<size_t>(r) * FieldCount() + i;
    if (m_codes[at] != kOtherCode) return m_codes[at];
    const auto other = m_otherCodes.find(at);
    return other == m_otherCodes.end() ? kOtherCode : other->second;
}

const std::string& TBaza::valueName(int i, int v) const {
    if (i < 0 || i >= FieldCount() || v < 0 || v > kMaxValueCode) return kEmpty;
    return m_valueNames[i][v];
}

TMnozica* TBaza::valueSet(int i, int v) const {
    if (i < 0 || i >= FieldCount() || v < 0 || v > kSubTotalSlot) return nullptr;
    return m_slots[i][v + 1];
}

TMnozica* TBaza::fieldTotalSet(int i) const {
    if (i < 0 || i >= FieldCount()) return nullptr;
    return m_slots[i][0];
}

void TBaza::setSlot(int i, int v, TMnozica* set) {
    if (i < 0 || i >= FieldCount() || v < kTotalSetSlot || v > kSubTotalSlot) return;
    m_slots[i][v + 1] = set;
}

void TBaza::clearSlots() {
    for (auto& slots : m_slots)
        slots.fill(nullptr);
}

void TBaza::setFields(std::vector<std::string> names, std::vector<std::string> types) {
    std::vector<TFieldInfo> fields;
    fields.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        fields.push_back(parseFieldInfo(names[i], i < types.size() ? types[i] : std::string()));
        if (i > 0) {
            // Widths come straight from the file: add them in a wider type and keep the sum in
            // range, so that a huge width is caught by the reader's limit check, not overflowed.
            const int64_t start = static_cast<int64_t>(fields[i - 1].start) + fields[i - 1].width;
            fields[i].start = static_cast<int>(std::clamp<int64_t>(start, INT_MIN, INT_MAX));
        }
    }
    m_names = std::move(names);
    m_types = std::move(types);
    m_info = std::move(fields);
    const size_t n = m_names.size();
    m_valueNames.assign(n, {});
    m_boundaries.assign(n, {});
    m_slots.assign(n, {});
    clearSlots();
    m_valueBytes.clear();
    m_recordStarts.clear();
    m_textSource.reset();
    m_codes.clear();
    m_otherCodes.clear();
    m_zeroFromNonInteger.assign(n, 0);
    m_currentRecord = -1;
}

void TBaza::reserveRecords(size_t records, size_t textBytes) {
    m_valueBytes.reserve(textBytes);
    const size_t capped = std::min(records, static_cast<size_t>(kMaxRecords));
    m_recordStarts.reserve(capped);
    m_codes.reserve(capped * FieldCount());
}

size_t TBaza::recordStorageBytes(size_t records) const {
    return records * (sizeof(size_t) + static_cast<size_t>(FieldCount()));
}

void TBaza::appendRecord(const std::vector<std::string>& values) {
    beginRecord();
    for (const std::string& value : values)
        addValue(value);
    endRecord();
}

void TBaza::beginRecord() {
    if (RecordCount() >= kMaxRecords) {
        throw ELimitError("The table holds at most " + std::to_string(kMaxRecords) + " records");
    }
    m_recordStarts.push_back(m_valueBytes.size());
    m_codes.resize(m_codes.size() + FieldCount(), 0);
    m_valuesInRecord = 0;
}

void TBaza::addValue(std::string_view text) {
    if (m_textSource == nullptr) {
        appendLength(m_valueBytes, text.size());
        m_valueBytes.append(text);
    }
    const int i = m_valuesInRecord++;
    if (i >= FieldCount() || !isCodedType(m_info[i].type)) return;
    const int r = RecordCount() - 1;
    // Codes come from the texts as stored: upper-casing changes neither integers nor reals.
    const int code = codeOfText(r, i, text);
    const bool integerType = m_info[i].type == ftSet || m_info[i].type == ftInt;
    if (code == 0 && integerType && !integerOfText(text)) m_zeroFromNonInteger[i] = 1;
    storeCode(i, code);
}

void TBaza::storeCode(int i, int code) {
    const size_t at = static_cast<size_t>(RecordCount() - 1) * FieldCount() + i;
    if (code >= 0 && code < kOtherCode) {
        m_codes[at] = static_cast<uint8_t>(code);
    } else {
        m_codes[at] = kOtherCode;
        m_otherCodes[at] = code;
    }
}

void TBaza::endRecord() {
    const int r = RecordCount() - 1;
    for (int i = m_valuesInRecord; i < FieldCount(); ++i) {
        if (!isCodedType(m_info[i].type)) continue;
        if (m_info[i].type == ftSet || m_info[i].type == ftInt) m_zeroFromNonInteger[i] = 1;
        storeCode(i, codeOfText(r, i, std::string_view()));
    }
}

void TBaza::setValueName(int i, int v, const std::string& name) {
    if (i < 0 || i >= FieldCount() || v < 0 || v > kMaxValueCode) return;
    m_valueNames[i][v] = name;
}

void TBaza::setBoundary(int i, int k, double value) {
    if (i < 0 || i >= FieldCount() || k < 1 || k > kMaxBoundaries) return;
    m_boundaries[i][k] = value;
}

void TBaza::fail(const std::string& message) {
    m_errorFlag = true;
    m_errorText += message;
}

std::string summaryReportPath(const std::string& dataFileName) {
    const size_t slash = dataFileName.find_last_of('/');
    const size_t dot = dataFileName.find_last_of('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? dataFileName.substr(0, dot) : dataFileName) + ".REP";
}

std::string displayPath(const std::string& path) {
    return utf8ToWin1250(path);
}
