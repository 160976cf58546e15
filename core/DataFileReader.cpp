// The data file reader: header, names, types, label lines and records of a data file.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

#include "core/CodePage.h"
#include "core/DataFileLines.h"
#include "core/Errors.h"
#include "core/MemoryBudget.h"
#include "core/RecordTexts.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"

namespace {

const char kMagic[] = "TAV DATA";
constexpr int kProgressStep = 256;

// The number of values splitLine finds in a TXT line, counted without splitting it.
size_t countTxtValues(const std::string& line) {
    const size_t separators = static_cast<size_t>(std::count(line.begin(), line.end(), ';'));
    return separators + (line.empty() || line.back() != ';' ? 1 : 0);
}

std::string trimBlanks(const std::string& text) {
    return trimLeftBlanks(trimRightBlanks(text));
}

}  // namespace

// The state of one load: the lines, the position and the context for messages.
class TDataFileReader {
  public:
    TDataFileReader(TBaza& data, const std::string& fileName, const TLoadHooks& hooks)
        : m_data(data), m_fileName(displayPath(fileName)), m_hooks(hooks) {}

    // The records' texts are not to be held: `source` gives them again later.
    void readTextsAgainFrom(std::unique_ptr<TBaza::TTextSource> source) {
        m_textSource = std::move(source);
    }

    // Reads the `lineCount` lines of `lines`; `fileBytes` is the size of the file.
    void run(TDataFileLines& lines, std::size_t lineCount, std::size_t fileBytes,
             TDataFileKind fileKind, CodePageId codePage);

  private:
    [[noreturn]] void failAt(size_t line, const std::string& what) const {
        throw ELimitError("Error in data file \"" + m_fileName + "\", line " +
                          std::to_string(line) + ": " + what);
    }
    void progress(double fraction) const {
        if (m_hooks.progress) m_hooks.progress(fraction);
    }
    void readFields(const std::vector<std::string>& names, const std::vector<std::string>& types);
    void readLabelLine(const std::vector<std::string>& values, int j,
                       std::vector<std::string>& previous);
    // Splits a data line as the splitter does and appends its values as a new record.
    void addRecord(std::string_view line);

    TBaza& m_data;
    std::string m_fileName;  // for messages
    const TLoadHooks& m_hooks;
    size_t m_next = 0;  // the lines read so far
    std::unique_ptr<TRecordSplitter> m_splitter;
    std::unique_ptr<TBaza::TTextSource> m_textSource;  // none while the texts are held
};

void TDataFileReader::run(TDataFileLines& lines, std::size_t lineCount, std::size_t fileBytes,
                          TDataFileKind fileKind, CodePageId codePage) {
    auto readLine = [&]() -> std::string {
        std::string_view line;
        if (m_next >= lineCount || !lines.next(line)) return std::string();
        ++m_next;
        return std::string(line);
    };

    int labelCount = 0;
    TDataFileKind kind = fileKind;
    CodePageId page = codePage;
    std::string namesLine;
    std::string kindText;  // the keyword as written, for messages
    const std::string first = readLine();
    if (first.compare(0, 8, kMagic) == 0) {
        const auto [head, rest] = splitHead(first, '/');
        const std::string count = splitHead(head, ':').second;
        if (!count.empty()) {
            const std::optional<int32_t> n = tryParseInteger(count);
            if (!n) {
                throw EConvertError("Error in data file \"" + m_fileName +
                                    "\", line 1: the label line count '" + count +
                                    "' is not a valid integer value");
            }
            labelCount = *n;
        }
        const auto [kindItem, afterKind] = splitHead(rest, '/');
        if (fileKind == dfkFromHeader) {
            kindText = kindItem;
            kind = fileKindFromText(kindItem);
            page = codePageFromText(splitHead(afterKind, '/').first);
        }
        namesLine = readLine();
    } else {
        if (m_hooks.showMessage)
            m_hooks.showMessage("The data file might not be in the right format.");
        labelCount = 5;
        kind = dfkTxt;
        page = cp1250;
        namesLine = first;
    }

    if (kind != dfkTxt && kind != dfkQtx && kind != dfkFlt && m_hooks.showMessage) {
        if (fileKind != dfkFromHeader) kindText = fileKindToText(kind);
        m_hooks.showMessage(
            "The data file \"" + m_fileName + "\" is of the kind " +
            (kindText.empty() ? std::string("(none given)") : "\"" + kindText + "\"") +
            ", which is not supported: no fields were loaded.");
    }

    const TDataFileKind headerKind = kind == dfkFlt ? dfkTxt : kind;
    const size_t namesLineNumber = m_next;
    std::vector<std::string> names;
    std::vector<std::string> types;
    // Splitting stops one past the limit: a names line of millions of separators would
    // otherwise be split whole before it is refused.
    constexpr size_t kFieldsAndOne = kMaxFields + 1;
    m_data.splitLine(namesLine, headerKind, page, names, kFieldsAndOne);
    if (names.size() > static_cast<size_t>(kMaxFields)) {
        const std::string count =
            headerKind == dfkTxt ? std::to_string(countTxtValues(namesLine)) : "more than 256";
        failAt(namesLineNumber, "the names line has " + count + " fields; a table holds at most " +
                                    std::to_string(kMaxFields));
    }
    m_data.splitLine(readLine(), headerKind, page, types, kFieldsAndOne);
    readFields(names, types);

    // The value codes are allocated from the counted lines, once it is known that they fit.
    const size_t records = lineCount > m_next ? lineCount - m_next : 0;
    const size_t textBytes = m_textSource != nullptr ? 0 : fileBytes;
    checkMemoryFor(m_data.recordStorageBytes(records) + textBytes,
                   "The table of \"" + m_fileName + "\" (" + std::to_string(records) +
                       " records of " + std::to_string(m_data.FieldCount()) + " fields)");
    m_data.reserveRecords(records, textBytes);
    m_splitter = std::make_unique<TRecordSplitter>(m_data, kind, page);
    if (m_textSource != nullptr) {
        m_textSource->kind = kind;
        m_textSource->page = page;
        m_data.m_textSource = std::move(m_textSource);
    }
    std::vector<std::string> previous(m_data.FieldCount());
    std::vector<std::string> values;
    std::string_view line;
    for (int j = 1; m_next < lineCount && lines.next(line); ++j) {
        const size_t lineNumber = ++m_next;
        if (j > labelCount) {
            if (m_data.RecordCount() >= kMaxRecords) {
                failAt(lineNumber, "more than " + std::to_string(kMaxRecords) +
                                       " records; record numbers stop there");
            }
            addRecord(line);
            // Without its texts a record keeps where its line starts, to read them again.
            if (m_data.m_textSource != nullptr) m_data.m_recordStarts.back() = lines.lineOffset();
            const int r = m_data.RecordCount() - 1;
            if (r % kProgressStep == 0) progress(r * 0.5 / static_cast<double>(lineCount));
        } else {
            // Values past the last possible field are never read: they are not kept.
            m_data.splitLine(std::string(line), kind, page, values, kMaxFields);
            readLabelLine(values, j, previous);
        }
    }
    if (m_hooks.buildSets) m_hooks.buildSets(m_data, m_hooks.progress);
    progress(0);
}

void TDataFileReader::readFields(const std::vector<std::string>& names,
                                 const std::vector<std::string>& types) {
    const size_t typesLine = m_next;
    if (types.size() < names.size()) {
        throw EListIndexError("Error in data file \"" + m_fileName + "\", line " +
                              std::to_string(typesLine) + ": the types line has " +
                              std::to_string(types.size()) + " entries for " +
                              std::to_string(names.size()) + " fields");
    }
    try {
        m_data.setFields(names, types);
    } catch (const EConvertError& error) {
        throw EConvertError("Error in data file \"" + m_fileName + "\", line " +
                            std::to_string(typesLine) + ": " + error.what());
    }
    for (int i = 0; i < m_data.FieldCount(); ++i) {
        const std::string field =
            "field " + m_data.fieldName(i) + " (" + m_data.fieldTypeSpec(i) + ")";
        const int type = m_data.fieldType(i);
        const int low = m_data.fieldLow(i);
        const int high = m_data.fieldHigh(i);
        if ((type == ftSet || type == ftInt) &&
            (low < 0 || low > kMaxValueCode || high < 0 || high > kMaxValueCode)) {
            failAt(typesLine, field + ": the code range " + std::to_string(low) + ".." +
                                  std::to_string(high) + " reaches outside 0.." +
                                  std::to_string(kMaxValueCode));
        }
        const int boundaries = m_data.fieldBoundaryCount(i);
        if (boundaries < 0 || boundaries > kMaxBoundaries) {
            failAt(typesLine, field + ": " + std::to_string(boundaries) +
                                  " boundaries; a field has 0 to " +
                                  std::to_string(kMaxBoundaries));
        }
        // Start columns are computed from the widths in every kind of file, so every kind is
        // held to the limit.
        const int width = m_data.fieldWidth(i);
        if (width < 0 || width > kMaxColumnWidth) {
            failAt(typesLine - 1, "field " + m_data.fieldName(i) + ": the column width " +
                                      std::to_string(width) + " is outside 0.." +
                                      std::to_string(kMaxColumnWidth));
        }
    }
}

void TDataFileReader::readLabelLine(const std::vector<std::string>& values, int j,
                                    std::vector<std::string>& previous) {
    const int fieldCount = std::min<int>(m_data.FieldCount(), static_cast<int>(values.size()));
    for (int i = 0; i < fieldCount; ++i) {
        const TFieldType type = m_data.fieldType(i);
        const std::string& text = values[i];
        if (type == ftSet || type == ftInt) {
            // Label lines are shared by all fields: entries past a field's codes are ignored.
            m_data.setValueName(i, m_data.fieldLow(i) + j - 1, text);
        } else if (isIntervalType(type)) {
            const int n = m_data.fieldBoundaryCount(i);
            if (j > n) continue;
            const int s = j - 1;
            m_data.setBoundary(i, j, parseReal(text));
            m_data.setValueName(i, s, s == 0 ? " <= " + text : " " + previous[i] + " - " + text);
            previous[i] = text;
            if (j == n) m_data.setValueName(i, n, " > " + text);
        }
    }
}

void TDataFileReader::addRecord(std::string_view line) {
    m_data.beginRecord();
    m_splitter->split(line, [this](std::string_view value) { m_data.addValue(value); });
    m_data.endRecord();
}

void TBaza::loadDataBytes(const std::string& bytes, const std::string& fileName,
                          TDataFileKind fileKind, CodePageId codePage, const TLoadHooks& hooks) {
    TDataFileLines lines(bytes);
    TDataFileReader(*this, fileName, hooks)
        .run(lines, TDataFileLines::count(bytes), bytes.size(), fileKind, codePage);
}

void TBaza::loadDataFile(const std::string& fileName, TDataFileKind fileKind, CodePageId codePage,
                         const TLoadHooks& hooks) {
    std::error_code ignored;
    if (std::filesystem::is_directory(fileName, ignored)) {
        throw EInOutError("The data file \"" + displayPath(fileName) +
                          "\" is a folder, not a file: choose a data file in it.");
    }
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        fail("File " + displayPath(fileName) + " does not exist. ");
        if (hooks.progress) hooks.progress(0);
        return;
    }
    // The file is read in pieces, twice: once to count its lines, so that the codes are
    // allocated once, then to load them. A stream without a position (a pipe) is read whole.
    std::error_code noSize;
    const std::uintmax_t size = std::filesystem::file_size(fileName, noSize);
    if (noSize || file.tellg() < 0) {
        std::string bytes(std::istreambuf_iterator<char>(file), {});
        if (file.bad()) {
            throw EInOutError("Error reading data file \"" + displayPath(fileName) + "\"");
        }
        loadDataBytes(bytes, fileName, fileKind, codePage, hooks);
        return;
    }
    const std::size_t lineCount = TDataFileLines::count(file, displayPath(fileName));
    TDataFileLines lines(file, displayPath(fileName));
    TDataFileReader reader(*this, fileName, hooks);
    if (size > textBytesHeld()) {
        std::error_code noTime;
        const auto modified = std::filesystem::last_write_time(fileName, noTime);
        if (!noTime)
            reader.readTextsAgainFrom(std::make_unique<TTextSource>(fileName, size, modified));
    }
    reader.run(lines, lineCount, static_cast<std::size_t>(size), fileKind, codePage);
}

void TBaza::splitLine(const std::string& line, TDataFileKind fileKind, CodePageId codePage,
                      std::vector<std::string>& target, size_t maxValues) const {
    target.clear();
    switch (fileKind) {
        case dfkTxt: {
            // Values run to the next ";"; a final ";" adds no value, an empty line gives one.
            size_t start = 0;
            do {
                const size_t at = std::min(line.find(';', start), line.size());
                target.push_back(ConvertString(line.substr(start, at - start), codePage, cp1250));
                start = at + 1;
            } while (start < line.size() && target.size() < maxValues);
            break;
        }
        case dfkQtx:
            splitCommaText(ConvertString(line, codePage, cp1250), target, maxValues);
            break;
        case dfkFlt:
            for (int i = 0; i < FieldCount() && target.size() < maxValues; ++i) {
                const size_t start = static_cast<size_t>(m_info[i].start) - 1;
                const size_t width = static_cast<size_t>(std::max(0, m_info[i].width));
                const std::string text = start < line.size() ? line.substr(start, width) : "";
                target.push_back(ConvertString(text, codePage, cp1250));
            }
            break;
        default:
            break;
    }
    for (std::string& value : target)
        value = trimBlanks(value);
}
