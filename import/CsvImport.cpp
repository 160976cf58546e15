#include "import/CsvImport.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <exception>

#include "core/Errors.h"
#include "import/ImportText.h"

namespace {

constexpr int kDetectionLines = 20;
constexpr std::array<char, 3> kDelimiters = {'\t', ';', ','};  // the order breaks ties
constexpr int kRowNotBegun = 0;  // libcsv's parser state between two rows

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
    TCsvReader(TTextDecoder& decoder, const std::string& fileName, const TSourceSink& sink)
        : m_decoder(decoder), m_fileName(fileName), m_sink(sink) {}

    // No exception may unwind through libcsv's C frames: the callbacks keep the first one, do
    // nothing after it, and the caller rethrows it when libcsv returns.
    static void onField(void* data, size_t length, void* self) {
        auto* reader = static_cast<TCsvReader*>(self);
        reader->guarded([&] { reader->m_raw.emplace_back(static_cast<char*>(data), length); });
    }
    static void onRow(int, void* self) {
        auto* reader = static_cast<TCsvReader*>(self);
        reader->guarded([&] { reader->finishRow(); });
    }
    void rethrow() const {
        if (m_error) std::rethrow_exception(m_error);
    }

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
    void finishRow();

    std::exception_ptr m_error;
    TTextDecoder& m_decoder;
    const std::string& m_fileName;
    const TSourceSink& m_sink;
    std::vector<std::string> m_raw;
    size_t m_columns = 0;
};

void TCsvReader::finishRow() {
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
    while (values.size() > m_columns && values.back().empty())
        values.pop_back();
    if (values.size() > m_columns) {
        throw EConvertError("Error in file \"" + m_fileName + "\", line " +
                            std::to_string(rowLine) + ": " + std::to_string(values.size()) +
                            " values, but the header names " + std::to_string(m_columns) +
                            " columns");
    }
    values.resize(m_columns);
    m_sink.record(std::move(values), rowLine);
}

// Frees the parser's buffer however the parse ends.
struct TParserGuard {
    csv_parser* parser;
    ~TParserGuard() { csv_free(parser); }
};

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

void parseCsv(std::string_view bytes, char delimiter, TTextDecoder& decoder,
              const std::string& fileName, const TSourceSink& sink) {
    csv_parser parser;
    if (csv_init(&parser, 0) != 0) throw EConvertError("The CSV parser could not start");
    TParserGuard guard{&parser};
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    // Only blanks are trimmed around unquoted values: a tab may be the delimiter.
    csv_set_space_func(&parser, [](unsigned char c) { return c == ' ' ? 1 : 0; });

    TCsvReader reader(decoder, fileName, sink);
    // Fed a line at a time, so that each record knows the line it starts on.
    long long line = 1;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = start;
        while (end < bytes.size() && bytes[end] != '\n' &&
               !(bytes[end] == '\r' && (end + 1 >= bytes.size() || bytes[end + 1] != '\n'))) {
            ++end;
        }
        end = std::min(end + 1, bytes.size());
        if (parser.pstate == kRowNotBegun) reader.rowLine = line;
        const size_t length = end - start;
        if (csv_parse(&parser, bytes.data() + start, length, TCsvReader::onField, TCsvReader::onRow,
                      &reader) != length) {
            reader.rethrow();
            throw EConvertError("Error in file \"" + fileName + "\", line " + std::to_string(line) +
                                ": " + csv_strerror(csv_error(&parser)));
        }
        reader.rethrow();
        start = end;
        ++line;
    }
    csv_fini(&parser, TCsvReader::onField, TCsvReader::onRow, &reader);
    reader.rethrow();
    if (!reader.hasHeader()) {
        throw EConvertError("The file \"" + fileName + "\" has no header row of column names");
    }
}
