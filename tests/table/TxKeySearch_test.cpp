#include <gtest/gtest.h>

#include "TableTestUtil.h"
#include "table/TXMLDataSet.h"

namespace {

class KeySearchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.OnGetHeader = [](TxDataSet& d) {
            d.AddField("Name", xftString, 20);
            d.AddField("No.", xftInteger, 0);
            d.AddField("Score", xftDouble, 0);
            d.AddField("Flag", xftBoolean, 0);
            d.AddField("Day", xftDate, 0);
            d.AddField("Amount", xftCurrency, 0);
        };
        t.SetCodePageIn(cp1250);
        t.open();
        const struct {
            const char* name;
            int no;
            double score;
            bool flag;
            int year;
            std::int64_t amount;
        } rows[] = {{"ABC", 1, 1.5, false, 2001, 10000},
                    {"abd", 2, 1.2, true, 2002, 25000},
                    {"", 3, 1.5, true, 2003, -5},
                    {"Abc", 4, 2.0, false, 2004, 10000}};
        for (const auto& r : rows) {
            t.append();
            t.fieldByName("Name").setAsString(r.name);
            t.fieldByName("No.").setAsInteger(r.no);
            t.fieldByName("Score").setAsFloat(r.score);
            t.fieldByName("Flag").setAsBoolean(r.flag);
            double day = 0;
            tryEncodeDate(r.year, 6, 1, day);
            t.fieldByName("Day").setAsDateTime(day);
            t.fieldByName("Amount").setAsCurrency(r.amount);
            t.post();
        }
        t.first();
    }
    int no() { return static_cast<int>(t.fieldByName("No.").asInteger()); }
    // The "No." of the record found, or 0.
    int find(const std::string& keys, const TxValue& values, TxSearchOptions options = {}) {
        return t.SearchKey(keys, values, options) ? no() : 0;
    }
    TXMLDataSet t;
};

}  // namespace

TEST_F(KeySearchTest, OptionsCaseInsensitiveAndPartialKey) {
    const TxSearchOptions none, ci{true, false}, partial{false, true}, both{true, true};
    const struct {
        const char* value;
        TxSearchOptions options;
        int found;
    } cases[] = {
        {"ab", both, 1},  {"ABC", none, 1},   {"abc", none, 0},   {"abc", ci, 1},
        {"Abc", none, 4}, {"AB", partial, 1}, {"ab", partial, 2}, {"ab", none, 0},
        {"abd", both, 2}, {"abx", both, 0},   {"", none, 3},      {"ABCD", both, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(find("Name", c.value, c.options), c.found) << c.value;
    EXPECT_EQ(find("Name", TxValue(), {}), 3);  // null zero-fills the key field
}

TEST_F(KeySearchTest, ValuesCompareByType) {
    EXPECT_EQ(find("Score", 1.2), 2);
    EXPECT_EQ(find("Score", 1.5), 1);
    EXPECT_EQ(find("Score", 1.25), 0);
    EXPECT_EQ(find("No.", 4), 4);
    EXPECT_EQ(find("Flag", true), 2);
    EXPECT_EQ(find("Amount", TxValue::currency(-5)), 3);
    EXPECT_EQ(find("Amount", 2.5), 2);
    double day = 0;
    tryEncodeDate(2003, 6, 1, day);
    EXPECT_EQ(find("Day", TxValue::dateTime(day + 0.5)), 3);  // the write conversion drops the time
    EXPECT_EQ(find("Score;Flag", std::vector<TxValue>{1.5, true}), 3);
    EXPECT_EQ(find(" Name ; No. ", std::vector<TxValue>{"Abc", 4}), 4);
    EXPECT_EQ(find("Name;No.", std::vector<TxValue>{"Abc", 1}), 0);
}

TEST_F(KeySearchTest, SearchKeyNextContinuesAfterTheCurrentRecord) {
    const TxSearchOptions both{true, true};
    ASSERT_TRUE(t.SearchKey("Name", "ab", both));
    EXPECT_EQ(no(), 1);
    ASSERT_TRUE(t.SearchKeyNext("Name", "ab", both));
    EXPECT_EQ(no(), 2);
    ASSERT_TRUE(t.SearchKeyNext("Name", "ab", both));
    EXPECT_EQ(no(), 4);
    EXPECT_FALSE(t.SearchKeyNext("Name", "ab", both));
}

TEST_F(KeySearchTest, NotFoundLeavesTheTableAfterItsLastRecord) {
    t.setRecNo(2);
    EXPECT_FALSE(t.SearchKey("Name", "zzz"));
    EXPECT_TRUE(t.eof());
    EXPECT_FALSE(t.hasCurrentRecord());
    EXPECT_EQ(t.CurrentIndex(), 4);
    EXPECT_TRUE(t.fieldByName("Name").isNull());
    t.prior();
    EXPECT_EQ(no(), 4);
}

TEST_F(KeySearchTest, ErrorsAndEditState) {
    EXPECT_EQ(errorText([&] { t.SearchKey("Name;No.", "ABC"); }), "Wrong number of values");
    EXPECT_EQ(errorText([&] { t.SearchKey("Name;No.", std::vector<TxValue>{"ABC"}); }),
              "Wrong number of values");
    EXPECT_EQ(
        errorText([&] { t.SearchKey("Name", std::vector<TxValue>{std::vector<TxValue>{"a"}}); }),
        "Variant array has invalid dimension Count");
    EXPECT_EQ(errorText([&] { t.SearchKey("Nme", "x"); }), "Field 'Nme' not found");
    try {
        t.SearchKey("Name;No.", "ABC");
    } catch (const ExDataSetError& e) {
        EXPECT_EQ(e.fileName(), "");
    }
    // A modified edit buffer is posted before the search, an unmodified one cancelled.
    t.first();
    t.edit();
    t.fieldByName("Name").setAsString("XYZ");
    EXPECT_EQ(find("Name", "XYZ"), 1);
    EXPECT_EQ(t.state(), TxDataSetState::Browse);
}

TEST_F(KeySearchTest, FoundRecordFiresScrollEventsAndNotifies) {
    int scrolls = 0;
    t.AfterScroll = [&](TxDataSet&) { ++scrolls; };
    RecordingView view;
    t.attachView(&view);
    ASSERT_TRUE(t.SearchKey("No.", 3));
    EXPECT_EQ(scrolls, 1);
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 1);
    EXPECT_EQ(t.currentRow(), 2);
    t.detachView(&view);
}

TEST_F(KeySearchTest, SearchSkipsFilteredRecords) {
    t.SetFilterX("No. <> 1");
    t.SetFiltered(true);
    EXPECT_EQ(find("Name", "ab", {true, true}), 2);
}
