#include "session/ReportHtml.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/TextUtils.h"
#include "core/uTavObj.h"
#include "session/ReportSvg.h"
#include "session/uTavSession.h"
#include "stats/uTavFindingsText.h"
#include "table/TxDataView.h"
#include "table/TxRecordLayout.h"

namespace {

// The ranked rules the report lists.
constexpr int kReportedRules = 50;

using TRow = std::vector<std::string>;  // cells as XML text

// A cell as the grids show it: reals with three decimals.
std::string cellText(const TxValue& value) {
    if (value.kind() == TxValue::Kind::Float) return realToText(0, 3, value.toFloat());
    return xmlText(value.toString());
}

std::string tableHtml(const TRow& header, const std::vector<TRow>& rows) {
    std::string html = "<table>\n<thead><tr>";
    for (const std::string& cell : header)
        html += "<th>" + cell + "</th>";
    html += "</tr></thead>\n<tbody>\n";
    for (const TRow& row : rows) {
        html += "<tr>";
        for (const std::string& cell : row)
            html += "<td>" + cell + "</td>";
        html += "</tr>\n";
    }
    return html + "</tbody>\n</table>\n";
}

// The first `limit` rows of a result table with its field names as the heading.
std::string resultTableHtml(TxViewReader& table, int limit) {
    TRow header;
    for (int column = 0; column < table.fieldCount(); ++column)
        header.push_back(xmlText(table.field(column).name));
    std::vector<TRow> rows;
    for (int row = 0; row < table.RecordCount() && row < limit; ++row) {
        rows.emplace_back();
        for (int column = 0; column < table.fieldCount(); ++column)
            rows.back().push_back(cellText(table.valueAt(row, column)));
    }
    return tableHtml(header, rows);
}

std::string section(const char* id, const std::string& title, const std::string& body) {
    return "<section id=\"" + std::string(id) + "\">\n<h2>" + xmlText(title) + "</h2>\n" + body +
           "</section>\n";
}

std::string paragraph(const std::string& text) {
    return "<p>" + xmlText(text) + "</p>\n";
}

std::string real3(double value) {
    return realToText(0, 3, value);
}

std::string findingsTableHtml(const TFindings& findings) {
    const TRow header = {"No.",  "Rule", "Records",   "Target records", "Rate", "Low",
                         "High", "Diff", "P(higher)", "lfsr",           "Flag", "Ranks (m .5-10)"};
    std::vector<TRow> rows;
    for (const TFinding& f : findings.ranked) {
        rows.push_back({std::to_string(f.ruleNumber()), xmlText(f.condition),
                        std::to_string(f.count), std::to_string(f.targetCount), real3(f.rule.rate),
                        real3(f.rule.low), real3(f.rule.high), real3(f.difference),
                        real3(f.pHigher), real3(f.lfsr), f.flagged ? "yes" : "",
                        std::to_string(f.rankLow) + "-" + std::to_string(f.rankHigh)});
    }
    return tableHtml(header, rows);
}

// The class value whose findings the report shows.
int reportTarget(const TTavSession& session, const TReportRequest& request) {
    if (request.target) return *request.target;
    if (session.findingsComputedUnder()) return session.findingsComputedUnder()->target;
    const TBaza& data = *session.CurrentData();
    for (int code = 0; code <= kMaxValueCode; ++code) {
        if (data.valueSet(session.classField(), code) != nullptr) return code;
    }
    return 0;
}

// The field of a finding's rule, or -1.
int findingField(const TTavSession& session, const TFinding& finding) {
    const TMnozicaList& rules = session.sets().SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i) {
        const TMnozica* rule = rules.item(i);
        if (rule != nullptr && rule->SetNumber == finding.setNumber && !rule->Rule.empty())
            return rule->Rule.front().FieldNo;
    }
    return -1;
}

const char kStyle[] =
    "body{font-family:sans-serif;font-size:10pt;margin:1.5em}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{border:1px solid #bbb;padding:2px 6px;text-align:right}"
    "td:nth-child(2),th:nth-child(2){text-align:left}"
    "pre{white-space:pre-wrap}";

}  // namespace

std::string sessionReportHtml(TTavSession& session, const TReportRequest& request) {
    if (session.CurrentData() == nullptr)
        throw ETavError("Load a data file first: there is nothing to report.");
    const TBaza& data = *session.CurrentData();

    // The Frequency table of the active rule, before a ranking moves to the first.
    // The active rule by its number in creation order, which a ranking does not change.
    const TMnozica* active = session.sets().SetLists[slRules].item(session.activeRuleNumber());
    const int activeSet = active != nullptr ? active->SetNumber : 0;
    const int activeRule = std::max(activeSet - 1, 0);
    const std::string frequency = resultTableHtml(session.frequencyTable(), 1 << 30);
    if (session.scoresComputedUnder().empty() || session.scoresOutdated() ||
        session.scoresPartial()) {
        session.computeEntropyGains();
    }
    const std::string rules = resultTableHtml(session.rulesTable(), kReportedRules);
    session.moveToRuleNumbered(activeSet);

    const int target = reportTarget(session, request);
    const TFindings findings = session.computeFindings(target, request.minCount);
    const TFindingsProvenance origin = session.findingsProvenance();

    // Inline as well: the PDF writer's rich text does not read the style sheet.
    std::string header = "<pre style=\"white-space:pre-wrap\">";
    std::istringstream lines(reproducibilityHeader(findings, origin));
    for (std::string line; std::getline(lines, line);)
        header += xmlText(line.rfind("# ", 0) == 0 ? line.substr(2) : line) + "\n";
    header += "</pre>\n";

    const TSetCatalogue& sets = session.sets();
    std::string subsets = "<ul>\n";
    auto subset = [&](const std::string& name, const std::string& text, const TMnozica* set) {
        subsets += "<li>" + xmlText(name + ": " + (text.empty() ? "all records" : text)) + " (" +
                   std::to_string(set != nullptr ? session.recordsIn(*set) : 0) +
                   " records)</li>\n";
    };
    subset("Context", origin.context, sets.context());
    if (!origin.compare1.empty() || !origin.compare2.empty()) {
        subset("Compare 1", origin.compare1, sets.compare1());
        subset("Compare 2", origin.compare2, sets.SetLists[slFilters].item(2));
    }
    subsets += "</ul>\n";

    std::string findingsBody = paragraph(multiplicityLine(findings));
    if (!findings.note.empty()) findingsBody += paragraph(findings.note);
    findingsBody += findingsIntervalSvg(findings) + "\n" + findingsTableHtml(findings);
    bool anyFlagged = false;
    for (const TFinding& finding : findings.ranked) {
        if (!finding.flagged) continue;
        findingsBody += paragraph(findingSentence(findings, finding));
        anyFlagged = true;
    }
    if (!anyFlagged) findingsBody += paragraph("No rule is flagged.");

    std::string sweepBody;
    const int field = findings.ranked.empty() ? -1 : findingField(session, findings.ranked[0]);
    if (field >= 0 && HasThresholds(data, field)) {
        const TThresholdSweep sweep = session.computeThresholdSweep(target, field);
        sweepBody = paragraph("The rate of " + findings.targetText + " under every threshold of " +
                              sweep.fieldName + ", the field of the top finding.") +
                    thresholdSweepSvg(sweep) + "\n";
    } else {
        sweepBody = paragraph("The top finding's field has no thresholds to sweep.");
    }

    std::string html =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
        "<meta charset=\"UTF-8\"/>\n<title>" +
        xmlText("Tav Explorer report: " + displayPath(origin.dataFile)) + "</title>\n<style>" +
        kStyle + "</style>\n</head>\n<body>\n<h1>" +
        xmlText("Report of " + displayPath(origin.dataFile)) + "</h1>\n";
    html += section("header", "Reproducibility", header);
    html += section("subsets", "Subsets", subsets);
    html +=
        section("frequency", "Frequency table of rule " + std::to_string(activeRule), frequency);
    html += section("rules", "Ranked rules (top " + std::to_string(kReportedRules) + ")", rules);
    html += section("findings", "Findings of " + findings.targetText, findingsBody);
    html += section("sweep", "Threshold sweep", sweepBody);
    return html + "</body>\n</html>\n";
}

void writeSessionReport(TTavSession& session, const std::string& path,
                        const TReportRequest& request) {
    const std::string html = sessionReportHtml(session, request);
    try {
        replaceFileWhole(path, html);
    } catch (const EInOutError& error) {
        throw EInOutError("The report \"" + displayPath(path) +
                          "\" could not be written: " + error.what());
    }
}
