#include "db/ServerSource.h"

#include "core/Win1250.h"
#include "import/ImportRecipe.h"

namespace {

// Runs `open`, rethrowing its error without a password the driver's text may repeat.
template <typename Open>
auto withoutPasswordInErrors(Open open) {
    try {
        return open();
    } catch (const EDatabaseError& failed) {
        throw EDatabaseError(withoutPassword(failed.what()));
    }
}

}  // namespace

std::unique_ptr<TServerTable> openServerSource(TDatabaseSource& source,
                                               const TImportOptions& options,
                                               const TImportChoiceTexts& choices) {
    // The connection's texts are Windows-1250, as every text of the program.
    const TSqlSource sql{utf8ToWin1250(source.table), utf8ToWin1250(source.query)};
    auto table = withoutPasswordInErrors(
        [&] { return TServerTable::open(source.location, sql, options, choices); });
    source.importWords = importWordsWithoutClass(table->plan());
    return table;
}

std::vector<std::string> serverTableList(const std::string& uri) {
    return withoutPasswordInErrors([&] {
        TPgConnection connection(uri);
        const TPgResult names = connection.run(sqlDialect::tableNames());
        std::vector<std::string> list;
        for (int r = 0; r < names.rows(); ++r)
            list.push_back(win1250ToUtf8(names.text(r, 0)));
        return list;
    });
}
