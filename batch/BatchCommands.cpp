#include "batch/BatchCommands.h"

#include <clocale>
#include <exception>
#include <functional>
#include <map>
#include <optional>
#include <set>

#include "batch/BatchFindings.h"
#include "batch/BatchImport.h"
#include "batch/BatchOptions.h"
#include "batch/BatchTables.h"
#include "batch/BatchText.h"
#include "core/Errors.h"
#include "core/FieldTypes.h"
#include "core/LocaleFormat.h"
#include "core/SummaryFile.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "core/uTavObj.h"
#include "session/uTavReports.h"
#include "session/uTavSession.h"
#include "stats/uTavEvalRun.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"

namespace {

const std::set<std::string> kExplorationOptions = {"--mprior",  "--m",        "--signif",
                                                   "--context", "--compare1", "--compare2",
                                                   "--select",  "--hide",     "--progress"};

std::set<std::string> withOptions(std::initializer_list<const char*> extra) {
    std::set<std::string> options = kExplorationOptions;
    options.insert(extra.begin(), extra.end());
    return options;
}

// Loads a data file as the load command does: kind and code page from the header. Messages the
// window would show and go on from are printed to standard error.
bool loadForBatch(TBaza& data, const std::string& fileName, const TBatchOutput& io) {
    TLoadHooks hooks;
    hooks.showMessage = [&io](const std::string& message) { io.printError(message); };
    try {
        data.loadDataFile(fileName, dfkFromHeader, cpUnknown, hooks);
    } catch (const std::exception& error) {
        io.printError(error.what());
        return false;
    }
    if (data.errorFlag()) {
        io.printError(data.errorText());
        return false;
    }
    return true;
}

int runSummary(const std::vector<std::string>& args, const TBatchOutput& io) {
    if (args.size() != 1 || args[0].rfind("--", 0) == 0) {
        io.err << batchUsage();
        return kExitUsage;
    }
    const std::string& fileName = args[0];
    TBaza data;
    if (!loadForBatch(data, fileName, io)) return kExitError;
    const TSummaryOutcome outcome = writeSummaryBeside(data, fileName);
    if (!outcome.written) {
        io.printError(outcome.warning);
        return kExitError;
    }
    io.out << outcome.reportPath << '\n';  // a path stays the system's bytes
    return kExitOk;
}

// The settings and hidden class rows of the options, through the session's commands as the
// Settings menu and the Frequency popup give them.
void applySettings(TTavSession& session, const TBatchOptions& options) {
    resetStatSettings();
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

// Loads the file into the session and applies the options. Returns an exit status, or -1 when
// the command may go on.
int prepareSession(TTavSession& session, const TBatchOptions& options) {
    try {
        session.loadDataFile(options.file);
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
    const int ruleCount = session.sets().SetLists[slRules].count();
    if (options.rule && *options.rule >= ruleCount) {
        throw EBatchUsage{"--rule: the rule " + std::to_string(*options.rule) + " is outside 0.." +
                          std::to_string(ruleCount - 1)};
    }
    if (options.select) session.selectFields(selectedFields(*options.select, data.FieldCount()));
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

// A subcommand: what it does to the prepared session (may be empty), then what it prints.
struct TSessionCommand {
    std::function<void(TTavSession&, const TBatchOptions&)> act;
    std::function<void(TTavSession&, const TBatchOptions&, const TBatchOutput&)> print;
};

// Runs a subcommand that explores a loaded table through a session. The load, the options and
// the subcommand's own action are one session command, so that the Frequency table is computed
// once for what is printed.
int runExploration(const std::vector<std::string>& args, const std::set<std::string>& allowed,
                   bool needsClass, const TSessionCommand& command, const TBatchOutput& io) {
    const TBatchOptions options = parseBatchOptions(args, allowed);
    if (needsClass && !options.classField && !options.className)
        throw EBatchUsage{"--class: the class field is missing"};
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
    int status = -1;
    session.runAsOneCommand([&] {
        applySettings(session, options);
        status = prepareSession(session, options);
        if (status < 0 && command.act) command.act(session, options);
    });
    if (status >= 0) return status;
    command.print(session, options, io);
    return kExitOk;
}

// The three tables with their names in full: the record layout cuts a name at 50 characters,
// the session has it whole.

void printFields(TTavSession& session, const TBatchOutput& io) {
    printResultTable(session.fieldsTable(), io.out, FieldsColumns::kName,
                     [&](int row) { return session.wholeFieldName(row); });
}

void printRules(TTavSession& session, const TBatchOutput& io) {
    printResultTable(session.rulesTable(), io.out, RuleColumns::kName,
                     [&](int row) { return session.wholeRuleName(row); });
}

// The "Total" row of the Frequency table keeps its name.
void printFrequency(TTavSession& session, const TBatchOutput& io) {
    printResultTable(session.frequencyTable(), io.out, FrequencyColumns::kName,
                     [&](int row) { return session.wholeClassValueName(row); });
}

const TSessionCommand kPrintFields{
    nullptr, [](TTavSession& session, const TBatchOptions&, const TBatchOutput& io) {
        printFields(session, io);
    }};

const TSessionCommand kPrintRules{nullptr, [](TTavSession& session, const TBatchOptions&,
                                              const TBatchOutput& io) { printRules(session, io); }};

const TSessionCommand kPrintRanked{
    [](TTavSession& session, const TBatchOptions&) { session.computeEntropyGains(); },
    [](TTavSession& session, const TBatchOptions&, const TBatchOutput& io) {
        printRules(session, io);
    }};

const TSessionCommand kPrintFrequency{
    // Rows of the Simple rules table are in creation order, so row R is rule R.
    [](TTavSession& session, const TBatchOptions& options) {
        session.moveToRule(options.rule.value_or(0));
    },
    [](TTavSession& session, const TBatchOptions&, const TBatchOutput& io) {
        printFrequency(session, io);
    }};

const TSessionCommand kPrintReport{
    [](TTavSession& session, const TBatchOptions& options) {
        if (options.rank) session.computeEntropyGains();
    },
    [](TTavSession& session, const TBatchOptions&, const TBatchOutput& io) {
        // The block is the report file's Windows-1250 text; standard output is UTF-8.
        io.out << win1250ToUtf8(globalReportBlock(session));
    }};

// The number separators of the environment's locale, read once without changing the process's
// own locale for the rest of the run.
void takeNumberSeparatorsFromEnvironment() {
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "") != nullptr) {
        const std::lconv* conventions = std::localeconv();
        TLocaleFormat& locale = localeFormat();
        locale.decimalSeparator =
            conventions->decimal_point[0] ? conventions->decimal_point[0] : '.';
        locale.thousandSeparator = conventions->thousands_sep[0];
    }
    std::setlocale(LC_NUMERIC, previous.c_str());
}

int runEvaluate(const std::vector<std::string>& args, const TBatchOutput&) {
    const TBatchOptions options = parseBatchOptions(args, {"--mprior", "--m"});
    TTavSession session;
    applySettings(session, options);
    takeNumberSeparatorsFromEnvironment();
    performEvaluationRun(options.file, MPrior, MParam);
    return kExitOk;
}

}  // namespace

std::string batchUsage() {
    return "usage: tav-batch COMMAND FILE [options]\n"
           "commands:\n"
           "  summary FILE                 write the summary report beside FILE (extension .REP)\n"
           "  fields FILE [opts]           the Fields table\n"
           "  rules FILE [opts]            the Simple rules table in creation order\n"
           "  rank FILE --class N [opts]   the simple rules ranked by their entropy gain\n"
           "  freq FILE --class N [--rule R] [opts]\n"
           "                               the Frequency table of class N under rule R\n"
           "  report FILE --class N [--rank] [opts]\n"
           "                               one block of the global simple-rules report\n"
           "  evaluate CSVFILE [--mprior X] [--m X]\n"
           "                               the evaluation run, rewriting CSVFILE\n"
           "opts: --mprior X, --m X, --signif X, --context EXPR, --compare1 EXPR,\n"
           "      --compare2 EXPR, --select all|none|LIST, --hide LIST, --progress\n";
}

int runBatch(const std::vector<std::string>& args, const TBatchOutput& io) {
    if (args.empty()) {
        io.err << batchUsage();
        return kExitUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (command == "summary") return runSummary(rest, io);
        if (command == "fields")
            return runExploration(rest, kExplorationOptions, false, kPrintFields, io);
        if (command == "rules")
            return runExploration(rest, kExplorationOptions, false, kPrintRules, io);
        if (command == "rank")
            return runExploration(rest, withOptions({"--class"}), true, kPrintRanked, io);
        if (command == "freq") {
            return runExploration(rest, withOptions({"--class", "--rule"}), true, kPrintFrequency,
                                  io);
        }
        if (command == "report") {
            return runExploration(rest, withOptions({"--class", "--rank"}), true, kPrintReport, io);
        }
        if (command == "evaluate") return runEvaluate(rest, io);
        if (command == "import") return runImport(rest, io);
        if (command == "findings") return runFindings(rest, io);
    } catch (const EBatchUsage& usage) {
        io.printError("tav-batch " + command + ": " + usage.message);
        io.err << batchUsage();
        return kExitUsage;
    } catch (const std::exception& error) {
        io.printError(error.what());
        return kExitError;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        io.out << batchUsage();
        return kExitOk;
    }
    io.err << "tav-batch: unknown command \"" << command << "\"\n" << batchUsage();
    return kExitUsage;
}
