#pragma once

#include <string>
#include <vector>

#include "batch/BatchOutput.h"

// Exit statuses of tav-batch.
inline constexpr int kExitOk = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

// The usage text of tav-batch.
std::string batchUsage();

// Runs tav-batch with its arguments (without the program name) and returns the exit status.
int runBatch(const std::vector<std::string>& args, const TBatchOutput& io);
