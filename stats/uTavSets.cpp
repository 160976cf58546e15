#include "stats/uTavSets.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>

#include "core/FieldTypes.h"
#include "core/MemoryBudget.h"
#include "core/TextUtils.h"
#include "core/WorkerPool.h"

void AddItem(TPravilo& rule, int field, int valueCode, TRelation relation) {
    rule.push_back(TItemPravila{field, valueCode, relation});
}

TMnozica::TMnozica(double m, int recordCount, std::string name, bool withRecords)
    : TStBits(recordCount - 1, withRecords), SetM(m), SetName(std::move(name)) {}

TMnozica* TMnozicaList::item(int i) const {
    return i >= 0 && i < count() ? m_items[i].get() : nullptr;
}

TMnozica* TMnozicaList::append(std::unique_ptr<TMnozica> set) {
    m_items.push_back(std::move(set));
    return m_items.back().get();
}

void TMnozicaList::sort(const std::function<bool(const TMnozica&, const TMnozica&)>& less) {
    std::sort(m_items.begin(), m_items.end(),
              [&](const std::unique_ptr<TMnozica>& a, const std::unique_ptr<TMnozica>& b) {
                  return less(*a, *b);
              });
}

namespace {

// The text after " <= ", else the text after the first " - ", else "": the upper boundary of an
// interval's name.
std::string upperBoundText(const std::string& label) {
    if (label.rfind(" <= ", 0) == 0) return label.substr(4);
    const size_t dash = label.find(" - ");
    return dash == std::string::npos ? std::string() : label.substr(dash + 3);
}

// The sets of one coded field: the field set, filled from the records, and the value sets, index
// v - low, and threshold sets, which get only their counts (their records are filled on demand).
struct TCodedFieldSets {
    int field = 0;
    int low = 0;
    int high = 0;
    int unknown[3] = {-1, -1, -1};
    TMnozica* fieldSet = nullptr;
    std::vector<TMnozica*> valueSets;
    struct Threshold {
        TMnozica* set;
        int from;  // the value codes whose sets it unites
        int to;
    };
    std::vector<Threshold> thresholds;
    std::array<std::int64_t, 256> codeCounts{};  // records per stored code byte
};

// The records of a table's sets. A table without records (the description of a table counted
// elsewhere) gets sets of one record, which no count of it reads.
int setRecords(const TBaza& data) {
    return std::max(data.RecordCount(), 1);
}

// Creates the sets of one coded field in their list order: the field set and its sub-total, the
// value sets, then the threshold sets; they are filled later.
TCodedFieldSets createCodedField(TBaza& data, TSetCatalogue& catalogue, unsigned kinds, double m,
                                 int f) {
    const int records = setRecords(data);
    const TFieldType type = data.fieldType(f);
    TCodedFieldSets sets;
    sets.field = f;
    const int low = sets.low = data.fieldLow(f);
    const int high = sets.high = data.fieldHigh(f);
    sets.unknown[0] = data.fieldUnknown1(f);
    sets.unknown[1] = data.fieldUnknown2(f);
    sets.unknown[2] = data.fieldUnknown3(f);
    const std::string prefix = "(" + std::to_string(f) + ") " + data.fieldName(f);
    const bool interval = isIntervalType(type);
    TMnozicaList& rules = catalogue.SetLists[slRules];

    // Every coded field gets its field set, even with an empty range, so that item i of list 1
    // stays the field set of field i.
    if (kinds & (1u << slFields)) {
        TMnozicaList& fields = catalogue.SetLists[slFields];
        auto set = std::make_unique<TMnozica>(m, records, prefix);
        set->SetNumber = fields.count() + 1;
        sets.fieldSet = fields.append(std::move(set));
        data.setSlot(f, kTotalSetSlot, sets.fieldSet);
        catalogue.subTotals.push_back(std::make_unique<TMnozica>(m, records, "Sub-total"));
        data.setSlot(f, kSubTotalSlot, catalogue.subTotals.back().get());
    }
    if (!(kinds & (1u << slRules))) return sets;

    for (int v = low; v <= high; ++v) {
        const std::string& label = data.valueName(f, v);
        const std::string name =
            interval ? prefix + ": " + label : prefix + "= " + std::to_string(v) + "-" + label;
        auto set = std::make_unique<TMnozica>(m, records, name, false);
        AddItem(set->Rule, f, v, relEqual);
        set->SetNumber = rules.count() + 1;
        TMnozica* added = rules.append(std::move(set));
        data.setSlot(f, v, added);
        sets.valueSets.push_back(added);
    }

    if (type == ftSet) return sets;
    auto addThreshold = [&](int v, TRelation relation, const std::string& name, int from, int to) {
        auto set = std::make_unique<TMnozica>(m, records, name, false);
        AddItem(set->Rule, f, v, relation);
        set->SetNumber = rules.count() + 1;
        sets.thresholds.push_back({rules.append(std::move(set)), from, to});
    };
    for (int v = low + 2; v <= high; ++v) {
        const std::string& label = data.valueName(f, v);
        // Interval v - 1 holds its upper boundary, so the set holds the values up to and including
        // the lower boundary of interval v.
        const std::string name = interval ? prefix + " <= " + trimLeftBlanks(lowerBoundText(label))
                                          : prefix + "< " + std::to_string(v) + "-" + label;
        addThreshold(v, relLess, name, low, v - 1);
    }
    for (int v = low; v <= high - 2; ++v) {
        const std::string& label = data.valueName(f, v);
        const std::string name = interval ? prefix + " > " + upperBoundText(label)
                                          : prefix + "> " + std::to_string(v) + "-" + label;
        addThreshold(v, relGreater, name, v + 1, high);
    }
    return sets;
}

// Fills the field sets of several fields in one pass over the records, a word of 64 records at a
// time, and counts each field's codes, which give the counts of its value and threshold sets. The
// codes of neighbouring fields share cache lines, so each line of the code table is read once. The
// records are split between the worker threads on word boundaries, so no two threads write the
// same word.
void fillCodedFields(const TBaza& data, std::vector<TCodedFieldSets>& group) {
    constexpr std::size_t kRecordsAChunk = 64 * 1024;
    std::mutex merge;
    parallelRanges(
        static_cast<std::size_t>(data.RecordCount()), kRecordsAChunk, 64,
        [&](std::size_t begin, std::size_t end) {
            std::vector<std::array<std::int64_t, 256>> codeCounts(group.size());
            for (std::size_t r = begin; r < end; ++r) {
                const uint8_t* row = data.codeRow(static_cast<int>(r));
                const size_t word = r >> 6;
                const uint64_t bit = uint64_t{1} << (r & 63);
                for (size_t g = 0; g < group.size(); ++g) {
                    const TCodedFieldSets& sets = group[g];
                    ++codeCounts[g][row[sets.field]];
                    if (sets.fieldSet == nullptr) continue;
                    const int code = row[sets.field] != TBaza::kOtherCode
                                         ? row[sets.field]
                                         : data.fieldValueCode(static_cast<int>(r), sets.field);
                    if (code < sets.low || code > sets.high) continue;
                    const bool unknown = code == sets.unknown[0] || code == sets.unknown[1] ||
                                         code == sets.unknown[2];
                    if (!unknown) sets.fieldSet->orWordUncounted(word, bit);
                }
            }
            // Whole numbers: the order of the additions changes nothing.
            std::lock_guard lock(merge);
            for (size_t g = 0; g < group.size(); ++g) {
                for (int code = 0; code < 256; ++code)
                    group[g].codeCounts[code] += codeCounts[g][code];
            }
        });
    for (TCodedFieldSets& sets : group) {
        if (sets.fieldSet != nullptr) sets.fieldSet->recountBits();
        // A code byte of kOtherCode stands for codes past 254, which no value set holds.
        auto recordsWith = [&](int from, int to) {
            std::int64_t n = 0;
            for (int code = from; code <= to && code < TBaza::kOtherCode; ++code)
                n += sets.codeCounts[code];
            return static_cast<std::int32_t>(n);
        };
        for (size_t k = 0; k < sets.valueSets.size(); ++k) {
            const int code = sets.low + static_cast<int>(k);
            sets.valueSets[k]->setCountWithoutBuffer(recordsWith(code, code));
        }
        for (const TCodedFieldSets::Threshold& threshold : sets.thresholds)
            threshold.set->setCountWithoutBuffer(recordsWith(threshold.from, threshold.to));
    }
}

}  // namespace

namespace {

// The bytes of the record sets BuildSets makes of every kind, a little more than they take: the
// sets that hold their records from the start, and the rules' sets, whose records take at most
// the budget of those filled on demand.
std::uint64_t recordSetBytes(const TBaza& data) {
    std::uint64_t held = 6;  // the fixed sets, the rules' "Complete set" and the three filters
    std::uint64_t rules = 0;
    for (int f = 0; f < data.FieldCount(); ++f) {
        const int values = std::max(0, data.fieldHigh(f) - data.fieldLow(f) + 1);
        // The field set, its "Sub-total", each value and at most two thresholds per value.
        const bool coded = isCodedType(data.fieldType(f));
        held += coded ? 2 : 1;
        rules += coded ? 3 * static_cast<std::uint64_t>(values) : 0;
    }
    const std::uint64_t setBytes = (static_cast<std::uint64_t>(data.RecordCount()) + 64) / 64 * 8;
    return held * (setBytes + sizeof(TMnozica)) + rules * sizeof(TMnozica) +
           std::min(rules * setBytes, kOnDemandRecordBytes + setBytes * (kMaxValueCode + 2));
}

}  // namespace

void BuildSets(TBaza& data, TSetCatalogue& catalogue, unsigned kinds, double m,
               const ProgressHook& progress) {
    const int records = setRecords(data);
    if (kinds & (1u << slRules)) {
        checkMemoryFor(recordSetBytes(data), "The record sets of the rules (" +
                                                 std::to_string(records) + " records, " +
                                                 std::to_string(data.FieldCount()) + " fields)");
    }
    for (int list = 0; list < kSetListCount; ++list) {
        if (kinds & (1u << list)) catalogue.SetLists[list].clear();
    }
    if (kinds & (1u << slRules)) catalogue.filledOnDemand.clear();
    if (kinds & (1u << slFields)) {
        data.clearSlots();
        catalogue.subTotals.clear();
    }
    if (kinds & (1u << slFixed)) {
        auto complete = std::make_unique<TMnozica>(m, records, "Complete set");
        complete->setAll();
        catalogue.SetLists[slFixed].append(std::move(complete));
        catalogue.SetLists[slFixed].append(std::make_unique<TMnozica>(m, records, "Temporary set"));
    }
    if (kinds & (1u << slRules)) {
        auto complete = std::make_unique<TMnozica>(m, records, "Complete set");
        complete->setAll();
        catalogue.SetLists[slRules].append(std::move(complete));
    }
    if (kinds & (1u << slFilters)) {
        for (const char* name : {"Context", "Compare 1", "Compare 2"}) {
            auto set = std::make_unique<TMnozica>(m, records, name);
            set->setAll();
            catalogue.SetLists[slFilters].append(std::move(set));
        }
    }
    // Sixty-four one-byte codes are one cache line of a record's row.
    constexpr int kFieldsAPass = 64;
    const int fieldCount = data.FieldCount();
    std::vector<TCodedFieldSets> group;
    for (int first = 0; first < fieldCount; first += kFieldsAPass) {
        group.clear();
        for (int f = first; f < std::min(fieldCount, first + kFieldsAPass); ++f) {
            if (progress) progress(0.5 + 0.5 * (f + 1) / fieldCount);
            if (isCodedType(data.fieldType(f))) {
                group.push_back(createCodedField(data, catalogue, kinds, m, f));
            } else if (kinds & (1u << slFields)) {
                auto set = std::make_unique<TMnozica>(
                    m, records, "(" + std::to_string(f) + ") " + data.fieldName(f));
                set->setAll();
                data.setSlot(f, kTotalSetSlot, catalogue.SetLists[slFields].append(std::move(set)));
            }
        }
        fillCodedFields(data, group);
    }
    if (progress) progress(0);
}

bool RuleFieldsSelected(const TSetCatalogue& catalogue, const TPravilo& rule) {
    for (const TItemPravila& item : rule) {
        const TMnozica* field = catalogue.fieldSet(item.FieldNo);
        if (field == nullptr || field->Selected == 0) return false;
    }
    return true;
}

int CountInContext(const TSetCatalogue& catalogue, const TMnozica& set) {
    const TMnozica* context = catalogue.context();
    return context == nullptr ? 0 : set.countAnd(context);
}

long double EntropyScale(long double x) {
    if (x < 1e-6L) x = 1e-6L;
    if (x > 0.999999L) x = 0.999999L;
    const long double h = -(x * std::log2(x) + (1 - x) * std::log2(1 - x));
    return x <= 0.5L ? h : 2 - h;
}

void TSetCatalogue::setEveryM(double m) {
    for (TMnozicaList& list : SetLists) {
        for (int i = 0; i < list.count(); ++i)
            list.item(i)->SetM = m;
    }
    for (const std::unique_ptr<TMnozica>& subTotal : subTotals)
        subTotal->SetM = m;
}

namespace {

// The value codes a condition holds: those of its value, or the range below or above it.
struct TCodeRange {
    int field;
    int from;
    int to;
};

TCodeRange codeRange(const TBaza& data, const TItemPravila& item) {
    TCodeRange range{item.FieldNo, item.ValueCode, item.ValueCode};
    if (item.Relation == relLess)
        range.from = data.fieldLow(item.FieldNo), range.to = item.ValueCode - 1;
    if (item.Relation == relGreater)
        range.from = item.ValueCode + 1, range.to = data.fieldHigh(item.FieldNo);
    return range;
}

// Fills the records of the sets in one pass over the records: a record is in a set when its code
// of each condition's field lies in the condition's range.
void fillFromCodes(const TBaza& data, const std::vector<TMnozica*>& sets) {
    std::vector<std::vector<TCodeRange>> conditions;
    for (TMnozica* set : sets) {
        for (const TItemPravila& item : set->Rule) {
            if (item.FieldNo < 0 || item.FieldNo >= data.FieldCount() ||
                !isCodedType(data.fieldType(item.FieldNo))) {
                throw EStContainerError("The records of \"" + set->SetName +
                                        "\" cannot be found from the value codes");
            }
        }
        set->allocateBuffer();
        conditions.emplace_back();
        for (const TItemPravila& item : set->Rule)
            conditions.back().push_back(codeRange(data, item));
    }
    constexpr std::size_t kRecordsAChunk = 64 * 1024;
    parallelRanges(static_cast<std::size_t>(data.RecordCount()), kRecordsAChunk, 64,
                   [&](std::size_t begin, std::size_t end) {
                       for (std::size_t r = begin; r < end; ++r) {
                           const int record = static_cast<int>(r);
                           const uint8_t* row = data.codeRow(record);
                           const uint64_t bit = uint64_t{1} << (r & 63);
                           for (size_t s = 0; s < sets.size(); ++s) {
                               bool member = true;
                               for (const TCodeRange& range : conditions[s]) {
                                   const int code = row[range.field] != TBaza::kOtherCode
                                                        ? row[range.field]
                                                        : data.fieldValueCode(record, range.field);
                                   member = member && code >= range.from && code <= range.to;
                               }
                               if (member) sets[s]->orWordUncounted(r >> 6, bit);
                           }
                       }
                   });
    for (TMnozica* set : sets)
        set->recountBits();
}

}  // namespace

void FillRecordSets(const TBaza& data, TSetCatalogue& catalogue,
                    const std::vector<TMnozica*>& needed, std::uint64_t budgetBytes) {
    const std::uint64_t now = ++catalogue.useClock;
    std::vector<TMnozica*> toFill;
    for (TMnozica* set : needed) {
        if (set == nullptr) continue;
        set->LastUse = now;
        if (set->hasBuffer()) continue;
        if (std::find(toFill.begin(), toFill.end(), set) == toFill.end()) toFill.push_back(set);
    }
    if (!toFill.empty()) {
        fillFromCodes(data, toFill);
        catalogue.filledOnDemand.insert(catalogue.filledOnDemand.end(), toFill.begin(),
                                        toFill.end());
    }
    std::vector<TMnozica*>& filled = catalogue.filledOnDemand;
    std::uint64_t bytes = 0;
    for (const TMnozica* set : filled)
        bytes += set->bufferBytes();
    while (bytes > budgetBytes) {
        auto oldest = std::min_element(
            filled.begin(), filled.end(),
            [](const TMnozica* a, const TMnozica* b) { return a->LastUse < b->LastUse; });
        if (oldest == filled.end() || (*oldest)->LastUse == now) break;
        bytes -= (*oldest)->bufferBytes();
        (*oldest)->releaseBuffer();
        filled.erase(oldest);
    }
}
