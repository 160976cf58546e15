#include "core/CodePage.h"

#include "core/Errors.h"

const std::array<const char*, kCodePageCount> CodePageNames = {"Unknown", "8859-1", "8859-2",
                                                               "437",     "1250",   "852"};

namespace {

// The bytes of the ten national letters in each code page, in XChar order 256..265.
constexpr unsigned char kLetterBytes[kCodePageCount][10] = {
    {'c', 'C', 'c', 'C', 's', 'S', 'z', 'Z', 'd', 'D'},
    {'c', 'C', 'c', 'C', 's', 'S', 'z', 'Z', 'd', 'D'},
    {0xE8, 0xC8, 0xE6, 0xC6, 0xB9, 0xA9, 0xBE, 0xAE, 0xF0, 0xD0},
    {0x7E, 0x5E, 0x7D, 0x5D, 0x7B, 0x5B, 0x60, 0x40, 0x7C, 0x5C},
    {0xE8, 0xC8, 0xE6, 0xC6, 0x9A, 0x8A, 0x9E, 0x8E, 0xF0, 0xD0},
    {0x9F, 0xAC, 0x86, 0x8F, 0xE7, 0xE6, 0xA7, 0xA6, 0xD0, 0xD1},
};

struct XCharTables {
    unsigned char row[kCodePageCount][kXCharCount];

    XCharTables() {
        for (int cp = 0; cp < kCodePageCount; ++cp) {
            for (int x = 0; x < kXCharCount; ++x)
                row[cp][x] = static_cast<unsigned char>(x & 0xFF);
            for (int k = 0; k < 10; ++k)
                row[cp][256 + k] = kLetterBytes[cp][k];
            // In the code pages with real national letters, a letter byte is found only under its
            // letter index. In rows 0 and 1 the letters are ordinary ASCII letters.
            if (cp >= 2) {
                for (int k = 0; k < 10; ++k)
                    row[cp][kLetterBytes[cp][k]] = 0;
            }
        }
    }
};

const XCharTables& tables() {
    static const XCharTables t;
    return t;
}

}  // namespace

CodePageId StringToCodePageId(const std::string& text) {
    for (int id = kCodePageCount - 1; id >= 0; --id) {
        if (text == CodePageNames[id]) return static_cast<CodePageId>(id);
    }
    throw ECodePageError("StringToCodePageId: Illegal CodePageId string (\"" + text + "\").");
}

XChar CharToXChar(unsigned char c, CodePageId codePage) {
    const unsigned char* row = tables().row[codePage];
    for (XChar x = 0; x < kXCharCount; ++x) {
        if (row[x] == c) return x;
    }
    throw ECodePageError("CharToXChar: Couldn't convert Chr(" + std::to_string(c) + ").");
}

unsigned char XCharToChar(XChar x, CodePageId codePage) {
    return tables().row[codePage][x];
}

unsigned char ConvertChar(unsigned char c, CodePageId from, CodePageId to) {
    if (from == to) return c;
    const unsigned char converted = XCharToChar(CharToXChar(c, from), to);
    return converted == 0 ? c : converted;
}

namespace {

// The byte maps of every pair of code pages, built once: a byte's conversion never depends on its
// neighbours.
struct ConversionMaps {
    unsigned char map[kCodePageCount][kCodePageCount][256];

    ConversionMaps() {
        for (int from = 0; from < kCodePageCount; ++from) {
            for (int to = 0; to < kCodePageCount; ++to) {
                for (int b = 0; b < 256; ++b) {
                    map[from][to][b] =
                        ConvertChar(static_cast<unsigned char>(b), static_cast<CodePageId>(from),
                                    static_cast<CodePageId>(to));
                }
            }
        }
    }
};

}  // namespace

std::string ConvertString(const std::string& text, CodePageId from, CodePageId to) {
    if (from == to) return text;
    if (from < 0 || from >= kCodePageCount || to < 0 || to >= kCodePageCount) {
        throw ECodePageError("ConvertString: Illegal CodePageId (" + std::to_string(from) + ", " +
                             std::to_string(to) + ").");
    }
    static const ConversionMaps maps;
    const unsigned char* map = maps.map[from][to];
    std::string result = text;
    for (char& ch : result)
        ch = static_cast<char>(map[static_cast<unsigned char>(ch)]);
    return result;
}
