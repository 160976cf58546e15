#pragma once

#include <array>
#include <string>

// The single-byte code pages of data files. They differ only in where they put the ten national
// letters; every other byte passes unchanged.
enum CodePageId : int {
    cpUnknown = 0,
    cp8859_1 = 1,
    cp8859_2 = 2,
    cp437 = 3,
    cp1250 = 4,  // the internal code page
    cp852 = 5,
};

inline constexpr int kCodePageCount = 6;

// An extended character: 0..255 a byte, 256..265 the letters c-caron, C-caron, c-acute, C-acute,
// s-caron, S-caron, z-caron, Z-caron, d-stroke, D-stroke, 266 no letter.
using XChar = int;
inline constexpr XChar kXCharCount = 267;
inline constexpr XChar kXCharNone = 266;

// Names of the code page ids: "Unknown", "8859-1", "8859-2", "437", "1250", "852".
extern const std::array<const char*, kCodePageCount> CodePageNames;

// The id whose name equals the text exactly (case-sensitive), searched from 5 down to 0.
// Throws ECodePageError for any other text.
CodePageId StringToCodePageId(const std::string& text);

// The smallest extended character whose byte in the code page is `c`.
// Requires: 0 <= codePage <= 5. Throws ECodePageError if no entry holds the byte.
XChar CharToXChar(unsigned char c, CodePageId codePage);

// The byte that stands for `x` in the code page.
// Requires: 0 <= x <= 266, 0 <= codePage <= 5.
unsigned char XCharToChar(XChar x, CodePageId codePage);

// `c` read in code page `from` and written in code page `to`; the byte itself when it has no
// counterpart there.
unsigned char ConvertChar(unsigned char c, CodePageId from, CodePageId to);

// Every byte of `text` converted with ConvertChar; the same length and positions.
std::string ConvertString(const std::string& text, CodePageId from, CodePageId to);
