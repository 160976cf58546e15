#pragma once

#include <string>

#include "stats/uTavFindings.h"
#include "stats/uTavThresholdSweep.h"

// The pictures of the report drawn as SVG text (UTF-8), without any toolkit, so that the HTML
// report holds them inline.

// The credible intervals of the ranked findings, one row each (at most `rows`): the interval
// as a bar, the rate as a dot, the context's rate as a vertical line; the rule's condition to
// the left.
std::string findingsIntervalSvg(const TFindings& findings, int rows = 30);

// The rate under every threshold of a sweep on the field's axis: the "<=" thresholds and the
// ">" ones as two lines of dots with their intervals, the context's rate as a horizontal line.
std::string thresholdSweepSvg(const TThresholdSweep& sweep);

// `text` (Windows-1250) as UTF-8 XML character data: &, <, > and quotes escaped, and the
// control characters XML does not allow dropped.
std::string xmlText(const std::string& text);
