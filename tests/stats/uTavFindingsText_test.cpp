#include "stats/uTavFindingsText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

// Two ranked findings (the first flagged) and one below the minimum, with hand-set numbers.
TFindings madeFindings() {
    TFindings f;
    f.options.classField = 0;
    f.options.target = 1;
    f.options.minCount = 5;
    f.className = "CREDIT";
    f.targetName = "bad";
    f.targetText = "CREDIT = bad";
    f.contextCount = 1000;
    f.contextTargetCount = 300;
    f.context = {0.3, 0.272, 0.329};
    f.m = 2;
    f.mPrior = 1;
    f.significancePct = 5;
    TFinding first;
    first.name = "(1) CHECKING= 1-<0";
    first.setNumber = 2;
    first.condition = "CHECKING = <0";
    first.count = 274;
    first.targetCount = 135;
    first.rule = {0.4921, 0.4334, 0.5509};
    first.difference = 0.1921;
    first.pHigher = 0.9999996;
    first.score = 0.1234567;
    first.error = 0.0000004;
    first.lfsr = 0.0000123;
    first.svalue = 0.0000123;
    first.flagged = true;
    first.rankLow = 1;
    first.rankHigh = 2;
    first.robust = true;
    TFinding second = first;
    second.name = "(2) PURPOSE= 3-car, new";
    second.setNumber = 12;
    second.condition = "PURPOSE = car, new";
    second.count = 1;
    second.targetCount = 0;
    second.rule = {0.1, 0.001, 0.5};
    second.pHigher = 0.2;
    second.error = 0.2;
    second.lfsr = 0.61;
    second.svalue = 0.3050005;
    second.flagged = false;
    second.robust = false;
    f.ranked = {first, second};
    TFinding small = second;
    small.name = "(3) \"Q\"\tX";
    small.rankLow = small.rankHigh = 0;
    f.small = {small};
    f.flaggedCount = 1;
    f.expectedWrong = 0.0000123;
    return f;
}

TFindingsProvenance madeOrigin() {
    TFindingsProvenance o;
    o.dataFile = "credit.CSV";
    o.records = 1000;
    o.sha256 = std::string(64, 'a');
    o.context = "3 2 >";
    o.fieldCount = 4;
    o.selectedFields = {1, 2, 3};
    return o;
}

// The lines after the "# " lines that say what the table is.
std::string tableOf(const std::string& exported) {
    size_t start = 0;
    while (exported.compare(start, 2, "# ") == 0)
        start = exported.find('\n', start) + 1;
    return exported.substr(start);
}

TEST(FindingsExport, CsvHasAHeaderLineQuotedTextsAndPointDecimals) {
    TFindings findings = madeFindings();
    findings.ranked[0].equivalents = {"(1) CHECKING= 2-0..200", "(1) CHECKING< 3-x"};
    const std::string csv = tableOf(exportFindings(findings, madeOrigin(), TFindingsFormat::Csv));
    std::istringstream lines(csv);
    std::string header, first, second, small;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    std::getline(lines, small);
    EXPECT_EQ(header,
              "rule_no,rule,condition,records,target_records,context_rate,context_low,context_high,"
              "rule_rate,rule_low,rule_high,difference,p_higher,score,error,lfsr,s_value,flagged,"
              "rank_low,rank_high,robust,ranked,equivalent_rules,equivalent_names");
    EXPECT_EQ(first,
              "1,(1) CHECKING= 1-<0,CHECKING = <0,274,135,0.300000,0.272000,0.329000,0.492100,"
              "0.433400,0.550900,0.192100,1.000000,0.123457,0.000000,0.000012,0.000012,yes,1,2,"
              "yes,yes,2,(1) CHECKING= 2-0..200; (1) CHECKING< 3-x");
    EXPECT_EQ(second.substr(0, 49), "11,\"(2) PURPOSE= 3-car, new\",\"PURPOSE = car, new\"");
    EXPECT_EQ(small.substr(0, 16), "11,\"(3) \"\"Q\"\"\tX\"");
    // No lfsr, no s-value and no rank: a small rule takes no part in the shrinkage.
    EXPECT_EQ(small.substr(small.size() - 24), "0.200000,,,no,,,no,no,0,");
}

// Each export says first what it is: the reproducibility header and the multiplicity line, as
// comment lines before CSV and TSV and as a list before Markdown; one record a line after them.
TEST(FindingsExport, EveryFormatStartsWithWhatTheTableIsAndKeepsOneRecordALine) {
    const std::string header = reproducibilityHeader(madeFindings(), madeOrigin());
    const std::string multiplicity =
        "# 1 rule flagged; expected wrong signs 0.00; 0 coloured row by row\n";
    const std::string csv = exportFindings(madeFindings(), madeOrigin(), TFindingsFormat::Csv);
    EXPECT_EQ(csv.substr(0, header.size() + multiplicity.size()), header + multiplicity);
    EXPECT_NE(header.find("# SHA-256: " + std::string(64, 'a')), std::string::npos);
    EXPECT_NE(header.find("# Context: 3 2 >"), std::string::npos);
    const std::string tsv =
        tableOf(exportFindings(madeFindings(), madeOrigin(), TFindingsFormat::Tsv));
    EXPECT_NE(tsv.find("(3) \"Q\" X\t"), std::string::npos);  // a tab inside a text is a blank
    EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 4);
    const std::string md = exportFindings(madeFindings(), madeOrigin(), TFindingsFormat::Markdown);
    EXPECT_EQ(md.substr(0, 47), "- Findings of CREDIT = bad (code 1, field 0)\n- ");
    EXPECT_NE(md.find("\n- 1 rule flagged; expected wrong signs 0.00;"), std::string::npos);
    const std::string table = md.substr(md.find("\n\n") + 2);
    EXPECT_EQ(table.substr(0, 27), "| rule_no | rule | conditio");
    EXPECT_NE(table.find("\n| --- | --- |"), std::string::npos);
    EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 5);
}

TEST(FindingsText, SentenceSaysTheDirectionWithBothIntervals) {
    const TFindings f = madeFindings();
    EXPECT_EQ(findingSentence(f, f.ranked[0]),
              "Under CHECKING = <0 (274 records), the rate of CREDIT = bad rises from 0.30 "
              "[0.27-0.33] to 0.49 [0.43-0.55]; P(higher) = 1.000.");
    EXPECT_EQ(findingSentence(f, f.ranked[1]),
              "Under PURPOSE = car, new (1 record), the rate of CREDIT = bad falls from 0.30 "
              "[0.27-0.33] to 0.10 [0.00-0.50]; P(higher) = 0.200.");
    TFinding alike = f.ranked[0];
    alike.equivalents = {"a"};
    EXPECT_NE(findingSentence(f, alike).find("(274 records, as under 1 other rule), the rate"),
              std::string::npos);
    alike.equivalents = {"a", "b"};
    EXPECT_NE(findingSentence(f, alike).find("(274 records, as under 2 other rules), the rate"),
              std::string::npos);
}

// Two posteriors with a shape near zero order their means one way and P(higher) the other; the
// words follow P(higher).
TEST(FindingsText, TheDirectionInWordsFollowsPHigherNotTheRates) {
    TFindings f = madeFindings();
    f.context = {0.000011, 0, 0};
    TFinding& odd = f.ranked[0];
    odd.rule = {0.000022, 0, 0};
    odd.pHigher = 0.016;
    EXPECT_NE(findingSentence(f, odd).find(" falls from 0.00 [0.00-0.00] to 0.00"),
              std::string::npos);
    odd.pHigher = 0.5;
    EXPECT_NE(findingSentence(f, odd).find(" stays the same, from "), std::string::npos);
    odd.rule.rate = 0;
    odd.pHigher = 0.7;
    EXPECT_NE(findingSentence(f, odd).find(" rises from "), std::string::npos);
}

TEST(FindingsText, HeaderNamesTheFileSettingsContextAndTheCommand) {
    const std::string text = findingsText(madeFindings(), madeOrigin());
    EXPECT_EQ(text,
              "# Findings of CREDIT = bad (code 1, field 0)\n"
              "# Data file: credit.CSV\n"
              "# Records: 1000\n"
              "# SHA-256: " +
                  std::string(64, 'a') +
                  "\n"
                  "# Settings: m(prior) = 1, m = 2, significance level = 5 %, minimum records 5, "
                  "sorted by score\n"
                  "# Context: 3 2 > (1000 records)\n"
                  "# Compare: none\n"
                  "# Program: Tav Explorer 0.1\n"
                  "# Command: tav-batch findings credit.CSV --class 0 --target 1 --min-count 5 "
                  "--sort score --mprior 1 --m 2 --signif 5 --select 1,2,3 --context '3 2 >'\n"
                  "\n"
                  "1 rule flagged; expected wrong signs 0.00; 0 coloured row by row\n"
                  "Under CHECKING = <0 (274 records), the rate of CREDIT = bad rises from 0.30 "
                  "[0.27-0.33] to 0.49 [0.43-0.55]; P(higher) = 1.000.\n");
}

TEST(FindingsText, CommandLineQuotesForTheShellAndSaysAllOrNone) {
    TFindings f = madeFindings();
    TFindingsProvenance o = madeOrigin();
    o.dataFile = "my data/it's.csv";
    o.context = "";
    o.selectedFields = {0, 1, 2, 3};
    f.m = 0.1;
    EXPECT_EQ(findingsCommandLine(f, o),
              "tav-batch findings 'my data/it'\\''s.csv' --class 0 --target 1 --min-count 5 "
              "--sort score --mprior 1 --m 0.1 --signif 5 --select all");
    o.selectedFields.clear();
    EXPECT_NE(findingsCommandLine(f, o).find("--select none"), std::string::npos);
}

TEST(FindingsText, APendingContextOrCompareFiltersAreSaidNotHidden) {
    TFindingsProvenance o = madeOrigin();
    o.contextPending = true;
    o.compare1 = "1 1 =";
    o.sha256.clear();
    const std::string header = reproducibilityHeader(madeFindings(), o);
    EXPECT_NE(header.find("# Command: (none: apply the edited context expression first)\n"),
              std::string::npos);
    EXPECT_NE(header.find("# Compare 1: 1 1 =; Compare 2:  (not used"), std::string::npos);
    EXPECT_NE(header.find("# SHA-256: (the file could not be read)"), std::string::npos);
    EXPECT_NE(findingsText(TFindings{}, o).find("No rule is flagged.\n"), std::string::npos);
}

}  // namespace
