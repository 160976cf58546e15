#include "ui/charts/BazaRecordSample.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "core/LocaleFormat.h"

TEST(RecordSample, RecordsThatFitAreAllShownInTheirOrder) {
    for (const int records : {0, 1, 624}) {
        const TRecordSample sample(records, 624);
        EXPECT_EQ(sample.rows(), records);
        EXPECT_EQ(sampleCaption(sample), "") << records;
        for (int r = 0; r < sample.rows(); ++r)
            ASSERT_EQ(sample.recordOfRow(r), r);
    }
    // No row at all, or a nonsense count: nothing to say and nothing to divide by.
    EXPECT_EQ(sampleCaption(TRecordSample(700, 0)), "");
    EXPECT_EQ(TRecordSample(-5, 624).rows(), 0);
}

TEST(RecordSample, ManyRecordsAreSpreadEvenlyOverTheRowsAndSaidSo) {
    const TLocaleFormat saved = localeFormat();
    localeFormat() = TLocaleFormat{};
    const TRecordSample sample(10'000'000, 624);
    ASSERT_TRUE(sample.sampled());
    EXPECT_EQ(sample.recordOfRow(0), 0);
    for (int r = 1; r < sample.rows(); ++r) {
        const int step = sample.recordOfRow(r) - sample.recordOfRow(r - 1);
        ASSERT_TRUE(step == 16'025 || step == 16'026) << r;
    }
    EXPECT_EQ(sampleCaption(sample),
              "624 of 10,000,000 records shown, evenly spaced (one in about 16,026)");
    EXPECT_EQ(sampleCaption(TRecordSample(1'248, 624)),
              "624 of 1,248 records shown, evenly spaced (one in 2)");
    EXPECT_EQ(sampleCaption(TRecordSample(700, 624)),
              "624 of 700 records shown, evenly spaced (one in about 1.1)");
    // The row times the record count leaves 32 bits on the way.
    EXPECT_EQ(TRecordSample(INT32_MAX, 624).recordOfRow(623), 2'144'042'166);
    localeFormat() = saved;
}
