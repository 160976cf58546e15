#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "import/ImportSource.h"

class TTextDecoder;

// The delimiter of a CSV or TSV file from its first lines (at most 20, quoted text skipped): the
// one of ",", ";" and tab that occurs the same number of times on every line and most often;
// without one, the one most frequent on the first line; "," for a file of one column.
char detectDelimiter(std::string_view bytes);

// Parses CSV bytes (byte order mark removed): a header row of names, then one record per row;
// quoted fields with doubled quotes, embedded delimiters and line breaks; rows ended by LF, CR LF
// or CR; blank lines skipped, except in a file of one column, where a blank line between records
// is a missing value. A row with fewer values than the header gets empty ones and the sink a
// warning that counts such rows and names the first line; with `strictRows` such a row throws
// EConvertError naming `fileName` and the line. A row with more values throws EConvertError
// naming the line as soon as a non-empty extra value comes (empty extra values are dropped, up
// to kMaxFields values in all). Throws EConvertError for a quote that is still open at the end
// of the file (naming the line where it opened) and for a file without a header row, and
// ELimitError naming the line for a header of more than kMaxFields columns.
void parseCsv(std::string_view bytes, char delimiter, TTextDecoder& decoder,
              const std::string& fileName, const TSourceSink& sink, bool strictRows = false);

// parseCsv over bytes given in pieces of any size, so that a file need not be held whole: the
// same records, warnings and errors, whatever the pieces. The sink's progress gets the bytes
// read after each line.
class TCsvStream {
  public:
    TCsvStream(char delimiter, TTextDecoder& decoder, const std::string& fileName,
               const TSourceSink& sink, bool strictRows = false);
    ~TCsvStream();
    TCsvStream(const TCsvStream&) = delete;
    TCsvStream& operator=(const TCsvStream&) = delete;

    // The next bytes of the file (the first without the byte order mark).
    void feed(std::string_view bytes);
    // The end of the file: its last line and the checks of parseCsv's end.
    void finish();

  private:
    struct TState;
    std::unique_ptr<TState> m_state;
};
