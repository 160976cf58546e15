#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

// The arguments of one tav-batch run after the subcommand.
struct TBatchOptions {
    std::string file;
    std::optional<double> mPrior;
    std::optional<double> m;
    std::optional<double> signif;
    std::optional<std::string> context;
    std::optional<std::string> compare1;
    std::optional<std::string> compare2;
    std::optional<std::string> select;  // "all", "none" or a list of field indexes
    std::vector<int> hide;              // class value codes whose rows are hidden
    std::optional<int> classField;
    std::optional<std::string> className;  // --class given as a field name (as typed)
    std::optional<int> rule;
    bool rank = false;
    bool progress = false;  // progress lines on standard error
};

// A usage error: the message names the option; tav-batch exits with status 2.
struct EBatchUsage {
    std::string message;
};

// Parses the arguments of a subcommand that takes the options in `allowed` (such as "--class").
// Options may come before or after the file. Throws EBatchUsage for an unknown or repeated
// option, a missing value, a number that is not a plain decimal number, a code outside 0..127,
// a missing file or a second one.
TBatchOptions parseBatchOptions(const std::vector<std::string>& args,
                                const std::set<std::string>& allowed);

// The field indexes of a --select list; throws EBatchUsage naming the option when an index is
// not in 0..fieldCount-1.
std::vector<int> selectedFields(const std::string& select, int fieldCount);
