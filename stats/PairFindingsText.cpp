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

std::vector<std::string> pairCells(const TPairFindings& findings, const TPairFinding& p) {
    auto yesNo = [](bool b) { return std::string(b ? "yes" : "no"); };
    return {std::to_string(p.ruleNumberA()),
            std::to_string(p.ruleNumberB()),
            win1250ToUtf8(p.condition),
            std::to_string(p.count),
            std::to_string(p.targetCount),
            fixedDecimals(findings.context.rate, 6),
            fixedDecimals(findings.context.low, 6),
            fixedDecimals(findings.context.high, 6),
            fixedDecimals(p.rule.rate, 6),
            fixedDecimals(p.rule.low, 6),
            fixedDecimals(p.rule.high, 6),
            fixedDecimals(p.difference, 6),
            fixedDecimals(p.pHigher, 6),
            fixedDecimals(p.score, 6),
            fixedDecimals(p.lfsr, 6),
            fixedDecimals(p.svalue, 6),
            yesNo(p.flagged),
            win1250ToUtf8(p.betterCondition),
            fixedDecimals(p.better.rate, 6),
            fixedDecimals(p.lift, 6),
            fixedDecimals(p.pBeyondBetter, 6),
            yesNo(p.repeatsPart)};
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
    const std::vector<std::string> header(std::begin(kPairColumns), std::end(kPairColumns));
    appendFindingsLine(out, header, format);
    if (format == TFindingsFormat::Markdown)
        appendFindingsLine(out, std::vector<std::string>(header.size(), "---"), format);
    for (const TPairFinding& pair : findings.top)
        appendFindingsLine(out, pairCells(findings, pair), format);
    return out;
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
