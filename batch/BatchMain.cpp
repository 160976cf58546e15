// tav-batch: the command-line front end over the same core as the desktop program.

#include <clocale>
#include <iostream>

#include "batch/BatchCommands.h"
#include "core/Win1250.h"

int main(int argc, char** argv) {
    // The locale's character set tells how the arguments were typed; numbers stay in "C".
    std::setlocale(LC_CTYPE, "");
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return runBatch(args, TBatchOutput{std::cout, std::cerr});
    } catch (const std::exception& error) {
        std::cerr << "tav-batch: " << win1250ToUtf8(error.what()) << '\n';
        return kExitError;
    }
}
