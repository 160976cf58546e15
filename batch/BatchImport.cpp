#include "batch/BatchImport.h"

#include "batch/BatchCommands.h"
#include "batch/BatchText.h"
#include "import/Importer.h"
#include "session/SessionFile.h"

namespace {

// The fields of the data file, numbered as it numbers them: an ignored column is not among them.
void printColumns(const TImportPlan& plan, const TBatchOutput& io) {
    io.printLine("Field\tName\tType\tDistinct\tMissing\tBoundaries\tType spec");
    for (size_t i = 0; i < plan.columns.size(); ++i) {
        const TImportColumn& column = plan.columns[i];
        const int field = importFieldIndex(plan, static_cast<int>(i));
        if (field < 0) continue;
        io.printLine(std::to_string(field) + "\t" + column.name + "\t" +
                     importTypeText(column.type) + "\t" + distinctCountText(column) + "\t" +
                     std::to_string(column.missingCount) + "\t" +
                     std::to_string(column.boundaryCount()) + "\t" + importTypeSpec(column));
    }
}

// With --progress, a line on standard error each time a phase passes another 5 %.
ProgressHook progressLines(const TBatchOptions& options, const TBatchOutput& io,
                           const std::string& phase) {
    if (!options.progress) return {};
    return [&io, phase, steps = 0](double fraction) mutable {
        const int reached = static_cast<int>(fraction * 20);
        if (fraction <= 0) {
            steps = 0;
        } else if (reached > steps) {
            steps = reached;
            io.err << "tav-batch: " << phase << " " << reached * 5 << " %" << std::endl;
        }
    };
}

}  // namespace

int runImport(const TBatchOptions& options, const TBatchOutput& io) {
    if (options.database && options.database->kind != TDatabaseKind::Sqlite) {
        throw EBatchUsage{
            "--db: a server's table is counted where it is; only a SQLite table is written "
            "into a data file"};
    }
    const ProgressHook reading = progressLines(options, io, "reading");
    TImportPlan plan = options.database
                           ? inferDatabaseImport(*options.database, options.import, reading)
                           : inferImport(options.files[0], options.import, reading);
    const std::string& outPath = options.files.back();
    TImportChoiceTexts choices = options.importChoices;
    if (options.classField) choices.classColumn = std::to_string(*options.classField);
    if (options.className) choices.classColumn = argumentTo1250("--class", *options.className);
    applyImportChoices(plan, choices);
    const TImportSummary summary =
        writeImport(plan, outPath, progressLines(options, io, "writing"));
    // The class chosen comes back when the data file is loaded again.
    writeImportSessionFile(outPath,
                           plan.classColumn >= 0 ? importFieldIndex(plan, plan.classColumn) : 0);
    printColumns(plan, io);
    if (plan.classColumn >= 0) {
        io.printLine("Class field: " + std::to_string(importFieldIndex(plan, plan.classColumn)) +
                     " " + plan.columns[plan.classColumn].name);
    }
    for (const std::string& warning : summary.warnings)
        io.printError(warning);
    // Which sheet was read, when another could have been (the names are UTF-8 already).
    if (plan.sheetNames.size() > 1) {
        std::string others;
        for (const std::string& name : plan.sheetNames)
            others += (others.empty() ? "\"" : ", \"") + name + "\"";
        io.err << "The sheet \"" << plan.sheet << "\" was read; the workbook has " << others
               << " (--sheet chooses)" << '\n';
    }
    if (summary.sampled) {
        io.printError("A random sample of " + std::to_string(summary.recordsKept) + " of the " +
                      std::to_string(summary.recordsRead) + " records read, seed " +
                      std::to_string(summary.seed));
    }
    return kExitOk;
}
