#pragma once

#include <functional>
#include <string_view>

#include "import/ImportSource.h"
#include "import/ImportTypes.h"

class TTextDecoder;

// One pass over the file of an import plan: its bytes read again, in pieces, from the start.
// Nothing but the piece being read (and an ARFF file, parsed whole) is held in memory.

// Hands the bytes of `plan`'s source to `piece` in order, at most 1 MiB at a time. Throws
// EInOutError when the file is not a regular file or cannot be opened or read, and EConvertError
// when it has no longer plan.sourceSize bytes: it changed since it was first read.
void readImportSource(const TImportPlan& plan, const std::function<void(std::string_view)>& piece);

// Parses the records of `plan`'s source into `sink` as the plan says (format, delimiter,
// strictness, the byte order mark skipped; of a workbook its sheet and the rows above its header),
// decoded by `decoder`; `piece` (optional) sees every byte read first. Throws what
// readImportSource, parseCsv, parseArff and the readers of CellTableSource.h throw.
void parseImportSource(const TImportPlan& plan, TTextDecoder& decoder, const TSourceSink& sink,
                       const std::function<void(std::string_view)>& piece = {});
