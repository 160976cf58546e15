#pragma once

#include <string>
#include <string_view>

#include "import/ImportSource.h"

class TTextDecoder;

// Whether `bytes` is an ARFF file: its first line that is neither blank nor a "%" comment begins
// with "@relation" (in any case).
bool looksLikeArff(std::string_view bytes);

// Parses ARFF bytes (byte order mark removed): "@relation", "@attribute NAME TYPE" with TYPE a
// nominal list {v1,v2,...}, numeric, real, integer, string or date [format], then "@data" and one
// record per line; "%" comment lines, blank lines, names and values quoted with ' or " (with
// backslash escapes). Values that contradict their attribute are kept; the sink gets a warning
// that counts them and names the first: a nominal value not declared (such as one with a
// trailing "% comment"), a numeric one that is not a number. Throws EConvertError naming
// `fileName` and the line for sparse rows, a relational or unknown attribute type, a row with
// the wrong number of values (as soon as it has one too many), a missing @data section and a
// file without attributes.
void parseArff(std::string_view bytes, TTextDecoder& decoder, const std::string& fileName,
               const TSourceSink& sink);
