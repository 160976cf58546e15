#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/LocaleFormat.h"
#include "stats/StStat.h"
#include "stats/uTavEvalRun.h"
#include "tests/support/InjectedFault.h"
#include "tests/support/TempDir.h"

using Lines = std::vector<std::string>;

namespace {

// The lines the run appends, from the "%" line on.
Lines output(const Lines& lines, double mPrior = 1.0, double m = 2.0) {
    const Lines all = evaluationRunLines(lines, mPrior, m);
    EXPECT_LE(lines.size(), all.size());
    for (size_t k = 0; k < all.size(); ++k) {
        if (all[k] == "%") return Lines(all.begin() + static_cast<std::ptrdiff_t>(k), all.end());
    }
    ADD_FAILURE() << "no \"%\" line";
    return {};
}

// Fixes the locale separators for a test and restores them.
class EvalRunLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        m_saved = localeFormat();
        localeFormat().decimalSeparator = '.';
        localeFormat().thousandSeparator = ',';
    }
    void TearDown() override { localeFormat() = m_saved; }

  private:
    TLocaleFormat m_saved;
};

const Lines kExample = {"Run;A;B", "X;100;0", "X;0;100", "Y;50;50"};

const Lines kExampleOutput = {
    "%",
    "prior m;  1.000",
    "m;  2.000",
    "Skupaj;  50.00;  50.00",
    "X;  50.00;  50.00",
    "Y;  50.00;  50.00",
    "",
    "Skupaj;  56.25;  56.25",
    ".alpha;   2.25;   2.25",
    ".beta;   1.75;   1.75",
    "X;  53.13;  53.13",
    ".alpha;   2.13;   2.13",
    ".beta;   1.88;   1.88",
    "Y;  54.17;  54.17",
    ".alpha;   1.63;   1.63",
    ".beta;   1.38;   1.38",
    " p(r2>r1);  51.20;  51.20",
};

}  // namespace

using EvalRunLines = EvalRunLocale;

TEST_F(EvalRunLines, WorkedExampleKeepsTheInputAndAppendsTheSummary) {
    Lines expected = kExample;
    expected.insert(expected.end(), kExampleOutput.begin(), kExampleOutput.end());
    EXPECT_EQ(evaluationRunLines(kExample, 1.0, 2.0), expected);
}

TEST_F(EvalRunLines, EarlierOutputIsReplacedSoThatASecondRunChangesNothing) {
    const Lines once = evaluationRunLines(kExample, 1.0, 2.0);
    EXPECT_EQ(evaluationRunLines(once, 1.0, 2.0), once);
    // Other settings replace the old figures instead of adding to them.
    const Lines other = evaluationRunLines(once, 2.0, 4.0);
    EXPECT_EQ(other.size(), once.size());
    EXPECT_EQ(other[5], "prior m;  2.000");
    EXPECT_EQ(other[11], "Skupaj;  60.00;  60.00");  // (1.5 + 1.5) / (2 + 3)
}

TEST_F(EvalRunLines, ClassesDifferingInCaseOrBlanksAreOneUpperCasedClass) {
    // "\x9a" and "\x8a" are the small and capital s-caron of Windows-1250.
    const Lines out = output({"Run;A", " b ;10",
                              "\x9a"
                              "a;20",
                              "B;30",
                              "\x8a"
                              "A  ;40",
                              "b;50"});
    EXPECT_EQ(out[3], "Skupaj;  30.00");
    EXPECT_EQ(out[4], "B;  30.00");
    EXPECT_EQ(out[5],
              "\x8a"
              "A;  30.00");
    EXPECT_EQ(out[6], "");
    EXPECT_EQ(out[13],
              "\x8a"
              "A;  33.75");  // the second class, in order of first appearance
    EXPECT_EQ(out.size(), 17u);
}

TEST_F(EvalRunLines, ColumnsEndAtTheFirstEmptyHeaderField) {
    // Missing and non-numeric values count as 0; fields beyond the columns are ignored.
    const Lines out = output({"Run;A;B;;C", "X;10;abc;99;99", "X;30"});
    EXPECT_EQ(out[3], "Skupaj;  20.00;   0.00");

    const Lines none = output({"Run;;A", "X;10", "Y;20"});
    EXPECT_EQ(none, (Lines{"%", "prior m;  1.000", "m;  2.000", "Skupaj", "X", "Y", "", "Skupaj",
                           ".alpha", ".beta", "X", ".alpha", ".beta", "Y", ".alpha", ".beta",
                           " p(r2>r1)"}));
}

TEST_F(EvalRunLines, OnlyTheSecondClassGetsTheComparisonLine) {
    const Lines one = output({"Run;A", "X;10", "X;20"});
    // The prior of a class has the mean of "Skupaj" (0.35) and weight m.
    EXPECT_EQ(one, (Lines{"%", "prior m;  1.000", "m;  2.000", "Skupaj;  15.00", "X;  15.00", "",
                          "Skupaj;  35.00", ".alpha;   1.05", ".beta;   1.95", "X;  25.00",
                          ".alpha;   1.00", ".beta;   3.00"}));

    const Lines three = output({"Run;A", "X;10", "Y;90", "Z;50"});
    EXPECT_EQ(three.size(), 21u);
    EXPECT_EQ(three[17].rfind(" p(r2>r1);", 0), 0u);
    EXPECT_EQ(three[18], "Z;  54.17");
    EXPECT_EQ(three.back().rfind(".beta;", 0), 0u);
}

TEST_F(EvalRunLines, NumbersUseTheLocaleSeparators) {
    localeFormat().decimalSeparator = ',';
    localeFormat().thousandSeparator = '.';
    const Lines input = {"Run;A;B", "X;100;0", "X;0;100", "Y;50,5;49,5"};
    const Lines out = output(input);
    EXPECT_EQ(out[1], "prior m;  1,000");
    EXPECT_EQ(out[5], "Y;  50,50;  49,50");
    EXPECT_EQ(out[7], "Skupaj;  56,38;  56,13");
    // The earlier output, written with "," as its decimal separator, is still removed.
    const Lines once = evaluationRunLines(input, 1, 2);
    EXPECT_EQ(evaluationRunLines(once, 1, 2), once);

    Lines large = {"Run;A"};
    for (int k = 0; k < 1200; ++k)
        large.push_back("X;100");
    EXPECT_EQ(output(large)[7], ".alpha;1.200,75");  // wider than 7, never cut
}

TEST_F(EvalRunLines, BlankDataLinesAreSkippedAndKept) {
    const Lines input = {"Run;A", "X;10", "", "   ", "Y;20", ""};
    const Lines all = evaluationRunLines(input, 1, 2);
    EXPECT_EQ(Lines(all.begin(), all.begin() + 6), input);
    const Lines out = output(input);
    EXPECT_EQ(out[3], "Skupaj;  15.00");
    EXPECT_EQ(out[6], "");  // no class without a name
    EXPECT_EQ(out.size(), 17u);
}

TEST_F(EvalRunLines, HundredClassesAndColumnsFit) {
    std::string header = "Run";
    for (int i = 0; i < kMaxEvalColumns; ++i)
        header += ";C" + std::to_string(i);
    Lines input = {header};
    for (int k = 0; k < kMaxEvalClasses; ++k)
        input.push_back("K" + std::to_string(k) + ";100");
    const Lines out = output(input);
    EXPECT_EQ(out.size(), 3u + 101u + 1u + 3u * 101u + 1u);
}

// Each case: the file content and the place its message must name.
struct TStopCase {
    const char* what;
    std::string content;
    std::string place;
};

// Test names show the case by its name, not its bytes.
void PrintTo(const TStopCase& stop, std::ostream* out) {
    *out << stop.what;
}

class EvalRunStops : public EvalRunLocale, public ::testing::WithParamInterface<TStopCase> {};

TEST_P(EvalRunStops, LeavesTheFileByteIdentical) {
    TempDir dir;
    const std::string path = dir.write("r.csv", GetParam().content);
    try {
        performEvaluationRun(path, 1.0, 2.0);
        ADD_FAILURE() << "no error";
    } catch (const EEvalRunError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(GetParam().place), std::string::npos) << message;
        EXPECT_NE(message.find(path), std::string::npos) << message;
    }
    EXPECT_EQ(readFile(path), GetParam().content);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

std::string manyClasses() {
    std::string text = "Run;A\r\n";
    for (int k = 0; k <= kMaxEvalClasses; ++k)
        text += "K" + std::to_string(k) + ";1\r\n";
    return text;
}

std::string manyColumns() {
    std::string text = "Run";
    for (int i = 0; i <= kMaxEvalColumns; ++i)
        text += ";C" + std::to_string(i);
    return text + "\nX;1\n";
}

INSTANTIATE_TEST_SUITE_P(
    EvalRun, EvalRunStops,
    ::testing::Values(TStopCase{"Empty", "", "Line 1, column 1"},
                      TStopCase{"OnlyEarlierOutput", "%\r\nprior m;  1.000\r\n",
                                "Line 1, column 1"},
                      TStopCase{"HeaderOnly", "Run;A\n", "Line 2"},
                      TStopCase{"OnlyBlankLines", "Run;A\n\n  \n%\nSkupaj;1\n", "Line 2"},
                      TStopCase{"TooManyClasses", manyClasses(), "Line 102, column 1"},
                      TStopCase{"TooManyColumns", manyColumns(), "Line 1, column 102"},
                      TStopCase{"ValueAbove100", "Run;A;B\nX;1;2\nY;3;100.5\n", "Line 3, column 3"},
                      TStopCase{"NegativeValue", "Run;A;B\r\nX;-0,5;2\r\n", "Line 2, column 2"}),
    [](const auto& info) { return std::string(info.param.what); });

using EvalRunFile = EvalRunLocale;

TEST_F(EvalRunFile, RewritesWithCrLfAndASecondRunChangesNothing) {
    TempDir dir;
    const std::string path = dir.write("r.csv", "Run;A;B\nX;100;0\r\nX;0;100\n\nY;50;50");
    performEvaluationRun(path, 1.0, 2.0);
    std::string expected = "Run;A;B\r\nX;100;0\r\nX;0;100\r\n\r\nY;50;50\r\n";
    for (const std::string& line : kExampleOutput)
        expected += line + "\r\n";
    EXPECT_EQ(readFile(path), expected);
    performEvaluationRun(path, 1.0, 2.0);
    EXPECT_EQ(readFile(path), expected);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(EvalRunFile, ErrorsOfTheBetaFunctionsPassAndKeepTheFile) {
    // With both m at 0 and no successes the first class has alpha 0.
    TempDir dir;
    const std::string content = "Run;A\nX;0\nY;0\n";
    const std::string path = dir.write("r.csv", content);
    EXPECT_THROW(performEvaluationRun(path, 0.0, 0.0), EStStatError);
    EXPECT_EQ(readFile(path), content);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(EvalRunFile, AMissingFileIsAnInOutErrorNamingIt) {
    TempDir dir;
    const std::string path = dir.file("none.csv");
    try {
        performEvaluationRun(path, 1.0, 2.0);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_NE(std::string(error.what()).find("none.csv"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(EvalRunFile, ALinkKeepsPointingAtTheRewrittenFile) {
    TempDir dir;
    const std::string target = dir.write("r.csv", "Run;A\nX;10\n");
    const std::string link = dir.file("link.csv");
    std::filesystem::create_symlink(target, link);
    performEvaluationRun(link, 1.0, 2.0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target).rfind("Run;A\r\nX;10\r\n%\r\n", 0), 0u);
}

namespace {

const char kRunInput[] = "Run;A\nX;10\nY;20\n";

// The number of entries in a folder.
long entries(const TempDir& dir) {
    return std::distance(std::filesystem::directory_iterator(dir.path()), {});
}

// The message of the EInOutError that the run on `path` throws, or "no error".
std::string runError(const std::string& path) {
    try {
        performEvaluationRun(path, 1.0, 2.0);
    } catch (const EInOutError& error) {
        return error.what();
    }
    return "no error";
}

void expectContains(const std::string& text, const std::string& part) {
    EXPECT_NE(text.find(part), std::string::npos) << "\"" << part << "\" not in: " << text;
}

}  // namespace

TEST_F(EvalRunFile, FaultsWhileWritingLeaveTheFileAsItWas) {
    const struct {
        TWriteStep step;
        int fault;
        const char* reason;
    } cases[] = {
        {TWriteStep::Create, EACCES, "Permission denied"},  // a read-only folder
        {TWriteStep::Write, ENOSPC, "No space left on device"},
        {TWriteStep::Rename, EBUSY, "Device or resource busy"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::string path = dir.write("r.csv", kRunInput);
        const InjectedFault fault(c.step, c.fault);
        const std::string error = runError(path);
        expectContains(error, "could not be rewritten");
        expectContains(error, c.reason);
        EXPECT_EQ(readFile(path), kRunInput);
        EXPECT_EQ(entries(dir), 1);
    }
}

TEST_F(EvalRunFile, AReadOnlyFileIsRefusedAndAWritableOneKeepsItsPermissions) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string path = dir.write("r.csv", kRunInput);
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(path, mode);
    performEvaluationRun(path, 1.0, 2.0);
    EXPECT_EQ(fs::status(path).permissions(), mode);

    const std::string before = readFile(path);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    expectContains(runError(path), "read-only");
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::group_read);
}

TEST_F(EvalRunFile, AFileWithSeveralHardLinksIsRefused) {
    TempDir dir;
    const std::string path = dir.write("r.csv", kRunInput);
    std::filesystem::create_hard_link(path, dir.file("other.csv"));
    expectContains(runError(path), "2 hard links");
    EXPECT_EQ(readFile(path), kRunInput);
    EXPECT_EQ(std::filesystem::hard_link_count(path), 2u);
}

TEST_F(EvalRunFile, LinesAppendedDuringTheRunAreKept) {
    TempDir dir;
    const std::string path = dir.write("r.csv", kRunInput);
    // Another program appends while the new content is being written.
    const InjectedFault appender([&](TWriteStep step, const std::string&) {
        if (step == TWriteStep::Write) std::ofstream(path, std::ios::app) << "Z;30\n";
        return 0;
    });
    const std::string error = runError(path);
    expectContains(error, "changed while the evaluation ran");
    EXPECT_EQ(readFile(path), std::string(kRunInput) + "Z;30\n");
    // The computed content is kept beside it, named in the message.
    const std::string kept = dir.file("r.csv.tav0.tmp");
    expectContains(error, kept);
    EXPECT_EQ(readFile(kept).rfind("Run;A\r\nX;10\r\nY;20\r\n%\r\n", 0), 0u);
}
