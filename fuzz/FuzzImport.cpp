// The CSV/ARFF importer: infer the columns of the fuzzer's bytes as a file, write the data file
// text and load it back; a file the importer takes must give a data file the reader takes.

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    TImportOptions options;
    // The first byte chooses between an ARFF and a CSV name; detection does the rest.
    const bool arff = size > 0 && bytes[0] % 2 == 1;
    TImportPlan plan;
    try {
        plan = inferImportBytes(text, arff ? "fuzz.arff" : "fuzz.csv", options);
    } catch (const ETavError&) {
        return 0;  // a refused file is an answer
    }
    const std::string written = importDataText(plan);
    TBaza data;
    data.loadDataBytes(written, "fuzz-tav.CSV", dfkFromHeader, cpUnknown);
    if (data.errorFlag() || data.FieldCount() != static_cast<int>(plan.columns.size())) {
        __builtin_trap();
    }
    return 0;
}
