#include "import/ArffImport.h"

#include <limits>
#include <unordered_set>

#include "core/Errors.h"
#include "import/ImportText.h"

namespace {

std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The lines of the file, ended by LF, CR LF or CR.
std::vector<std::string_view> splitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\n' && bytes[i] != '\r') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines.push_back(bytes.substr(start));
    return lines;
}

std::string_view trimmed(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && isBlank(text[first]))
        ++first;
    size_t last = text.size();
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Reads the tokens of one line of an ARFF file.
class TArffCursor {
  public:
    TArffCursor(std::string_view text, const std::string& fileName, long long line)
        : m_text(text), m_fileName(fileName), m_line(line) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw EConvertError("Error in ARFF file \"" + m_fileName + "\", line " +
                            std::to_string(m_line) + ": " + what);
    }
    void skipBlanks() {
        while (m_at < m_text.size() && isBlank(m_text[m_at]))
            ++m_at;
    }
    bool atEnd() {
        skipBlanks();
        return m_at >= m_text.size();
    }
    char peek() { return atEnd() ? '\0' : m_text[m_at]; }
    void take() { ++m_at; }
    std::string_view rest() { return trimmed(m_text.substr(std::min(m_at, m_text.size()))); }

    // A quoted token or the bare text up to a blank or one of `stops`.
    std::string token(std::string_view stops) {
        skipBlanks();
        if (m_at < m_text.size() && (m_text[m_at] == '\'' || m_text[m_at] == '"')) return quoted();
        const size_t start = m_at;
        while (m_at < m_text.size() && stops.find(m_text[m_at]) == std::string_view::npos)
            ++m_at;
        return std::string(trimmed(m_text.substr(start, m_at - start)));
    }

  private:
    std::string quoted() {
        const char quote = m_text[m_at++];
        std::string text;
        while (m_at < m_text.size() && m_text[m_at] != quote) {
            char c = m_text[m_at++];
            if (c == '\\' && m_at < m_text.size()) {
                c = m_text[m_at++];
                if (c == 'n') c = '\n';
                if (c == 't') c = '\t';
            }
            text += c;
        }
        if (m_at >= m_text.size()) fail("a quoted text has no closing quote");
        ++m_at;
        return text;
    }

    std::string_view m_text;
    const std::string& m_fileName;
    long long m_line;
    size_t m_at = 0;
};

// The values of a comma-separated list up to the end of the line or a closing "}"; past `most`
// values it fails at once, so that a line of commas cannot exhaust the memory.
std::vector<std::string> commaList(TArffCursor& cursor, bool braced,
                                   size_t most = std::numeric_limits<size_t>::max()) {
    std::vector<std::string> values;
    const std::string_view stops = braced ? ",}" : ",";
    while (true) {
        if (values.size() == most) {
            cursor.fail("more values than the " + std::to_string(most) + " attribute" +
                        (most == 1 ? "" : "s") + " the file declares");
        }
        values.push_back(cursor.token(stops));
        const char next = cursor.peek();
        if (next == ',') {
            cursor.take();
            continue;
        }
        if (braced && next != '}') cursor.fail("the list of values has no closing \"}\"");
        if (braced) cursor.take();
        if (!braced && next != '\0') cursor.fail("unexpected text after a value");
        return values;
    }
}

// "1 value", "2 values".
std::string counted(long long count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Data values that contradict the attribute they belong to: the first one and how many.
struct TContradictions {
    long long count = 0;
    std::string firstValue;
    int firstColumn = 0;
    long long firstLine = 0;

    void note(const std::string& value, int column, long long line) {
        if (count++ > 0) return;
        firstValue = value;
        firstColumn = column;
        firstLine = line;
    }
};

// What the data of an ARFF file holds against its declarations. The values are kept (a nominal
// one undeclared becomes one more label, a numeric column holding text a SET or STRING), but
// the user is told that the file contradicts its header.
class TArffChecker {
  public:
    void declare(const std::optional<std::vector<std::string>>& values, bool numeric) {
        m_nominal.emplace_back();
        if (values) m_nominal.back().emplace(values->begin(), values->end());
        m_numeric.push_back(numeric);
    }
    void check(const std::vector<std::string>& values, long long line) {
        for (size_t i = 0; i < values.size(); ++i) {
            const std::string& value = values[i];
            if (isMissingValue(value)) continue;
            const int column = static_cast<int>(i);
            if (m_nominal[i] && m_nominal[i]->count(value) == 0)
                m_undeclared.note(value, column, line);
            if (m_numeric[i] && !importNumber(value, false)) m_notNumbers.note(value, column, line);
        }
    }
    void report(const TSourceSink& sink, const std::vector<std::string>& names) const {
        if (!sink.warning) return;
        const auto where = [&](const TContradictions& c) {
            return "; the first is \"" + c.firstValue + "\" of attribute " + names[c.firstColumn] +
                   ", line " + std::to_string(c.firstLine);
        };
        if (m_undeclared.count > 0) {
            sink.warning(counted(m_undeclared.count, "value") +
                         " of nominal attributes not among the declared values became labels "
                         "of their own" +
                         where(m_undeclared));
        }
        if (m_notNumbers.count > 0) {
            sink.warning(counted(m_notNumbers.count, "value") +
                         " of numeric attributes that cannot be read as numbers turned those "
                         "columns into text" +
                         where(m_notNumbers));
        }
    }

  private:
    std::vector<std::optional<std::unordered_set<std::string>>> m_nominal;
    std::vector<bool> m_numeric;
    TContradictions m_undeclared;
    TContradictions m_notNumbers;
};

}  // namespace

bool looksLikeArff(std::string_view bytes) {
    for (std::string_view line : splitLines(bytes)) {
        line = trimmed(line);
        if (line.empty() || line[0] == '%') continue;
        return lowerAscii(line.substr(0, 9)) == "@relation";
    }
    return false;
}

void parseArff(std::string_view bytes, TTextDecoder& decoder, const std::string& fileName,
               const TSourceSink& sink) {
    const std::vector<std::string_view> lines = splitLines(bytes);
    TSourceHeader header;
    std::vector<std::string> names;  // kept for the warnings
    std::vector<bool> numericDeclared;
    TArffChecker checker;
    bool inData = false;
    size_t columns = 0;
    for (size_t index = 0; index < lines.size(); ++index) {
        const long long line = static_cast<long long>(index) + 1;
        if (sink.progress) sink.progress(static_cast<size_t>(lines[index].data() - bytes.data()));
        const std::string_view text = trimmed(lines[index]);
        if (text.empty() || text[0] == '%') continue;
        TArffCursor cursor(text, fileName, line);
        if (inData) {
            if (text[0] == '{') cursor.fail("sparse ARFF data cannot be imported");
            std::vector<std::string> raw = commaList(cursor, false, columns);
            if (raw.size() != columns) {
                cursor.fail(std::to_string(raw.size()) + " values, but the file declares " +
                            std::to_string(columns) + " attributes");
            }
            std::vector<std::string> values;
            values.reserve(raw.size());
            for (size_t i = 0; i < raw.size(); ++i)
                values.push_back(decoder.decode(raw[i], static_cast<int>(i), line));
            checker.check(values, line);
            sink.record(std::move(values), line);
            continue;
        }
        const std::string keyword = lowerAscii(cursor.token(" \t"));
        if (keyword == "@relation") continue;
        if (keyword == "@data") {
            if (header.names.empty()) cursor.fail("the file declares no attributes");
            inData = true;
            columns = header.names.size();
            names = header.names;
            for (size_t i = 0; i < columns; ++i)
                checker.declare(header.declaredValues[i], numericDeclared[i]);
            sink.header(std::move(header));
            continue;
        }
        if (keyword != "@attribute") cursor.fail("\"" + keyword + "\" is not an ARFF keyword");
        const int column = static_cast<int>(header.names.size());
        const std::string name = cursor.token(" \t{");
        if (name.empty()) cursor.fail("the attribute has no name");
        header.names.push_back(decoder.decode(name, column, line));
        if (cursor.peek() == '{') {
            cursor.take();
            std::vector<std::string> declared;
            for (const std::string& value : commaList(cursor, true))
                declared.push_back(decoder.decode(value, column, line));
            header.declaredValues.emplace_back(std::move(declared));
            numericDeclared.push_back(false);
            continue;
        }
        const std::string type = lowerAscii(cursor.token(" \t"));
        if (type != "numeric" && type != "real" && type != "integer" && type != "string" &&
            type != "date") {
            cursor.fail("the attribute type \"" + type + "\" cannot be imported");
        }
        header.declaredValues.emplace_back(std::nullopt);
        numericDeclared.push_back(type == "numeric" || type == "real" || type == "integer");
    }
    if (!inData) {
        throw EConvertError("The ARFF file \"" + fileName + "\" has no @data section");
    }
    checker.report(sink, names);
}
