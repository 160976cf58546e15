#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/uTavObj.h"
#include "expr/RecordValues.h"

class TStBits;
struct TReadableNode;

// A filter in the readable form, parsed once and resolved against one table, then evaluated per
// record. The grammar (keywords and field names in any case):
//
//   condition  := and-part { OR and-part }
//   and-part   := not-part { AND not-part }
//   not-part   := NOT not-part | "(" condition ")" | comparison
//   comparison := field ( op constant | BETWEEN constant AND constant
//                       | IN "(" constant { "," constant } ")" | IS [NOT] MISSING )
//   op         := = | <> | != | < | <= | > | >=
//   field      := a word | a name in double quotes
//   constant   := a number (with "." as separator) | a text in single quotes
//
// INT, REAL and CURRENCY fields compare the number of the record's text (an INT field also takes
// a label, as its code), DATE fields its date (a constant in single quotes, FilterDate.h), SET
// fields the label of the record's code (a constant in single quotes, which must be one of the
// field's labels) or the code itself (a number), STRING fields the text. Texts compare without
// regard to case, byte by byte. A missing value (an empty text, an unknown code, a text that is
// no number or date) fails every comparison but IS MISSING.
class TReadableFilter {
  public:
    // Parses `text` and resolves its field names, labels and constants against `data`; on any
    // error returns none and sets `errorText` to a sentence naming the 1-based position (an
    // unknown field: `Unknown field "AGEE" at position 1.`). The table must outlive the filter.
    static std::unique_ptr<TReadableFilter> compile(const TBaza& data, const std::string& text,
                                                    std::string& errorText);
    ~TReadableFilter();
    TReadableFilter(const TReadableFilter&) = delete;
    TReadableFilter& operator=(const TReadableFilter&) = delete;

    // Whether record r satisfies the condition. Requires: 0 <= r < RecordCount.
    bool matches(int record) const;
    // Sets exactly the bits of the records that satisfy the condition, in one pass, reporting
    // the fraction done every 256 records. Requires: set.maxIndex() + 1 == RecordCount.
    void select(TStBits& set, const ProgressHook& progress = {}) const;
    // The compiled condition (ReadableNode.h), its root last, for translating it into another
    // language (the database's).
    const std::vector<TReadableNode>& nodes() const { return m_nodes; }

  private:
    explicit TReadableFilter(const TBaza& data);
    bool matchesNode(int node, int record) const;

    friend class TReadableParser;
    const TBaza& m_data;
    TRecordValues m_values;
    std::vector<TReadableNode> m_nodes;  // the root is the last
};
