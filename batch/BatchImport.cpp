#include "batch/BatchImport.h"

#include "batch/BatchCommands.h"
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

}  // namespace

int runImport(const TBatchOptions& options, const TBatchOutput& io) {
    const TImportPlan plan = inferImport(options.files[0], options.import);
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
