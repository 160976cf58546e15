#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "batch/BatchCommands.h"

// One tav-batch run in the test's process: its exit status and what it wrote.
struct TRun {
    int status = 0;
    std::string out;
    std::string err;
};

inline TRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    TRun result;
    result.status = runBatch(args, TBatchOutput{out, err});
    result.out = out.str();
    result.err = err.str();
    return result;
}
