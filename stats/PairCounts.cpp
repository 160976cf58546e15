#include "stats/PairCounts.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/FieldTypes.h"
#include "core/WorkerPool.h"

TCodeRange conditionCodeRange(const TBaza& data, const TItemPravila& item) {
    // A threshold is the union of the value sets of the codes on its side.
    int from = item.ValueCode, to = item.ValueCode;
    if (item.Relation == relLess) from = data.fieldLow(item.FieldNo), to = item.ValueCode - 1;
    if (item.Relation == relGreater) from = item.ValueCode + 1, to = data.fieldHigh(item.FieldNo);
    return TCodeRange{item.FieldNo, std::max(from, 0), std::min(to, kMaxValueCode)};
}

std::int64_t TPairTable::records(int fromA, int toA, int fromB, int toB, int slot) const {
    const int i0 = std::max(fromA - m_lowA, 0), i1 = std::min(toA - m_lowA + 1, m_sizeA);
    const int j0 = std::max(fromB - m_lowB, 0), j1 = std::min(toB - m_lowB + 1, m_sizeB);
    if (i0 >= i1 || j0 >= j1 || slot < 0 || slot >= m_slots) return 0;
    auto at = [&](int i, int j) {
        return m_cumulative[(static_cast<size_t>(i) * (m_sizeB + 1) + j) * m_slots + slot];
    };
    return at(i1, j1) - at(i0, j1) - at(i1, j0) + at(i0, j0);
}

TPairCounter::TPairCounter(const TBaza& data, const TStBits& context, int c,
                           const std::vector<TCodeRange>& spans,
                           const std::array<int, 256>& slotOfCode, int slots)
    : m_spans(spans), m_slots(slots), m_columns(spans.size()) {
    std::vector<std::int32_t> counted;
    const bool classInRange = c >= 0 && c < data.FieldCount();
    for (std::int32_t r = 0; r < data.RecordCount(); ++r) {
        if (!context.testBit(r)) continue;
        const int slot = classInRange ? slotOfCode[data.codeRow(r)[c]] : -1;
        if (slot < 0) continue;
        counted.push_back(r);
        m_slot.push_back(static_cast<std::uint8_t>(slot));
    }
    for (size_t f = 0; f < spans.size(); ++f) {
        if (spans[f].from > spans[f].to) continue;
        m_columns[f].resize(counted.size());
    }
    parallelRanges(counted.size(), 16 * 1024, 64, [&](std::size_t begin, std::size_t end) {
        for (size_t f = 0; f < spans.size(); ++f) {
            if (m_columns[f].empty()) continue;
            const int low = spans[f].from, size = spans[f].to - spans[f].from + 1;
            for (std::size_t i = begin; i < end; ++i) {
                const int code = data.codeRow(counted[i])[f];
                const bool inside = code >= low && code - low < size;
                m_columns[f][i] = static_cast<std::uint8_t>(inside ? code - low : size);
            }
        }
    });
}

TPairCounter::TPairCounter(const std::vector<TCodeRange>& spans,
                           const std::array<int, 256>& slotOfCode, int slots,
                           TPairGroupSource source)
    : m_spans(spans),
      m_slots(slots),
      m_columns(spans.size()),
      m_source(std::move(source)),
      m_slotOfCode(slotOfCode) {}

void TPairCounter::prepare(const std::vector<std::pair<int, int>>& fieldPairs) {
    if (!m_source) return;
    m_prepared.clear();
    auto spanIndex = [&](int field, int code) {
        const TCodeRange& span = m_spans[field];
        const int size = span.to - span.from + 1;
        return code >= span.from && code - span.from < size ? code - span.from : size;
    };
    for (const auto& [a, b] : fieldPairs) {
        const size_t rowsB = m_spans[b].to - m_spans[b].from + 2;
        const size_t rowsA = m_spans[a].to - m_spans[a].from + 2;
        m_prepared[{a, b}].assign(rowsA * rowsB * m_slots, 0);
    }
    for (const TCountedPairGroup& group : m_source(fieldPairs)) {
        const auto table = m_prepared.find({group.a, group.b});
        if (table == m_prepared.end()) continue;
        // A class code past a byte is stored as the byte 255, as in a record's row.
        const int slot = m_slotOfCode[std::clamp(group.classCode, 0, 255)];
        if (slot < 0) continue;
        const size_t rowsB = m_spans[group.b].to - m_spans[group.b].from + 2;
        table->second[(spanIndex(group.a, group.codeA) * rowsB + spanIndex(group.b, group.codeB)) *
                          m_slots +
                      slot] += group.records;
    }
}

TPairTable TPairCounter::count(int a, int b) const {
    TPairTable table;
    table.m_lowA = m_spans[a].from;
    table.m_lowB = m_spans[b].from;
    table.m_sizeA = m_spans[a].to - m_spans[a].from + 1;
    table.m_sizeB = m_spans[b].to - m_spans[b].from + 1;
    table.m_slots = m_slots;
    // Codes outside a span have an index of their own (the span's size), so that the pass needs
    // no branch; that row and column are left out of the sums.
    const size_t rowsA = table.m_sizeA + 1, rowsB = table.m_sizeB + 1;
    std::vector<std::int64_t> raw;
    if (m_source) {
        const auto prepared = m_prepared.find({a, b});
        if (prepared == m_prepared.end())
            throw EListIndexError("The pair of fields " + std::to_string(a) + " and " +
                                  std::to_string(b) + " was not prepared");
        raw = prepared->second;
    } else {
        raw.assign(rowsA * rowsB * m_slots, 0);
        const std::uint8_t* columnA = m_columns[a].data();
        const std::uint8_t* columnB = m_columns[b].data();
        const std::uint8_t* slot = m_slot.data();
        const size_t n = m_slot.size();
        for (size_t r = 0; r < n; ++r)
            ++raw[(columnA[r] * rowsB + columnB[r]) * m_slots + slot[r]];
    }
    table.m_cumulative.assign(rowsA * rowsB * m_slots, 0);
    auto cell = [&](size_t i, size_t j, int s) -> std::int64_t& {
        return table.m_cumulative[(i * rowsB + j) * m_slots + s];
    };
    for (size_t i = 1; i < rowsA; ++i) {
        for (size_t j = 1; j < rowsB; ++j) {
            for (int s = 0; s < m_slots; ++s) {
                cell(i, j, s) = raw[((i - 1) * rowsB + (j - 1)) * m_slots + s] + cell(i - 1, j, s) +
                                cell(i, j - 1, s) - cell(i - 1, j - 1, s);
            }
        }
    }
    return table;
}
