#pragma once

#include <string>
#include <vector>

#include "batch/BatchOutput.h"

// The usage text of `tav-batch import`.
std::string batchImportUsage();

// tav-batch import IN OUT [--delimiter C] [--encoding utf8|1250] [--boundaries N]
// [--set-limit N] [--sample [--seed S]]: infers the field types of a plain CSV, TSV or ARFF file,
// writes the data file OUT and prints the types as a table. Returns the exit status (bad
// arguments: the usage on standard error and status 2); throws the core's errors for a file that
// cannot be imported or written.
int runImport(const std::vector<std::string>& args, const TBatchOutput& io);
