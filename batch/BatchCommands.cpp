#include "batch/BatchCommands.h"

#include <algorithm>
#include <clocale>
#include <exception>

#include "batch/BatchFindings.h"
#include "batch/BatchImport.h"
#include "batch/BatchSession.h"
#include "batch/BatchTables.h"
#include "core/FileCheck.h"
#include "core/LocaleFormat.h"
#include "core/SummaryFile.h"
#include "core/Win1250.h"
#include "core/WorkerPool.h"
#include "core/uTavObj.h"
#include "session/ResultRows.h"
#include "session/uTavReports.h"
#include "stats/uTavEvalRun.h"

namespace {

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

int runSummary(const TBatchOptions& options, const TBatchOutput& io) {
    const std::string& fileName = options.files[0];
    // As the other commands: a named pipe or a device would be read without end.
    const std::string problem = dataFileProblem(fileName);
    if (!problem.empty()) {
        io.printError(problem);
        return kExitError;
    }
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

void printFields(TTavSession& session, const TBatchOutput& io) {
    printRowTable(fieldsRows(session), io.out);
}

void printRules(TTavSession& session, const TBatchOutput& io) {
    printRowTable(rulesRows(session), io.out);
}

void printFrequency(TTavSession& session, const TBatchOutput& io) {
    printRowTable(frequencyRows(session), io.out);
}

int runFields(const TBatchOptions& options, const TBatchOutput& io) {
    return exploreSession(options, io, nullptr,
                          [&](TTavSession& session) { printFields(session, io); });
}

int runRules(const TBatchOptions& options, const TBatchOutput& io) {
    return exploreSession(options, io, nullptr,
                          [&](TTavSession& session) { printRules(session, io); });
}

// The default number of pairs ranked.
constexpr int kDefaultRankedPairs = 200;

// A ranking with no field selected scores every rule 0; without --select it ranks every field but
// the class, which exploreSession deselects.
TBatchOptions rankingEveryFieldByDefault(const TBatchOptions& given) {
    TBatchOptions options = given;
    // A session keeps its own selection.
    if (!options.session) options.select = options.select.value_or("all");
    return options;
}

// The pairs with the largest entropy gain over every visible class value.
void printRankedPairs(TTavSession& session, int top, const TBatchOutput& io) {
    bool complete = true;
    printRowTable(rankedPairsRows(session.rankPairs(top, complete)), io.out);
    if (!complete) io.printError("The ranking of pairs was stopped early: it is partial.");
}

int runRank(const TBatchOptions& given, const TBatchOutput& io) {
    const TBatchOptions options = rankingEveryFieldByDefault(given);
    if (options.conditions == 2) {
        return exploreSession(options, io, nullptr, [&](TTavSession& session) {
            printRankedPairs(session, options.top.value_or(kDefaultRankedPairs), io);
        });
    }
    return exploreSession(
        options, io, [](TTavSession& session) { session.computeEntropyGains(); },
        [&](TTavSession& session) { printRules(session, io); });
}

int runFrequency(const TBatchOptions& options, const TBatchOutput& io) {
    return exploreSession(
        // Rows of the Simple rules table are in creation order, so row R is rule R.
        options, io,
        [&](TTavSession& session) {
            // Without --rule a session keeps its active rule.
            if (options.session && !options.rule && !options.ruleName) return;
            session.moveToRule(ruleRow(session, options));
        },
        [&](TTavSession& session) { printFrequency(session, io); });
}

int runReport(const TBatchOptions& given, const TBatchOutput& io) {
    const TBatchOptions options = given.rank ? rankingEveryFieldByDefault(given) : given;
    return exploreSession(
        options, io,
        [&](TTavSession& session) {
            if (options.rank) session.computeEntropyGains();
        },
        [&](TTavSession& session) {
            // The block is the report file's Windows-1250 text; standard output is UTF-8.
            io.out << win1250ToUtf8(globalReportBlock(session));
        });
}

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

int runEvaluate(const TBatchOptions& options, const TBatchOutput&) {
    TTavSession session;
    applySettings(session, options);
    takeNumberSeparatorsFromEnvironment();
    performEvaluationRun(options.files[0], MPrior, MParam);
    return kExitOk;
}

// The options of every command that explores a session with the window's settings and filters;
// the usage shows them as "[opts]".
const std::vector<std::string_view> kSessionOptions = {
    "--mprior", "--m",    "--signif",   "--context", "--compare1", "--compare2",
    "--select", "--hide", "--progress", "--threads", "--session"};

// The options that read a database's table in place of FILE, with the import's settings and
// choices that make its fields; the usage shows them as "[db]".
const std::vector<std::string_view> kDatabaseOptions = {
    "--db",         "--table",     "--query",     "--type",   "--bins",        "--ignore",
    "--boundaries", "--set-limit", "--int-limit", "--sample", "--sample-size", "--seed"};

// Of those, the ones that only say how a table becomes fields: a data file has its fields.
const std::vector<std::string_view> kFieldMakingOptions = {
    "--type",      "--bins",   "--ignore",      "--boundaries", "--set-limit",
    "--int-limit", "--sample", "--sample-size", "--seed"};

std::vector<std::string_view> withSessionOptions(std::vector<std::string_view> own) {
    own.insert(own.end(), kSessionOptions.begin(), kSessionOptions.end());
    own.insert(own.end(), kDatabaseOptions.begin(), kDatabaseOptions.end());
    return own;
}

std::vector<std::string_view> withDatabaseOptions(std::vector<std::string_view> own) {
    own.insert(own.end(), kDatabaseOptions.begin(), kDatabaseOptions.end());
    return own;
}

const std::vector<TBatchCommand> kCommands = {
    {"summary",
     "FILE",
     "write the summary report beside FILE (extension .REP)",
     {},
     {},
     runSummary},
    {"fields", "FILE", "the Fields table", withSessionOptions({}), {}, runFields},
    {"rules",
     "FILE",
     "the Simple rules table in creation order",
     withSessionOptions({}),
     {},
     runRules},
    {"rank",
     "FILE",
     "simple rules ranked by entropy gain (every field by default)",
     withSessionOptions({"--class", "--conditions", "--top"}),
     {"--class"},
     runRank},
    {"freq",
     "FILE",
     "the Frequency table of the class under rule R",
     withSessionOptions({"--class", "--rule"}),
     {"--class"},
     runFrequency},
    {"report",
     "FILE",
     "one block of the global report (--rank: every field by default)",
     withSessionOptions({"--class", "--rank"}),
     {"--class"},
     runReport},
    {"findings",
     "FILE",
     "the findings of one class value (every field selected by default)",
     withDatabaseOptions({"--class", "--target", "--min-count", "--sort", "--format", "--sentences",
                          "--conditions", "--top", "--mprior", "--m", "--signif", "--context",
                          "--select", "--threads", "--session"}),
     {"--class", "--target"},
     runFindings},
    {"export",
     "FILE",
     "an HTML report: tables, findings with their plot, threshold sweep",
     withSessionOptions({"--class", "--target", "--min-count", "--html"}),
     {"--class", "--html"},
     runExport},
    {"evaluate",
     "CSVFILE",
     "the evaluation run, rewriting CSVFILE",
     {"--mprior", "--m"},
     {},
     runEvaluate},
    {"import",
     "IN OUT",
     "write data file OUT of a table, workbook, stats file IN or --db",
     {"--delimiter", "--encoding", "--boundaries", "--set-limit", "--int-limit", "--strict",
      "--sample", "--sample-size", "--seed", "--sheet", "--skip", "--type", "--bins", "--ignore",
      "--class", "--progress", "--db", "--table", "--query"},
     {},
     runImport},
};

constexpr size_t kUsageWidth = 96;
constexpr size_t kHelpColumn = 31;

const TBatchCommand* findCommand(std::string_view name) {
    for (const TBatchCommand& command : kCommands) {
        if (command.name == name) return &command;
    }
    return nullptr;
}

int fileCount(const TBatchCommand& command) {
    return static_cast<int>(std::count(command.files.begin(), command.files.end(), ' ')) + 1;
}

bool takesEveryOf(const TBatchCommand& command, const std::vector<std::string_view>& options) {
    return std::all_of(options.begin(), options.end(), [&](std::string_view option) {
        return std::find(command.options.begin(), command.options.end(), option) !=
               command.options.end();
    });
}

// "--class N|NAME", or "--rank" for a flag.
std::string optionWithValue(const TBatchOption& option) {
    std::string text(option.name);
    if (!option.placeholder.empty()) text += " " + std::string(option.placeholder);
    return text;
}

// The command's words: its name, its files, its required options and, in brackets, the others;
// with `abridged` the session options as "[opts]".
std::vector<std::string> synopsisWords(const TBatchCommand& command, bool abridged) {
    std::vector<std::string> words = {std::string(command.name), std::string(command.files)};
    const bool opts = abridged && takesEveryOf(command, kSessionOptions);
    const bool db = abridged && takesEveryOf(command, kDatabaseOptions) && command.name != "import";
    for (std::string_view name : command.options) {
        const bool session = std::find(kSessionOptions.begin(), kSessionOptions.end(), name) !=
                             kSessionOptions.end();
        const bool database = std::find(kDatabaseOptions.begin(), kDatabaseOptions.end(), name) !=
                              kDatabaseOptions.end();
        if ((opts && session) || (db && database)) continue;
        const std::string text = optionWithValue(*findBatchOption(name));
        const bool required = std::find(command.required.begin(), command.required.end(), name) !=
                              command.required.end();
        words.push_back(required ? text : "[" + text + "]");
    }
    if (opts) words.push_back("[opts]");
    if (db) words.push_back("[db]");
    return words;
}

// The words on lines of at most kUsageWidth characters, each line after the first indented.
std::string wrapped(const std::vector<std::string>& words, size_t firstColumn, size_t indent) {
    std::string text;
    size_t column = firstColumn;
    for (size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && column + 1 + words[i].size() > kUsageWidth) {
            text += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (i > 0) {
            text += ' ';
            ++column;
        }
        text += words[i];
        column += words[i].size();
    }
    return text;
}

// `left` and then `help` at kHelpColumn, on a line of its own when `left` reaches that column or
// takes more than one line.
std::string withHelp(const std::string& left, std::string_view help) {
    const bool fits = left.find('\n') == std::string::npos && left.size() + 1 < kHelpColumn;
    const std::string gap =
        fits ? std::string(kHelpColumn - left.size(), ' ') : "\n" + std::string(kHelpColumn, ' ');
    return left + gap + std::string(help) + "\n";
}

std::string optionLine(const TBatchOption& option) {
    return withHelp("  " + optionWithValue(option), option.help);
}

}  // namespace

const std::vector<TBatchCommand>& batchCommands() {
    return kCommands;
}

std::string batchUsage() {
    std::string text =
        "usage: tav-batch COMMAND FILE [options]\n"
        "       tav-batch --help\n"
        "commands:\n";
    for (const TBatchCommand& command : kCommands)
        text += withHelp("  " + wrapped(synopsisWords(command, true), 2, 6), command.description);
    text += "opts: the options " + std::string(kSessionOptions.front()) + " to " +
            std::string(kSessionOptions.back()) + " below\n";
    text += "db: --db URL --table NAME|--query SQL in place of FILE; the import's " +
            std::string(kDatabaseOptions[3]) + " to " + std::string(kDatabaseOptions.back()) + "\n";
    text += "options:\n";
    for (const TBatchOption& option : batchOptions())
        text += optionLine(option);
    return text;
}

std::string batchCommandUsage(std::string_view name) {
    const TBatchCommand& command = *findCommand(name);
    const std::string lead = "usage: tav-batch ";
    std::string text =
        lead + wrapped(synopsisWords(command, false), lead.size(), lead.size() + 2) + "\n";
    text += "  " + std::string(command.description) + "\n";
    for (std::string_view option : command.options)
        text += optionLine(*findBatchOption(option));
    return text;
}

int runBatch(const std::vector<std::string>& args, const TBatchOutput& io) {
    if (args.empty()) {
        io.err << batchUsage();
        return kExitUsage;
    }
    const std::string& name = args[0];
    if (name == "--help" || name == "-h" || name == "help") {
        io.out << batchUsage();
        return kExitOk;
    }
    const TBatchCommand* command = findCommand(name);
    if (command == nullptr) {
        io.err << "tav-batch: unknown command \"" << name << "\"\n" << batchUsage();
        return kExitUsage;
    }
    try {
        const std::vector<std::string> rest(args.begin() + 1, args.end());
        // A session names the data file and keeps the class and the findings' target: with
        // it, the file and those options may be left out (given, they override it).
        const bool fromSession = takesEveryOf(*command, {"--session"}) &&
                                 std::find(rest.begin(), rest.end(), "--session") != rest.end();
        std::vector<std::string_view> required = command->required;
        if (fromSession) {
            std::erase_if(required, [](std::string_view name) {
                return name == "--class" || name == "--target";
            });
        }
        const TBatchOptions options =
            parseBatchOptions(rest, command->options, required, fileCount(*command), fromSession);
        if (!options.db && command->name != "import") {
            for (std::string_view option : kFieldMakingOptions) {
                if (options.given.count(std::string(option)) > 0) {
                    throw EBatchUsage{std::string(option) +
                                      ": given without --db (a data file's fields are made "
                                      "already)"};
                }
            }
        }
        if (options.threads) TWorkerPool::shared().setThreadCount(*options.threads);
        return command->run(options, io);
    } catch (const EBatchUsage& usage) {
        io.printError("tav-batch " + name + ": " + usage.what());
        io.err << batchCommandUsage(name);
        return kExitUsage;
    } catch (const std::exception& error) {
        io.printError(error.what());
        return kExitError;
    }
}
