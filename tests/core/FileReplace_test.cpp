#include "core/FileReplace.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/Errors.h"
#include "tests/support/InjectedFault.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

std::string errorOf(const std::string& path, const std::string& bytes) {
    try {
        replaceFileWhole(path, bytes);
    } catch (const EInOutError& error) {
        return error.what();
    }
    return "";
}

std::set<std::string> namesIn(const TempDir& dir) {
    std::set<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir.path()))
        names.insert(entry.path().filename().string());
    return names;
}

// The id of a process that has ended and been reaped.
pid_t endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string temporaryName(const std::string& target, pid_t pid, int n) {
    return target + ".tav-" + std::to_string(pid) + "-" + std::to_string(n) + ".tmp";
}

}  // namespace

TEST(FileReplace, TheTemporaryFileCarriesTheWritersIdAndNeverLooksLikeADataFile) {
    TempDir dir;
    const std::string out = dir.file("out.CSV");
    std::string created;
    const InjectedFault watch([&](TWriteStep step, const std::string& path) {
        if (step == TWriteStep::Create) created = path;
        return 0;
    });
    replaceFileWhole(out, "new");
    EXPECT_EQ(created, temporaryName(out, ::getpid(), 0));
    EXPECT_EQ(readFile(out), "new");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.CSV"});
}

TEST(FileReplace, LeftoversOfEndedWritersAreRemovedThoseOfRunningOnesKept) {
    TempDir dir;
    const std::string out = dir.file("out.CSV");
    const pid_t ended = endedProcess();
    dir.write("out.CSV.tav-" + std::to_string(ended) + "-0.tmp", "half");
    dir.write("out.CSV.tav-" + std::to_string(ended) + "-3.tmp", "half");
    // This process, the init process and a file of another target stay; so do names that only
    // resemble a temporary file and a file kept on purpose.
    const std::set<std::string> kept = {
        "out.CSV.tav-" + std::to_string(::getpid()) + "-0.tmp",
        "out.CSV.tav-1-0.tmp",
        "other.CSV.tav-" + std::to_string(ended) + "-0.tmp",
        "out.CSV.tav-" + std::to_string(ended) + "-x.tmp",
        "out.CSV.tav-" + std::to_string(ended) + ".tmp",
        "out.CSV.tav0.tmp",
    };
    for (const std::string& name : kept)
        dir.write(name, "keep");
    replaceFileWhole(out, "new");
    std::set<std::string> expected = kept;
    expected.insert("out.CSV");
    EXPECT_EQ(namesIn(dir), expected);
    EXPECT_EQ(readFile(out), "new");
    EXPECT_EQ(readFile(temporaryName(out, ::getpid(), 0)), "keep");
}

TEST(FileReplace, ALinkAtTheTemporaryNameIsNeverFollowed) {
    TempDir dir;
    const std::string victim = dir.write("victim.txt", "precious");
    const std::string out = dir.file("out.CSV");
    fs::create_symlink(victim, temporaryName(out, ::getpid(), 0));
    replaceFileWhole(out, "new");
    EXPECT_EQ(readFile(victim), "precious");
    EXPECT_EQ(readFile(out), "new");
    EXPECT_FALSE(fs::is_symlink(out));
}

TEST(FileReplace, ALinkedTargetIsReplacedThroughTheLinkAndStaysALink) {
    TempDir dir;
    const std::string target = dir.write("target.CSV", "old");
    const std::string link = dir.file("link.CSV");
    fs::create_symlink(target, link);
    replaceFileWhole(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(target), "new");
}

TEST(FileReplace, AWriteProtectedFileIsRefusedAndKeepsItsMode) {
    TempDir dir;
    const std::string out = dir.write("out.CSV", "old");
    ::chmod(out.c_str(), 0444);
    EXPECT_NE(errorOf(out, "new").find("read-only"), std::string::npos);
    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0444));
}

TEST(FileReplace, AFullDiskGivesTheSystemsReasonAndLeavesTheOldFileAlone) {
    TempDir dir;
    const std::string out = dir.write("out.CSV", "old");
    const InjectedFault full(TWriteStep::Write, ENOSPC);
    EXPECT_NE(errorOf(out, "new content").find("No space left on device"), std::string::npos);
    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.CSV"});
}

// Another writer of the same file finishing while this one writes: each has its own temporary
// file, both succeed and the file holds one whole content, that of the later rename.
TEST(FileReplace, ConcurrentWritersOfOneFileNeverShareATemporaryFile) {
    TempDir dir;
    const std::string out = dir.file("out.CSV");
    bool interrupted = false;
    const InjectedFault other([&](TWriteStep step, const std::string&) {
        if (step == TWriteStep::Write && !interrupted) {
            interrupted = true;
            replaceFileWhole(out, "other writer");
        }
        return 0;
    });
    replaceFileWhole(out, "this writer");
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(readFile(out), "this writer");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.CSV"});
}

TEST(FileReplace, AStoppedReplacementKeepsTheContentUnderANameWithoutTheWritersId) {
    TempDir dir;
    const std::string out = dir.write("out.CSV", "old");
    dir.write("out.CSV.tav0.tmp", "kept earlier");
    std::string message;
    try {
        replaceFileWhole(out, "new", [] { return std::string("Stopped."); });
    } catch (const EInOutError& error) {
        message = error.what();
    }
    EXPECT_NE(message.find("out.CSV.tav1.tmp"), std::string::npos) << message;
    EXPECT_EQ(readFile(dir.file("out.CSV.tav1.tmp")), "new");
    EXPECT_EQ(readFile(dir.file("out.CSV.tav0.tmp")), "kept earlier");
    EXPECT_EQ(namesIn(dir),
              (std::set<std::string>{"out.CSV", "out.CSV.tav0.tmp", "out.CSV.tav1.tmp"}));
}

TEST(FileReplace, AStreamedContentIsWrittenPieceByPieceAndFailsAsAWholeOneDoes) {
    TempDir dir;
    const std::string out = dir.write("out.CSV", "old");
    const auto pieces = [](const TByteSink& append) {
        append("new ");
        append("");
        append("content");
    };
    {
        const InjectedFault full(TWriteStep::Write, ENOSPC);
        std::string streamed;
        try {
            replaceFileStreamed(out, pieces);
        } catch (const EInOutError& error) {
            streamed = error.what();
        }
        EXPECT_EQ(streamed, errorOf(out, "new content"));
        EXPECT_EQ(readFile(out), "old");
        EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.CSV"});
    }
    // The writer's own failure reaches the caller as it is, and the old file stays.
    EXPECT_THROW(replaceFileStreamed(out,
                                     [](const TByteSink& append) {
                                         append("half");
                                         throw EConvertError("the source changed");
                                     }),
                 EConvertError);
    EXPECT_EQ(readFile(out), "old");
    EXPECT_EQ(namesIn(dir), std::set<std::string>{"out.CSV"});
    replaceFileStreamed(out, pieces);
    EXPECT_EQ(readFile(out), "new content");
}
