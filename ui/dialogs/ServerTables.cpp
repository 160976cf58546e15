#include "core/Errors.h"
#include "db/ServerSource.h"
#include "session/uTavSession.h"
#include "ui/dialogs/DatabaseTables.h"

std::vector<std::string> serverTableNames(const std::string& uri) {
    return serverTableList(uri);
}

std::string openServerTableInWindow(TTavSession& session, const TDatabaseSource& source,
                                    const TImportOptions& options,
                                    const TImportChoiceTexts& choices, const TSessionFile* kept) {
    try {
        TDatabaseSource where = source;
        std::unique_ptr<TServerTable> table = openServerSource(where, options, choices);
        if (kept != nullptr) {
            session.openCountedSession(*kept, std::move(table), where);
        } else {
            session.openCountedTable(std::move(table), where);
        }
        return "";
    } catch (const ETavError& failed) {
        return failed.what();
    }
}
