// Rules of two conditions: counts per pair of fields, the statistics of a simple rule's finding
// per pair, the sign shrinkage over all pairs and the comparison with the better part.

#include "stats/PairFindings.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <optional>

#include "core/Errors.h"
#include "core/FieldTypes.h"
#include "core/WorkerPool.h"
#include "stats/ConditionText.h"
#include "stats/PairCounts.h"
#include "stats/RuleScores.h"
#include "stats/SignShrinkage.h"
#include "stats/uTavFreq.h"

namespace {

// The candidate rules of one field: list 3 indexes and their code ranges.
struct TFieldRules {
    int field = 0;
    std::vector<int> rules;
    std::vector<TCodeRange> ranges;
};

// The simple rules a pair can be made of, grouped by field in field order: one condition on a
// selected coded field other than the class.
std::vector<TFieldRules> candidateRules(const TBaza& data, const TSetCatalogue& sets, int c) {
    std::map<int, TFieldRules> byField;
    const TMnozicaList& rules = sets.SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i) {
        const TPravilo& rule = rules.item(i)->Rule;
        if (rule.size() != 1 || rule[0].FieldNo == c) continue;
        const int f = rule[0].FieldNo;
        if (f < 0 || f >= data.FieldCount() || !isCodedType(data.fieldType(f))) continue;
        if (!RuleFieldsSelected(sets, rule)) continue;
        TFieldRules& group = byField[f];
        group.field = f;
        group.rules.push_back(i);
        group.ranges.push_back(conditionCodeRange(data, rule[0]));
    }
    std::vector<TFieldRules> groups;
    for (auto& [field, group] : byField)
        groups.push_back(std::move(group));
    return groups;
}

// Per field, the codes any of its candidate rules holds (empty for the other fields).
std::vector<TCodeRange> spansOf(const std::vector<TFieldRules>& groups, int fieldCount) {
    std::vector<TCodeRange> spans(fieldCount);
    for (const TFieldRules& group : groups) {
        TCodeRange span{group.field, kMaxValueCode + 1, -1};
        for (const TCodeRange& range : group.ranges) {
            if (range.from > range.to) continue;
            span.from = std::min(span.from, range.from);
            span.to = std::max(span.to, range.to);
        }
        spans[group.field] = span;
    }
    return spans;
}

// Calls `each(pairIndex, first, second, table)` for every pair of fields (first before second in
// field order), spread over the worker pool in batches of about 1 % of them; between batches
// reports progress and asks whether to stop. Returns the number of pairs of fields done, a
// prefix of the pairs.
template <typename Each>
size_t forEachFieldPair(const std::vector<TFieldRules>& groups, TPairCounter& counter,
                        const TFindingsHooks& hooks, Each each) {
    std::vector<std::pair<int, int>> pairs;
    for (size_t a = 0; a < groups.size(); ++a) {
        for (size_t b = a + 1; b < groups.size(); ++b)
            pairs.emplace_back(static_cast<int>(a), static_cast<int>(b));
    }
    const size_t batch = std::max<size_t>(counter.pairsABatch(), pairs.size() / 100);
    size_t done = 0;
    while (done < pairs.size()) {
        if (done > 0) {
            if (hooks.progress) hooks.progress(static_cast<double>(done) / pairs.size());
            if (hooks.cancelled && hooks.cancelled()) break;
        }
        const size_t first = done, last = std::min(pairs.size(), done + batch);
        std::vector<std::pair<int, int>> fields;
        for (size_t k = first; k < last; ++k)
            fields.emplace_back(groups[pairs[k].first].field, groups[pairs[k].second].field);
        counter.prepare(fields);
        TWorkerPool::shared().run(last - first, [&](std::size_t chunk) {
            const auto [a, b] = pairs[first + chunk];
            const TPairTable table = counter.count(groups[a].field, groups[b].field);
            each(first + chunk, groups[a], groups[b], table);
        });
        done = last;
    }
    return done;
}

// The counter of the pairs: of the Context's records in memory, or of the source of a table
// counted elsewhere.
TPairCounter pairCounter(const TBaza& data, const TSetCatalogue& sets, int c,
                         const std::vector<TFieldRules>& groups,
                         const std::array<int, 256>& slotOfCode, int slots,
                         const TCountedPairs* counted) {
    const std::vector<TCodeRange> spans = spansOf(groups, data.FieldCount());
    if (counted != nullptr) return TPairCounter(spans, slotOfCode, slots, counted->pairs);
    return TPairCounter(data, *sets.context(), c, spans, slotOfCode, slots);
}

// The Context's counts by class field c: those made elsewhere, or counted here into `own`.
const TContextClassCounts& contextCounts(const TBaza& data, const TStBits& context, int c,
                                         const TCountedPairs* counted,
                                         std::optional<TContextClassCounts>& own) {
    return counted != nullptr ? *counted->context : own.emplace(data, context, c);
}

size_t fieldPairCount(const std::vector<TFieldRules>& groups) {
    return groups.size() * (groups.size() - (groups.empty() ? 0 : 1)) / 2;
}

void checkTarget(const TBaza& data, int c, int target) {
    if (c < 0 || c >= data.FieldCount() || data.subTotalSet(c) == nullptr) {
        throw ETavError(
            "The class field has no values to find: choose a SET, INT, REAL or "
            "CURRENCY field as the class.");
    }
    if (target < 0 || target > kMaxValueCode || data.valueSet(c, target) == nullptr) {
        throw ETavError("The class field " + data.fieldName(c) + " has no value with the code " +
                        std::to_string(target) + ".");
    }
    int values = 0;
    for (int code = 0; code <= kMaxValueCode; ++code)
        values += data.valueSet(c, code) != nullptr ? 1 : 0;
    if (values < 2) {
        throw ETavError("The class field " + data.fieldName(c) +
                        " has only one value: there is nothing to compare its rate with. Choose "
                        "a class field with two or more values.");
    }
}

// What is kept of every pair counted for one class value.
struct TPairNumbers {
    int ruleA, ruleB;  // list 3 indexes
    int count, targetCount;
    double score, difference, se;
};

std::string pairCondition(const TBaza& data, const TMnozica& a, const TMnozica& b) {
    TPravilo rule = a.Rule;
    rule.insert(rule.end(), b.Rule.begin(), b.Rule.end());
    return ruleConditionText(data, rule);
}

// The lfsr of every ranked pair under a prior fitted to the candidates (an even sample of them
// past kPairFitSample), its s-value, and the flags.
void shrinkPairs(const std::vector<TPairNumbers>& numbers, const std::vector<size_t>& ranked,
                 double rate, double level, std::vector<double>& lfsr, std::vector<bool>& flagged) {
    std::vector<char> candidate(ranked.size());
    std::vector<size_t> inFit;
    for (size_t i = 0; i < ranked.size(); ++i) {
        const TPairNumbers& p = numbers[ranked[i]];
        candidate[i] =
            p.difference != 0 && directionCanShow(p.count, rate, p.difference > 0, level);
        if (candidate[i]) inFit.push_back(i);
    }
    const size_t step = std::max<size_t>(
        1, (inFit.size() + static_cast<size_t>(kPairFitSample) - 1) / kPairFitSample);
    std::vector<double> estimate, se;
    for (size_t j = 0; j < inFit.size(); j += step) {
        estimate.push_back(numbers[ranked[inFit[j]]].difference);
        se.push_back(numbers[ranked[inFit[j]]].se);
    }
    const TSignPrior prior = fitSignPrior(estimate, se);
    lfsr.assign(ranked.size(), 1.0);
    parallelRanges(ranked.size(), 4096, 1, [&](std::size_t begin, std::size_t end) {
        for (size_t i = begin; i < end; ++i) {
            const TPairNumbers& p = numbers[ranked[i]];
            lfsr[i] = localFalseSignRate(prior, p.difference, p.se);
        }
    });
    flagged.assign(ranked.size(), false);
    for (size_t i = 0; i < ranked.size(); ++i)
        flagged[i] = candidate[i] && lfsr[i] <= level;
}

std::string nothingToFind(const TPairFindings& findings) {
    if (findings.contextTargetCount == 0) {
        return "No record of the context has " + findings.targetText +
               ": no pair can change its rate, so nothing is flagged.";
    }
    if (findings.contextTargetCount == findings.contextCount) {
        return "Every record of the context has " + findings.targetText +
               ": no pair can change its rate, so nothing is flagged.";
    }
    return "";
}

}  // namespace

TPairFindings ComputePairFindings(const TBaza& data, const TSetCatalogue& sets,
                                  const TPairFindingsOptions& options, const TFindingsHooks& hooks,
                                  const TCountedPairs* counted) {
    const int c = options.classField, t = options.target;
    checkTarget(data, c, t);
    TPairFindings findings;
    findings.options = options;
    findings.targetText = classValueText(data, c, t);
    findings.m = data.subTotalSet(c)->SetM;
    findings.mPrior = MPrior;
    findings.significancePct = SignificancePct;
    const double level = std::clamp(SignificancePct / 100, 0.0, 1.0);
    const TStBits& context = *sets.context();

    // The Context and the simple rules alone as the single findings count them.
    std::optional<TContextClassCounts> own;
    const TContextClassCounts& single = contextCounts(data, context, c, counted, own);
    const std::int64_t all = single.contextAll(), withTarget = single.contextWith(t);
    const double m = findings.m;
    const TEstimate first = EstimateFromCounts(all, withTarget, all, withTarget, m);
    findings.contextCount = static_cast<int>(all);
    findings.contextTargetCount = static_cast<int>(withTarget);
    findings.context = credibleInterval(first.dist, level);
    findings.context.rate = first.probability;
    findings.note = nothingToFind(findings);
    const double contextSd = first.dist.StdDev();

    // Two slots: the target and every other record of the Context.
    std::array<int, 256> slotOfCode;
    slotOfCode.fill(1);
    slotOfCode[t] = 0;
    const std::vector<TFieldRules> groups = candidateRules(data, sets, c);
    TPairCounter counter = pairCounter(data, sets, c, groups, slotOfCode, 2, counted);
    std::vector<std::vector<TPairNumbers>> perFieldPair(fieldPairCount(groups));
    const size_t done = forEachFieldPair(
        groups, counter, hooks,
        [&](size_t index, const TFieldRules& a, const TFieldRules& b, const TPairTable& table) {
            std::vector<TPairNumbers>& out = perFieldPair[index];
            out.reserve(a.rules.size() * b.rules.size());
            for (size_t i = 0; i < a.rules.size(); ++i) {
                const TCodeRange& ra = a.ranges[i];
                for (size_t j = 0; j < b.rules.size(); ++j) {
                    const TCodeRange& rb = b.ranges[j];
                    const std::int64_t k = table.records(ra.from, ra.to, rb.from, rb.to, 0);
                    const std::int64_t n = k + table.records(ra.from, ra.to, rb.from, rb.to, 1);
                    const TEstimate pair = EstimateFromCounts(all, withTarget, n, k, m);
                    out.push_back({a.rules[i], b.rules[j], static_cast<int>(n), static_cast<int>(k),
                                   pair.scale - first.scale, pair.probability - first.probability,
                                   std::hypot(pair.dist.StdDev(), contextSd)});
                }
            }
        });
    findings.cancelled = done < perFieldPair.size();
    if (hooks.progress) hooks.progress(0);

    std::vector<TPairNumbers> numbers;
    for (const std::vector<TPairNumbers>& part : perFieldPair)
        numbers.insert(numbers.end(), part.begin(), part.end());
    findings.evaluated = static_cast<std::int64_t>(numbers.size());
    std::vector<size_t> ranked;
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i].count >= options.minCount) ranked.push_back(i);
    }
    findings.ranked = static_cast<std::int64_t>(ranked.size());

    const double rate = all > 0 ? static_cast<double>(withTarget) / all : 0.0;
    std::vector<double> lfsr;
    std::vector<bool> flagged;
    shrinkPairs(numbers, ranked, rate, level, lfsr, flagged);
    const std::vector<double> svalue = sValues(lfsr);
    long double expected = 0;
    for (size_t i = 0; i < ranked.size(); ++i) {
        if (flagged[i]) ++findings.flaggedCount, expected += lfsr[i];
    }

    // The largest changes in either direction; equal ones in creation order.
    const TMnozicaList& rules = sets.SetLists[slRules];
    std::vector<size_t> order(ranked.size());
    std::iota(order.begin(), order.end(), size_t{0});
    const size_t listed = std::min(order.size(), static_cast<size_t>(std::max(options.top, 0)));
    std::partial_sort(order.begin(), order.begin() + listed, order.end(), [&](size_t x, size_t y) {
        const TPairNumbers& p = numbers[ranked[x]];
        const TPairNumbers& q = numbers[ranked[y]];
        if (std::fabs(p.score) != std::fabs(q.score))
            return std::fabs(p.score) > std::fabs(q.score);
        return ranked[x] < ranked[y];
    });
    TCdfWindowCache windows;
    for (size_t place = 0; place < listed; ++place) {
        const size_t i = order[place];
        const TPairNumbers& p = numbers[ranked[i]];
        const TMnozica& a = *rules.item(p.ruleA);
        const TMnozica& b = *rules.item(p.ruleB);
        const TEstimate pair = EstimateFromCounts(all, withTarget, p.count, p.targetCount, m);
        TPairFinding f;
        f.setNumberA = a.SetNumber;
        f.setNumberB = b.SetNumber;
        f.condition = pairCondition(data, a, b);
        f.count = p.count;
        f.targetCount = p.targetCount;
        f.rule = credibleInterval(pair.dist, level);
        f.rule.rate = pair.probability;
        f.difference = p.difference;
        f.pHigher = pair.dist.ProbAbove(first.dist, windows);
        f.score = p.score;
        f.differenceSe = p.se;
        f.lfsr = lfsr[i];
        f.svalue = svalue[i];
        // As for a simple rule: the sentence's direction follows P(higher), so a pair where it
        // and the difference disagree is not called either way.
        const bool agrees = (f.difference > 0) == (f.pHigher > 0.5) && f.pHigher != 0.5;
        f.flagged = flagged[i] && agrees;
        if (flagged[i] && !agrees) --findings.flaggedCount, expected -= lfsr[i];

        const bool rises = f.difference >= 0;
        const TContextClassCounts::TRuleRecords ra = single.ruleRecords(a, t);
        const TContextClassCounts::TRuleRecords rb = single.ruleRecords(b, t);
        const TEstimate partA = EstimateFromCounts(all, withTarget, ra.all, ra.with, m);
        const TEstimate partB = EstimateFromCounts(all, withTarget, rb.all, rb.with, m);
        const bool aBetter =
            rises ? partA.probability >= partB.probability : partA.probability <= partB.probability;
        const TEstimate& better = aBetter ? partA : partB;
        f.betterCondition = ruleConditionText(data, (aBetter ? a : b).Rule);
        f.betterSetNumber = (aBetter ? a : b).SetNumber;
        f.better = credibleInterval(better.dist, level);
        f.better.rate = better.probability;
        f.lift = better.probability > 0 ? pair.probability / better.probability : 0.0;
        f.pBeyondBetter =
            rises ? pair.dist.ProbAbove(better.dist) : better.dist.ProbAbove(pair.dist);
        const double partHigher = better.dist.ProbAbove(first.dist, windows);
        const bool partSure = rises ? partHigher >= 1 - level : partHigher <= level;
        f.repeatsPart = partSure && f.pBeyondBetter < 1 - level;
        findings.top.push_back(std::move(f));
    }
    findings.expectedWrong = static_cast<double>(expected);
    return findings;
}

std::vector<TPairScore> RankPairs(const TBaza& data, const TSetCatalogue& sets, int c, int top,
                                  const std::array<bool, kSubTotalSlot + 1>& rowVisible,
                                  const TFindingsHooks& hooks, bool& complete,
                                  const TCountedPairs* counted) {
    if (c < 0 || c >= data.FieldCount() || data.subTotalSet(c) == nullptr) {
        throw ETavError(
            "The class field has no values to rank by: choose a SET, INT, REAL or "
            "CURRENCY field as the class.");
    }
    const TStBits& context = *sets.context();
    // One slot per class value with a value set, the last for every other code; the rows and
    // their first estimates as the ranking of simple rules has them (RuleScores.cpp).
    std::array<int, 256> slotOfCode;
    struct TRow {
        int slot;
        bool known;
        double m;
        std::int64_t priorN;
        TEstimate first;
    };
    std::vector<TRow> rows;
    std::vector<char> knownSlot;
    int slots = 0, present = 0;
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data.valueSet(c, code) == nullptr) continue;
        ++present;
        slotOfCode[code] = slots++;
        knownSlot.push_back(!data.isUnknownCode(c, code));
        if (rowVisible[code])
            rows.push_back({slotOfCode[code],
                            !data.isUnknownCode(c, code),
                            data.valueSet(c, code)->SetM,
                            0,
                            {}});
    }
    for (int code = 0; code < 256; ++code) {
        if (code > kMaxValueCode || data.valueSet(c, code) == nullptr) slotOfCode[code] = slots;
    }
    knownSlot.push_back(0);
    ++slots;
    std::optional<TContextClassCounts> own;
    const TContextClassCounts& single = contextCounts(data, context, c, counted, own);
    std::int64_t priorD = 0, all = single.contextAll(), subTotalPriorN = 0;
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data.valueSet(c, code) != nullptr && knownSlot[slotOfCode[code]])
            priorD += single.contextWith(code);
    }
    std::vector<std::int64_t> perSlot(slots, 0);
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data.valueSet(c, code) != nullptr) perSlot[slotOfCode[code]] = single.contextWith(code);
    }
    for (TRow& row : rows) {
        row.priorN = row.known ? perSlot[row.slot] : 0;
        row.first = EstimateFromCounts(priorD, row.priorN, priorD, row.priorN, row.m);
        subTotalPriorN += perSlot[row.slot];
    }
    const bool hidden = static_cast<int>(rows.size()) < present;
    const double subTotalM = data.subTotalSet(c)->SetM;
    const TEstimate subTotalFirst =
        EstimateFromCounts(all, subTotalPriorN, all, subTotalPriorN, subTotalM);

    struct TScored {
        int ruleA, ruleB, count;
        double score;
    };
    const std::vector<TFieldRules> groups = candidateRules(data, sets, c);
    TPairCounter counter = pairCounter(data, sets, c, groups, slotOfCode, slots, counted);
    std::vector<std::vector<TScored>> perFieldPair(fieldPairCount(groups));
    const size_t done = forEachFieldPair(
        groups, counter, hooks,
        [&](size_t index, const TFieldRules& a, const TFieldRules& b, const TPairTable& table) {
            std::vector<std::int64_t> n(slots);
            for (size_t i = 0; i < a.rules.size(); ++i) {
                const TCodeRange& ra = a.ranges[i];
                for (size_t j = 0; j < b.rules.size(); ++j) {
                    const TCodeRange& rb = b.ranges[j];
                    std::int64_t countD = 0, total = 0, visible = 0;
                    for (int s = 0; s < slots; ++s) {
                        n[s] = table.records(ra.from, ra.to, rb.from, rb.to, s);
                        if (knownSlot[s]) countD += n[s];
                        total += n[s];
                    }
                    long double sum = 0;
                    for (const TRow& row : rows) {
                        visible += n[row.slot];
                        const TEstimate second = EstimateFromCounts(
                            priorD, row.priorN, countD, row.known ? n[row.slot] : 0, row.m);
                        sum += std::fabs(second.scale - row.first.scale);
                    }
                    // With a value hidden, the "Sub-total" scores the rule, as for simple rules.
                    if (hidden) {
                        sum = EstimateFromCounts(all, subTotalPriorN, total, visible, subTotalM)
                                  .scale -
                              subTotalFirst.scale;
                    }
                    perFieldPair[index].push_back({a.rules[i], b.rules[j], static_cast<int>(total),
                                                   static_cast<double>(sum)});
                }
            }
        });
    complete = done == perFieldPair.size();
    if (hooks.progress) hooks.progress(0);
    std::vector<TScored> scored;
    for (const std::vector<TScored>& part : perFieldPair)
        scored.insert(scored.end(), part.begin(), part.end());
    const size_t listed = std::min(scored.size(), static_cast<size_t>(std::max(top, 0)));
    std::vector<size_t> order(scored.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::partial_sort(order.begin(), order.begin() + listed, order.end(), [&](size_t x, size_t y) {
        if (scored[x].score != scored[y].score) return scored[x].score > scored[y].score;
        return x < y;
    });
    const TMnozicaList& rules = sets.SetLists[slRules];
    std::vector<TPairScore> out;
    for (size_t place = 0; place < listed; ++place) {
        const TScored& p = scored[order[place]];
        const TMnozica& a = *rules.item(p.ruleA);
        const TMnozica& b = *rules.item(p.ruleB);
        out.push_back({a.SetNumber, b.SetNumber, pairCondition(data, a, b), p.count, p.score});
    }
    return out;
}
