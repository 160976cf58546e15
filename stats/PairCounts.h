#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/StBits.h"
#include "core/uTavObj.h"
#include "stats/uTavSets.h"

// Counts for rules of two conditions. A simple rule's records are a range of its field's value
// codes, so the records of "A and B" are those whose code of A's field lies in A's range and
// whose code of B's field lies in B's range. One pass over the Context's records per pair of
// fields fills a table code of the first x code of the second x class slot; its two-dimensional
// cumulative sums give every value and threshold pair of the two fields by four look-ups, with
// no record set per pair.

// The value codes of field `field` that a rule's records have, from..to (empty when from > to).
struct TCodeRange {
    int field = -1;
    int from = 0;
    int to = -1;
};

// The code range of one condition on a coded field: its code, the codes below it or the codes
// above it within the field's codes, clipped to 0..kMaxValueCode.
TCodeRange conditionCodeRange(const TBaza& data, const TItemPravila& item);

// One pair of fields counted: its cumulative sums.
class TPairTable {
  public:
    // The Context records whose first field's code lies in fromA..toA and whose second field's
    // code lies in fromB..toB, with class slot `slot`. Codes outside the spans the counter was
    // given count nowhere.
    std::int64_t records(int fromA, int toA, int fromB, int toB, int slot) const;

  private:
    friend class TPairCounter;
    int m_lowA = 0, m_lowB = 0;
    int m_sizeA = 0, m_sizeB = 0;  // codes in each span
    int m_slots = 0;
    // [i][j][slot]: records with a span index below i in the first field and below j in the
    // second; (sizeA + 1) x (sizeB + 1) x slots.
    std::vector<std::int64_t> m_cumulative;
};

// The Context's records as compact codes, one column per field, from which each pair of fields is
// counted in one pass.
class TPairCounter {
  public:
    // The records of `context` with class field c. `spans[f]` is the range of field f's codes
    // that rules can hold (an empty range: the field is not counted); `slotOfCode` maps a class
    // code byte (TBaza::codeRow) to its slot, 0..slots-1, or to -1 for a record counted in no
    // slot. The columns are filled through the shared worker pool.
    TPairCounter(const TBaza& data, const TStBits& context, int c,
                 const std::vector<TCodeRange>& spans, const std::array<int, 256>& slotOfCode,
                 int slots);

    // The table of fields a and b (a != b, both with a span) from one pass over the records.
    // Safe to call from several threads at once.
    TPairTable count(int a, int b) const;

    std::int64_t records() const { return static_cast<std::int64_t>(m_slot.size()); }

  private:
    std::vector<TCodeRange> m_spans;
    int m_slots;
    // Per field, per Context record counted: the index of its code in the span, or the span's
    // size for a code outside it. Empty for a field without a span.
    std::vector<std::vector<std::uint8_t>> m_columns;
    std::vector<std::uint8_t> m_slot;  // per Context record counted in a slot
};
