#include "batch/BatchPostgres.h"

std::string openServerTable(TTavSession&, const TDatabaseSource&, const TImportOptions&,
                            const TImportChoiceTexts&) {
    return "PostgreSQL sources are not available in this build.";
}
