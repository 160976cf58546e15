#pragma once

#include "batch/BatchOptions.h"
#include "batch/BatchOutput.h"

// tav-batch import IN OUT: infers the field types of a plain CSV, TSV or ARFF file with the
// options' import settings, writes the data file OUT and prints the types as a table. Returns the
// exit status; throws the core's errors for a file that cannot be imported or written.
int runImport(const TBatchOptions& options, const TBatchOutput& io);
