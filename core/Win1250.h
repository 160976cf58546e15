#pragma once

#include <string>

// Windows-1250 is the code page of all text inside the program. These conversions are used where
// text leaves it: the user interface, standard output and the XML writer.

// The Unicode code point of a Windows-1250 byte. The five unassigned bytes map to the C1 controls
// of the same value, so that every byte survives a round trip.
char32_t win1250ToUnicode(unsigned char c);

// The Windows-1250 byte of a code point, or `fallback` when the code page has none.
unsigned char unicodeToWin1250(char32_t u, unsigned char fallback = '?');

// A Windows-1250 text as UTF-8.
std::string win1250ToUtf8(const std::string& text);

// A UTF-8 text as Windows-1250; characters the code page lacks, and malformed sequences, become
// '?'.
std::string utf8ToWin1250(const std::string& text);

// The upper-case form of a Windows-1250 text, national letters included (s-caron becomes S-caron).
std::string upperCase1250(const std::string& text);

// The upper-case form of one Windows-1250 byte.
unsigned char upperChar1250(unsigned char c);
