#include "batch/BatchFindings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "batch/BatchCommands.h"
#include "session/uTavSession.h"
#include "tests/support/TempDir.h"

namespace {

// The golden cases' table: CREDIT is bad in 0..29 and unknown in 95..99, F raises it when low.
std::string creditData() {
    std::string text =
        "TAV DATA:3/TXT/1250\nCREDIT;F;G;X\nSET:1..2:UNK=0;INT:1..3;SET:1..3;REAL:::2\n"
        "bad;low;odd;10\ngood;mid;even;20\n;high;rare;\n";
    for (int r = 0; r < 100; ++r) {
        text += std::string(r >= 95  ? "0"
                            : r < 30 ? "1"
                                     : "2") +
                ";" +
                (r < 40   ? "1"
                 : r < 70 ? "2"
                          : "3") +
                ";" +
                ((r == 50 || r == 51) ? "3"
                 : r % 2              ? "1"
                                      : "2") +
                ";" + std::to_string(r) + "\n";
    }
    return text;
}

// The words of a POSIX shell line that quotes only with single quotes.
std::vector<std::string> shellWords(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false, escaped = false;
    for (char c : line) {
        if (escaped) {
            word += c;
            escaped = false;
        } else if (quoted) {
            if (c == '\'')
                quoted = false;
            else
                word += c;
        } else if (c == '\'') {
            quoted = inWord = true;
        } else if (c == '\\') {
            escaped = inWord = true;
        } else if (c == ' ') {
            if (inWord) words.push_back(word), word.clear(), inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words.push_back(word);
    return words;
}

struct TRun {
    int status;
    std::string out, err;
};

TRun runBatchWith(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = runBatch(args, TBatchOutput{out, err});
    return {status, out.str(), err.str()};
}

// The command line of the reproducibility header, run as it stands, prints the window's table:
// a session with other settings, a context and a partial selection, as the window leaves it.
TEST(BatchFindings, TheHeadersCommandLineReproducesTheSessionsTable) {
    TempDir dir;
    const std::string path = dir.write("it's data.csv", creditData());
    resetStatSettings();
    TTavSession session;
    session.setSetting(TSetting::MParam, 3.5);  // before the load: the sets take m then
    session.loadDataFile(path);
    session.setSetting(TSetting::MPrior, 0.25);
    session.setSetting(TSetting::SignificancePct, 7.5);
    session.selectFields({1, 3});
    session.setClassFieldDeselected(0);
    session.updateContext("G,3,<>");
    const TFindings findings = session.computeFindings(1, 4, TFindingsSort::Diff);
    const std::string expected =
        exportFindings(findings, session.findingsProvenance(), TFindingsFormat::Tsv) + "\n" +
        multiplicityLine(findings) + "\n";
    const std::string line = findingsCommandLine(findings, session.findingsProvenance());
    std::vector<std::string> args = shellWords(line);
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ(args[0], "tav-batch");
    EXPECT_EQ(args[2], path);
    args.erase(args.begin());
    const TRun run = runBatchWith(args);
    EXPECT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.out, expected);
    resetStatSettings();
}

TEST(BatchFindings, UsageErrorsNameTheOption) {
    TempDir dir;
    const std::string path = dir.write("data.csv", creditData());
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"findings", path, "--target", "1"}, "--class: the class field is missing"},
        {{"findings", path, "--class", "0"}, "--target: the class value is missing"},
        {{"findings", path, "--class", "AGE", "--target", "1"},
         "--class: the table has no field named \"AGE\""},
        {{"findings", path, "--class", "9", "--target", "1"},
         "--class: the field 9 is outside 0..3"},
        {{"findings", path, "--class", "0", "--target", "5"}, "--target: \"5\" is no value"},
        {{"findings", path, "--class", "0", "--target", "1", "--sort", "up"},
         "--sort: \"up\" is none of score, p and diff"},
        {{"findings", path, "--class", "0", "--target", "1", "--format", "xls"},
         "--format: \"xls\" is none of tsv, csv and md"},
        {{"findings", path, "--class", "0", "--target", "1", "--min-count", "-1"},
         "--min-count: \"-1\" is not a count"},
        {{"findings", path, "--class", "0", "--class", "0"}, "--class: given twice"},
        {{"findings", path, "--class", "0", "--target", "1", "--hide", "1"},
         "--hide: not an option of this command"},
        {{"findings", path, "--class", "0", "--target", "1", "--conditions", "3"},
         "--conditions: \"3\" is none of 1 and 2"},
        {{"findings", path, "--class", "0", "--target", "1", "--top", "5"},
         "--top: given without --conditions"},
        {{"findings", path, "--class", "0", "--target", "1", "--conditions", "2", "--top", "0"},
         "--top: \"0\" is not a whole number in 1..1000000"},
        {{"findings", path, "--class", "0", "--target", "1", "--conditions", "2", "--sort", "p"},
         "--sort: pairs (--conditions 2) are listed by the size of their change"},
    };
    for (const auto& c : cases) {
        const TRun run = runBatchWith(c.args);
        EXPECT_EQ(run.status, kExitUsage) << c.message;
        EXPECT_NE(run.err.find("tav-batch findings: " + c.message), std::string::npos) << run.err;
    }
}

TEST(BatchFindings, AContextErrorPrintsNoNumbers) {
    TempDir dir;
    const std::string path = dir.write("data.csv", creditData());
    const TRun run =
        runBatchWith({"findings", path, "--class", "0", "--target", "bad", "--context", "F,1,=,="});
    EXPECT_EQ(run.status, kExitError);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("Error in context filter expression"), std::string::npos);
}

}  // namespace

// The pairs' table lists at most --top pairs under its header and multiplicity line, and its
// command line gives the pairs' options back.
TEST(BatchFindings, PairsListTheTopPairsWithTheirCommandLine) {
    TempDir dir;
    const std::string path = dir.write("data.csv", creditData());
    const TRun run = runBatchWith(
        {"findings", path, "--class", "0", "--target", "bad", "--conditions", "2", "--top", "3"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_NE(run.out.find("--conditions 2 --top 3\n"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("--sort"), std::string::npos) << run.out;
    std::istringstream lines(run.out);
    int rows = 0;
    bool header = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("rule_no_a\t", 0) == 0)
            header = true;
        else if (header && !line.empty())
            ++rows;
    }
    // Three pairs and the multiplicity line after a blank one.
    EXPECT_EQ(rows, 4) << run.out;
    const TRun ranked =
        runBatchWith({"rank", path, "--class", "0", "--conditions", "2", "--top", "2"});
    ASSERT_EQ(ranked.status, kExitOk) << ranked.err;
    EXPECT_EQ(std::count(ranked.out.begin(), ranked.out.end(), '\n'), 3) << ranked.out;
}
