#include <gtest/gtest.h>

#include <set>

#include "core/Errors.h"
#include "import/ImportSampler.h"
#include "import/ImportWriter.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"
#include "tests/support/TempDir.h"

namespace {

// A CSV of one column N holding 0, 1, ... count - 1.
std::string numberedRecords(int count) {
    std::string text = "n\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + "\n";
    return text;
}

// The numbers of the records the data file of `plan` keeps, in their order.
std::vector<long> kept(const TImportPlan& plan) {
    const std::string text = importDataText(plan);
    std::vector<long> numbers;
    size_t line = 0;
    const size_t labelLines = std::stoul(text.substr(text.find(':') + 1));
    for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        if (line++ >= 3 + labelLines) numbers.push_back(std::stol(text.substr(start, end - start)));
    }
    return numbers;
}

}  // namespace

TEST(ImportLimits, MoreThan256ColumnsStopsNamingTheLimit) {
    std::string header;
    for (int i = 0; i < 257; ++i)
        header += (i ? "," : "") + std::string("c") + std::to_string(i);
    const std::string message =
        errorOf<ELimitError>([&] { inferImportBytes(header + "\n", "wide.csv", {}); });
    EXPECT_EQ(message,
              "Error in file \"wide.csv\", line 1: more than 256 columns; a table holds at most "
              "256 fields");
    header.erase(header.rfind(','));
    EXPECT_EQ(inferImportBytes(header + "\n" + std::string(255, ',') + "1\n", "ok.csv", {})
                  .columns.size(),
              256u);
}

TEST(ImportLimits, AnyNumberOfRecordsImportsWhole) {
    const TImportPlan plan = inferImportBytes(numberedRecords(70000), "big.csv", {});
    EXPECT_EQ(plan.recordsRead, 70000);
    const std::vector<long> numbers = kept(plan);
    ASSERT_EQ(numbers.size(), 70000u);
    EXPECT_EQ(numbers.back(), 69999);
}

TEST(ImportLimits, ASampleKeepsItsSizeInFileOrderAndSaysSo) {
    const std::string bytes = numberedRecords(70000);
    TImportPlan plan = inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 7});
    EXPECT_EQ(plan.recordsRead, 70000);
    EXPECT_EQ(plan.sampleSize, kDefaultSampleSize);
    EXPECT_EQ(plan.seed, 7u);
    const std::vector<long> numbers = kept(plan);
    ASSERT_EQ(numbers.size(), static_cast<size_t>(kDefaultSampleSize));
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::set<long>(numbers.begin(), numbers.end()).size(), numbers.size());
    // The same seed gives the same sample, another seed another one.
    EXPECT_EQ(kept(inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 7})), numbers);
    EXPECT_NE(kept(inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 8})), numbers);
    // The dropped records come from the whole file, not from its end.
    const long droppedInFirstHalf =
        35000 - std::count_if(numbers.begin(), numbers.end(), [](long n) { return n < 35000; });
    EXPECT_NEAR(droppedInFirstHalf, 4999 / 2.0, 250);

    plan.sampleSize = 3;
    EXPECT_EQ(kept(plan).size(), 3u);
    const TempDir dir;
    const TImportSummary summary = writeImport(plan, dir.file("out.CSV"));
    EXPECT_TRUE(summary.sampled);
    EXPECT_EQ(summary.recordsKept, 3);
    EXPECT_EQ(summary.recordsRead, 70000);
}

TEST(ImportLimits, ASampleOfASmallFileKeepsEveryRecord) {
    const TImportPlan plan =
        inferImportBytes(numberedRecords(10), "small.csv", {.sample = true, .sampleSize = 10});
    EXPECT_EQ(kept(plan), (std::vector<long>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
    const TempDir dir;
    EXPECT_FALSE(writeImport(plan, dir.file("out.CSV")).sampled);
    EXPECT_EQ(errorOf<EConvertError>([] {
                  inferImportBytes(numberedRecords(1), "s.csv", {.sample = true, .sampleSize = 0});
              }),
              "A sample of 0 records cannot be drawn; take 1 or more");
}

TEST(ImportLimits, TheSampleHoldsEveryRecordWithTheSameProbability) {
    constexpr int kRuns = 4000;
    std::vector<int> hits(10);
    for (int seed = 1; seed <= kRuns; ++seed) {
        for (long long k : samplePositions(10, 3, seed))
            ++hits[k];
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_NEAR(hits[i] / static_cast<double>(kRuns), 0.3, 0.03) << i;
}

TEST(ImportLimits, AFileWithoutRecordsIsRefused) {
    EXPECT_EQ(errorOf<EConvertError>([] { inferImportBytes("a,b\n", "empty.csv", {}); }),
              "The file \"empty.csv\" has no records below its header");
}

TEST(ImportLimits, ProgressGrowsToTheWholeFileAndEndsAtZero) {
    const TImportPlan probe = inferImportBytes(numberedRecords(1000), "n.csv", {});
    for (const bool write : {false, true}) {
        std::vector<double> reported;
        const ProgressHook hook = [&](double fraction) { reported.push_back(fraction); };
        if (write) {
            importDataText(probe, hook);
        } else {
            inferImportBytes(numberedRecords(1000), "n.csv", {}, hook);
        }
        ASSERT_GT(reported.size(), 20u) << write;
        if (!write) {
            EXPECT_EQ(reported.back(), 0);
            reported.pop_back();
        }
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end())) << write;
        EXPECT_GT(reported.front(), 0) << write;
        EXPECT_GT(reported.back(), 0.99) << write;
        EXPECT_LE(reported.back(), 1) << write;
        // Reported by steps, not once per line.
        EXPECT_LT(reported.size(), 250u) << write;
    }
}
