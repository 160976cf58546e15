#include <gtest/gtest.h>

#include <set>

#include "core/Errors.h"
#include "core/uTavObj.h"
#include "import/ImportSampler.h"
#include "import/Importer.h"
#include "tests/import/ImportTestUtil.h"

namespace {

// A CSV of one column N holding 0, 1, ... count - 1.
std::string numberedRecords(int count) {
    std::string text = "n\n";
    for (int i = 0; i < count; ++i)
        text += std::to_string(i) + "\n";
    return text;
}

std::vector<long> kept(const TImportPlan& plan) {
    std::vector<long> numbers;
    for (const auto& record : plan.records)
        numbers.push_back(std::stol(record[0]));
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

TEST(ImportLimits, MoreThan65001RecordsStopsUnlessASampleIsAsked) {
    EXPECT_EQ(inferImportBytes(numberedRecords(kMaxRecords), "full.csv", {}).records.size(),
              static_cast<size_t>(kMaxRecords));
    const std::string message = errorOf<ELimitError>(
        [&] { inferImportBytes(numberedRecords(kMaxRecords + 1), "big.csv", {}); });
    EXPECT_EQ(message,
              "The file \"big.csv\" has more than 65001 records; a table holds at most 65001. "
              "Import a random sample of them instead");
}

TEST(ImportLimits, ASampleKeeps65001RecordsInFileOrderAndSaysSo) {
    const std::string bytes = numberedRecords(70000);
    const TImportPlan plan = inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 7});
    EXPECT_TRUE(plan.sampled);
    EXPECT_EQ(plan.recordsRead, 70000);
    EXPECT_EQ(plan.seed, 7u);
    const std::vector<long> numbers = kept(plan);
    ASSERT_EQ(numbers.size(), static_cast<size_t>(kMaxRecords));
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(std::set<long>(numbers.begin(), numbers.end()).size(), numbers.size());
    // The same seed gives the same sample, another seed another one.
    EXPECT_EQ(kept(inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 7})), numbers);
    EXPECT_NE(kept(inferImportBytes(bytes, "big.csv", {.sample = true, .seed = 8})), numbers);
    // The dropped records come from the whole file, not from its end.
    const long droppedInFirstHalf =
        35000 - std::count_if(numbers.begin(), numbers.end(), [](long n) { return n < 35000; });
    EXPECT_NEAR(droppedInFirstHalf, 4999 / 2.0, 250);
}

TEST(ImportLimits, ASampleOfASmallFileKeepsEveryRecord) {
    const TImportPlan plan = inferImportBytes(numberedRecords(10), "small.csv", {.sample = true});
    EXPECT_FALSE(plan.sampled);
    EXPECT_EQ(plan.recordsRead, 10);
    EXPECT_EQ(kept(plan), (std::vector<long>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST(ImportLimits, TheSamplerKeepsEveryRecordWithTheSameProbability) {
    constexpr int kRuns = 4000;
    std::vector<int> hits(10);
    for (int seed = 1; seed <= kRuns; ++seed) {
        TRecordSampler sampler(3, seed);
        for (int i = 0; i < 10; ++i)
            sampler.offer({std::to_string(i)});
        for (const auto& record : sampler.takeInOrder())
            ++hits[std::stoi(record[0])];
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_NEAR(hits[i] / static_cast<double>(kRuns), 0.3, 0.03) << i;
}

TEST(ImportLimits, AFileWithoutRecordsIsRefused) {
    EXPECT_EQ(errorOf<EConvertError>([] { inferImportBytes("a,b\n", "empty.csv", {}); }),
              "The file \"empty.csv\" has no records below its header");
}
