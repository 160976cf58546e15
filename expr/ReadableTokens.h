#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The kinds of a token of a readable filter.
enum class TReadableTokenKind : uint8_t {
    Word,        // a field name or a keyword, unquoted
    QuotedName,  // a field name in double quotes
    Text,        // a text constant in single quotes
    Number,      // a decimal number with "." as separator, optionally signed
    Operator,    // =, <>, !=, <, <=, >, >=
    Open,        // (
    Close,       // )
    Comma,       // ,
    End,         // after the last token
};

// One token of a readable filter.
struct TReadableToken {
    TReadableTokenKind kind = TReadableTokenKind::End;
    // A word as typed, a name or text without its quotes (doubled quotes made single), an
    // operator's characters.
    std::string text;
    double number = 0;  // for Number
    int position = 1;   // 1-based position of its first character in the filter text
};

// Splits a readable filter into tokens, ending with one End token. Blanks, tabs and line breaks
// separate tokens; a word runs up to a blank, a quote, a parenthesis, a comma or an operator
// character, and is a Number when it reads as one. On an unclosed quote or a stray "!" returns
// false with the error text (naming the 1-based position). Never throws but for lack of memory.
bool tokenizeReadable(const std::string& text, std::vector<TReadableToken>& tokens,
                      std::string& errorText);
