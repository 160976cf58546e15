#include "batch/BatchDatabase.h"
#include "batch/BatchPostgres.h"
#include "core/Errors.h"
#include "import/ImportRecipe.h"
#include "import/Importer.h"
#include "session/uTavSession.h"

std::string databaseCopy(TDatabaseSource& source, const TImportOptions& options,
                         TImportChoiceTexts choices, const TPrivateFolder& folder,
                         const TBatchOutput& io) {
    choices.classColumn.reset();
    TImportPlan plan = inferDatabaseImport(source, options);
    applyImportChoices(plan, choices);
    source.importWords = importWordsWithoutClass(plan);
    const std::string dataFile = folder.file("table.CSV");
    const TImportSummary summary = writeImport(plan, dataFile);
    for (const std::string& warning : summary.warnings)
        io.printError(warning);
    return dataFile;
}

void openDatabaseTable(TTavSession& session, TDatabaseSource source, const TImportOptions& options,
                       const TImportChoiceTexts& choices, const TPrivateFolder& folder,
                       const TBatchOutput& io) {
    if (source.kind == TDatabaseKind::Postgresql) {
        TImportChoiceTexts withoutClass = choices;
        withoutClass.classColumn.reset();
        const std::string failed = openServerTable(session, source, options, withoutClass);
        if (!failed.empty()) throw ETavError(failed);
        return;
    }
    const std::string dataFile = databaseCopy(source, options, choices, folder, io);
    session.loadDatabaseCopy(dataFile, source);
}

void importChoicesOf(const TDatabaseSource& source, TImportOptions& options,
                     TImportChoiceTexts& choices) {
    readImportWords(source.importWords, options, choices);
}
