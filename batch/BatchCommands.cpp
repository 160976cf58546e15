#include "batch/BatchCommands.h"

#include <exception>

#include "core/FieldTypes.h"
#include "core/SummaryFile.h"
#include "core/uTavObj.h"

namespace {

// Loads a data file as the load command does: kind and code page from the header. Messages the
// window would show and go on from are printed to standard error.
bool loadForBatch(TBaza& data, const std::string& fileName, const TBatchOutput& io) {
    TLoadHooks hooks;
    hooks.showMessage = [&io](const std::string& message) { io.printError(message); };
    try {
        data.loadDataFile(fileName, dfkFromHeader, 0, hooks);
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
    if (args.size() != 1) {
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

}  // namespace

std::string batchUsage() {
    return "usage: tav-batch COMMAND FILE [options]\n"
           "commands:\n"
           "  summary FILE   load FILE and write its summary report beside it (extension .REP)\n";
}

int runBatch(const std::vector<std::string>& args, const TBatchOutput& io) {
    if (args.empty()) {
        io.err << batchUsage();
        return kExitUsage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    if (command == "summary") return runSummary(rest, io);
    if (command == "--help" || command == "-h" || command == "help") {
        io.out << batchUsage();
        return kExitOk;
    }
    io.err << "tav-batch: unknown command \"" << command << "\"\n" << batchUsage();
    return kExitUsage;
}
