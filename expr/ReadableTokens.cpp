#include "expr/ReadableTokens.h"

#include <optional>

#include "core/TextUtils.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool endsWord(char c) {
    return isBlank(c) || c == '\'' || c == '"' || c == '(' || c == ')' || c == ',' || c == '=' ||
           c == '<' || c == '>' || c == '!';
}

// Reads a quoted name or text starting at `at` (its opening quote); a doubled quote stands for
// one. Returns the index after the closing quote, or npos when none closes it.
size_t readQuoted(const std::string& text, size_t at, std::string& content) {
    const char quote = text[at];
    size_t i = at + 1;
    while (i < text.size()) {
        if (text[i] == quote) {
            if (i + 1 < text.size() && text[i + 1] == quote) {
                content += quote;
                i += 2;
                continue;
            }
            return i + 1;
        }
        content += text[i++];
    }
    return std::string::npos;
}

}  // namespace

bool tokenizeReadable(const std::string& text, std::vector<TReadableToken>& tokens,
                      std::string& errorText) {
    tokens.clear();
    errorText.clear();
    size_t i = 0;
    while (true) {
        while (i < text.size() && isBlank(text[i]))
            ++i;
        TReadableToken token;
        token.position = static_cast<int>(i) + 1;
        if (i >= text.size()) {
            tokens.push_back(token);
            return true;
        }
        const char c = text[i];
        if (c == '\'' || c == '"') {
            token.kind = c == '"' ? TReadableTokenKind::QuotedName : TReadableTokenKind::Text;
            const size_t end = readQuoted(text, i, token.text);
            if (end == std::string::npos) {
                errorText = std::string(c == '"' ? "Field name" : "Text") + " at position " +
                            std::to_string(token.position) + " has no closing " +
                            (c == '"' ? "double quote." : "quote.");
                return false;
            }
            i = end;
        } else if (c == '(' || c == ')' || c == ',') {
            token.kind = c == '('   ? TReadableTokenKind::Open
                         : c == ')' ? TReadableTokenKind::Close
                                    : TReadableTokenKind::Comma;
            token.text = std::string(1, c);
            ++i;
        } else if (c == '=' || c == '<' || c == '>' || c == '!') {
            token.kind = TReadableTokenKind::Operator;
            token.text = std::string(1, c);
            ++i;
            const char next = i < text.size() ? text[i] : 0;
            if (next == '=' || (c == '<' && next == '>')) {
                token.text += next;
                ++i;
            }
            if (token.text == "!" || token.text == "==") {
                errorText = "Unknown operator \"" + token.text + "\" at position " +
                            std::to_string(token.position) + ".";
                return false;
            }
        } else {
            const size_t start = i;
            while (i < text.size() && !endsWord(text[i]))
                ++i;
            token.text = text.substr(start, i - start);
            const std::optional<double> number = tryParsePlainDecimal(token.text);
            token.kind = number ? TReadableTokenKind::Number : TReadableTokenKind::Word;
            token.number = number.value_or(0.0);
        }
        tokens.push_back(std::move(token));
    }
}
