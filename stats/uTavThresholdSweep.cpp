#include "stats/uTavThresholdSweep.h"

#include <algorithm>

#include "core/Errors.h"
#include "core/FieldTypes.h"

bool HasThresholds(const TBaza& data, int field) {
    if (field < 0 || field >= data.FieldCount()) return false;
    const TFieldType type = data.fieldType(field);
    return type == ftInt || type == ftReal || type == ftCurrency;
}

TThresholdSweep ComputeThresholdSweep(TBaza& data, TSetCatalogue& sets, int classField, int target,
                                      int field) {
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
    TThresholdSweep sweep;
    sweep.findings = ComputeFindings(data, sets, options);
    sweep.fieldName = data.fieldName(field);
    const bool real = data.fieldType(field) != ftInt;
    for (const TFinding& finding : sweep.findings.ranked) {
        const TMnozica* rule = sets.SetLists[slRules].item(finding.ruleIndex);
        if (rule == nullptr || rule->Rule.size() != 1) continue;
        const TItemPravila& item = rule->Rule.front();
        if (item.Relation == relEqual) continue;
        TSweepPoint point{finding, item.Relation == relLess, 0};
        // "< code v" holds the codes below v: up to boundary v; "> code v" those above v: from
        // boundary v + 1 on (code k of a REAL field is the interval up to boundary k + 1).
        const int boundary = item.Relation == relLess ? item.ValueCode : item.ValueCode + 1;
        point.x = real ? data.fieldBoundary(field, boundary)
                       : item.ValueCode + (item.Relation == relLess ? -0.5 : 0.5);
        sweep.points.push_back(point);
    }
    std::stable_sort(sweep.points.begin(), sweep.points.end(),
                     [](const TSweepPoint& a, const TSweepPoint& b) {
                         if (a.less != b.less) return a.less;
                         return a.x < b.x;
                     });
    return sweep;
}
