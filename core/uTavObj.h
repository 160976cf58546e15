#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/FieldTypes.h"

class TMnozica;  // a record set; owned by the record-set lists, not by the table
class TBaza;

// Long loops report a fraction 0..1, and 0 when done. Without a hook (batch, tests) nothing
// happens.
using ProgressHook = std::function<void(double fraction)>;
// A modal message with an OK button; the load goes on after it.
using ShowMessageHook = std::function<void(const std::string& message)>;
// Receives the value-conversion messages of the table; by default nothing is shown.
using TraceHook = std::function<void(const std::string& message)>;
// Builds the record sets of a freshly loaded table, reporting progress from 0.5 up to 1.
using SetBuilderHook = std::function<void(TBaza& data, const ProgressHook& progress)>;

// What the reader needs from its caller.
struct TLoadHooks {
    ProgressHook progress;
    ShowMessageHook showMessage;
    SetBuilderHook buildSets;
};

// Limits of the data model. Records are bounded by memory (checked before a load allocates);
// their indexes are ints, and the record sets' words must stay addressable.
inline constexpr int kMaxRecords = 2'147'483'647 - 64;
inline constexpr int kMaxFields = 256;
inline constexpr int kMaxValueCode = 127;   // value codes with names and sets: 0..127
inline constexpr int kSubTotalSlot = 128;   // the set slot of a field's "Sub-total" set
inline constexpr int kTotalSetSlot = -1;    // the set slot of a field's total set
inline constexpr int kMaxBoundaries = 127;  // interval boundaries of a REAL or CURRENCY field
inline constexpr int kMaxColumnWidth = 65535;

// The trace operation of the value conversions (process-wide).
TraceHook& traceHook();

// The description of one field, derived from its names entry and its type specification.
struct TFieldInfo {
    std::string name;  // upper-cased, without the width
    int width = 0;
    int start = 1;  // first column in a fixed-width line, counted from 1
    TFieldType type = ftUnknown;
    int low = 0;
    int high = 0;
    int unknown[3] = {-1, -1, -1};
    int boundaryCount = 0;
};

// Derives a field's description. Throws EConvertError when the low, high, unknown codes or
// boundary count of the type specification are not integers.
TFieldInfo parseFieldInfo(const std::string& nameEntry, const std::string& typeSpec);

// The loaded table: the records of a data file, the description of each field, the value code of
// every record and coded field, the names of the codes, the interval boundaries and the slots of
// the record sets of each field. Field and record indexes count from 0. All texts are
// Windows-1250. Not thread-safe: read-only after loading except for the record cache and the
// set slots.
class TBaza {
  public:
    TBaza();
    ~TBaza();
    TBaza(const TBaza&) = delete;
    TBaza& operator=(const TBaza&) = delete;

    // The number of fields (entries of the names list).
    int FieldCount() const { return static_cast<int>(m_names.size()); }
    // The number of records.
    int RecordCount() const { return static_cast<int>(m_recordStarts.size()); }
    // The comma-text line of record r (its field texts joined). Throws EListIndexError outside
    // 0..RecordCount-1.
    std::string recordText(int r) const;

    // Whether the texts of the records are held in memory. Those of a data file larger than
    // textBytesHeld() are not: every number the program shows comes from the codes, and the texts
    // are read again from the file when asked for (recordText and the fieldValueAs functions),
    // a record at a time, quickly for records in order. They throw EInOutError when the file has
    // changed or gone since the load.
    bool holdsRecordTexts() const { return m_textSource == nullptr; }
    static std::size_t textBytesHeld();
    // Sets the size above which texts are not held; 0 restores the default. For tests.
    static void setTextBytesHeldForTesting(std::size_t bytes);

    // Set by the reader when the file could not be opened; the reason is in errorText.
    bool errorFlag() const { return m_errorFlag; }
    const std::string& errorText() const { return m_errorText; }

    // The raw names list (names with widths in fixed-width files) and types list.
    const std::vector<std::string>& fieldNames() const { return m_names; }
    const std::vector<std::string>& fieldTypes() const { return m_types; }

    // Field attributes. Throw EListIndexError for i outside 0..FieldCount-1, except where noted.
    // fieldName of a negative index is "Field ???".
    std::string fieldName(int i) const;
    // The first field whose name equals `name` exactly (callers pass upper case), or -1.
    int fieldIndex(const std::string& name) const;
    int fieldWidth(int i) const;
    // The first column of field i in a fixed-width line, counted from 1.
    int fieldStart(int i) const;
    const std::string& fieldTypeSpec(int i) const;
    TFieldType fieldType(int i) const;
    int fieldLow(int i) const;
    int fieldHigh(int i) const;
    int fieldUnknown1(int i) const;
    int fieldUnknown2(int i) const;
    int fieldUnknown3(int i) const;
    // Whether `code` is one of the unknown codes of field i.
    bool isUnknownCode(int i, int code) const;
    int fieldBoundaryCount(int i) const;
    // Boundary k (1..n) of a REAL or CURRENCY field; 0 for k = 0 and outside 0..127.
    double fieldBoundary(int i, int k) const;

    // The i-th text of record r upper-cased; "" when the record has fewer values.
    std::string fieldValueAsString(int r, int i) const;
    // The number in a REAL or CURRENCY text; 0 for other types, i < 0 and text that is no number.
    double fieldValueAsReal(int r, int i) const;
    // The value code computed from the text; 0 for i < 0 and uncoded types.
    int fieldValueAsInteger(int r, int i) const;
    // The code stored at load time; 0 outside the loaded records and fields.
    int fieldValueCode(int r, int i) const;
    // The codes stored at load time of record r, one byte per field (FieldCount of them), for
    // passes over every record: the code itself when it is 0..254, kOtherCode for any other code,
    // which fieldValueCode gives. Requires: 0 <= r < RecordCount.
    const uint8_t* codeRow(int r) const {
        return m_codes.data() + static_cast<size_t>(r) * m_info.size();
    }
    // The byte of codeRow that stands for a code outside 0..254 (a value a file gives beyond its
    // field's range, which no value set holds).
    static constexpr uint8_t kOtherCode = 255;
    // The name of code v of field i; "" outside 0..FieldCount-1 and 0..127.
    const std::string& valueName(int i, int v) const;
    // Whether a loaded record of the SET or INT field i holds code 0 for a text that is no
    // integer (an empty one included), so that only then code 0 does not tell the number 0.
    bool zeroCodeFromNonInteger(int i) const {
        return i >= 0 && static_cast<size_t>(i) < m_zeroFromNonInteger.size() &&
               m_zeroFromNonInteger[i] != 0;
    }
    // The record set in slot v (0..128) of field i, or none outside those ranges.
    TMnozica* valueSet(int i, int v) const;
    // The field's total set (slot -1) and "Sub-total" set (slot 128), or none.
    TMnozica* fieldTotalSet(int i) const;
    TMnozica* subTotalSet(int i) const { return valueSet(i, kSubTotalSlot); }
    // Stores a set in slot v (-1..128) of field i; the set stays owned by its list.
    void setSlot(int i, int v, TMnozica* set);
    // Empties every set slot (when the sets they refer to are destroyed).
    void clearSlots();

    // Reads a data file into this (empty) object; see DataFileReader.cpp. `fileKind` 1 takes the
    // kind and the code page from the header. A missing file sets errorFlag and errorText; other
    // failures throw (EConvertError, EInOutError, EListIndexError, ELimitError) and leave what was
    // read so far. A folder given as the file is an EInOutError that says so.
    void loadDataFile(const std::string& fileName, TDataFileKind fileKind, CodePageId codePage,
                      const TLoadHooks& hooks = {});
    // The same over the bytes of a file already in memory; `fileName` names it in messages.
    void loadDataBytes(const std::string& bytes, const std::string& fileName,
                       TDataFileKind fileKind, CodePageId codePage, const TLoadHooks& hooks = {});
    // Fills `target` with the values of a line, converted into Windows-1250 and trimmed; at most
    // `maxValues` of them, the rest of the line is not split.
    void splitLine(const std::string& line, TDataFileKind fileKind, CodePageId codePage,
                   std::vector<std::string>& target, size_t maxValues = SIZE_MAX) const;

    // The summary of the loaded table (CR LF lines).
    std::string summaryReportText() const;
    // The same text handed to `sink` piece by piece.
    void writeSummary(const std::function<void(std::string_view)>& sink) const;
    // Writes the summary to a file through a temporary file beside it, so that an earlier report
    // stays whole when the write fails. Throws EInOutError naming the path and the reason.
    void writeSummaryReport(const std::string& fileName) const;

    // Builders used by the reader. setFields throws EConvertError for a bad type specification
    // and leaves the object unchanged then.
    void setFields(std::vector<std::string> names, std::vector<std::string> types);
    // Appends a record given by its field texts and stores its value codes.
    // Throws ELimitError past kMaxRecords records (memory runs out long before).
    void appendRecord(const std::vector<std::string>& values);
    // The same one value at a time, without a list of texts: beginRecord (throws ELimitError past
    // kMaxRecords records), addValue for each text in field order, then endRecord, which codes the
    // fields the record has no text for.
    void beginRecord();
    void addValue(std::string_view text);
    void endRecord();
    // Names code v of field i; ignored outside 0..127.
    void setValueName(int i, int v, const std::string& name);
    // Sets boundary k (1..127) of field i; ignored outside.
    void setBoundary(int i, int k, double value);
    // Reserves room for the value codes of `records` records and `textBytes` bytes of their texts.
    void reserveRecords(size_t records, size_t textBytes = 0);
    // The bytes a table of `records` records of this object's fields takes, texts aside.
    size_t recordStorageBytes(size_t records) const;

  private:
    const TFieldInfo& info(int i) const;
    // The value code of a text of field i.
    int codeOfText(int r, int i, std::string_view text) const;
    // The field texts of record r, split once per record change.
    const std::vector<std::string>& recordValues(int r) const;
    void fail(const std::string& message);

    friend class TDataFileReader;

    // The texts of every record, one after another, each as its length (7 bits a byte, low bits
    // first, high bit = more) followed by its bytes; record r starts at m_recordStarts[r]. One
    // copy of each text, and no joining or re-splitting while loading.
    std::string m_valueBytes;
    std::vector<size_t> m_recordStarts;
    int m_valuesInRecord = 0;  // texts added to the record being built
    mutable int m_currentRecord = -1;
    mutable std::vector<std::string> m_currentValues;
    bool m_errorFlag = false;
    std::string m_errorText;
    std::vector<std::string> m_names;
    std::vector<std::string> m_types;
    std::vector<TFieldInfo> m_info;
    // Stores the code of field i of the record being built.
    void storeCode(int i, int code);

    std::vector<uint8_t> m_codes;  // RecordCount x FieldCount, row by row
    // The codes outside 0..254, by their place in m_codes (kOtherCode there).
    std::unordered_map<size_t, int32_t> m_otherCodes;
    std::vector<char> m_zeroFromNonInteger;  // by field: see zeroCodeFromNonInteger
    std::vector<std::array<std::string, kMaxValueCode + 1>> m_valueNames;
    std::vector<std::array<double, kMaxBoundaries + 1>> m_boundaries;
    std::vector<std::array<TMnozica*, kSubTotalSlot + 2>> m_slots;  // slot v at index v + 1

    // The data file that gives the texts when they are not held; m_recordStarts then holds where
    // each record's line starts in it.
    struct TTextSource;
    std::unique_ptr<TTextSource> m_textSource;
};

// The path of the summary report of a data file: its extension replaced by ".REP", or ".REP"
// appended to a name without extension.
std::string summaryReportPath(const std::string& dataFileName);

// A file path (the operating system's bytes, UTF-8) as Windows-1250 text for messages.
std::string displayPath(const std::string& path);
