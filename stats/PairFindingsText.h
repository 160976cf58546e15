#pragma once

#include <string>
#include <vector>

#include "stats/PairFindings.h"
#include "stats/uTavFindingsText.h"

// The pairs as text: the export table, the sentences and their header, in the forms of the
// findings of simple rules (uTavFindingsText.h).

// "12 pairs flagged of 4810 ranked (5200 counted); expected wrong signs 0.43", with
// "; stopped early: partial" when the run was cancelled.
std::string pairMultiplicityLine(const TPairFindings& findings);

// The reproducibility header of the findings of simple rules with the pairs' settings: the
// command line gains "--conditions 2 --top N" (Windows-1250, "# " lines).
std::string pairReproducibilityHeader(const TPairFindings& findings,
                                      const TFindingsProvenance& origin);

// The header lines and the multiplicity line ("# " lines before CSV and TSV, a list before
// Markdown), then the listed pairs one a line in `format`: both rules' numbers, the condition,
// the numbers of a finding, then the better part, its rate, the lift over it, P(beyond it) and
// whether the pair only repeats it. UTF-8, LF line ends.
std::string exportPairFindings(const TPairFindings& findings, const TFindingsProvenance& origin,
                               TFindingsFormat format);

// The rows of the export table: the listed pairs with the columns of exportPairFindings.
TRowTable pairFindingsRows(const TPairFindings& findings);

// "Under AGE <= 25 and JOB = none (54 records), the rate of LOAN = refused rises from 0.42
// [0.40-0.43] to 0.80 [0.69-0.89]; P(higher) = 1.000; 1.62 times the rate under AGE <= 25
// alone, P(beyond it) = 0.998." A pair that only repeats its better part ends "; it adds nothing
// to AGE <= 25 alone (P(beyond it) = 0.512)."
std::string pairSentence(const TPairFindings& findings, const TPairFinding& pair);

// The header, a blank line, the multiplicity line and one sentence per flagged listed pair
// ("No pair is flagged." when none is).
std::string pairFindingsText(const TPairFindings& findings, const TFindingsProvenance& origin);
