#include "stats/PairFindingsText.h"

#include "core/Win1250.h"

namespace {

const char* const kPairColumns[] = {
    "rule_no_a",       "rule_no_b",   "condition",    "records",     "target_records",
    "context_rate",    "context_low", "context_high", "rule_rate",   "rule_low",
    "rule_high",       "difference",  "p_higher",     "score",       "lfsr",
    "s_value",         "flagged",     "better_part",  "better_rate", "lift",
    "p_beyond_better", "repeats_part"};

// The single findings' form of the same settings, for their header.
TFindings asSingleFindings(const TPairFindings& pairs) {
    TFindings findings;
    findings.options.classField = pairs.options.classField;
    findings.options.target = pairs.options.target;
    findings.options.minCount = pairs.options.minCount;
    findings.targetText = pairs.targetText;
    findings.contextCount = pairs.contextCount;
    findings.m = pairs.m;
    findings.mPrior = pairs.mPrior;
    findings.significancePct = pairs.significancePct;
    return findings;
}

std::vector<TRowCell> pairCells(const TPairFindings& findings, const TPairFinding& p) {
    auto whole = [](long long n) { return TRowCell(n); };
    return {whole(p.ruleNumberA()),
            whole(p.ruleNumberB()),
            p.condition,
            whole(p.count),
            whole(p.targetCount),
            findings.context.rate,
            findings.context.low,
            findings.context.high,
            p.rule.rate,
            p.rule.low,
            p.rule.high,
            p.difference,
            p.pHigher,
            p.score,
            p.lfsr,
            p.svalue,
            p.flagged,
            p.betterCondition,
            p.better.rate,
            p.lift,
            p.pBeyondBetter,
            p.repeatsPart};
}

}  // namespace

std::string pairMultiplicityLine(const TPairFindings& findings) {
    return std::to_string(findings.flaggedCount) +
           (findings.flaggedCount == 1 ? " pair flagged of " : " pairs flagged of ") +
           std::to_string(findings.ranked) + " ranked (" + std::to_string(findings.evaluated) +
           " counted); expected wrong signs " + fixedDecimals(findings.expectedWrong, 2) +
           (findings.cancelled ? "; stopped early: partial" : "");
}

std::string pairReproducibilityHeader(const TPairFindings& findings,
                                      const TFindingsProvenance& origin) {
    std::string header = reproducibilityHeader(asSingleFindings(findings), origin);
    // The pairs have one order, by the size of their change.
    const std::string sorted = ", sorted by score";
    if (const size_t at = header.find(sorted); at != std::string::npos)
        header.replace(at, sorted.size(),
                       ", two conditions, the top " + std::to_string(findings.options.top) +
                           " by the size of their change");
    const std::string command = "# Command: tav-batch ";
    if (const size_t at = header.find(command); at != std::string::npos) {
        const size_t end = header.find('\n', at);
        std::string line = header.substr(at, end - at);
        if (const size_t sort = line.find(" --sort score"); sort != std::string::npos)
            line.erase(sort, 13);
        line += " --conditions 2 --top " + std::to_string(findings.options.top);
        header.replace(at, end - at, line);
    }
    return header;
}

std::string exportPairFindings(const TPairFindings& findings, const TFindingsProvenance& origin,
                               TFindingsFormat format) {
    const std::string lines = win1250ToUtf8(pairReproducibilityHeader(findings, origin)) + "# " +
                              pairMultiplicityLine(findings) + "\n";
    std::string out;
    if (format == TFindingsFormat::Markdown) {
        size_t start = 0;
        while (start < lines.size()) {
            const size_t end = lines.find('\n', start);
            out += "- " + lines.substr(start + 2, end - start - 2) + "\n";
            start = end + 1;
        }
        out += "\n";
    } else {
        out = lines;
    }
    appendRowTable(out, pairFindingsRows(findings), format);
    return out;
}

TRowTable pairFindingsRows(const TPairFindings& findings) {
    TRowTable table;
    table.columns.assign(std::begin(kPairColumns), std::end(kPairColumns));
    for (const TPairFinding& pair : findings.top)
        table.rows.push_back(pairCells(findings, pair));
    return table;
}

std::string pairSentence(const TPairFindings& findings, const TPairFinding& pair) {
    const char* movement = pair.pHigher > 0.5   ? " rises from "
                           : pair.pHigher < 0.5 ? " falls from "
                                                : " stays the same, from ";
    std::string text = "Under " + pair.condition + " (" + std::to_string(pair.count) +
                       (pair.count == 1 ? " record" : " records") + "), the rate of " +
                       findings.targetText + movement + rateWithInterval(findings.context) +
                       " to " + rateWithInterval(pair.rule) +
                       "; P(higher) = " + fixedDecimals(pair.pHigher, 3);
    if (pair.repeatsPart) {
        return text + "; it adds nothing to " + pair.betterCondition +
               " alone (P(beyond it) = " + fixedDecimals(pair.pBeyondBetter, 3) + ").";
    }
    return text + "; " + fixedDecimals(pair.lift, 2) + " times the rate under " +
           pair.betterCondition + " alone, P(beyond it) = " + fixedDecimals(pair.pBeyondBetter, 3) +
           ".";
}

std::string pairFindingsText(const TPairFindings& findings, const TFindingsProvenance& origin) {
    std::string out =
        pairReproducibilityHeader(findings, origin) + "\n" + pairMultiplicityLine(findings) + "\n";
    bool any = false;
    for (const TPairFinding& pair : findings.top) {
        if (!pair.flagged) continue;
        out += pairSentence(findings, pair) + "\n";
        any = true;
    }
    if (!any) out += "No pair is flagged.\n";
    return out;
}
