#include "ui/charts/BazaRecordSample.h"

#include <algorithm>

#include "core/TextUtils.h"

TRecordSample::TRecordSample(int recordCount, int rowsThatFit)
    : m_recordCount(std::max(recordCount, 0)), m_rows(std::clamp(rowsThatFit, 0, m_recordCount)) {}

int TRecordSample::recordOfRow(int row) const {
    // Past two billion records the product leaves 32 bits.
    return static_cast<int>(static_cast<long long>(row) * m_recordCount / m_rows);
}

std::string sampleCaption(const TRecordSample& sample) {
    if (!sample.sampled()) return {};
    const double spacing = double(sample.recordCount()) / sample.rows();
    std::string every;
    if (sample.recordCount() % sample.rows() == 0) {
        every = formatNumber(0, 0, spacing);
    } else {
        // Below 10 the whole number alone would read "one in about 1" for 700 records in 624 rows.
        every = "about " + formatNumber(0, spacing < 10 ? 1 : 0, spacing);
    }
    return formatNumber(0, 0, sample.rows()) + " of " + formatNumber(0, 0, sample.recordCount()) +
           " records shown, evenly spaced (one in " + every + ")";
}
