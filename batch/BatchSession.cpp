#include "batch/BatchSession.h"

#include <optional>
#include <ostream>

#include "batch/BatchCommands.h"
#include "batch/BatchDatabase.h"
#include "batch/BatchPostgres.h"
#include "batch/BatchRuleName.h"
#include "batch/BatchText.h"
#include "core/Errors.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"

namespace {

// Loads the file into the session and applies the options. Returns an exit status, or -1 when
// the command may go on.
int prepareSession(TTavSession& session, const TBatchOptions& options, const TBatchOutput& io,
                   const TPrivateFolder& folder) {
    try {
        if (options.session) {
            openSavedSession(session, options, io, folder);
        } else if (options.database) {
            openDatabaseTable(session, *options.database, options.import, options.importChoices,
                              folder, io);
        } else {
            session.loadDataFile(options.files.at(0));
        }
    } catch (const ENotADataFile& plain) {
        throw ETavError(std::string(plain.what()) +
                        " tav-batch import converts a CSV, TSV or ARFF file into a data file.");
    }
    const TBaza& data = *session.CurrentData();
    std::optional<int> classField = options.classField;
    if (options.className) {
        const std::string name = argumentTo1250("--class", *options.className);
        const int index = data.fieldIndex(upperCase1250(name));
        if (index < 0) throw EBatchUsage{"--class: the table has no field named \"" + name + "\""};
        classField = index;
    }
    if (options.classField && *options.classField >= data.FieldCount()) {
        throw EBatchUsage{"--class: the field " + std::to_string(*options.classField) +
                          " is outside 0.." + std::to_string(data.FieldCount() - 1)};
    }
    ruleRow(session, options);  // refused before anything is computed
    if (options.select) {
        // In place of the session's selection, not beside it.
        if (options.session) session.selectAllFields(false);
        session.selectFields(selectedFields(argumentTo1250("--select", *options.select), data));
    }
    if (classField) session.setClassFieldDeselected(*classField);
    if (options.context) {
        session.updateContext(argumentTo1250("--context", *options.context));
        // The session has shown the message; a script must not get numbers for other records.
        if (!session.contextError().empty()) return kExitError;
    }
    if (options.compare1 || options.compare2) {
        session.updateCompare(argumentTo1250("--compare1", options.compare1.value_or("")),
                              argumentTo1250("--compare2", options.compare2.value_or("")));
        if (!session.compare1Error().empty() || !session.compare2Error().empty()) return kExitError;
    }
    return -1;
}

// Opens the session `kept` on its database source read with `import` and `choices`.
void openKeptDatabase(TTavSession& session, TSessionFile& kept, const TImportOptions& import,
                      const TImportChoiceTexts& choices, const TPrivateFolder& folder,
                      const TBatchOutput& io) {
    TDatabaseSource& source = *kept.source.database;
    if (source.kind == TDatabaseKind::Postgresql) {
        const std::string failed = openServerTable(session, source, import, choices, &kept);
        if (!failed.empty()) throw ETavError(failed);
        return;
    }
    const std::string dataFile = databaseCopy(source, import, choices, folder, io);
    session.openSession(kept, dataFile);
}

}  // namespace

void openSavedSession(TTavSession& session, const TBatchOptions& options, const TBatchOutput& io,
                      const TPrivateFolder& folder) {
    TSessionFile kept = readSessionFile(*options.session);
    if (options.database) {
        // The table given replaces the session's source, as a data file given does.
        kept.source = TSessionSource{};
        kept.source.kind = "database";
        kept.source.database = *options.database;
        openKeptDatabase(session, kept, options.import, options.importChoices, folder, io);
        applySettings(session, options, false);
        return;
    }
    if (kept.source.database && options.files.empty()) {
        TImportOptions import;
        TImportChoiceTexts choices;
        importChoicesOf(*kept.source.database, import, choices);
        openKeptDatabase(session, kept, import, choices, folder, io);
        applySettings(session, options, false);
        return;
    }
    const std::string dataFile = options.files.empty() ? kept.source.path : options.files[0];
    // A data file given in place of the session's table is one as any other.
    if (kept.source.database) kept.source.database.reset();
    if (options.files.empty()) {
        // A script cannot be asked; it goes on with the file as it is, and says so.
        const TSessionDataState state = sessionDataState(kept.source);
        if (state == TSessionDataState::Changed)
            io.printError("Warning: " + sessionDataProblemText(kept.source, state));
    }
    session.openSession(kept, dataFile);
    // The options given override what the session keeps.
    applySettings(session, options, false);
}

int ruleRow(const TTavSession& session, const TBatchOptions& options) {
    const TMnozicaList& rules = session.sets().SetLists[slRules];
    if (options.ruleName) return ruleRowNamed(rules, argumentTo1250("--rule", *options.ruleName));
    if (options.rule && *options.rule >= rules.count()) {
        throw EBatchUsage{"--rule: the rule " + std::to_string(*options.rule) + " is outside 0.." +
                          std::to_string(rules.count() - 1)};
    }
    return options.rule.value_or(0);
}

void applySettings(TTavSession& session, const TBatchOptions& options, bool fromDefaults) {
    if (fromDefaults) resetStatSettings();
    const struct {
        const char* option;
        std::optional<double> value;
        TSetting setting;
    } settings[] = {{"--mprior", options.mPrior, TSetting::MPrior},
                    {"--m", options.m, TSetting::MParam},
                    {"--signif", options.signif, TSetting::SignificancePct}};
    for (const auto& given : settings) {
        if (!given.value) continue;
        try {
            session.setSetting(given.setting, *given.value);
        } catch (const ETavError& refused) {
            throw EBatchUsage{std::string(given.option) + ": " + refused.what()};
        }
    }
    session.hideClassValues(options.hide);
}

int exploreSession(const TBatchOptions& options, const TBatchOutput& io,
                   const std::function<void(TTavSession&)>& act,
                   const std::function<void(TTavSession&)>& print) {
    TSessionHooks hooks;
    hooks.showMessage = [&io](const std::string& message) { io.printError(message); };
    if (options.progress) {
        // One line each time the work passes another tenth; a fraction of 0 means done.
        hooks.progress = [&io, tenths = 0](double fraction) mutable {
            const int reached = static_cast<int>(fraction * 10);
            if (fraction <= 0) {
                tenths = 0;
            } else if (reached > tenths) {
                tenths = reached;
                io.err << "tav-batch: " << reached * 10 << " %" << std::endl;
            }
        };
    }
    TTavSession session(hooks);
    session.setWritesSummaryReport(false);
    // Made only when a database's table is read; it outlives the session's use of the copy.
    const TPrivateFolder folder;
    int status = -1;
    session.runAsOneCommand([&] {
        // Settings before the load, so that the sets get m.
        applySettings(session, options);
        status = prepareSession(session, options, io, folder);
        if (status < 0 && act) act(session);
    });
    if (status >= 0) return status;
    print(session);
    return kExitOk;
}
