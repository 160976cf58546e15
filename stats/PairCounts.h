#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
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

// Records of a pair of fields counted elsewhere (a database server): `records` Context records
// with code `codeA` of field `a`, code `codeB` of field `b` and class code `classCode`; a is the
// field that comes first.
struct TCountedPairGroup {
    int a = -1, b = -1;
    int codeA = 0, codeB = 0;
    int classCode = 0;
    std::int64_t records = 0;
};

// Where the counts of pairs of fields are made elsewhere: the groups of the Context's records of
// each pair of fields of `fieldPairs` (first field first).
using TPairGroupSource =
    std::function<std::vector<TCountedPairGroup>(const std::vector<std::pair<int, int>>&)>;

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
// counted in one pass; or, for a table whose records are elsewhere, the counts of pairs asked of
// their source a batch at a time.
class TPairCounter {
  public:
    // The records of `context` with class field c. `spans[f]` is the range of field f's codes
    // that rules can hold (an empty range: the field is not counted); `slotOfCode` maps a class
    // code byte (TBaza::codeRow) to its slot, 0..slots-1, or to -1 for a record counted in no
    // slot. The columns are filled through the shared worker pool.
    TPairCounter(const TBaza& data, const TStBits& context, int c,
                 const std::vector<TCodeRange>& spans, const std::array<int, 256>& slotOfCode,
                 int slots);

    // Pairs counted by `source`, with the same spans and class slots.
    TPairCounter(const std::vector<TCodeRange>& spans, const std::array<int, 256>& slotOfCode,
                 int slots, TPairGroupSource source);

    // How many pairs of fields are best prepared at once: one for records in memory, more for a
    // source, which counts several pairs in one statement.
    std::size_t pairsABatch() const { return m_source ? 64 : 1; }
    // Makes the counts of `fieldPairs` (first field first) ready for count: asks the source for
    // them, forgetting those of the batch before; nothing for records in memory. Throws what the
    // source throws. Not to be called while count runs.
    void prepare(const std::vector<std::pair<int, int>>& fieldPairs);

    // The table of fields a and b (a != b, both with a span; prepared for a source) from one
    // pass over the records. Safe to call from several threads at once.
    TPairTable count(int a, int b) const;

    std::int64_t records() const { return static_cast<std::int64_t>(m_slot.size()); }

  private:
    std::vector<TCodeRange> m_spans;
    int m_slots;
    // Per field, per Context record counted: the index of its code in the span, or the span's
    // size for a code outside it. Empty for a field without a span.
    std::vector<std::vector<std::uint8_t>> m_columns;
    std::vector<std::uint8_t> m_slot;  // per Context record counted in a slot
    // With a source: the class slot of each class code byte, and the prepared pairs' tables of
    // records per (span index of a) x (span index of b) x slot, as count's pass makes them.
    TPairGroupSource m_source;
    std::array<int, 256> m_slotOfCode{};
    std::map<std::pair<int, int>, std::vector<std::int64_t>> m_prepared;
};
