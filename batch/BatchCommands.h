#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "batch/BatchOptions.h"
#include "batch/BatchOutput.h"

// Exit statuses of tav-batch.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

// One subcommand of tav-batch: the dispatch, the parsing of its arguments and its usage all come
// from this entry.
struct TBatchCommand {
    std::string_view name;
    std::string_view files;        // its files in the usage, one word each: "FILE", "IN OUT"
    std::string_view description;  // one line for the usage
    std::vector<std::string_view> options;   // every option it takes, in the usage's order
    std::vector<std::string_view> required;  // the options it cannot go without
    // Runs the command on its parsed arguments and returns the exit status; throws EBatchUsage
    // for a usage error and the core's errors otherwise.
    int (*run)(const TBatchOptions& options, const TBatchOutput& io);
};

// Every subcommand of tav-batch, in the order the usage lists them.
const std::vector<TBatchCommand>& batchCommands();

// The usage text of tav-batch: every command and every option.
std::string batchUsage();

// The usage text of one command: its synopsis, what it does and its options. Requires: `name`
// is a command of batchCommands().
std::string batchCommandUsage(std::string_view name);

// Runs tav-batch with its arguments (without the program name) and returns the exit status.
int runBatch(const std::vector<std::string>& args, const TBatchOutput& io);
