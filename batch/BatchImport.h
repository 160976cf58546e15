#pragma once

#include "batch/BatchOptions.h"
#include "batch/BatchOutput.h"

// tav-batch import IN OUT: infers the field types of a plain CSV, TSV or ARFF file, a workbook, a
// statistics file, or (in place of IN) the SQLite table of --db with the options' import
// settings, writes the data file OUT and prints the types as a table. Returns the exit status;
// throws the core's errors for a file that cannot be imported or written and EBatchUsage for
// --db of a server.
int runImport(const TBatchOptions& options, const TBatchOutput& io);
