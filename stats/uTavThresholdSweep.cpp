#include "stats/uTavThresholdSweep.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/FieldTypes.h"
#include "stats/ConditionText.h"

bool HasThresholds(const TBaza& data, int field) {
    if (field < 0 || field >= data.FieldCount()) return false;
    const TFieldType type = data.fieldType(field);
    return type == ftInt || type == ftReal || type == ftCurrency;
}

TThresholdSweep ComputeThresholdSweep(TBaza& data, TSetCatalogue& sets, int classField, int target,
                                      int field, const TContextClassCounts* counts) {
    if (!HasThresholds(data, field) || field == classField) {
        throw ETavError(
            "A threshold sweep needs an INT, REAL or CURRENCY field other than the "
            "class.");
    }
    TFindingsOptions options;
    options.classField = classField;
    options.target = target;
    options.minCount = 0;
    options.onlyField = field;
    options.selectedOnly = false;
    // Two thresholds without a record between them hold the same records; each is still a point
    // of the sweep, at its own place.
    options.mergeEquivalents = false;
    TThresholdSweep sweep;
    sweep.findings = ComputeFindings(data, sets, options, {}, counts);
    sweep.fieldName = data.fieldName(field);
    const bool real = data.fieldType(field) != ftInt;
    // The rules of the field's first and last value stand for its outermost thresholds ("<= b1"
    // and "> bn" of a REAL field), which the rules leave out as repetitions of those values.
    int lowest = kMaxValueCode + 1, highest = -1;
    if (real) {
        lowest = 0;
        highest = data.fieldBoundaryCount(field);
    } else {
        for (const TFinding& finding : sweep.findings.ranked) {
            const TMnozica* rule = sets.SetLists[slRules].item(finding.ruleIndex);
            if (rule == nullptr || rule->Rule.size() != 1) continue;
            if (rule->Rule.front().Relation != relEqual) continue;
            lowest = std::min(lowest, rule->Rule.front().ValueCode);
            highest = std::max(highest, rule->Rule.front().ValueCode);
        }
    }
    for (const TFinding& finding : sweep.findings.ranked) {
        const TMnozica* rule = sets.SetLists[slRules].item(finding.ruleIndex);
        if (rule == nullptr || rule->Rule.size() != 1) continue;
        TItemPravila item = rule->Rule.front();
        if (item.Relation == relEqual) {
            if (lowest == highest) continue;
            if (item.ValueCode == lowest) {
                item.Relation = relLess, item.ValueCode = lowest + 1;
            } else if (item.ValueCode == highest) {
                item.Relation = relGreater, item.ValueCode = highest - 1;
            } else {
                continue;
            }
        }
        TSweepPoint point{finding, item.Relation == relLess, 0, {}};
        // "< code v" holds the codes below v: up to boundary v; "> code v" those above v: from
        // boundary v + 1 on (code k of a REAL field is the interval up to boundary k + 1).
        const int boundary = item.Relation == relLess ? item.ValueCode : item.ValueCode + 1;
        point.x = real ? data.fieldBoundary(field, boundary)
                       : item.ValueCode + (item.Relation == relLess ? -0.5 : 0.5);
        point.label = real ? boundaryText(point.x) : valueLabel(data, field, item.ValueCode);
        point.finding.condition = conditionText(data, item);
        const bool repeated = std::any_of(
            sweep.points.begin(), sweep.points.end(),
            [&](const TSweepPoint& p) { return p.less == point.less && p.x == point.x; });
        if (!repeated) sweep.points.push_back(point);
    }
    if (real) {
        for (const TSweepPoint& p : sweep.points)
            sweep.ticks.emplace_back(p.x, p.label);
        std::sort(sweep.ticks.begin(), sweep.ticks.end());
        sweep.ticks.erase(std::unique(sweep.ticks.begin(), sweep.ticks.end()), sweep.ticks.end());
    } else if (!sweep.points.empty()) {
        auto [lowest, highest] = std::minmax_element(
            sweep.points.begin(), sweep.points.end(),
            [](const TSweepPoint& a, const TSweepPoint& b) { return a.x < b.x; });
        const int first = static_cast<int>(std::lround(lowest->x - 0.5));
        const int last = static_cast<int>(std::lround(highest->x + 0.5));
        for (int code = std::max(first, 0); code <= std::min(last, kMaxValueCode); ++code)
            sweep.ticks.emplace_back(code, valueLabel(data, field, code));
    }
    std::stable_sort(sweep.points.begin(), sweep.points.end(),
                     [](const TSweepPoint& a, const TSweepPoint& b) {
                         if (a.less != b.less) return a.less;
                         return a.x < b.x;
                     });
    return sweep;
}
