#include "ui/dialogs/DatabaseTables.h"

#include "core/Errors.h"
#include "import/SqliteImport.h"

std::vector<std::string> databaseTableNames(const std::string& url) {
    // Any table will do to read the URL: only its kind and place matter here.
    const TDatabaseSource source = parseDatabaseSource(url, "-", "");
    if (source.kind == TDatabaseKind::Sqlite) return sqliteTableNames(source.location);
    return serverTableNames(source.location);
}
