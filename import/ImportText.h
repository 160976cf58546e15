#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "import/ImportTypes.h"

// Text handling of the importer: the encoding of a file, the conversion of its values into
// Windows-1250, and what counts as a missing value or a number.

// The encoding to read `bytes` with: `asked` unless it is Detect. Detect gives Utf8 for a UTF-8
// byte order mark, for valid UTF-8, and for mostly UTF-8: more valid multi-byte sequences than
// malformed ones (the decoder turns those into "?"); anything else is Win1250, whose letters
// seldom form valid UTF-8 sequences. Throws EConvertError naming `fileName` for a UTF-16 or
// UTF-32 byte order mark, for UTF-16 without one (at least three quarters of the first 256 byte
// pairs have a NUL on the same side), and for a file that is not a text table: more than one
// byte in 50 a C0 control other than tab, line feed, form feed and carriage return.
TImportEncoding resolveEncoding(std::string_view bytes, TImportEncoding asked,
                                const std::string& fileName);

// resolveEncoding's decision over a file read in pieces, holding only the first bytes.
class TEncodingCensus {
  public:
    // The next bytes of the file.
    void add(std::string_view bytes);
    // The encoding to read the file with once every byte was added, by resolveEncoding's rules and
    // with its errors; before that, the decision on the bytes added so far.
    TImportEncoding decide(TImportEncoding asked, const std::string& fileName) const;

  private:
    std::string m_start;  // the first bytes, for the byte order marks and UTF-16
    std::string m_carry;  // a multi-byte sequence cut by the end of the last piece
    long long m_size = 0;
    long long m_controls = 0;
    long long m_multiByte = 0;
    long long m_invalid = 0;
};

// The length of a UTF-8 byte order mark at the start of `bytes` (3 or 0).
size_t byteOrderMarkLength(std::string_view bytes);

// Whether `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

// The length of the well-formed UTF-8 character at the start of `bytes` (1..4), or 0.
size_t validUtf8Length(std::string_view bytes);

// How much of a file reads as UTF-8.
struct TUtf8Census {
    long long multiByte = 0;  // well-formed sequences of 2 to 4 bytes
    long long invalid = 0;    // malformed or cut sequences, each counted once
};

// The well-formed multi-byte and the malformed UTF-8 sequences of `bytes`.
TUtf8Census utf8Census(std::string_view bytes);

// Converts the values of one file into Windows-1250. A character the code page cannot hold and
// a malformed UTF-8 sequence become "?"; the converter counts each kind and keeps where the
// first one was. Control characters become blanks and ";" becomes "," (a data file separates values
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
    long long malformedCount() const { return m_malformed; }
    int firstMalformedColumn() const { return m_firstMalformedColumn; }
    long long firstMalformedLine() const { return m_firstMalformedLine; }

  private:
    std::string toWin1250(std::string_view bytes, int column, long long line);
    void noteReplaced(int column, long long line);
    void noteMalformed(int column, long long line);

    TImportEncoding m_encoding;
    void* m_iconv = nullptr;  // iconv_t from UTF-8 to Windows-1250
    long long m_replaced = 0;
    int m_firstColumn = -1;
    long long m_firstLine = 0;
    long long m_semicolons = 0;
    long long m_malformed = 0;
    int m_firstMalformedColumn = -1;
    long long m_firstMalformedLine = 0;
};

// Whether a value stands for an unknown one: "", "?", "NA", "N/A" or "null", in any case.
bool isMissingValue(const std::string& text);

// The number in a value: a plain decimal number ("." as separator, optional sign, fraction and
// exponent) or, with `decimalComma`, one that has a single "," instead of the ".". None otherwise.
std::optional<double> importNumber(const std::string& text, bool decimalComma);

// Whether a value is written as a whole number: an optional sign and digits only.
bool isIntegerText(const std::string& text);
