#include "stats/uTavFindingsText.h"

#include <charconv>
#include <system_error>

#include "core/TextUtils.h"
#include "core/Win1250.h"

namespace {

// Fixed decimals with "." whatever the process's locale (the window runs under the user's).
std::string fixed(double value, int decimals) {
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : "nan";
}

// The shortest text that reads back as the same number.
std::string shortest(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return result.ec == std::errc() ? std::string(buffer, result.ptr) : "nan";
}

std::string csvField(const std::string& text) {
    const bool edgeBlank = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    if (text.find_first_of(",\"\r\n") == std::string::npos && !edgeBlank) return text;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

std::string plainField(const std::string& text, TFindingsFormat format) {
    std::string out;
    for (char c : text) {
        if (c == '\t' || c == '\r' || c == '\n') {
            out += ' ';
        } else if (c == '|' && format == TFindingsFormat::Markdown) {
            out += "\\|";
        } else {
            out += c;
        }
    }
    return out;
}

const char* const kColumns[] = {
    "rule_no",     "rule",         "condition", "records",  "target_records",   "context_rate",
    "context_low", "context_high", "rule_rate", "rule_low", "rule_high",        "difference",
    "p_higher",    "score",        "error",     "lfsr",     "s_value",          "flagged",
    "rank_low",    "rank_high",    "robust",    "ranked",   "equivalent_rules", "equivalent_names"};

void appendLine(std::string& out, const std::vector<std::string>& cells, TFindingsFormat format) {
    const char* separator = format == TFindingsFormat::Csv   ? ","
                            : format == TFindingsFormat::Tsv ? "\t"
                                                             : " | ";
    if (format == TFindingsFormat::Markdown) out += "| ";
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) out += separator;
        out += format == TFindingsFormat::Csv ? csvField(cells[i]) : plainField(cells[i], format);
    }
    if (format == TFindingsFormat::Markdown) out += " |";
    out += '\n';
}

std::string joinedNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names)
        joined += (joined.empty() ? "" : "; ") + name;
    return joined;
}

// The lines that say what the table is, in UTF-8: "# " comment lines before a CSV or TSV
// table (what a reader's comment option skips), a list before a Markdown table.
std::string exportPreamble(const TFindings& findings, const TFindingsProvenance& origin,
                           TFindingsFormat format) {
    const std::string lines = win1250ToUtf8(reproducibilityHeader(findings, origin)) + "# " +
                              multiplicityLine(findings) + "\n";
    if (format != TFindingsFormat::Markdown) return lines;
    std::string list;
    size_t start = 0;
    while (start < lines.size()) {
        const size_t end = lines.find('\n', start);
        list += "- " + plainField(lines.substr(start + 2, end - start - 2), format) + "\n";
        start = end + 1;
    }
    return list + "\n";
}

std::vector<TRowCell> findingCells(const TFindings& findings, const TFinding& f, bool ranked) {
    auto whole = [](long long n) { return TRowCell(n); };
    // The rules below the minimum count have no place in the ranking and no error rates.
    auto ifRanked = [ranked](TRowCell cell) { return ranked ? cell : TRowCell(); };
    return {whole(f.ruleNumber()),
            f.name,
            f.condition,
            whole(f.count),
            whole(f.targetCount),
            findings.context.rate,
            findings.context.low,
            findings.context.high,
            f.rule.rate,
            f.rule.low,
            f.rule.high,
            f.difference,
            f.pHigher,
            f.score,
            f.error,
            ifRanked(f.lfsr),
            ifRanked(f.svalue),
            f.flagged,
            ifRanked(whole(f.rankLow)),
            ifRanked(whole(f.rankHigh)),
            f.robust,
            ranked,
            whole(static_cast<long long>(f.equivalents.size())),
            joinedNames(f.equivalents)};
}

std::string sortName(TFindingsSort sort) {
    switch (sort) {
        case TFindingsSort::P:
            return "p";
        case TFindingsSort::Diff:
            return "diff";
        case TFindingsSort::Score:
            break;
    }
    return "score";
}

std::string interval(const TRateEstimate& estimate) {
    return fixed(estimate.rate, 2) + " [" + fixed(estimate.low, 2) + "-" + fixed(estimate.high, 2) +
           "]";
}

}  // namespace

TRowTable findingsRows(const TFindings& findings) {
    TRowTable table;
    table.columns.assign(std::begin(kColumns), std::end(kColumns));
    for (const TFinding& finding : findings.ranked)
        table.rows.push_back(findingCells(findings, finding, true));
    for (const TFinding& finding : findings.small)
        table.rows.push_back(findingCells(findings, finding, false));
    return table;
}

std::string exportFindings(const TFindings& findings, const TFindingsProvenance& origin,
                           TFindingsFormat format) {
    std::string out = exportPreamble(findings, origin, format);
    appendRowTable(out, findingsRows(findings), format);
    return out;
}

std::string findingsCommandLine(const TFindings& findings, const TFindingsProvenance& origin) {
    std::string select;
    if (origin.selectedFields.empty()) {
        select = "none";
    } else if (static_cast<int>(origin.selectedFields.size()) == origin.fieldCount) {
        select = "all";
    } else {
        for (int field : origin.selectedFields)
            select += (select.empty() ? "" : ",") + std::to_string(field);
    }
    const TFindingsOptions& o = findings.options;
    std::vector<std::string> args = {"tav-batch", "findings"};
    if (origin.databaseArguments.empty()) {
        args.push_back(origin.dataFile);
    } else {
        args.insert(args.end(), origin.databaseArguments.begin(), origin.databaseArguments.end());
    }
    args.insert(args.end(),
                {"--class", std::to_string(o.classField), "--target", std::to_string(o.target),
                 "--min-count", std::to_string(o.minCount), "--sort", sortName(o.sort), "--mprior",
                 shortest(findings.mPrior), "--m", shortest(findings.m), "--signif",
                 shortest(findings.significancePct), "--select", select});
    if (!origin.context.empty()) {
        args.push_back("--context");
        args.push_back(origin.context);
    }
    std::string line;
    for (const std::string& arg : args)
        line += (line.empty() ? "" : " ") + shellWord(arg);
    return line;
}

std::string reproducibilityHeader(const TFindings& findings, const TFindingsProvenance& origin) {
    std::string out;
    auto line = [&out](const std::string& text) { out += "# " + text + "\n"; };
    line("Findings of " + findings.targetText + " (code " +
         std::to_string(findings.options.target) + ", field " +
         std::to_string(findings.options.classField) + ")");
    if (origin.databaseArguments.empty()) {
        line("Data file: " + origin.dataFile);
        line("Records: " + std::to_string(origin.records));
        line("SHA-256: " +
             (origin.sha256.empty() ? std::string("(the file could not be read)") : origin.sha256));
    } else {
        // A database's table has no file the user gave, so no digest to check it against.
        line("Database: " + origin.dataFile);
        line("Records: " + std::to_string(origin.records));
    }
    if (!origin.originalTable.empty()) {
        // The numbers lead back to the user's own table, and to how it became the data file.
        line("Original table: " + origin.originalTable);
        line("Original SHA-256: " + (origin.originalSha256.empty()
                                         ? std::string("(the file could not be read)")
                                         : origin.originalSha256));
        line("Import: tav-batch import " + shellWord(origin.originalTable) + " " +
             shellWord(origin.dataFile) +
             (origin.importArguments.empty() ? "" : " " + origin.importArguments));
    }
    line("Settings: m(prior) = " + shortest(findings.mPrior) + ", m = " + shortest(findings.m) +
         ", significance level = " + shortest(findings.significancePct) + " %, minimum records " +
         std::to_string(findings.options.minCount) + ", sorted by " +
         sortName(findings.options.sort));
    const std::string context = origin.contextPending
                                    ? std::string(
                                          "the last applied expression (an edited one "
                                          "is not applied yet)")
                                : origin.context.empty() ? std::string("all records")
                                                         : origin.context;
    line("Context: " + context + " (" + std::to_string(findings.contextCount) + " records)");
    if (!origin.compare1.empty() || !origin.compare2.empty()) {
        line("Compare 1: " + origin.compare1 + "; Compare 2: " + origin.compare2 +
             " (not used: each rule is compared with the context)");
    } else {
        line("Compare: none");
    }
    line(std::string("Program: Tav Explorer ") + kTavVersion);
    // The applied expression of a pending edit is not known, so no command would reproduce it.
    line("Command: " + (origin.contextPending
                            ? std::string("(none: apply the edited context expression first)")
                            : findingsCommandLine(findings, origin)));
    return out;
}

std::string findingSentence(const TFindings& findings, const TFinding& finding) {
    // The direction is the one P(higher) gives: the means of two beta posteriors with a shape
    // near zero (a target without records) can order the other way.
    const char* movement = finding.pHigher > 0.5   ? " rises from "
                           : finding.pHigher < 0.5 ? " falls from "
                                                   : " stays the same, from ";
    const size_t alike = finding.equivalents.size();
    const std::string same = alike == 0   ? std::string()
                             : alike == 1 ? std::string(", as under 1 other rule")
                                          : ", as under " + std::to_string(alike) + " other rules";
    return "Under " + finding.condition + " (" + std::to_string(finding.count) +
           (finding.count == 1 ? " record" : " records") + same + "), the rate of " +
           findings.targetText + movement + interval(findings.context) + " to " +
           interval(finding.rule) + "; P(higher) = " + fixed(finding.pHigher, 3) + ".";
}

std::string findingsText(const TFindings& findings, const TFindingsProvenance& origin) {
    std::string out =
        reproducibilityHeader(findings, origin) + "\n" + multiplicityLine(findings) + "\n";
    bool any = false;
    for (const TFinding& finding : findings.ranked) {
        if (!finding.flagged) continue;
        out += findingSentence(findings, finding) + "\n";
        any = true;
    }
    if (!any) out += "No rule is flagged.\n";
    return out;
}

void appendRowTable(std::string& out, const TRowTable& table, TFindingsFormat format) {
    std::vector<std::string> cells;
    for (const std::string& column : table.columns)
        cells.push_back(win1250ToUtf8(column));
    appendLine(out, cells, format);
    if (format == TFindingsFormat::Markdown)
        appendLine(out, std::vector<std::string>(cells.size(), "---"), format);
    for (const std::vector<TRowCell>& row : table.rows) {
        cells.clear();
        for (const TRowCell& cell : row)
            cells.push_back(rowCellText(cell));
        appendLine(out, cells, format);
    }
}

std::string fixedDecimals(double value, int decimals) {
    return fixed(value, decimals);
}

std::string rateWithInterval(const TRateEstimate& estimate) {
    return interval(estimate);
}
