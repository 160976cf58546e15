#pragma once

#include <cstdint>
#include <string>

// The two languages of a filter text.
enum class TFilterForm : uint8_t {
    Postfix,   // operands and operators between commas: "AGE,3,>"
    Readable,  // infix conditions on values: "AGE > 50 and SEX = 'm'"
};

// Which language a filter text is read in, and whether the other reading was possible too.
struct TFilterFormChoice {
    TFilterForm form = TFilterForm::Postfix;
    // For a postfix text: a sign of the readable form that the text also holds (a keyword such as
    // "IN" or "BETWEEN", an operator such as ">=" inside an operand, or a parenthesis), and its
    // 1-based position; "" and 0 when there is none.
    std::string readableSign;
    int readableSignAt = 0;
};

// Tells the two languages apart without being told. A text is postfix when it ends in one of the
// postfix operators after a comma (a trailing comma aside), when it is blank, or when it holds a
// comma outside quotes and parentheses (a readable condition has commas only inside "in (...)")
// and no sign of the readable form. Every other text is readable. Never throws but for lack of
// memory.
TFilterFormChoice chooseFilterForm(const std::string& text);

// The warning for a postfix text that holds a sign of the readable form, naming the filter
// ("context filter"); "" when the choice is readable or found no such sign.
std::string ambiguousFormWarning(const TFilterFormChoice& choice, const std::string& filterName);
