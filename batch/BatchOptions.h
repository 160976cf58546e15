#pragma once

#include <exception>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/DatabaseSource.h"
#include "import/ImportTypes.h"
#include "stats/uTavFindings.h"
#include "stats/uTavFindingsText.h"

// The arguments of one tav-batch run after the subcommand.
struct TBatchOptions {
    std::vector<std::string> files;  // in the order given
    std::set<std::string> given;     // the options given, such as "--class"
    std::optional<double> mPrior;
    std::optional<double> m;
    std::optional<double> signif;
    std::optional<std::string> context;
    std::optional<std::string> compare1;
    std::optional<std::string> compare2;
    std::optional<std::string> select;  // "all", "none" or a list of field numbers, names, ranges
    std::vector<int> hide;              // class value codes whose rows are hidden
    std::optional<int> classField;
    std::optional<std::string> className;  // --class given as a field name (as typed)
    std::optional<int> rule;
    std::optional<std::string> ruleName;  // --rule given as a rule's name (as typed)
    bool rank = false;
    bool progress = false;               // progress lines on standard error
    std::optional<int> threads;          // the worker pool's threads (default: every core)
    std::optional<std::string> session;  // a session file whose state the options override
    std::optional<std::string> html;     // the report file export writes
    std::optional<std::string> target;   // a class value's code (digits) or label (as typed)
    int minCount = 5;
    TFindingsSort sort = TFindingsSort::Score;
    TFindingsFormat format = TFindingsFormat::Tsv;
    bool sentences = false;
    int conditions = 1;      // findings and rank: conditions of a rule, 1 or 2
    std::optional<int> top;  // rank --conditions 2 and findings --conditions 2: pairs listed
    TImportOptions import;
    TImportChoiceTexts importChoices;  // --type, --bins and --ignore (as typed); --class apart
    std::optional<std::string> db;     // --db URL, --table NAME, --query SQL as typed
    std::optional<std::string> table;
    std::optional<std::string> query;
    // The table that --db with --table or --query names, in place of FILE (of import: of IN, or
    // in IN when it is the SQLite file).
    std::optional<TDatabaseSource> database;
};

// A usage error: the message names the option; tav-batch exits with status 2.
class EBatchUsage : public std::exception {
  public:
    explicit EBatchUsage(std::string message) : m_message(std::move(message)) {}
    // The message, naming the option (Windows-1250 text).
    const char* what() const noexcept override { return m_message.c_str(); }

  private:
    std::string m_message;
};

// One option of tav-batch, declared once for every command that takes it.
struct TBatchOption {
    std::string_view name;         // "--class"
    std::string_view placeholder;  // the value in the usage ("N|NAME"); empty for a flag
    std::string_view help;         // one line for the usage
    // Reads the value (empty for a flag) into the options; throws EBatchUsage naming `option`.
    void (*take)(TBatchOptions& options, const std::string& option, const std::string& value);
    std::string_view needs = {};        // another option without which this one is refused
    std::string_view whenMissing = {};  // what a command that requires the option misses
    bool repeatable = false;            // may be given more than once, each value kept
};

// Every option of tav-batch, in the order the usage lists them.
const std::vector<TBatchOption>& batchOptions();

// The option named `name`, or nullptr.
const TBatchOption* findBatchOption(std::string_view name);

// Parses the arguments of a subcommand that takes the options `taken`, requires the options
// `required` and `fileCount` files. Options may come before or after the files. Throws
// EBatchUsage for an unknown option, one repeated that is not repeatable, a missing value, a value
// the option refuses (a number that is not a plain decimal number, a code outside 0..127, ...), a
// missing required option, or a file too few or too many. With `filesOptional` no file at all
// is accepted too. With --db the database's table takes the place of the first file: one file
// fewer is taken, and --db is refused without --table or --query, with both, or with a URL of
// no known kind. --table or --query without --db names a table of the first of two files (the
// SQLite file IN of import), and is refused where only one file is taken.
TBatchOptions parseBatchOptions(const std::vector<std::string>& args,
                                const std::vector<std::string_view>& taken,
                                const std::vector<std::string_view>& required = {},
                                int fileCount = 1, bool filesOptional = false);

// The field indexes of a --select value (Windows-1250): "all", "none" or a list of items, each a
// field's number, a range of numbers ("3-7", both ends included) or a field's name compared
// without regard to case; in the order given. Throws EBatchUsage naming the option and the item
// for a number outside 0..FieldCount-1, a range that is not "low-high" with low <= high, an empty
// item or a name no field has.
std::vector<int> selectedFields(const std::string& select, const TBaza& data);
