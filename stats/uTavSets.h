#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/StBits.h"
#include "core/uTavObj.h"
#include "stats/uTavBeta.h"

// Relations of a rule item: the field's code equal to, less than or greater than ValueCode.
enum TRelation : std::uint8_t { relEqual = 0, relLess = 1, relGreater = 2 };

// One condition of a rule.
struct TItemPravila {
    std::int32_t FieldNo = 0;
    std::int32_t ValueCode = 0;
    std::uint8_t Relation = relEqual;
};

// A rule: the ordered conditions that define a record set (empty for the fixed sets).
using TPravilo = std::vector<TItemPravila>;

// Appends a condition to a rule.
void AddItem(TPravilo& rule, int field, int valueCode, TRelation relation);

// A record set: one bit per record of the loaded table, with its name, rule and the results of
// its last evaluation. The sets of the rules (list 3) hold only their counts until something
// needs their records (see FillRecordSets).
class TMnozica : public TStBits {
  public:
    // A set of `recordCount` records, all clear; without `withRecords`, a set without its bits.
    // Throws EStContainerError when recordCount < 1.
    TMnozica(double m, int recordCount, std::string name, bool withRecords = true);

    TBeta Dist;   // posterior of the last Evaluate
    double SetM;  // m in force when the set was built
    std::int32_t EvalCount = 0;
    std::int32_t Selected = 0;  // field sets: 0 not selected, 10 selected
    double EvalStd = 0;
    double EvalScale = 0;
    TPravilo Rule;
    double Score = 0;
    double Signif = 0;
    // Rules: a cancelled entropy-gain run stopped before this rule, so Score and Signif are none.
    bool Unscored = false;
    std::int32_t SetNumber = 0;  // 1-based creation position in its list; 0 for fixed sets
    std::string SetName;
    std::uint64_t LastUse = 0;  // when FillRecordSets last asked for its records
    std::int64_t ContextCount =
        0;  // rules: its records in the Context, as the session last counted
};

// The value of Selected of a selected field set.
inline constexpr std::int32_t kSelected = 10;

// An ordered list of record sets that owns them.
class TMnozicaList {
  public:
    // Item i, or none when i is outside 0..count-1.
    TMnozica* item(int i) const;
    TMnozica* operator[](int i) const { return item(i); }
    int count() const { return static_cast<int>(m_items.size()); }
    // Appends a set and returns it.
    TMnozica* append(std::unique_ptr<TMnozica> set);
    void clear() { m_items.clear(); }
    // Sorts by `less`, which must be a strict weak order.
    void sort(const std::function<bool(const TMnozica&, const TMnozica&)>& less);

  private:
    std::vector<std::unique_ptr<TMnozica>> m_items;
};

// Indexes of the five set lists.
enum TSetListIndex : int {
    slFixed = 0,    // "Complete set", "Temporary set"
    slFields = 1,   // one field set per field, index = field
    slFilters = 2,  // "Context", "Compare 1", "Compare 2"
    slRules = 3,    // the simple rules
    slSpare = 4,    // emptied only
};
inline constexpr int kSetListCount = 5;

// The record sets of one loaded table: the five lists and the sub-total sets (which are in no
// list). The data object's slots refer to sets owned here.
struct TSetCatalogue {
    TMnozicaList SetLists[kSetListCount];
    std::vector<std::unique_ptr<TMnozica>> subTotals;

    // The Context set (list 2, item 0), or none before a build.
    TMnozica* context() const { return SetLists[slFilters].item(0); }
    TMnozica* compare1() const { return SetLists[slFilters].item(1); }
    TMnozica* compare2() const { return SetLists[slFilters].item(2); }
    // The field set of field i (list 1, item i), or none.
    TMnozica* fieldSet(int i) const { return SetLists[slFields].item(i); }
    // Gives every set, those of the lists and the sub-totals, the m of its estimates.
    void setEveryM(double m);

    // The sets FillRecordSets filled and that still hold their records, and its use counter.
    std::vector<TMnozica*> filledOnDemand;
    std::uint64_t useClock = 0;
};

// The bytes of records the sets filled on demand keep together before the least recently used
// are freed again: a few hundred sets of a table of ten million records, every set of a small one.
inline constexpr std::uint64_t kOnDemandRecordBytes = std::uint64_t{256} << 20;

// Makes every set of `needed` hold its records: a set of list 3 without them is filled from the
// value codes of its rule (one pass over the records for all of them); other sets hold theirs
// always. Then frees the records of the least recently used sets filled so, other than those of
// `needed`, while they keep more than `budgetBytes`. Entries of `needed` may be none. Called from
// one thread at a time; a pointer to a set's words stays good until the next call.
void FillRecordSets(const TBaza& data, TSetCatalogue& catalogue,
                    const std::vector<TMnozica*>& needed,
                    std::uint64_t budgetBytes = kOnDemandRecordBytes);

// Bits of the list numbers given to BuildSets.
inline constexpr unsigned kAllSetLists = 0x1F;

// Builds the record sets of the lists in `kinds` (bit k for list k) from the loaded table, stores
// them in the table's slots and reports progress 0.5..1 per coded field, then 0. `m` is the m of
// the new sets. Throws EStContainerError for a table without records.
void BuildSets(TBaza& data, TSetCatalogue& catalogue, unsigned kinds, double m,
               const ProgressHook& progress = {});

// Whether every field of the rule has its field set selected; true for an empty rule.
bool RuleFieldsSelected(const TSetCatalogue& catalogue, const TPravilo& rule);

// The number of records both in `set` and in the Context.
int CountInContext(const TSetCatalogue& catalogue, const TMnozica& set);

// A probability mapped monotonically onto 0..2 by its binary entropy: H for x <= 0.5, 2 - H above,
// with x clamped to [1e-6, 0.999999].
long double EntropyScale(long double x);
