#include "batch/BatchImport.h"

#include "batch/BatchCommands.h"
#include "core/Errors.h"
#include "import/Importer.h"

namespace {

void printColumns(const TImportPlan& plan, const TBatchOutput& io) {
    io.printLine("Field\tName\tType\tDistinct\tMissing\tBoundaries\tType spec");
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        const TImportColumn& column = plan.columns[i];
        io.printLine(std::to_string(i) + "\t" + column.name + "\t" + importTypeText(column.type) +
                     "\t" + std::to_string(column.distinctCount) + "\t" +
                     std::to_string(column.missingCount) + "\t" +
                     std::to_string(column.boundaryCount()) + "\t" + importTypeSpec(column));
    }
}

// The importer's refusal of too many records offers a sample, which here is an option.
TImportPlan inferWithSampleHint(const TBatchOptions& options) {
    try {
        return inferImport(options.files[0], options.import);
    } catch (const ELimitError& error) {
        std::string text = error.what();
        if (options.import.sample || text.find("random sample") == std::string::npos) throw;
        if (!text.empty() && text.back() == '.') text.pop_back();
        throw ELimitError(text + " (--sample).");
    }
}

}  // namespace

int runImport(const TBatchOptions& options, const TBatchOutput& io) {
    const TImportPlan plan = inferWithSampleHint(options);
    const TImportSummary summary = writeImport(plan, options.files[1]);
    printColumns(plan, io);
    for (const std::string& warning : summary.warnings)
        io.printError(warning);
    if (summary.sampled) {
        io.printError("A random sample of " + std::to_string(summary.recordsKept) + " of the " +
                      std::to_string(summary.recordsRead) + " records read, seed " +
                      std::to_string(summary.seed));
    }
    return kExitOk;
}
