#pragma once

#include <string>

// The page "Help > Reading the results": the columns of the three grids, the colours, the
// Findings tab (rates and intervals, flags, the multiplicity line, ranks), pairs of conditions,
// the threshold sweep, the import, the three settings, the names of the simple rules and the
// filter language, with examples. CR LF lines.
std::string readingTheResultsText();

// The three paragraphs of the About box, broken into lines that fit its window.
std::string aboutTavText();
