#pragma once

#include <optional>
#include <string>

class TTavSession;

// The report of an analysis as one self-contained XHTML page (UTF-8, pictures as inline SVG), so
// that a user can hand on what the window shows: the reproducibility header, the subsets with
// their record counts, the Frequency table of the active rule, the ranked rules, the findings of
// one class value with their interval plot, multiplicity line and sentences, and the threshold
// sweep of the top finding when its field has thresholds. Numbers are shown as the grids show
// them (three decimals). The page is well-formed XML, so that it can be checked and converted.

// What the report shows beyond the session's state.
struct TReportRequest {
    // The class value whose findings are shown; none: the findings last computed, else the
    // first value of the class field.
    std::optional<int> target;
    int minCount = 5;
};

// The ids of the page's sections, in their order: each is the id of one <section>.
inline constexpr const char* kReportSections[] = {"header", "subsets",  "frequency",
                                                  "rules",  "findings", "sweep"};

// The report of the session's analysis. Ranks the simple rules first when their scores are
// missing, partial or outdated (as the ranking command would) and moves back to the active rule
// afterwards. Throws ETavError without a loaded table and as the findings do.
std::string sessionReportHtml(TTavSession& session, const TReportRequest& request = {});

// Writes the report through replaceFileWhole. Throws EInOutError naming the file.
void writeSessionReport(TTavSession& session, const std::string& path,
                        const TReportRequest& request = {});
