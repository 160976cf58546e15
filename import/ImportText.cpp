#include "import/ImportText.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>

#include "core/Errors.h"
#include "core/TextUtils.h"

namespace {

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// The bytes a malformed or unconvertible UTF-8 sequence at the start of `bytes` spans: its lead
// byte and the continuation bytes that follow it, at most as many as the lead byte announces.
size_t sequenceLength(std::string_view bytes) {
    const unsigned char lead = static_cast<unsigned char>(bytes[0]);
    size_t expected = 1;
    if (lead >= 0xC2 && lead <= 0xDF) expected = 2;
    if (lead >= 0xE0 && lead <= 0xEF) expected = 3;
    if (lead >= 0xF0 && lead <= 0xF4) expected = 4;
    size_t length = 1;
    while (length < expected && length < bytes.size() &&
           (static_cast<unsigned char>(bytes[length]) & 0xC0) == 0x80) {
        ++length;
    }
    return length;
}

constexpr size_t kUtf16SampleBytes = 512;
constexpr long long kMostControlShare = 50;  // a text table has under 1 control byte in 50

// Whether the first bytes are UTF-16 of mostly ASCII text: in at least three quarters of the
// byte pairs one byte, always the same one of the two, is NUL and the other is not.
bool looksLikeUtf16(std::string_view bytes) {
    const size_t pairs = std::min(bytes.size(), kUtf16SampleBytes) / 2;
    if (pairs < 2) return false;
    size_t little = 0;
    size_t big = 0;
    for (size_t k = 0; k < pairs; ++k) {
        const bool first = bytes[2 * k] == '\0';
        const bool second = bytes[2 * k + 1] == '\0';
        if (!first && second) ++little;
        if (first && !second) ++big;
    }
    return std::max(little, big) * 4 >= pairs * 3;
}

// The bytes no text table holds: C0 controls other than tab, line feed, form feed and carriage
// return (the decoder turns those few into blanks).
long long controlByteCount(std::string_view bytes) {
    long long count = 0;
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 && c != '\t' && c != '\n' && c != '\f' && c != '\r') ++count;
    }
    return count;
}

}  // namespace

size_t byteOrderMarkLength(std::string_view bytes) {
    return startsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
}

size_t validUtf8Length(std::string_view bytes) {
    if (bytes.empty()) return 0;
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    if (c < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0) low = 0xA0;   // overlong
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return 0;
    }
    if (length > bytes.size()) return 0;
    const unsigned char second = static_cast<unsigned char>(bytes[1]);
    if (second < low || second > high) return 0;
    for (size_t k = 2; k < length; ++k) {
        if ((static_cast<unsigned char>(bytes[k]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

bool isValidUtf8(std::string_view bytes) {
    return utf8Census(bytes).invalid == 0;
}

namespace {

// Walks the UTF-8 sequences of `bytes` into `census`; unless `final`, stops before a lead byte
// whose sequence the end of `bytes` may cut. Returns where it stopped.
size_t walkUtf8(std::string_view bytes, bool final, TUtf8Census& census) {
    size_t i = 0;
    while (i < bytes.size()) {
        const std::string_view rest = bytes.substr(i);
        if (!final && rest.size() < 4 && static_cast<unsigned char>(rest[0]) >= 0x80) break;
        const size_t length = validUtf8Length(rest);
        if (length > 1) ++census.multiByte;
        if (length > 0) {
            i += length;
            continue;
        }
        ++census.invalid;
        i += sequenceLength(rest);
    }
    return i;
}

}  // namespace

TUtf8Census utf8Census(std::string_view bytes) {
    TUtf8Census census;
    walkUtf8(bytes, true, census);
    return census;
}

void TEncodingCensus::add(std::string_view bytes) {
    if (m_start.size() < kUtf16SampleBytes)
        m_start.append(bytes.substr(0, kUtf16SampleBytes - m_start.size()));
    m_size += static_cast<long long>(bytes.size());
    m_controls += controlByteCount(bytes);
    TUtf8Census census;
    size_t used = 0;
    if (m_carry.empty()) {
        used = walkUtf8(bytes, false, census);
        m_carry = std::string(bytes.substr(used));
    } else {
        m_carry.append(bytes);
        used = walkUtf8(m_carry, false, census);
        m_carry.erase(0, used);
    }
    m_multiByte += census.multiByte;
    m_invalid += census.invalid;
}

TImportEncoding TEncodingCensus::decide(TImportEncoding asked, const std::string& fileName) const {
    const std::string_view start = m_start;
    const bool utf32 = startsWith(start, std::string_view("\xFF\xFE\0\0", 4)) ||
                       startsWith(start, std::string_view("\0\0\xFE\xFF", 4));
    if (utf32 || startsWith(start, "\xFF\xFE") || startsWith(start, "\xFE\xFF")) {
        throw EConvertError("The file \"" + fileName + "\" is in " + (utf32 ? "UTF-32" : "UTF-16") +
                            ", which cannot be imported; save it as UTF-8 or Windows-1250");
    }
    if (looksLikeUtf16(start)) {
        throw EConvertError("The file \"" + fileName +
                            "\" looks like UTF-16 without a byte order mark (every other byte "
                            "is NUL), which cannot be imported; save it as UTF-8 or "
                            "Windows-1250");
    }
    if (m_controls * kMostControlShare > m_size) {
        throw EConvertError("The file \"" + fileName +
                            "\" is not a text table: " + std::to_string(m_controls) + " of its " +
                            std::to_string(m_size) + " bytes are NUL or other control characters");
    }
    if (asked != TImportEncoding::Detect) return asked;
    if (byteOrderMarkLength(start) > 0) return TImportEncoding::Utf8;
    TUtf8Census census{m_multiByte, m_invalid};
    walkUtf8(m_carry, true, census);
    // A few stray bytes in a UTF-8 file must not turn all its letters into mojibake, while
    // Windows-1250 letters hardly ever happen to form valid UTF-8 sequences.
    if (census.invalid == 0 || census.multiByte > census.invalid) return TImportEncoding::Utf8;
    return TImportEncoding::Win1250;
}

TImportEncoding resolveEncoding(std::string_view bytes, TImportEncoding asked,
                                const std::string& fileName) {
    TEncodingCensus census;
    census.add(bytes);
    return census.decide(asked, fileName);
}

TTextDecoder::TTextDecoder(TImportEncoding encoding) : m_encoding(encoding) {
    if (m_encoding == TImportEncoding::Utf8) {
        const iconv_t cd = iconv_open("WINDOWS-1250", "UTF-8");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            throw EConvertError("The conversion from UTF-8 into Windows-1250 is not available");
        }
        m_iconv = cd;
    }
}

TTextDecoder::~TTextDecoder() {
    if (m_iconv != nullptr) iconv_close(static_cast<iconv_t>(m_iconv));
}

void TTextDecoder::noteReplaced(int column, long long line) {
    if (m_replaced++ == 0) {
        m_firstColumn = column;
        m_firstLine = line;
    }
}

void TTextDecoder::noteMalformed(int column, long long line) {
    if (m_malformed++ == 0) {
        m_firstMalformedColumn = column;
        m_firstMalformedLine = line;
    }
}

std::string TTextDecoder::toWin1250(std::string_view bytes, int column, long long line) {
    if (m_iconv == nullptr) return std::string(bytes);
    // ASCII reads the same in both, and most values are ASCII: iconv costs a quarter of an import.
    if (std::all_of(bytes.begin(), bytes.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        return std::string(bytes);
    }
    const iconv_t cd = static_cast<iconv_t>(m_iconv);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    // One byte out for every character in: the output never outgrows the input.
    std::string out(bytes.size(), '\0');
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char* to = out.data();
    size_t toLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &to, &toLeft) != static_cast<size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) {
            throw EConvertError("The conversion from UTF-8 into Windows-1250 failed");
        }
        // A character the code page lacks, a malformed or a cut sequence: one "?" for it.
        const std::string_view rest(in, inLeft);
        const size_t valid = validUtf8Length(rest);
        const size_t skip = valid > 0 ? valid : sequenceLength(rest);
        *to++ = '?';
        --toLeft;
        in += skip;
        inLeft -= skip;
        if (valid > 0) {
            noteReplaced(column, line);
        } else {
            noteMalformed(column, line);
        }
    }
    out.resize(out.size() - toLeft);
    return out;
}

std::string TTextDecoder::decode(std::string_view bytes, int column, long long line) {
    std::string text = toWin1250(bytes, column, line);
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            c = ' ';
        } else if (c == ';') {
            c = ',';
            ++m_semicolons;
        }
    }
    return trimLeftBlanks(trimRightBlanks(text));
}

bool isMissingValue(const std::string& text) {
    if (text.size() > 4) return false;
    std::string lower = text;
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower.empty() || lower == "?" || lower == "na" || lower == "n/a" || lower == "null";
}

std::optional<double> importNumber(const std::string& text, bool decimalComma) {
    if (std::optional<double> plain = tryParsePlainDecimal(text)) return plain;
    if (!decimalComma) return std::nullopt;
    const size_t comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos ||
        text.find('.') != std::string::npos) {
        return std::nullopt;
    }
    std::string dotted = text;
    dotted[comma] = '.';
    return tryParsePlainDecimal(dotted);
}

bool isIntegerText(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}
