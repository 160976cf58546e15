// tav-batch over a table counted in the server against the same rows imported as a data file:
// every command prints the same.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "HostileTable.h"
#include "PgServer.h"
#include "core/Win1250.h"
#include "session/SessionFile.h"
#include "support/TempDir.h"
#include "tests/batch/BatchRun.h"

namespace {

// The output without the header lines that name the source, which differ by design: the data
// file with its SHA-256 and import, or the database and its table.
std::string withoutSourceLines(const std::string& text) {
    static const char* const kSourceLines[] = {"Data file", "Database", "SHA-256",
                                               "Original",  "Import",   "Command"};
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        // "# " before a header line, "- " in Markdown.
        const bool header = line.size() > 2 && (line[0] == '#' || line[0] == '-') && line[1] == ' ';
        bool names = false;
        for (const char* start : kSourceLines)
            names = names || (header && line.compare(2, std::strlen(start), start) == 0);
        if (!names) kept += line + "\n";
    }
    return kept;
}

struct ServerBatchTest : ::testing::Test {
    static void load() {
        if (!dataFile.empty()) return;
        const std::vector<TRow> rows = hostileRows();
        loadServer(rows);
        folder = std::make_unique<TempDir>();
        const std::string csv = folder->write("hostile.csv", csvText(rows));
        const std::string file = folder->file("hostile-tav.CSV");
        const TRun imported = run({"import", csv, file, "--encoding", "1250"});
        ASSERT_EQ(imported.status, 0) << imported.err;
        dataFile = file;
    }
    static void TearDownTestSuite() { folder.reset(); }
    void SetUp() override {
        TAV_REQUIRE_SERVER();
        ASSERT_NO_FATAL_FAILURE(load());
    }

    // The command on the data file and on the server's table.
    static TRun onFile(const std::vector<std::string>& args) {
        std::vector<std::string> line = {args[0], dataFile};
        line.insert(line.end(), args.begin() + 1, args.end());
        return run(line);
    }
    static std::vector<std::string> serverArguments() {
        return {"--db", testServerUri(), "--table", win1250ToUtf8(kTable)};
    }
    static TRun onServer(const std::vector<std::string>& args) {
        std::vector<std::string> line = {args[0]};
        for (const std::string& word : serverArguments())
            line.push_back(word);
        line.insert(line.end(), args.begin() + 1, args.end());
        return run(line);
    }

    static std::unique_ptr<TempDir> folder;
    static std::string dataFile;
};

std::unique_ptr<TempDir> ServerBatchTest::folder;
std::string ServerBatchTest::dataFile;

TEST_F(ServerBatchTest, EveryCommandPrintsWhatTheDataFileGives) {
    const std::string odd = "\"IT'S \"\"ODD\"\" " + win1250ToUtf8("\x8ELU\x8D") + "\"";
    const std::vector<std::vector<std::string>> cases = {
        {"fields"},
        // The data file keeps "semi;colon" as "semi,colon": its values are separated by ';'.
        {"fields", "--context", odd + " in ('a''b', 'semi,colon')"},
        {"rules"},
        {"rank", "--class", "CLASS"},
        {"rank", "--class", "CLASS", "--context", "AGE > 40 and FLAG = 'true'"},
        {"rank", "--class", "CLASS", "--context", "SMALL,3,=,NOT", "--select", "1-4"},
        {"rank", "--class", "CLASS", "--compare1", "FLAG = 'true'", "--compare2", "AGE <= 30"},
        {"rank", "--class", "FLAG", "--hide", "1", "--m", "5", "--mprior", "0.5"},
        {"freq", "--class", "CLASS", "--rule", "3"},
        {"freq", "--class", "CLASS", "--rule", "7", "--hide", "0", "--context", "NOTE >= 'M'"},
        {"freq", "--class", "CLASS", "--rule", "2", "--compare1", "SCORE between 10 and 50",
         "--compare2", "SMALL is missing"},
        {"findings", "--class", "CLASS", "--target", "yes"},
        {"findings", "--class", "CLASS", "--target", "no", "--context", "NOTE is not missing",
         "--format", "md", "--min-count", "2"},
        {"report", "--class", "CLASS", "--rank"},
        {"rank", "--class", "CLASS", "--conditions", "2", "--top", "40", "--context", "AGE > 10"},
        {"findings", "--class", "CLASS", "--target", "maybe", "--conditions", "2", "--top", "25",
         "--sentences"},
    };
    for (const auto& args : cases) {
        std::string line;
        for (const std::string& word : args)
            line += word + " ";
        SCOPED_TRACE(line);
        const TRun expected = onFile(args);
        const TRun counted = onServer(args);
        ASSERT_EQ(expected.status, 0) << expected.err;
        EXPECT_EQ(counted.status, 0) << counted.err;
        EXPECT_EQ(withoutSourceLines(counted.out), withoutSourceLines(expected.out));
        EXPECT_EQ(counted.err, expected.err);
    }
}

TEST_F(ServerBatchTest, ASessionOfAServerTableOpensItAgain) {
    TSessionFile session;
    session.source.kind = "database";
    session.source.database =
        parseDatabaseSource(testServerUri(), win1250ToUtf8(kTable), std::string());
    session.classField = 7;
    session.selectedFields = {0, 1, 2, 3, 4};
    session.context.text = "AGE > 20";
    session.mParam = 3;
    const std::string saved = folder->file("server.tavs");
    writeSessionFile(saved, session);
    const TRun reopened = run({"rank", "--session", saved});
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    const TRun expected =
        onFile({"rank", "--class", "7", "--select", "0-4", "--context", "AGE > 20", "--m", "3"});
    EXPECT_EQ(reopened.out, expected.out);
}

TEST_F(ServerBatchTest, AFilterTheServerCannotTakeIsRefusedAsForTheDataFile) {
    const TRun badFilter = onServer({"rank", "--class", "CLASS", "--context", "AGEE > 3"});
    const TRun expected = onFile({"rank", "--class", "CLASS", "--context", "AGEE > 3"});
    EXPECT_EQ(badFilter.status, expected.status);
    EXPECT_EQ(badFilter.err, expected.err);
}

}  // namespace
