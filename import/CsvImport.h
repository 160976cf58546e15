#pragma once

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
// or CR; blank lines skipped. A row with fewer values than the header gets empty ones; one with
// more throws EConvertError naming `fileName` and the line, unless the extra values are empty.
// Throws EConvertError for a file without a header row.
void parseCsv(std::string_view bytes, char delimiter, TTextDecoder& decoder,
              const std::string& fileName, const TSourceSink& sink);
