#pragma once

#include <string>
#include <vector>

#include "batch/BatchOutput.h"

// tav-batch findings FILE --class N|NAME --target CODE|LABEL [--min-count N]
// [--sort score|p|diff] [--format tsv|csv|md] [--sentences] [--mprior X] [--m X] [--signif X]
// [--context EXPR] [--select all|none|LIST]: the findings of one class value as a table and the
// multiplicity line, or with --sentences the reproducibility header and one sentence per flagged
// finding. Without --select every field is selected. Returns the exit status; throws EBatchUsage
// for a usage error.
int runFindings(const std::vector<std::string>& args, const TBatchOutput& io);
