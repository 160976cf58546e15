#pragma once

#include "batch/BatchOptions.h"
#include "batch/BatchOutput.h"

// tav-batch findings: the findings of one class value (--class, --target) as a table and the
// multiplicity line, or with --sentences the reproducibility header and one sentence per flagged
// finding. The session is prepared as for the other exploration commands, except that without
// --select every field is selected. Returns the exit status; throws EBatchUsage for a usage error.
int runFindings(const TBatchOptions& options, const TBatchOutput& io);

// tav-batch export --html FILE: the report of the session (session/ReportHtml.h) with the findings
// of --target (default: the session's target, else the class's first value), the session prepared
// as for findings. Prints the report's path. Returns the exit status; throws EBatchUsage for a
// usage error and EInOutError when the report cannot be written.
int runExport(const TBatchOptions& options, const TBatchOutput& io);
