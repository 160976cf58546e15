// The .xls reader (libfreexl through a temporary copy): the fuzzer's bytes as a binary workbook,
// imported and loaded back; a workbook the importer takes must give a data file the reader takes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    TImportPlan plan;
    try {
        plan = inferImportBytes(text, "fuzz.xls", {});
    } catch (const ETavError&) {
        return 0;  // a refused file is an answer
    }
    TBaza data;
    data.loadDataBytes(importDataText(plan), "fuzz-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.FieldCount() != static_cast<int>(plan.columns.size()))
        __builtin_trap();
    return 0;
}
