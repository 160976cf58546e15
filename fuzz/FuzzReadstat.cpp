// The statistics file reader (libreadstat from memory): the fuzzer's bytes as an SPSS, Stata or
// SAS file, imported and loaded back. The first byte names the file's extension, which decides
// the reader when the bytes carry no mark of their format.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    static const char* const kNames[] = {"fuzz.sav", "fuzz.por", "fuzz.dta", "fuzz.sas7bdat",
                                         "fuzz.xpt"};
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    const char* name = kNames[size > 0 ? bytes[0] % 5 : 0];
    TImportPlan plan;
    try {
        plan = inferImportBytes(text, name, {});
    } catch (const ETavError&) {
        return 0;  // a refused file is an answer
    }
    TBaza data;
    data.loadDataBytes(importDataText(plan), "fuzz-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.FieldCount() != static_cast<int>(plan.columns.size()))
        __builtin_trap();
    return 0;
}
