#include "batch/BatchPostgres.h"

#include "db/ServerSource.h"
#include "session/uTavSession.h"

std::string openServerTable(TTavSession& session, const TDatabaseSource& source,
                            const TImportOptions& options, const TImportChoiceTexts& choices,
                            const TSessionFile* kept) {
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
