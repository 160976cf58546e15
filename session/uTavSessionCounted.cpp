// The session over a table counted elsewhere: the table's description stands for the table, and
// every number comes from the counts of a count source (a database server) under the filters.

#include <algorithm>

#include "core/Errors.h"
#include "session/uTavSession.h"
#include "stats/CountSource.h"
#include "stats/CountedFrequency.h"
#include "stats/PairCounts.h"
#include "stats/PairFindings.h"
#include "stats/RuleScores.h"
#include "table/TXMLDataSet.h"

namespace {

// The counts a session keeps: the Context's, and those of both compare filters, twice over
// (a class changed back and forth), are at hand without asking the source again.
constexpr std::size_t kCountsKept = 6;

std::string countsKey(int c, const std::vector<std::string>& filters) {
    std::string key = std::to_string(c);
    for (const std::string& filter : filters)
        key += '\x1f' + filter;
    return key;
}

}  // namespace

void TTavSession::openCountedTable(std::unique_ptr<TCountSource> source,
                                   const TDatabaseSource& where) {
    runCommand([&] {
        std::shared_ptr<TBaza> data = source->sharedDescription();
        if (data->FieldCount() == 0)
            throw ETavError("The table gives no fields: there is nothing to explore.");
        if (source->recordCount() == 0)
            throw ETavError("The table has no records: there is nothing to explore.");
        auto sets = std::make_unique<TSetCatalogue>();
        BuildSets(*data, *sets, kAllSetLists, MParam);
        const int chosen = source->classField();
        const int c = std::max(chosen, 0);
        // The first counts before anything changes: a source that cannot count leaves the
        // session as it was.
        auto counts =
            std::make_shared<const TContextClassCounts>(*data, c, source->countGroups({""}, c));
        takeNewTable(std::move(data), std::move(sets), std::move(source),
                     {{countsKey(c, {""}), std::move(counts)}});
        m_dataFileName.clear();
        m_database = where;
        startNewTable();
        // A class chosen with the table is never its own condition, as after an import.
        if (chosen >= 0) setClassFieldDeselected(chosen);
    });
}

void TTavSession::openCountedSession(const TSessionFile& kept, std::unique_ptr<TCountSource> source,
                                     const TDatabaseSource& where) {
    runCommand([&] {
        openCountedTable(std::move(source), where);
        applyKept(kept);
    });
}

long long TTavSession::recordCount() const {
    if (m_data == nullptr) return 0;
    return m_countSource ? m_countSource->recordCount() : m_data->RecordCount();
}

long long TTavSession::recordsIn(const TMnozica& set) const {
    if (!m_countSource) return set.bitCount();
    if (&set == m_sets->context()) return contextCounts().contextAll();
    if (&set == m_sets->compare1()) return countsUnder({m_appliedCompare1})->contextAll();
    if (&set == m_sets->compare2()) return countsUnder({m_appliedCompare2})->contextAll();
    return countsUnder({""})->ruleRecords(set, -1).all;
}

std::shared_ptr<const TContextClassCounts> TTavSession::countsUnder(
    const std::vector<std::string>& filters) const {
    const std::string key = countsKey(m_classField, filters);
    auto kept = std::find_if(m_keptCounts.begin(), m_keptCounts.end(),
                             [&](const TKeptCounts& k) { return k.key == key; });
    if (kept == m_keptCounts.end()) {
        auto counts = std::make_shared<const TContextClassCounts>(
            *m_data, m_classField, m_countSource->countGroups(filters, m_classField));
        m_keptCounts.insert(m_keptCounts.begin(), {key, std::move(counts)});
        if (m_keptCounts.size() > kCountsKept) m_keptCounts.pop_back();
        return m_keptCounts.front().counts;
    }
    std::rotate(m_keptCounts.begin(), kept, kept + 1);
    return m_keptCounts.front().counts;
}

const TContextClassCounts& TTavSession::contextCounts() const {
    return *countsUnder({m_appliedContext});
}

void TTavSession::fillCountedFrequency(TMnozica* rule, bool store, bool fill, int h,
                                       TCdfWindowCache* windows) {
    const bool compareMode = UseCompareFilters();
    // A rule of two conditions is counted as a population of its own, by its pair of fields.
    const bool pair = rule != nullptr && rule->Rule.size() == 2;
    auto under = [&](const std::vector<std::string>& filters) {
        return pair ? pairCountsUnder(filters, *rule) : countsUnder(filters);
    };
    // Held here: asking for further counts may drop the Context's from the cache.
    const auto context = countsUnder({m_appliedContext});
    std::shared_ptr<const TContextClassCounts> compare1, compare2, ruleRecords;
    if (compareMode) {
        compare1 = under({m_appliedContext, m_appliedCompare1});
        compare2 = under({m_appliedContext, m_appliedCompare2});
    } else if (pair) {
        ruleRecords = under({m_appliedContext});
    }
    TCountedFrequencyInputs inputs{*m_data,       *m_sets, *m_frequency,
                                   m_rules.get(), m_chart, *context};
    inputs.compare1 = compare1.get();
    inputs.compare2 = compare2.get();
    inputs.ruleRecords = ruleRecords.get();
    inputs.windows = windows;
    FillFrequencyTableFromCounts(inputs, m_classField, pair ? nullptr : rule, store && !pair, fill,
                                 h);
}

std::shared_ptr<const TContextClassCounts> TTavSession::pairCountsUnder(
    const std::vector<std::string>& filters, const TMnozica& pair) const {
    TCodeRange first = conditionCodeRange(*m_data, pair.Rule[0]);
    TCodeRange second = conditionCodeRange(*m_data, pair.Rule[1]);
    if (first.field > second.field) std::swap(first, second);
    std::string key = countsKey(m_classField, filters);
    for (const TCodeRange& range : {first, second}) {
        key += '\x1e' + std::to_string(range.field) + ':' + std::to_string(range.from) + ':' +
               std::to_string(range.to);
    }
    auto kept = std::find_if(m_keptCounts.begin(), m_keptCounts.end(),
                             [&](const TKeptCounts& k) { return k.key == key; });
    if (kept != m_keptCounts.end()) {
        std::rotate(m_keptCounts.begin(), kept, kept + 1);
        return m_keptCounts.front().counts;
    }
    // The pair's records by class code: the groups of the two fields within both ranges.
    std::vector<TCountedGroup> byClass;
    for (const TCountedPairGroup& group :
         m_countSource->countPairGroups(filters, m_classField, {{first.field, second.field}})) {
        if (group.codeA < first.from || group.codeA > first.to || group.codeB < second.from ||
            group.codeB > second.to)
            continue;
        byClass.push_back({-1, 0, group.classCode, group.records});
    }
    auto counts = std::make_shared<const TContextClassCounts>(*m_data, m_classField, byClass);
    m_keptCounts.insert(m_keptCounts.begin(), {key, counts});
    if (m_keptCounts.size() > kCountsKept) m_keptCounts.pop_back();
    return counts;
}

TCountedPairs TTavSession::countedPairs(const TContextClassCounts* context) const {
    if (!m_countSource) return {};
    return {context, [this](const std::vector<std::pair<int, int>>& pairs) {
                return m_countSource->countPairGroups({m_appliedContext}, m_classField, pairs);
            }};
}
