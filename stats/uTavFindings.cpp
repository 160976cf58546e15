// The findings of one class value: each rule through FillFrequencyTable with only the target's
// row visible, then the flags of the sign shrinkage and the prior re-ranking.

#include "stats/uTavFindings.h"

#include "stats/SignShrinkage.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <numeric>
#include <optional>
#include <system_error>
#include <unordered_map>

#include "core/Errors.h"
#include "stats/ConditionText.h"
#include "stats/RuleScores.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

TRateEstimate credibleInterval(const TBeta& dist, double level) {
    const double s = std::clamp(std::isfinite(level) ? level : 0.0, 0.0, 1.0);
    return TRateEstimate{dist.Mean(), dist.Quantile(s / 2), dist.Quantile(1 - s / 2)};
}

bool directionCanShow(int count, double rate, bool rises, double level) {
    // A rule far too small for its expected target count shows a fall (or, for a target of
    // nearly every record, a rise) by chance alone; the beta posteriors of such a rule, with a
    // first shape near m times the rate, would call that direction sure.
    if (!(rate > 0 && rate < 1) || count < 0) return false;
    const double extreme = std::pow(rises ? rate : 1 - rate, count);
    return extreme < level;
}

double priorScore(int k, int n, int kC, int nC, double m, double mPrior) {
    // Evaluate's arithmetic for the "Sub-total" row: its prior comes from the whole Context.
    const long double q = (kC + 0.5L * mPrior) / (nC + static_cast<long double>(mPrior));
    const long double context = (kC + m * q) / (nC + static_cast<long double>(m));
    const long double rule = (k + m * q) / (n + static_cast<long double>(m));
    return static_cast<double>(EntropyScale(rule) - EntropyScale(context));
}

void rankPriorSensitivity(std::vector<TFinding>& ranked, int kC, int nC, double mPrior) {
    for (TFinding& finding : ranked) {
        finding.rankLow = 0;
        finding.rankHigh = 0;
    }
    std::vector<double> scores(ranked.size());
    std::vector<size_t> order(ranked.size());
    for (double m : kSensitivityM) {
        for (size_t i = 0; i < ranked.size(); ++i) {
            // The size of the change ranks: a rule that lowers the rate as strongly as another
            // raises it is as robust a finding.
            scores[i] =
                std::fabs(priorScore(ranked[i].targetCount, ranked[i].count, kC, nC, m, mPrior));
        }
        std::iota(order.begin(), order.end(), size_t{0});
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return scores[a] > scores[b]; });
        for (size_t rank = 0; rank < order.size(); ++rank) {
            TFinding& finding = ranked[order[rank]];
            const int place = static_cast<int>(rank) + 1;
            finding.rankLow = finding.rankLow == 0 ? place : std::min(finding.rankLow, place);
            finding.rankHigh = std::max(finding.rankHigh, place);
        }
    }
    for (TFinding& finding : ranked)
        finding.robust = finding.rankHigh > 0 && finding.rankHigh <= kRobustTop;
}

void sortFindings(std::vector<TFinding>& findings, TFindingsSort sort) {
    auto key = [sort](const TFinding& f) {
        switch (sort) {
            case TFindingsSort::P:
                return f.pHigher;
            case TFindingsSort::Diff:
                return f.difference;
            case TFindingsSort::Score:
                break;
        }
        return f.score;
    };
    std::stable_sort(findings.begin(), findings.end(), [&](const TFinding& a, const TFinding& b) {
        if (key(a) != key(b)) return key(a) > key(b);
        return a.setNumber < b.setNumber;
    });
}

std::string multiplicityLine(const TFindings& findings) {
    // "." whatever the process's locale: the window runs under the user's.
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, findings.expectedWrong,
                                   std::chars_format::fixed, 2);
    const std::string expected(buffer, end.ec == std::errc() ? end.ptr : buffer);
    return std::to_string(findings.flaggedCount) +
           (findings.flaggedCount == 1 ? " rule flagged" : " rules flagged") +
           "; expected wrong signs " + expected + "; " + std::to_string(findings.colouredCount) +
           " coloured row by row";
}

std::string ruleCondition(const TBaza& data, const TMnozica& set) {
    if (set.Rule.empty()) return set.SetName;
    return ruleConditionText(data, set.Rule);
}

namespace {

// The rules a finding can be made of: a condition on (selected) fields other than the class.
bool isCandidate(const TSetCatalogue& sets, const TMnozica& rule, const TFindingsOptions& options) {
    if (rule.Rule.empty()) return false;
    if (options.selectedOnly && !RuleFieldsSelected(sets, rule.Rule)) return false;
    return std::none_of(rule.Rule.begin(), rule.Rule.end(), [&](const TItemPravila& item) {
        return item.FieldNo == options.classField ||
               (options.onlyField >= 0 && item.FieldNo != options.onlyField);
    });
}

// What the sub-total row (the first row) of a Frequency table computed with only t visible says.
struct TSubTotalRow {
    int frequency = 0, condFrequency = 0;
    double probability = 0, condProbability = 0, change = 0, signif = 0;
};

TSubTotalRow readSubTotalRow(TXMLDataSet& table) {
    using namespace FrequencyColumns;
    if (table.RecordCount() < 1 || table.valueAt(0, kNo).toInteger() != kSubTotalSlot) {
        throw ETavError("The findings could not read the target's row of the Frequency table.");
    }
    return TSubTotalRow{static_cast<int>(table.valueAt(0, kFrequency).toInteger()),
                        static_cast<int>(table.valueAt(0, kCondFrequency).toInteger()),
                        table.valueAt(0, kProbability).toFloat(),
                        table.valueAt(0, kCondProbability).toFloat(),
                        table.valueAt(0, kEntropyChange).toFloat(),
                        table.valueAt(0, kSignif).toFloat()};
}

// The "Sub-total" rows of the target alone from counts, as FillFrequencyTable computes them
// with only the target's row visible: the target's records within the whole Context against
// those within the rule's records there.
struct TCountedSubTotals {
    int target;
    const TContextClassCounts& counts;
    std::int64_t all, withTarget;
    double m;
    TEstimate first;
    TCdfWindowCache windows;

    TCountedSubTotals(const TBaza& data, const TContextClassCounts& made, int c, int t)
        : target(t),
          counts(made),
          all(counts.contextAll()),
          withTarget(counts.contextWith(t)),
          m(data.subTotalSet(c)->SetM),
          first(EstimateFromCounts(all, withTarget, all, withTarget, m)) {}

    // The row of `rule`; its distribution and its Context records go to the last two.
    TSubTotalRow row(const TMnozica& rule, TBeta& ruleDist, int& ruleCount) {
        const TContextClassCounts::TRuleRecords records = counts.ruleRecords(rule, target);
        const TEstimate second = EstimateFromCounts(all, withTarget, records.all, records.with, m);
        ruleDist = second.dist;
        ruleCount = static_cast<int>(records.all);
        // A row without records shows no Signif, which reads back as 0.
        const double signif = first.count == 0 && second.count == 0
                                  ? 0.0
                                  : second.dist.ProbAbove(first.dist, windows);
        return TSubTotalRow{first.count,
                            second.count,
                            first.probability,
                            second.probability,
                            second.scale - first.scale,
                            signif};
    }
};

void checkTarget(const TBaza& data, const TFindingsOptions& options) {
    const int c = options.classField;
    if (c < 0 || c >= data.FieldCount() || data.subTotalSet(c) == nullptr) {
        throw ETavError(
            "The class field has no values to find: choose a SET, INT, REAL or "
            "CURRENCY field as the class.");
    }
    if (options.target < 0 || options.target > kMaxValueCode ||
        data.valueSet(c, options.target) == nullptr) {
        throw ETavError("The class field " + data.fieldName(c) + " has no value with the code " +
                        std::to_string(options.target) + ".");
    }
    // With one value the Frequency table has no sub-total to read, and no other value to
    // compare with.
    int values = 0;
    for (int code = 0; code <= kMaxValueCode; ++code)
        values += data.valueSet(c, code) != nullptr ? 1 : 0;
    if (values < 2) {
        throw ETavError("The class field " + data.fieldName(c) +
                        " has only one value: there is nothing to compare its rate with. Choose "
                        "a class field with two or more values.");
    }
}

// Why the Context leaves nothing to find for the target, or "".
std::string nothingToFind(const TFindings& findings) {
    const std::string& value = findings.targetText;
    if (findings.contextTargetCount == 0) {
        return "No record of the context has " + value +
               ": no rule can change its rate, so nothing is flagged.";
    }
    if (findings.contextTargetCount == findings.contextCount) {
        return "Every record of the context has " + value +
               ": no rule can change its rate, so nothing is flagged.";
    }
    return "";
}

// The lfsr, s-values and flags, the expected wrong signs and the per-row colouring of the
// ranked findings. Rules whose direction cannot show take no part in the fit of the prior, so a
// rare target's many empty small rules do not pass for real effects, and are never flagged.
void markMultiplicity(TFindings& findings) {
    const double level = std::clamp(findings.significancePct / 100, 0.0, 1.0);
    const double rate =
        findings.contextCount > 0
            ? static_cast<double>(findings.contextTargetCount) / findings.contextCount
            : 0.0;
    const size_t n = findings.ranked.size();
    std::vector<double> estimate(n), se(n);
    std::vector<bool> candidate(n, false);
    for (size_t i = 0; i < n; ++i) {
        const TFinding& finding = findings.ranked[i];
        estimate[i] = finding.difference;
        se[i] = finding.differenceSe;
        candidate[i] = finding.pHigher != 0.5 &&
                       directionCanShow(finding.count, rate, finding.pHigher > 0.5, level);
    }
    const TSignShrinkage shrinkage = shrinkSigns(estimate, se, candidate);
    long double expected = 0;
    for (size_t i = 0; i < n; ++i) {
        TFinding& finding = findings.ranked[i];
        finding.lfsr = shrinkage.lfsr[i];
        finding.svalue = shrinkage.svalue[i];
        // The sign the lfsr speaks of is the estimate's; P(higher) names the direction in the
        // sentence, so a rule where the two disagree is not called either way.
        const bool agrees =
            (finding.difference > 0) == (finding.pHigher > 0.5) && finding.difference != 0;
        finding.flagged = candidate[i] && agrees && finding.lfsr <= level;
        if (finding.flagged) ++findings.flaggedCount, expected += finding.lfsr;
        if (finding.coloured) ++findings.colouredCount;
    }
    findings.expectedWrong = static_cast<double>(expected);
}

// Whether two sets hold the same Context records.
bool sameRecords(const TStBits& a, const TStBits& b, const TStBits& context) {
    const std::vector<uint64_t>& x = a.words();
    const std::vector<uint64_t>& y = b.words();
    const std::vector<uint64_t>& c = context.words();
    for (size_t k = 0; k < c.size(); ++k) {
        if ((x[k] & c[k]) != (y[k] & c[k])) return false;
    }
    return true;
}

// A hash of the numbers of a finding that equivalent rules share.
uint64_t numbersHash(const TFinding& finding) {
    uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](uint64_t value) { hash = (hash ^ value) * 1099511628211ull; };
    mix(static_cast<uint64_t>(finding.count));
    mix(static_cast<uint64_t>(finding.targetCount));
    for (double x : {finding.difference, finding.pHigher, finding.score})
        mix(std::bit_cast<uint64_t>(x));
    return hash;
}

// Folds each finding into the first earlier one with the same Context records and the same
// numbers; `sets` holds each finding's rule set. Equal numbers alone are not enough (two fields
// can split the records alike by chance and still be different rules of the same size), nor are
// equal records (the known values of the two fields can differ, and with them the numbers).
// Records are compared only between findings with equal numbers, which are few, so that the
// rules' sets are filled for those alone.
void mergeEquivalentRules(std::vector<TFinding>& findings, const std::vector<TMnozica*>& sets,
                          const TBaza& data, TSetCatalogue& catalogue,
                          const TContextClassCounts* counted) {
    // Per hash of the numbers, the kept findings: their index in `merged` and their sets.
    std::unordered_map<uint64_t, std::vector<std::pair<size_t, TMnozica*>>> kept;
    std::vector<TFinding> merged;
    auto sameNumbers = [](const TFinding& a, const TFinding& b) {
        return a.count == b.count && a.targetCount == b.targetCount &&
               a.difference == b.difference && a.pHigher == b.pHigher && a.score == b.score;
    };
    auto sameContextRecords = [&](TMnozica* a, TMnozica* b, int count) {
        // Two rules without Context records hold the same ones: none.
        if (count == 0) return true;
        // Without the records in memory the counts tell what they can.
        if (counted != nullptr) return counted->sameRecords(*a, *b);
        FillRecordSets(data, catalogue, {a, b});
        return sameRecords(*a, *b, *catalogue.context());
    };
    for (size_t i = 0; i < findings.size(); ++i) {
        auto& bucket = kept[numbersHash(findings[i])];
        auto same = std::find_if(bucket.begin(), bucket.end(), [&](const auto& k) {
            return sameNumbers(merged[k.first], findings[i]) &&
                   sameContextRecords(k.second, sets[i], findings[i].count);
        });
        if (same != bucket.end()) {
            merged[same->first].equivalents.push_back(findings[i].name);
            continue;
        }
        bucket.emplace_back(merged.size(), sets[i]);
        merged.push_back(std::move(findings[i]));
    }
    findings = std::move(merged);
}

}  // namespace

TFindings ComputeFindings(TBaza& data, TSetCatalogue& sets, const TFindingsOptions& options,
                          const TFindingsHooks& hooks, const TContextClassCounts* counts) {
    checkTarget(data, options);
    const int c = options.classField;
    TFindings findings;
    findings.options = options;
    findings.className = data.fieldName(c);
    findings.targetName = valueLabel(data, c, options.target);
    findings.targetText = classValueText(data, c, options.target);
    findings.m = data.subTotalSet(c)->SetM;
    findings.mPrior = MPrior;
    findings.significancePct = SignificancePct;
    const double level = std::clamp(SignificancePct / 100, 0.0, 1.0);

    std::array<bool, kSubTotalSlot + 1> onlyTarget{};
    onlyTarget[options.target] = true;
    TXMLDataSet table;
    table.SetCodePageIn(cp1250);
    table.OnGetHeader = XMLdtstFrequencyGetHeader;
    table.open();
    TChartParams chart;
    TFrequencyRunCache cache;
    const TFrequencyInputs inputs{data, sets, table, nullptr, chart, {}, &cache, &onlyTarget};

    // With simple rules only, each rule's row follows from counts made once for the Context.
    std::optional<TContextClassCounts> contextCounts;
    std::optional<TCountedSubTotals> counted;
    if (counts != nullptr) {
        counted.emplace(data, *counts, c, options.target);
    } else if (RulesScorableFromCounts(data, sets)) {
        counted.emplace(data, contextCounts.emplace(data, *sets.context(), c), c, options.target);
    }
    TBeta contextDist;
    if (counts != nullptr) {
        // The Context's own row, as the table gives it without a rule.
        findings.contextCount = counts->contextAll();
        findings.contextTargetCount = counted->first.count;
        contextDist = counted->first.dist;
        findings.context = credibleInterval(contextDist, level);
        findings.context.rate = counted->first.probability;
    } else {
        // Without a rule (index -1) the second population is the Context itself.
        FillFrequencyTable(inputs, c, -1, false, true, kSubTotalSlot);
        const TSubTotalRow contextRow = readSubTotalRow(table);
        findings.contextCount = sets.context()->bitCount();
        findings.contextTargetCount = contextRow.frequency;
        contextDist = TBeta{chart.ChartAlpha1, chart.ChartBeta1};
        findings.context = credibleInterval(contextDist, level);
        findings.context.rate = contextRow.probability;
    }
    const double contextSd = contextDist.StdDev();
    const TMnozicaList& rules = sets.SetLists[slRules];
    std::vector<TFinding> all;
    std::vector<TMnozica*> allSets;
    for (int i = 0; i < rules.count(); ++i) {
        if (hooks.cancelled && hooks.cancelled()) {
            if (hooks.progress) hooks.progress(0);
            TFindings stopped;
            stopped.options = options;
            stopped.cancelled = true;
            return stopped;
        }
        if (hooks.progress && i % 16 == 0) hooks.progress(static_cast<double>(i) / rules.count());
        TMnozica& rule = *rules.item(i);
        if (!isCandidate(sets, rule, options)) continue;
        TSubTotalRow row;
        TBeta ruleDist;
        TFinding finding;
        if (counted) {
            row = counted->row(rule, ruleDist, finding.count);
        } else {
            FillFrequencyTable(inputs, c, i, false, true, kSubTotalSlot);
            row = readSubTotalRow(table);
            ruleDist = TBeta{chart.ChartAlpha2, chart.ChartBeta2};
            finding.count = CountInContext(sets, rule);
        }
        finding.ruleIndex = i;
        finding.setNumber = rule.SetNumber;
        finding.name = rule.SetName;
        finding.condition = ruleCondition(data, rule);
        finding.targetCount = row.condFrequency;
        finding.rule = credibleInterval(ruleDist, level);
        finding.rule.rate = row.condProbability;
        finding.difference = row.condProbability - row.probability;
        finding.pHigher = row.signif;
        finding.score = row.change;
        finding.error = std::min(row.signif, 1 - row.signif);
        finding.differenceSe = std::hypot(ruleDist.StdDev(), contextSd);
        // As the Frequency table colours the row: a row without records shows no colour.
        finding.coloured =
            !FrequencyRowColor(kSubTotalSlot, row.frequency, row.condFrequency, row.signif)
                 .isDefault;
        all.push_back(std::move(finding));
        allSets.push_back(&rule);
    }
    if (hooks.progress) hooks.progress(0);
    if (options.mergeEquivalents) mergeEquivalentRules(all, allSets, data, sets, counts);
    for (TFinding& finding : all)
        (finding.count >= options.minCount ? findings.ranked : findings.small)
            .push_back(std::move(finding));

    sortFindings(findings.ranked, options.sort);
    findings.note = nothingToFind(findings);
    markMultiplicity(findings);
    rankPriorSensitivity(findings.ranked, findings.contextTargetCount, findings.contextCount,
                         findings.mPrior);
    return findings;
}
