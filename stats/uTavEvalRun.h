#pragma once

#include <string>
#include <vector>

#include "core/Errors.h"

// The evaluation run over a semicolon-separated result file: line 0 names the value columns, every
// later line holds a class name and percentages 0..100. The run appends below a line "%" the means
// and the beta distributions of every class and of all lines ("Skupaj"), and for the second class
// against the first the probability that its rate is higher; an earlier output (from the first line
// that begins with "%") is replaced.

// At most this many classes and value columns.
inline constexpr int kMaxEvalClasses = 100;
inline constexpr int kMaxEvalColumns = 100;

// A result file the run cannot summarise; the message names the line and the column (both counted
// from 1).
class EEvalRunError : public ETavError {
  public:
    using ETavError::ETavError;
};

// The lines of the file after the run, from its lines without line ends; mPrior is the m of the
// prior of "Skupaj", m that of the classes. Throws EEvalRunError for no header line, no data line,
// more than kMaxEvalClasses classes, more than kMaxEvalColumns value columns or a value outside
// 0..100; errors of the beta functions (EStStatError) pass.
std::vector<std::string> evaluationRunLines(const std::vector<std::string>& lines, double mPrior,
                                            double m);

// The same over the whole file content: lines end with CR LF or LF on input, with CR LF on output.
std::string evaluationRunText(const std::string& content, double mPrior, double m);

// Performs the run on the file at `path` (the operating system's bytes). The new content goes to a
// temporary file in the same folder, which replaces the file only once it is complete, so that on
// any error (EEvalRunError, EInOutError, EStStatError) the file stays as it was. The replaced file
// keeps its permissions and, where the system allows, its owner. Refused with EInOutError: what
// is not a regular file (with dataFileProblem's message, before anything opens it), a
// read-only file, a file with several hard links, and a file that changed while the run computed
// (its new content is then kept in the temporary file, which the message names).
void performEvaluationRun(const std::string& path, double mPrior, double m);
