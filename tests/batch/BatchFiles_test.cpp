// What every command does with a file that is not a regular one, and the import's refusals.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <sys/stat.h>
#include <unistd.h>

#include "batch/BatchCommands.h"
#include "tests/batch/BatchRun.h"
#include "tests/support/TempDir.h"

namespace {

// The arguments of `command` with `file` as its (first) file and whatever options it requires.
std::vector<std::string> argumentsOf(const TBatchCommand& command, const std::string& file,
                                     const std::string& out) {
    std::vector<std::string> args = {std::string(command.name), file};
    if (command.files.find(' ') != std::string_view::npos) args.push_back(out);
    for (std::string_view option : command.required) {
        args.emplace_back(option);
        args.emplace_back("0");
    }
    return args;
}

}  // namespace

// A named pipe without a writer would block the reader, a device would be read without end, a
// folder has nothing to read: every command refuses them before opening anything.
TEST(BatchFiles, EveryCommandRefusesWhatIsNotARegularFilePromptly) {
    TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string folder = dir.file("folder");
    ::mkdir(folder.c_str(), 0700);
    const std::string out = dir.file("out.CSV");
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {pipe, "\"" + pipe + "\" is a named pipe, not a data file.\n"},
        {folder, "\"" + folder + "\" is a folder, not a data file.\n"},
        {"/dev/zero", "\"/dev/zero\" is a device, not a data file.\n"},
    };
    // A command that waits or reads on ends the test process instead of hanging it.
    ::alarm(60);
    for (const TBatchCommand& command : batchCommands()) {
        for (const auto& c : cases) {
            const TRun result = run(argumentsOf(command, c.path, out));
            EXPECT_EQ(result.status, kExitError) << command.name << " " << c.path;
            EXPECT_EQ(result.err, c.message) << command.name;
            EXPECT_EQ(result.out, "") << command.name;
        }
    }
    ::alarm(0);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST(BatchFiles, ATableOfManyRecordsImportsWholeOrAsTheSampleAsked) {
    TempDir dir;
    std::string table = "a\n";
    for (int i = 0; i < 65002; ++i)
        table += std::to_string(i % 7) + "\n";
    const std::string in = dir.write("big.csv", table);
    const auto recordLines = [&] {
        const std::string written = readFile(dir.file("big.CSV"));
        return std::count(written.begin(), written.end(), '\n') - 3 - 7;  // 7 label lines
    };
    const TRun whole = run({"import", in, dir.file("big.CSV")});
    EXPECT_EQ(whole.status, kExitOk) << whole.err;
    EXPECT_EQ(whole.err, "");
    EXPECT_EQ(recordLines(), 65002);

    const TRun sampled =
        run({"import", in, dir.file("big.CSV"), "--sample", "--sample-size", "1000"});
    EXPECT_EQ(sampled.status, kExitOk) << sampled.err;
    EXPECT_EQ(sampled.err, "A random sample of 1000 of the 65002 records read, seed 1\n");
    EXPECT_EQ(recordLines(), 1000);
}

// The temporary file of the data file is created anew, so an input of that name stays whole.
TEST(BatchFiles, AnInputNamedAsTheOutputsTemporaryFileIsKept) {
    TempDir dir;
    const std::string out = dir.file("t");
    const std::string table = "a,b\n1,x\n2,y\n";
    for (const std::string& in :
         {out + ".tav-" + std::to_string(::getpid()) + "-0.tmp", out + ".tav0.tmp"}) {
        dir.write(in.substr(dir.path().string().size() + 1), table);
        const TRun result = run({"import", in, out});
        EXPECT_EQ(result.status, kExitOk) << result.err;
        EXPECT_EQ(readFile(in), table);
        EXPECT_EQ(readFile(out).rfind("TAV DATA:", 0), 0u);
    }
}
