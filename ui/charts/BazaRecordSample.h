#pragma once

#include <string>

// The records the database picture shows, one per record row: all of them while they fit, else
// an evenly spaced sample, row i showing record i * count / rows, so that the first record is
// always shown and the same table always gives the same picture.
class TRecordSample {
  public:
    // No records, no rows.
    TRecordSample() = default;
    // The records of a table of `recordCount` records in at most `rowsThatFit` rows; negative
    // numbers count as 0.
    TRecordSample(int recordCount, int rowsThatFit);

    // The record rows drawn: the records or the rows that fit, whichever is fewer.
    int rows() const { return m_rows; }
    // The records of the table.
    int recordCount() const { return m_recordCount; }
    // Some rows, but fewer than records: the picture shows a sample.
    bool sampled() const { return m_rows > 0 && m_rows < m_recordCount; }
    // The record shown in row `row`. Requires: 0 <= row < rows().
    int recordOfRow(int row) const;

  private:
    int m_recordCount = 0;
    int m_rows = 0;
};

// What the picture says of a sample, such as "624 of 10,000,000 records shown, evenly spaced
// (one in about 16,026)" with the locale's thousands separator; empty when it is no sample.
std::string sampleCaption(const TRecordSample& sample);
