#include "import/CsvImport.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <exception>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportText.h"

namespace {

constexpr int kDetectionLines = 20;
constexpr std::array<char, 3> kDelimiters = {'\t', ';', ','};  // the order breaks ties
constexpr int kRowNotBegun = 0;  // libcsv's parser states: between two rows
constexpr int kFieldBegun = 2;   // inside a value (a quoted one when parser.quoted is set)

// How often each delimiter occurs outside quotes on each of the first lines.
std::vector<std::array<int, 3>> delimiterCounts(std::string_view bytes) {
    std::vector<std::array<int, 3>> lines;
    std::array<int, 3> counts{};
    bool quoted = false;
    bool content = false;
    for (size_t i = 0; i < bytes.size() && lines.size() < kDetectionLines; ++i) {
        const char c = bytes[i];
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') {
            if (content) lines.push_back(counts);
            counts = {};
            content = false;
            continue;
        }
        content = true;
        for (size_t d = 0; d < kDelimiters.size(); ++d) {
            if (c == kDelimiters[d]) ++counts[d];
        }
    }
    if (content && lines.size() < kDetectionLines) lines.push_back(counts);
    return lines;
}

// The state of one parse, shared with libcsv's callbacks.
class TCsvReader {
  public:
    TCsvReader(TTextDecoder& decoder, const std::string& fileName, const TSourceSink& sink,
               bool strictRows)
        : m_decoder(decoder), m_fileName(fileName), m_sink(sink), m_strictRows(strictRows) {}

    // No exception may unwind through libcsv's C frames: the callbacks keep the first one, do
    // nothing after it, and the caller rethrows it when libcsv returns.
    static void onField(void* data, size_t length, void* self) {
        auto* reader = static_cast<TCsvReader*>(self);
        reader->guarded([&] { reader->addField(static_cast<char*>(data), length); });
    }
    static void onRow(int, void* self) {
        auto* reader = static_cast<TCsvReader*>(self);
        reader->guarded([&] { reader->finishRow(); });
    }
    void rethrow() const {
        if (m_error) std::rethrow_exception(m_error);
    }

    // Called before each line is fed to libcsv.
    void beginLine(long long line) {
        m_line = line;
        m_rowEndedOnLine = false;
        m_fieldEndedOnLine = false;
    }
    bool fieldEndedOnLine() const { return m_fieldEndedOnLine; }
    // Called at the end of the file: trailing blank lines are no records.
    void finish() const;

    bool hasHeader() const { return m_columns > 0; }

    long long rowLine = 1;  // the line on which the current row started

  private:
    template <typename Action>
    void guarded(const Action& action) {
        if (m_error) return;
        try {
            action();
        } catch (...) {
            m_error = std::current_exception();
        }
    }
    [[noreturn]] void failRow(const std::string& what) const {
        throw EConvertError("Error in file \"" + m_fileName + "\", line " +
                            std::to_string(rowLine) + ": " + what);
    }
    void addField(const char* data, size_t length);
    void finishRow();
    void blankLine();
    void flushBlankLines();

    std::exception_ptr m_error;
    TTextDecoder& m_decoder;
    const std::string& m_fileName;
    const TSourceSink& m_sink;
    bool m_strictRows;
    std::vector<std::string> m_raw;
    size_t m_fieldsInRow = 0;  // m_raw plus the empty extra values not kept
    size_t m_columns = 0;
    long long m_line = 1;
    bool m_rowEndedOnLine = false;
    bool m_fieldEndedOnLine = false;
    long long m_blankLines = 0;  // pending blank lines of a one-column file, from m_firstBlank
    long long m_firstBlank = 0;
    long long m_shortRows = 0;
    long long m_firstShortRow = 0;
};

void TCsvReader::addField(const char* data, size_t length) {
    m_fieldEndedOnLine = true;
    ++m_fieldsInRow;
    // A row's values are bounded as they come, so that a line of separators cannot exhaust the
    // memory: the header stops past the most fields of a table, a record keeps no value past the
    // header's columns and takes empty extra ones only up to that same limit.
    if (m_columns == 0) {
        if (m_fieldsInRow > static_cast<size_t>(kMaxFields)) {
            throw ELimitError("Error in file \"" + m_fileName + "\", line " +
                              std::to_string(rowLine) + ": more than " +
                              std::to_string(kMaxFields) + " columns; a table holds at most " +
                              std::to_string(kMaxFields) + " fields");
        }
    } else if (m_fieldsInRow > m_columns) {
        // Empty once decoded: blanks and control characters only.
        const bool blank = std::all_of(data, data + length, [](char c) {
            return static_cast<unsigned char>(c) <= ' ' || c == '\x7F';
        });
        if (!blank || m_fieldsInRow > static_cast<size_t>(kMaxFields)) {
            failRow("more values than the " + std::to_string(m_columns) +
                    " columns the header names");
        }
        return;
    }
    m_raw.emplace_back(data, length);
}

void TCsvReader::finishRow() {
    const bool ended = m_rowEndedOnLine;
    m_rowEndedOnLine = true;
    if (m_fieldsInRow == 0) {
        // libcsv reports every line end (CSV_REPALL_NL); only one outside a row is a blank line,
        // not the LF after the CR that ended a row.
        if (!ended) blankLine();
        return;
    }
    m_fieldsInRow = 0;
    std::vector<std::string> values;
    values.reserve(m_raw.size());
    for (size_t i = 0; i < m_raw.size(); ++i)
        values.push_back(m_decoder.decode(m_raw[i], static_cast<int>(i), rowLine));
    m_raw.clear();
    if (m_columns == 0) {
        m_columns = values.size();
        TSourceHeader header;
        header.names = std::move(values);
        header.declaredValues.resize(m_columns);
        m_sink.header(std::move(header));
        return;
    }
    // A line of blanks only is a blank line, unless the file has a single column.
    if (values.size() == 1 && values[0].empty() && m_columns > 1) return;
    flushBlankLines();
    if (values.size() < m_columns) {
        if (m_strictRows) {
            failRow(std::to_string(values.size()) + " values, but the header names " +
                    std::to_string(m_columns) + " columns");
        }
        if (m_shortRows++ == 0) m_firstShortRow = rowLine;
        values.resize(m_columns);
    }
    m_sink.record(std::move(values), rowLine);
}

// A blank line is a missing value in a file of one column (and nothing in others); it is kept
// back until a record follows, since blank lines at the end of a file end it.
void TCsvReader::blankLine() {
    if (m_columns != 1) return;
    if (m_blankLines++ == 0) m_firstBlank = m_line;
}

void TCsvReader::flushBlankLines() {
    for (long long k = 0; k < m_blankLines; ++k)
        m_sink.record({std::string()}, m_firstBlank + k);
    m_blankLines = 0;
}

void TCsvReader::finish() const {
    if (m_shortRows > 0 && m_sink.warning) {
        m_sink.warning(std::to_string(m_shortRows) +
                       (m_shortRows == 1 ? " row has" : " rows have") + " fewer values than the " +
                       std::to_string(m_columns) +
                       " columns of the header and got missing values; the first is on line " +
                       std::to_string(m_firstShortRow));
    }
}

}  // namespace

char detectDelimiter(std::string_view bytes) {
    const std::vector<std::array<int, 3>> lines = delimiterCounts(bytes);
    if (lines.empty()) return ',';
    int best = -1;
    for (size_t d = 0; d < kDelimiters.size(); ++d) {
        const int first = lines[0][d];
        bool consistent = first > 0;
        for (const auto& line : lines)
            consistent = consistent && line[d] == first;
        if (consistent && (best < 0 || first > lines[0][best])) best = static_cast<int>(d);
    }
    if (best >= 0) return kDelimiters[best];
    for (size_t d = 0; d < kDelimiters.size(); ++d) {
        if (lines[0][d] > 0 && (best < 0 || lines[0][d] > lines[0][best]))
            best = static_cast<int>(d);
    }
    return best >= 0 ? kDelimiters[best] : ',';
}

struct TCsvStream::TState {
    TState(TTextDecoder& decoder, const std::string& fileName, const TSourceSink& sink,
           bool strictRows)
        : fileName(fileName), sink(sink), reader(decoder, this->fileName, this->sink, strictRows) {}

    bool inQuotes() const { return parser.pstate == kFieldBegun && parser.quoted; }
    // Feeds part of a line to libcsv: the first part begins the line.
    void parse(std::string_view piece);
    // The line fed so far has ended.
    void endLine();

    // Copies: a stream is fed long after the call that made it, whose arguments may be gone.
    const std::string fileName;
    const TSourceSink sink;
    csv_parser parser{};
    bool parserStarted = false;
    TCsvReader reader;
    // Fed a line at a time, so that each record knows the line it starts on.
    long long line = 1;
    long long quoteLine = 0;  // where the quoted value still open began
    bool inLine = false;      // part of the current line was fed
    bool quotedBefore = false;
    bool pendingCr = false;  // the last piece ended with a CR that a LF may follow
    size_t bytesRead = 0;
};

void TCsvStream::TState::parse(std::string_view piece) {
    if (!inLine) {
        inLine = true;
        if (parser.pstate == kRowNotBegun) reader.rowLine = line;
        quotedBefore = inQuotes();
        reader.beginLine(line);
    }
    if (csv_parse(&parser, piece.data(), piece.size(), TCsvReader::onField, TCsvReader::onRow,
                  &reader) != piece.size()) {
        reader.rethrow();
        throw EConvertError("Error in file \"" + fileName + "\", line " + std::to_string(line) +
                            ": " + csv_strerror(csv_error(&parser)));
    }
    reader.rethrow();
    bytesRead += piece.size();
}

void TCsvStream::TState::endLine() {
    // A quoted value open after this line began on it unless it was open before and no value
    // ended on the line.
    if (inQuotes() && (!quotedBefore || reader.fieldEndedOnLine())) quoteLine = line;
    inLine = false;
    ++line;
    if (sink.progress) sink.progress(bytesRead);
}

TCsvStream::TCsvStream(char delimiter, TTextDecoder& decoder, const std::string& fileName,
                       const TSourceSink& sink, bool strictRows)
    : m_state(std::make_unique<TState>(decoder, fileName, sink, strictRows)) {
    csv_parser& parser = m_state->parser;
    // Every line end is reported, so that the blank lines of a one-column file are seen.
    if (csv_init(&parser, CSV_REPALL_NL) != 0)
        throw EConvertError("The CSV parser could not start");
    m_state->parserStarted = true;
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    // Only blanks are trimmed around unquoted values: a tab may be the delimiter.
    csv_set_space_func(&parser, [](unsigned char c) { return c == ' ' ? 1 : 0; });
}

TCsvStream::~TCsvStream() {
    if (m_state->parserStarted) csv_free(&m_state->parser);
}

void TCsvStream::feed(std::string_view bytes) {
    TState& state = *m_state;
    size_t start = 0;
    if (state.pendingCr && !bytes.empty()) {
        // A line ends with LF, CR LF or a CR alone.
        state.pendingCr = false;
        const bool lf = bytes[0] == '\n';
        state.parse(lf ? "\r\n" : "\r");
        state.endLine();
        if (lf) start = 1;
    }
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        if (end == bytes.size()) {
            state.parse(bytes.substr(start));
            return;
        }
        if (bytes[end] == '\r') {
            if (end + 1 == bytes.size()) {
                if (end > start) state.parse(bytes.substr(start, end - start));
                state.pendingCr = true;
                return;
            }
            if (bytes[end + 1] == '\n') ++end;
        }
        state.parse(bytes.substr(start, end + 1 - start));
        state.endLine();
        start = end + 1;
    }
}

void TCsvStream::finish() {
    TState& state = *m_state;
    if (state.pendingCr) {
        state.pendingCr = false;
        state.parse("\r");
        state.endLine();
    }
    if (state.inLine) state.endLine();
    // libcsv would end a quote left open with the file and take the rest of the file as one
    // value: one stray quote would swallow every later record.
    if (state.inQuotes()) {
        throw EConvertError("Error in file \"" + state.fileName + "\", line " +
                            std::to_string(state.quoteLine) +
                            ": a quote opens a value here and is never closed");
    }
    state.reader.beginLine(state.line);
    csv_fini(&state.parser, TCsvReader::onField, TCsvReader::onRow, &state.reader);
    state.reader.rethrow();
    if (!state.reader.hasHeader()) {
        throw EConvertError("The file \"" + state.fileName +
                            "\" has no header row of column names");
    }
    state.reader.finish();
}

void parseCsv(std::string_view bytes, char delimiter, TTextDecoder& decoder,
              const std::string& fileName, const TSourceSink& sink, bool strictRows) {
    TCsvStream stream(delimiter, decoder, fileName, sink, strictRows);
    stream.feed(bytes);
    stream.finish();
}
