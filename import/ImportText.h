#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/ImportTypes.h"

// Text handling of the importer: the encoding of a file, the conversion of its values into
// Windows-1250, and what counts as a missing value or a number.

// The encoding to read `bytes` with: `asked` unless it is Detect; then a UTF-8 byte order mark
// or valid UTF-8 gives Utf8, anything else Win1250. Throws EConvertError naming `fileName` for a
// UTF-16 or UTF-32 byte order mark.
TImportEncoding resolveEncoding(std::string_view bytes, TImportEncoding asked,
                                const std::string& fileName);

// The length of a UTF-8 byte order mark at the start of `bytes` (3 or 0).
size_t byteOrderMarkLength(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// Converts the values of one file into Windows-1250. A character the code page cannot hold (and
// a malformed UTF-8 sequence) becomes "?"; the converter counts them and keeps where the first
// one was. Control characters become blanks and ";" becomes "," (a data file separates values
// with ";"); the result is trimmed of blanks.
class TTextDecoder {
  public:
    explicit TTextDecoder(TImportEncoding encoding);
    ~TTextDecoder();
    TTextDecoder(const TTextDecoder&) = delete;
    TTextDecoder& operator=(const TTextDecoder&) = delete;

    // The value of `bytes` in column `column` (from 0) on line `line` (from 1) of the file.
    std::string decode(std::string_view bytes, int column, long long line);

    long long replacedCount() const { return m_replaced; }
    int firstReplacedColumn() const { return m_firstColumn; }
    long long firstReplacedLine() const { return m_firstLine; }
    long long semicolonCount() const { return m_semicolons; }

  private:
    std::string toWin1250(std::string_view bytes, int column, long long line);
    void noteReplaced(int column, long long line);

    TImportEncoding m_encoding;
    void* m_iconv = nullptr;  // iconv_t from UTF-8 to Windows-1250
    long long m_replaced = 0;
    int m_firstColumn = -1;
    long long m_firstLine = 0;
    long long m_semicolons = 0;
};

// Whether a value stands for an unknown one: "", "?", "NA", "N/A" or "null", in any case.
bool isMissingValue(const std::string& text);

// The number in a value: a plain decimal number ("." as separator, optional sign, fraction and
// exponent) or, with `decimalComma`, one that has a single "," instead of the ".". None otherwise.
std::optional<double> importNumber(const std::string& text, bool decimalComma);

// Whether a value is written as a whole number: an optional sign and digits only.
bool isIntegerText(const std::string& text);
