#pragma once

#include <string>
#include <vector>

#include "expr/ExprTokenizer.h"

class TBaza;

// A filter expression of the postfix condition language, split into tokens once so that it can be
// evaluated for every record of a table without reading its text again. Field names are looked
// up at every evaluation, so one object serves any table.
class TFilterExpression {
  public:
    // Splits and classifies the tokens of `expression`; nothing is read from a table yet.
    explicit TFilterExpression(const std::string& expression);

    // The expression text as given.
    const std::string& expression() const { return m_expression; }
    // The classified tokens, in the order of the text.
    const std::vector<TExprToken>& tokens() const { return m_tokens; }

    // The operation behind evaluateExpression, with the same modes and results. Never throws.
    bool evaluate(const TBaza& data, int record, std::string& errorText) const;

  private:
    std::string m_expression;
    std::vector<TExprToken> m_tokens;
};

// Evaluates a filter expression against one record of `data` and clears `errorText` first.
// Check mode (record < 0): evaluates against record 0 and returns whether no error was raised;
// `errorText` receives the first error, or stays empty. Evaluate mode (record >= 0): returns the
// single boolean the expression leaves, and false when any error was raised. A field reference
// to a record that does not exist is an error, and so is check mode on a table without records.
// Never throws: whatever the table throws becomes the error text. Repeated calls with the same
// text reuse its tokens.
bool evaluateExpression(const TBaza& data, const std::string& expression, int record,
                        std::string& errorText);
