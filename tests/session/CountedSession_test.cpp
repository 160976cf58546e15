// The session over a table whose counts come from a count source (as a database server gives
// them): what it asks the source, and what a source that fails leaves.

#include <gtest/gtest.h>

#include "core/Errors.h"
#include "expr/ReadableFilter.h"
#include "session/uTavSession.h"
#include "stats/CountSource.h"
#include "stats/uTavFreq.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "tests/session/PairsTable.h"
#include "tests/support/TempDir.h"

namespace {

// Counts the records of a table in memory under readable filters, as a server would count its
// rows, and fails on demand as a lost connection does.
class TMemoryCountSource : public TCountSource {
  public:
    TMemoryCountSource(const std::string& text, int& calls, bool& failing)
        : m_description(std::make_shared<TBaza>()), m_calls(calls), m_failing(failing) {
        m_records.loadDataBytes(text, "t", dfkFromHeader, cpUnknown);
        m_description->loadDataBytes(kPairsHeader, "t", dfkFromHeader, cpUnknown);
    }
    std::shared_ptr<TBaza> sharedDescription() override { return m_description; }
    long long recordCount() const override { return m_records.RecordCount(); }
    int classField() const override { return 0; }
    std::string filterError(const std::string& filter) const override {
        std::string error;
        TReadableFilter::compile(m_records, filter, error);
        return error;
    }
    std::vector<TCountedGroup> countGroups(const std::vector<std::string>& filters,
                                           int c) override {
        const TStBits kept = selected(filters);
        std::vector<TCountedGroup> groups;
        for (int r = 0; r < m_records.RecordCount(); ++r) {
            if (!kept.testBit(r)) continue;
            const int classCode = m_records.fieldValueCode(r, c);
            groups.push_back({-1, 0, classCode, 1});
            for (int f = 0; f < m_records.FieldCount(); ++f)
                groups.push_back({f, m_records.fieldValueCode(r, f), classCode, 1});
        }
        return groups;
    }
    std::vector<TCountedPairGroup> countPairGroups(
        const std::vector<std::string>& filters, int c,
        const std::vector<std::pair<int, int>>& pairs) override {
        const TStBits kept = selected(filters);
        std::vector<TCountedPairGroup> groups;
        for (int r = 0; r < m_records.RecordCount(); ++r) {
            if (!kept.testBit(r)) continue;
            for (auto [a, b] : pairs) {
                if (a > b) std::swap(a, b);
                groups.push_back({a, b, m_records.fieldValueCode(r, a),
                                  m_records.fieldValueCode(r, b), m_records.fieldValueCode(r, c),
                                  1});
            }
        }
        return groups;
    }

  private:
    // The records every filter selects; a failing source throws instead.
    TStBits selected(const std::vector<std::string>& filters) {
        ++m_calls;
        if (m_failing) throw ETavError("The connection to the database server was lost");
        TStBits kept(m_records.RecordCount() - 1);
        kept.setAll();
        for (const std::string& filter : filters) {
            if (filter.find_first_not_of(' ') == std::string::npos) continue;
            std::string error;
            const auto readable = TReadableFilter::compile(m_records, filter, error);
            TStBits selected(m_records.RecordCount() - 1);
            readable->select(selected);
            kept.andWith(&selected);
        }
        return kept;
    }

    TBaza m_records;
    std::shared_ptr<TBaza> m_description;
    int& m_calls;
    bool& m_failing;
};

class CountedSessionTest : public ::testing::Test {
  protected:
    void SetUp() override { resetStatSettings(); }
    void TearDown() override { resetStatSettings(); }
    void openCounted() {
        session.openCountedTable(std::make_unique<TMemoryCountSource>(pairsData(), calls, failing),
                                 {TDatabaseKind::Postgresql, "postgresql://h/db", "t", "", {}});
    }
    // Every cell of a result table, row by row.
    static std::vector<std::string> cells(TxViewReader& table, int columns) {
        std::vector<std::string> all;
        for (int row = 0; row < table.RecordCount(); ++row) {
            for (int column = 0; column < columns; ++column)
                all.push_back(table.valueAt(row, column).toString());
        }
        return all;
    }

    TempDir dir;
    TTavSession session;
    int calls = 0;
    bool failing = false;
};

}  // namespace

// The grids of the counted table are those of its records loaded, through a ranking, a compare
// and hidden rows.
TEST_F(CountedSessionTest, TheGridsAreThoseOfTheRecordsLoaded) {
    TTavSession loaded;
    loaded.loadDataFile(dir.write("t.csv", pairsData()));
    openCounted();
    for (TTavSession* s : {&loaded, &session}) {
        s->setClassFieldDeselected(0);
        s->selectAllFields(true);
        s->updateContext("X > 10");
        s->computeEntropyGains();
    }
    EXPECT_EQ(cells(session.rulesTable(), 5), cells(loaded.rulesTable(), 5));
    EXPECT_EQ(cells(session.fieldsTable(), 5), cells(loaded.fieldsTable(), 5));
    for (TTavSession* s : {&loaded, &session}) {
        s->updateCompare("F = 1", "G = 2");
        s->hideClassValues({2});
        s->moveToRule(3);
    }
    EXPECT_EQ(cells(session.frequencyTable(), 10), cells(loaded.frequencyTable(), 10));

    // Rules of two conditions from the counts of pairs of fields, and one of them made the
    // Frequency table's condition, in the compare mode and without it.
    bool complete = false;
    const std::vector<TPairScore> pairs = session.rankPairs(20, complete);
    const std::vector<TPairScore> expected = loaded.rankPairs(20, complete);
    ASSERT_EQ(pairs.size(), expected.size());
    ASSERT_FALSE(pairs.empty());
    for (size_t i = 0; i < pairs.size(); ++i) {
        EXPECT_EQ(pairs[i].condition, expected[i].condition);
        EXPECT_EQ(pairs[i].score, expected[i].score);
    }
    EXPECT_EQ(session.computePairFindings(1, 2, 30).top.size(),
              loaded.computePairFindings(1, 2, 30).top.size());
    for (TTavSession* s : {&loaded, &session}) {
        ASSERT_TRUE(s->makePairActive(pairs[1].setNumberA, pairs[1].setNumberB));
        s->captureChartRow(1);
    }
    EXPECT_EQ(cells(session.frequencyTable(), 10), cells(loaded.frequencyTable(), 10));
    EXPECT_EQ(session.chartParams().ChartAlpha2, loaded.chartParams().ChartAlpha2);
    for (TTavSession* s : {&loaded, &session})
        s->updateCompare("", "");
    EXPECT_EQ(cells(session.frequencyTable(), 10), cells(loaded.frequencyTable(), 10));
}

// The counts of a filter are asked for once: moving from rule to rule asks nothing.
TEST_F(CountedSessionTest, MovingFromRuleToRuleAsksTheSourceNothing) {
    openCounted();
    session.setClassFieldDeselected(0);
    const int opened = calls;
    for (int row = 0; row < session.rulesTable().RecordCount(); ++row)
        session.moveToRule(row);
    session.computeEntropyGains();
    EXPECT_EQ(calls, opened);
    session.updateContext("X > 10");
    EXPECT_EQ(calls, opened + 1);
    session.updateContext("");
    EXPECT_EQ(calls, opened + 1);  // the counts of every record are kept
}

// A source that cannot count when the table opens leaves the table before; one that fails later
// stops the command with its message, and the session goes on once it counts again.
TEST_F(CountedSessionTest, AFailingSourceStopsTheCommandAndLosesNothing) {
    session.loadDataFile(dir.write("before.csv", pairsData()));
    failing = true;
    EXPECT_THROW(openCounted(), ETavError);
    EXPECT_FALSE(session.tableIsCounted());
    EXPECT_EQ(session.DataFileName(), dir.file("before.csv"));

    failing = false;
    openCounted();
    ASSERT_TRUE(session.tableIsCounted());
    failing = true;
    try {
        session.updateContext("X > 50");
        ADD_FAILURE() << "no error";
    } catch (const ETavError& lost) {
        EXPECT_STREQ(lost.what(), "The connection to the database server was lost");
    }
    failing = false;
    session.updateContext("X > 50");
    session.computeEntropyGains();
    TTavSession loaded;
    loaded.loadDataFile(dir.file("before.csv"));
    loaded.updateContext("X > 50");
    loaded.computeEntropyGains();
    EXPECT_EQ(cells(session.frequencyTable(), 10), cells(loaded.frequencyTable(), 10));
    EXPECT_EQ(cells(session.rulesTable(), 5), cells(loaded.rulesTable(), 5));
}
