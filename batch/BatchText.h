#pragma once

#include <string>

// Text typed on the command line is in the encoding of the user's locale; the program's text is
// Windows-1250. Requires: setlocale(LC_CTYPE, "") was called (main does), else UTF-8 is assumed.

// `text`, the value of `option`, as Windows-1250. Throws EBatchUsage naming the option when the
// text is not valid in the locale's encoding or holds a character Windows-1250 cannot hold.
std::string argumentTo1250(const std::string& option, const std::string& text);
