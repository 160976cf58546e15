#include "ui/dialogs/DatabaseTables.h"

#include "core/Errors.h"

namespace {

constexpr const char* kNoServers = "PostgreSQL sources are not available in this build.";

}  // namespace

std::vector<std::string> serverTableNames(const std::string&) {
    throw ETavError(kNoServers);
}

std::string openServerTableInWindow(TTavSession&, const TDatabaseSource&, const TImportOptions&,
                                    const TImportChoiceTexts&) {
    return kNoServers;
}
