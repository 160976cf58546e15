#include "stats/RuleScores.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "core/WorkerPool.h"
#include "stats/PairCounts.h"

constexpr int kCodes = 256;  // one row per stored code byte

// The Context's records per field, value code and class slot. A class slot stands for one class
// value with a value set; the last one for every other class code.
struct TContextCounts {
    std::array<int, kCodes> slotOfCode{};
    int slots = 0;
    std::vector<int> fields;            // the coded fields counted
    std::vector<int> tableOfField;      // field -> the index of its table in `cells`, or -1
    std::vector<std::int64_t> cells;    // [table][code][slot]
    std::vector<std::int64_t> perSlot;  // Context records per class slot
    std::int64_t at(int table, int code, int slot) const {
        return cells[(static_cast<size_t>(table) * kCodes + code) * slots + slot];
    }
};

namespace {

// The empty counts of every coded field, with the class slots of class field c: one per class
// code with a value set, or with `codeRange` one per code of the field's range (those BuildSets
// makes value sets for), for a table whose sets are not built.
TContextCounts emptyCounts(const TBaza& data, int c, bool codeRange = false) {
    TContextCounts counts;
    const bool classInRange = c >= 0 && c < data.FieldCount();
    auto hasSlot = [&](int code) {
        if (code > kMaxValueCode) return false;
        if (!codeRange) return data.valueSet(c, code) != nullptr;
        return classInRange && isCodedType(data.fieldType(c)) && code >= data.fieldLow(c) &&
               code <= data.fieldHigh(c);
    };
    const int other = [&] {
        int slot = 0;
        for (int code = 0; code <= kMaxValueCode; ++code) {
            if (hasSlot(code)) counts.slotOfCode[code] = slot++;
        }
        return slot;
    }();
    for (int code = 0; code < kCodes; ++code) {
        if (!hasSlot(code)) counts.slotOfCode[code] = other;
    }
    counts.slots = other + 1;
    counts.tableOfField.assign(data.FieldCount(), -1);
    for (int f = 0; f < data.FieldCount(); ++f) {
        if (!isCodedType(data.fieldType(f))) continue;
        counts.tableOfField[f] = static_cast<int>(counts.fields.size());
        counts.fields.push_back(f);
    }
    counts.cells.assign(counts.fields.size() * kCodes * counts.slots, 0);
    counts.perSlot.assign(counts.slots, 0);
    return counts;
}

// The byte a code is stored as in a record's row (TBaza::codeRow).
int storedCode(int code) {
    return code >= 0 && code < TBaza::kOtherCode ? code : TBaza::kOtherCode;
}

TContextCounts countContext(const TBaza& data, const TStBits& context, int c) {
    TContextCounts counts = emptyCounts(data, c);
    const int other = counts.slots - 1;
    const bool classInRange = c >= 0 && c < data.FieldCount();
    const size_t cellCount = counts.cells.size();
    std::mutex merge;
    constexpr std::size_t kRecordsAChunk = 64 * 1024;
    parallelRanges(static_cast<std::size_t>(data.RecordCount()), kRecordsAChunk, 64,
                   [&](std::size_t begin, std::size_t end) {
                       std::vector<std::int64_t> cells(cellCount, 0);
                       std::vector<std::int64_t> perSlot(counts.slots, 0);
                       for (std::size_t r = begin; r < end; ++r) {
                           if (!context.testBit(static_cast<std::int32_t>(r))) continue;
                           const uint8_t* row = data.codeRow(static_cast<int>(r));
                           const int slot = classInRange ? counts.slotOfCode[row[c]] : other;
                           ++perSlot[slot];
                           std::int64_t* table = cells.data();
                           for (int f : counts.fields) {
                               ++table[static_cast<size_t>(row[f]) * counts.slots + slot];
                               table += static_cast<size_t>(kCodes) * counts.slots;
                           }
                       }
                       // Whole numbers: the order of the additions changes nothing.
                       std::lock_guard lock(merge);
                       for (size_t i = 0; i < cellCount; ++i)
                           counts.cells[i] += cells[i];
                       for (int s = 0; s < counts.slots; ++s)
                           counts.perSlot[s] += perSlot[s];
                   });
    return counts;
}

// The Context records of one rule per class slot.
std::vector<std::int64_t> ruleCounts(const TBaza& data, const TContextCounts& counts,
                                     const TMnozica& rule) {
    if (rule.Rule.empty()) return counts.perSlot;
    const TItemPravila& item = rule.Rule.front();
    const int table = counts.tableOfField[item.FieldNo];
    // The value and threshold sets are unions of the value sets of a range of codes.
    const TCodeRange range = conditionCodeRange(data, item);
    std::vector<std::int64_t> n(counts.slots, 0);
    for (int code = range.from; code <= range.to; ++code) {
        for (int s = 0; s < counts.slots; ++s)
            n[s] += counts.at(table, code, s);
    }
    return n;
}

// What the run needs of the class field, the same for every rule.
struct TClassRows {
    struct TRow {
        int slot;
        bool known;  // in the class field's set: no unknown code
        double m;
        std::int64_t priorN = 0;
        TEstimate first;
    };
    std::vector<TRow> rows;       // the visible class values, in code order
    std::vector<char> knownSlot;  // per class slot: a known class value
    bool hidden = false;          // some value is hidden: the "Sub-total" scores the rule
    double subTotalM = 0;
    TEstimate subTotalFirst;
    std::int64_t subTotalPriorN = 0;
    std::int64_t priorD = 0;  // Context records of a known class value
    std::int64_t all = 0;     // every Context record
};

TClassRows classRows(const TBaza& data, const TContextCounts& counts, int c,
                     const std::array<bool, kSubTotalSlot + 1>& rowVisible) {
    TClassRows rows;
    rows.knownSlot.assign(counts.slots, 0);
    int present = 0;
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data.valueSet(c, code) == nullptr) continue;
        ++present;
        const bool known = !data.isUnknownCode(c, code);
        const int slot = counts.slotOfCode[code];
        rows.knownSlot[slot] = known;
        if (known) rows.priorD += counts.perSlot[slot];
        if (rowVisible[code])
            rows.rows.push_back({slot, known, data.valueSet(c, code)->SetM, 0, {}});
    }
    for (std::int64_t n : counts.perSlot)
        rows.all += n;
    for (TClassRows::TRow& row : rows.rows) {
        row.priorN = row.known ? counts.perSlot[row.slot] : 0;
        row.first = EstimateFromCounts(rows.priorD, row.priorN, rows.priorD, row.priorN, row.m);
        rows.subTotalPriorN += counts.perSlot[row.slot];
    }
    const TMnozica* subTotal = data.subTotalSet(c);
    rows.hidden = static_cast<int>(rows.rows.size()) < present && subTotal != nullptr;
    if (rows.hidden) {
        rows.subTotalM = subTotal->SetM;
        rows.subTotalFirst = EstimateFromCounts(rows.all, rows.subTotalPriorN, rows.all,
                                                rows.subTotalPriorN, rows.subTotalM);
    }
    return rows;
}

// FillFrequencyTable's score and Signif of one rule, from the rule's Context records per class
// slot: the class value sets are evaluated within the class field's known values, the
// "Sub-total" within the whole Context.
void scoreRule(const TClassRows& rows, const std::vector<std::int64_t>& n, TCdfWindowCache& cache,
               long double& sum, double& signifOfRule) {
    std::int64_t countD = 0, all = 0, visible = 0;
    for (size_t s = 0; s < n.size(); ++s) {
        if (rows.knownSlot[s]) countD += n[s];
        all += n[s];
    }
    sum = 0;
    signifOfRule = 0;
    for (const TClassRows::TRow& row : rows.rows) {
        visible += n[row.slot];
        // The row's Signif is not the rule's: only the "Sub-total" gives that, so the visible
        // rows need no comparison of their distributions, only their entropy scales.
        const TEstimate second =
            EstimateFromCounts(rows.priorD, row.priorN, countD, row.known ? n[row.slot] : 0, row.m);
        sum += std::fabs(second.scale - row.first.scale);
    }
    if (rows.hidden) {
        const TEstimate second =
            EstimateFromCounts(rows.all, rows.subTotalPriorN, all, visible, rows.subTotalM);
        signifOfRule = second.dist.ProbAbove(rows.subTotalFirst.dist, cache);
        sum = second.scale - rows.subTotalFirst.scale;
    }
}

}  // namespace

TContextClassCounts::TContextClassCounts(const TBaza& data, const TStBits& context, int c)
    : m_data(data), m_counts(std::make_unique<TContextCounts>(countContext(data, context, c))) {}

TContextClassCounts::TContextClassCounts(const TBaza& data, int c,
                                         const std::vector<TCountedGroup>& groups)
    : m_data(data), m_counts(std::make_unique<TContextCounts>(emptyCounts(data, c, true))) {
    TContextCounts& counts = *m_counts;
    const bool classInRange = c >= 0 && c < data.FieldCount();
    for (const TCountedGroup& group : groups) {
        const int slot =
            classInRange ? counts.slotOfCode[storedCode(group.classCode)] : counts.slots - 1;
        if (group.field < 0) {
            counts.perSlot[slot] += group.records;
            continue;
        }
        if (group.field >= data.FieldCount() || counts.tableOfField[group.field] < 0) continue;
        const size_t table = counts.tableOfField[group.field];
        counts.cells[(table * kCodes + storedCode(group.code)) * counts.slots + slot] +=
            group.records;
    }
}

TContextClassCounts::~TContextClassCounts() = default;

std::int64_t TContextClassCounts::fieldRecords(int field, int code, int classCode) const {
    const TContextCounts& counts = *m_counts;
    if (field < 0 || field >= static_cast<int>(counts.tableOfField.size()) ||
        counts.tableOfField[field] < 0)
        return 0;
    const int slot = counts.slotOfCode[storedCode(classCode)];
    return counts.at(counts.tableOfField[field], storedCode(code), slot);
}

std::int64_t TContextClassCounts::contextWith(int code) const {
    // Codes without a value set share the last slot: they are no class value.
    if (code < 0 || code > kMaxValueCode || m_counts->slotOfCode[code] + 1 == m_counts->slots)
        return 0;
    return m_counts->perSlot[m_counts->slotOfCode[code]];
}

std::int64_t TContextClassCounts::contextAll() const {
    std::int64_t all = 0;
    for (std::int64_t n : m_counts->perSlot)
        all += n;
    return all;
}

TContextClassCounts::TRuleRecords TContextClassCounts::ruleRecords(const TMnozica& rule,
                                                                   int code) const {
    const std::vector<std::int64_t> n = ruleCounts(m_data, *m_counts, rule);
    TRuleRecords records;
    for (std::int64_t count : n)
        records.all += count;
    // Codes without a value set share the last slot: they are no class value.
    if (code >= 0 && code <= kMaxValueCode && m_counts->slotOfCode[code] + 1 != m_counts->slots)
        records.with = n[m_counts->slotOfCode[code]];
    return records;
}

std::int64_t TContextClassCounts::knownRecords(int field) const {
    const TContextCounts& counts = *m_counts;
    if (field < 0 || field >= static_cast<int>(counts.tableOfField.size()) ||
        counts.tableOfField[field] < 0)
        return contextAll();
    const int table = counts.tableOfField[field];
    std::int64_t known = 0;
    const int from = std::max(m_data.fieldLow(field), 0);
    const int to = std::min(m_data.fieldHigh(field), kMaxValueCode);
    for (int code = from; code <= to; ++code) {
        if (m_data.isUnknownCode(field, code)) continue;
        for (int s = 0; s < counts.slots; ++s)
            known += counts.at(table, code, s);
    }
    return known;
}

bool TContextClassCounts::sameRecords(const TMnozica& a, const TMnozica& b) const {
    const std::int64_t inA = ruleRecords(a, -1).all;
    if (inA != ruleRecords(b, -1).all) return false;
    if (inA == 0) return true;
    if (a.Rule.empty() || b.Rule.empty()) return a.Rule.empty() && b.Rule.empty();
    const int field = a.Rule.front().FieldNo;
    if (field != b.Rule.front().FieldNo) return false;
    // Of equal size, they hold the same records when their common codes hold all of A's.
    const TCodeRange inRuleA = conditionCodeRange(m_data, a.Rule.front());
    const TCodeRange inRuleB = conditionCodeRange(m_data, b.Rule.front());
    const TContextCounts& counts = *m_counts;
    const int table = counts.tableOfField[field];
    std::int64_t common = 0;
    for (int code = std::max(inRuleA.from, inRuleB.from); code <= std::min(inRuleA.to, inRuleB.to);
         ++code) {
        for (int s = 0; s < counts.slots; ++s)
            common += counts.at(table, code, s);
    }
    return common == inA;
}

bool RulesScorableFromCounts(const TBaza& data, const TSetCatalogue& sets) {
    const TMnozicaList& rules = sets.SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i) {
        const TPravilo& rule = rules.item(i)->Rule;
        if (rule.size() > 1) return false;
        if (rule.size() == 1 && (rule[0].FieldNo < 0 || rule[0].FieldNo >= data.FieldCount() ||
                                 !isCodedType(data.fieldType(rule[0].FieldNo))))
            return false;
    }
    return true;
}

namespace {

int scoreRules(const TBaza& data, TSetCatalogue& sets, const TContextCounts& counts, int c,
               const std::array<bool, kSubTotalSlot + 1>& rowVisible,
               const TRuleScoreHooks& hooks) {
    const TMnozicaList& rules = sets.SetLists[slRules];
    const TClassRows rows = classRows(data, counts, c, rowVisible);
    TWorkerPool& pool = TWorkerPool::shared();
    const int total = rules.count();
    const int batch = std::max(1, total / 100);
    // Chunk k of every batch uses window cache k: chunks of one batch run at once, batches one
    // after the other, so no cache is shared between threads and each lasts the whole run.
    const int chunksABatch = std::min(batch, pool.threadCount() * 2);
    std::vector<TCdfWindowCache> caches(chunksABatch);
    int scored = 0;
    while (scored < total) {
        if (scored > 0) {
            if (hooks.progress) hooks.progress(static_cast<double>(scored) / total);
            if (hooks.cancelled && hooks.cancelled()) break;
        }
        const int first = scored;
        const int last = std::min(total, first + batch);
        pool.run(chunksABatch, [&](std::size_t chunk) {
            for (int i = first + static_cast<int>(chunk); i < last; i += chunksABatch) {
                TMnozica& rule = *rules.item(i);
                const bool onClass =
                    std::any_of(rule.Rule.begin(), rule.Rule.end(),
                                [c](const TItemPravila& item) { return item.FieldNo == c; });
                const bool selected = !onClass && RuleFieldsSelected(sets, rule.Rule);
                long double sum = 0;
                double signif = 0;
                // An unselected rule scores 0 whatever its numbers.
                if (selected)
                    scoreRule(rows, ruleCounts(data, counts, rule), caches[chunk], sum, signif);
                rule.Score = selected ? static_cast<double>(sum) : 0;
                rule.Signif = selected ? signif : 0;
                rule.Unscored = false;
            }
        });
        scored = last;
    }
    return scored;
}

}  // namespace

int ScoreRulesFromCounts(const TBaza& data, TSetCatalogue& sets, int c,
                         const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                         const TRuleScoreHooks& hooks) {
    const TMnozica* context = sets.context();
    if (context == nullptr || data.subTotalSet(c) == nullptr) return 0;
    return scoreRules(data, sets, countContext(data, *context, c), c, rowVisible, hooks);
}

int ScoreRulesFromCounts(const TBaza& data, TSetCatalogue& sets, const TContextClassCounts& counts,
                         int c, const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                         const TRuleScoreHooks& hooks) {
    if (data.subTotalSet(c) == nullptr) return 0;
    return scoreRules(data, sets, counts.counts(), c, rowVisible, hooks);
}
