#include "ui/text/TavHelpText.h"

#include <initializer_list>

namespace {

std::string crlfLines(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

}  // namespace

std::string readingTheResultsText() {
    return crlfLines({
        "READING THE RESULTS",
        "",
        "The class field is the field whose values you study; the context filter chooses the",
        "records you study them in. A simple rule is one condition on one field. The Frequency",
        "grid compares every class value in the context with the same value under the active rule.",
        "",
        "FIELDS GRID",
        "  No.       the field's number in the data file, from 0",
        "  Sel       10 when the field is selected (its rules take part in the ranking), else 0",
        "  Name      the field's name",
        "  Type      the field's type from the data file",
        "  Count     records of the context whose value of the field is known",
        "",
        "SIMPLE RULES GRID",
        "  No.       the rule's position in the list",
        "  Name      the rule (names below)",
        "  Count     records of the context under the rule; \"*** \" before it means the rule's",
        "            field is not selected, so the rule scores 0 in the ranking",
        "  Score     the entropy gain of the rule for the class in the last ranking; drawn grey",
        "            when it was computed under other settings or another context",
        "  Signif    the rule's Signif from the last ranking (with rows hidden: of the Sub-total)",
        "",
        "FREQUENCY GRID",
        "  No.       the class value's code; -1 is the Total row, 128 the Sub-total row that",
        "            replaces it while some class values are hidden",
        "  freq      records of the context with this class value",
        "  prob      m-estimate of the value's probability in the context",
        "  std       standard deviation of that estimate",
        "  condF     records under the rule with this class value",
        "  condP     m-estimate of the probability under the rule",
        "  condS     standard deviation of that estimate",
        "  DEntropy  change of an entropy-based scale (0..2) from the context to the rule;",
        "            in the Total row the sum of the rows' absolute changes: the rule's score",
        "  Signif    probability that the value is more frequent under the rule than in the",
        "            context",
        "",
        "COLOURS",
        "  DEntropy and Signif are blue when Signif is above 1 - significance level (the value is",
        "  significantly more frequent under the rule), red when it is below the significance",
        "  level (significantly less frequent), and plain otherwise. The Total row, and rows",
        "  with no records in either population, are never coloured.",
        "",
        "FINDINGS TAB (one class value: which single conditions raise or lower its rate)",
        "  n, k      records of the context under the rule, and of them with the value",
        "  rates     the value's rate in the context and under the rule, with intervals",
        "  P(higher) probability that the rate under the rule is the higher one",
        "  e         min(P, 1 - P): the chance the direction is wrong, the rule taken alone",
        "  lfsr      the chance the direction is wrong once every rule of the run is weighed",
        "            together: the differences are pulled towards zero as far as the run as a",
        "            whole shows that effects of that size are rare (a lone strong-looking rule",
        "            among many that change nothing is pulled a long way)",
        "  s-value   the mean lfsr of all rules with an lfsr at most this one's (columns of",
        "            the grid, of \"Export...\" and of tav-batch findings)",
        "  flagged   the lfsr is at most the significance level; the line under the table gives",
        "            the flagged rules, the wrong signs to expect among them (their lfsr added",
        "            up) and how many rows the plain colouring would colour",
        "  ranks     best and worst rank when re-ranked with m = 0.5, 2 and 10, by the size of",
        "            the change either way; \"robust\" when in the top 10 for all three",
        "  (+N alike) N other rules hold the same records with the same numbers; the tip names",
        "            them, and they count once",
        "",
        "SETTINGS (menu Settings, shown in the status line)",
        "  m for prior   weight of the even prior when a value's share of the context is",
        "                estimated; that share is the prior of the m-estimates",
        "  m             weight of that prior in every m-estimate: p = (n + m * prior) / (N + m);",
        "                a larger m pulls small groups towards the context's share",
        "  significance level (%)   the share that colours a Signif; 5 means below 0.05 or",
        "                above 0.95",
        "",
        "NAMES OF THE SIMPLE RULES (f is the field's number)",
        "  (f) NAME= v-LABEL      field f has the code v (a SET or INT field)",
        "  (f) NAME< v-LABEL      an INT field below the code v; > likewise above it",
        "  (f) NAME:  1000 - 2000 a REAL or CURRENCY field in that interval (also  <= 800 and",
        "                         > 2500 for the ends); a value equal to a boundary belongs",
        "                         to the interval below it",
        "  (f) NAME <= 1000       a REAL or CURRENCY field at or below a boundary",
        "  (f) NAME > 2000        above a boundary",
        "  Complete set           every record",
        "",
        "THE FILTER LANGUAGE",
        "  Filters are postfix: operands first, then the operator, separated by commas.",
        "  Operators: =  <>  <  >  AND  OR  NOT. Letter case does not matter.",
        "  Operands: a field name, a whole number, or a text in quotes ('north').",
        "  A SET or INT field compares its value codes, not the labels; a REAL or CURRENCY",
        "  field compares the number of its interval (0 is the lowest), not the value.",
        "  Examples:",
        "    SEX,1,=                     SEX has the code 1",
        "    AGE,2,>                     AGE has a code above 2",
        "    SEX,1,=,AGE,2,>,AND         both",
        "    REGION,1,=,REGION,2,=,OR    REGION has the code 1 or 2",
        "    INCOME,0,=,NOT              INCOME is not in its lowest interval",
        "    CITY,'MARIBOR',=            the text field CITY is Maribor",
        "  An empty context selects every record. When a compare filter is given, the Frequency",
        "  grid compares compare 1 with compare 2 instead, both within the context and under",
        "  the rule.",
    });
}

std::string aboutTavText() {
    return crlfLines({
        "Tav Explorer: a program for exploring a table",
        "of records with simple probabilistic rules.",
        "",
        "The use is free of charge.",
        "",
        "Copyright (c) the authors of Tav Explorer.",
        "All rights reserved.",
    });
}
