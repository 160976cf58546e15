#include "expr/FilterForm.h"

#include <array>
#include <string_view>
#include <vector>

#include "core/Win1250.h"
#include "expr/ExprTokenizer.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Whether a comma stands outside quotes and parentheses: a readable condition never has one.
bool hasBareComma(const std::string& text) {
    char quote = 0;
    int depth = 0;
    for (const char c : text) {
        if (quote != 0) {
            if (c == quote) quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            if (depth > 0) --depth;
        } else if (c == ',' && depth == 0) {
            return true;
        }
    }
    return false;
}

bool endsInOperator(const std::string& text) {
    if (text.find(',') == std::string::npos) return false;
    const std::vector<TExprToken> tokens = tokenizeExpression(text);
    return tokens.size() > 1 && tokens.back().kind == etOperator;
}

// The first sign of the readable form in a postfix text: a keyword of its own among the words of
// an operand, an operator inside an operand, or a parenthesis. String constants ('...', "...")
// and the postfix operators standing alone between commas are no such sign.
void findReadableSign(const std::string& text, TFilterFormChoice& choice) {
    static constexpr std::array<std::string_view, 7> kKeywords = {"AND", "OR", "NOT",    "BETWEEN",
                                                                  "IN",  "IS", "MISSING"};
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        size_t first = start;
        while (first < end && isBlank(text[first]))
            ++first;
        size_t last = end;
        while (last > first && isBlank(text[last - 1]))
            --last;
        const std::string operand = upperCase1250(text.substr(first, last - first));
        const bool alone = operand == "=" || operand == "<>" || operand == "<" || operand == ">" ||
                           operand == "AND" || operand == "OR" || operand == "NOT";
        const bool constant = !operand.empty() && (operand[0] == '\'' || operand[0] == '"');
        if (!alone && !constant) {
            for (size_t k = 0; k < operand.size(); ++k) {
                const char c = operand[k];
                if (c == '(' || c == ')' || c == '=' || c == '<' || c == '>' || c == '!') {
                    choice.readableSign = std::string(1, c);
                    if ((c == '<' || c == '>' || c == '!') && k + 1 < operand.size() &&
                        (operand[k + 1] == '=' || (c == '<' && operand[k + 1] == '>')))
                        choice.readableSign += operand[k + 1];
                    choice.readableSignAt = static_cast<int>(first + k) + 1;
                    return;
                }
                if (isBlank(c) || (k > 0 && !isBlank(operand[k - 1]))) continue;
                size_t wordEnd = k;
                while (wordEnd < operand.size() && !isBlank(operand[wordEnd]))
                    ++wordEnd;
                const std::string_view word(operand.data() + k, wordEnd - k);
                // A word alone is a field name; among others it may be the readable keyword.
                const bool among = k > 0 || wordEnd < operand.size();
                for (const std::string_view keyword : kKeywords) {
                    if (among && word == keyword) {
                        choice.readableSign = std::string(word);
                        choice.readableSignAt = static_cast<int>(first + k) + 1;
                        return;
                    }
                }
            }
        }
        start = end + 1;
    }
}

}  // namespace

TFilterFormChoice chooseFilterForm(const std::string& text) {
    TFilterFormChoice choice;
    bool blank = true;
    for (const char c : text)
        blank = blank && isBlank(c);
    if (blank) return choice;
    if (endsInOperator(text)) {
        findReadableSign(text, choice);
        return choice;
    }
    // Neither reading can succeed then; the error of the form the text looks like helps more.
    if (hasBareComma(text)) {
        TFilterFormChoice signs;
        findReadableSign(text, signs);
        if (signs.readableSign.empty()) return choice;
    }
    choice.form = TFilterForm::Readable;
    return choice;
}

std::string ambiguousFormWarning(const TFilterFormChoice& choice, const std::string& filterName) {
    if (choice.form != TFilterForm::Postfix || choice.readableSign.empty()) return "";
    return "Warning: the " + filterName +
           " ends in an operator after a comma, so it is read as a postfix expression, although "
           "\"" +
           choice.readableSign + "\" at position " + std::to_string(choice.readableSignAt) +
           " belongs to the readable form.";
}
