#include "core/Errors.h"
#include "db/ServerSource.h"
#include "import/ImportRecipe.h"
#include "import/Importer.h"
#include "session/uTavSession.h"
#include "ui/dialogs/DatabaseTables.h"

std::vector<std::string> serverTableNames(const std::string& uri) {
    return serverTableList(uri);
}

namespace {

// The table described again when the import dialog changed how its columns are coded; the class
// chosen there is returned as a field of the table (-1 for none). False when it was cancelled.
bool reviewServerTable(std::unique_ptr<TServerTable>& table, TDatabaseSource& where,
                       const TDatabaseSource& source, const TServerReview& review,
                       int& classField) {
    TImportPlan plan = table->plan();
    // The rows stay in the server: the dialog previews none.
    plan.sourceBytes = std::make_shared<const std::string>();
    int classColumn = plan.classColumn;
    if (!review(plan, classColumn)) return false;
    setClassColumn(plan, classColumn);
    const std::vector<std::string> words = importWordsWithoutClass(plan);
    if (words != where.importWords) {
        TImportOptions options;
        TImportChoiceTexts choices;
        readImportWords(words, options, choices);
        where = source;
        table = openServerSource(where, options, choices);
    }
    classField = importFieldIndex(plan, classColumn);
    return true;
}

}  // namespace

std::string openServerTableInWindow(TTavSession& session, const TDatabaseSource& source,
                                    const TImportOptions& options,
                                    const TImportChoiceTexts& choices, const TSessionFile* kept,
                                    const TServerReview& review) {
    try {
        TDatabaseSource where = source;
        std::unique_ptr<TServerTable> table = openServerSource(where, options, choices);
        if (kept != nullptr) {
            session.openCountedSession(*kept, std::move(table), where);
            return "";
        }
        int classField = -1;
        if (review && !reviewServerTable(table, where, source, review, classField)) return "";
        session.runAsOneCommand([&] {
            session.openCountedTable(std::move(table), where);
            if (classField >= 0) session.setClassFieldDeselected(classField);
        });
        return "";
    } catch (const ETavError& failed) {
        return failed.what();
    }
}
