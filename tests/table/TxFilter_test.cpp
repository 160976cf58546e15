#include <gtest/gtest.h>

#include "TableTestUtil.h"
#include "core/LocaleFormat.h"
#include "table/TXMLDataSet.h"

namespace {

// One record to evaluate expressions on.
class FilterExprTest : public ::testing::Test {
  protected:
    void SetUp() override {
        t.OnGetHeader = [](TxDataSet& d) {
            d.AddField("Name", xftString, 30);
            d.AddField("No.", xftInteger, 0);
            d.AddField("Score", xftDouble, 0);
            d.AddField("Flag", xftBoolean, 0);
            d.AddField("Born", xftDate, 0);
            d.AddField("At", xftTime, 0);
            d.AddField("Empty", xftString, 5);
            d.AddField("Pk", xftPkDate, 0);
            d.AddField("Money", xftCurrency, 0);
            d.AddField("Initial", xftChar, 0);
        };
        t.SetCodePageIn(cp1250);
        t.open();
        t.append();
        t.fieldByName("Name").setAsString("  Mixed Case  ");
        t.fieldByName("No.").setAsInteger(7);
        t.fieldByName("Score").setAsFloat(2.5);
        t.fieldByName("Flag").setAsBoolean(true);
        double born = 0, at = 0;
        tryEncodeDate(1999, 12, 31, born);
        tryEncodeTime(13, 45, 30, 0, at);
        t.fieldByName("Born").setAsDateTime(born);
        t.fieldByName("At").setAsDateTime(at);
        t.fieldByName("Pk").setAsDateTime(born);
        t.fieldByName("Money").setAsCurrency(12345);
        t.fieldByName("Initial").setAsString("M");
        t.post();
    }

    TxValue eval(const std::string& text, TxFilterOptions options = {}) {
        const auto expr = TxFilterExpr::compile(text, t.layout(), options);
        return expr->evaluate([&](int index) { return t.fieldValue(index); });
    }

    TXMLDataSet t;
};

}  // namespace

TEST_F(FilterExprTest, ValuesOperatorsAndPrecedence) {
    const struct {
        const char* text;
        TxValue expected;
    } cases[] = {
        {"1 + 2 * 3", TxValue(7.0)},
        {"(1 + 2) * 3", TxValue(9.0)},
        {"10 - 4 - 3", TxValue(3.0)},
        {"2 * -3 + 1", TxValue(-5.0)},
        {"7 / 2", TxValue(3.5)},
        {"1 / 0", TxValue()},
        {"TRUE OR FALSE AND FALSE", TxValue(true)},
        {"(TRUE OR FALSE) AND FALSE", TxValue(false)},
        {"NOT 1 = 2 AND 2 = 2", TxValue(true)},
        {"NOT (1 = 1 OR 2 = 2)", TxValue(false)},
        {"No. = 7", TxValue(true)},
        {"no. >= 7 and score < 3", TxValue(true)},
        {"[No.] * 2 + Score", TxValue(16.5)},
        {"No. <> 7", TxValue(false)},
        {"Name = '  Mixed Case  '", TxValue(true)},
        {"'it''s' + 'x'", TxValue("it'sx")},
        {"Flag", TxValue(true)},
        {"NOT Flag OR No. > 6", TxValue(true)},
        {"Money = 1.2345", TxValue(true)},
        {"Initial = 'M'", TxValue(true)},
        {"Born = Pk", TxValue(true)},
        {"Born + 1 > Born", TxValue(true)},
        {"Born - Pk", TxValue(0.0)},
        {"Empty IS NULL", TxValue(true)},
        {"Name IS NOT NULL", TxValue(true)},
        {"Empty = ''", TxValue(true)},
        {"1 / 0 IS NULL", TxValue(true)},
        {"NULL = NULL", TxValue()},
        {"1 / 0 > 1 OR TRUE", TxValue(true)},
        {"1 / 0 > 1 AND FALSE", TxValue(false)},
        {"'abc' < 'abd'", TxValue(true)},
        {"'B' > 'a'", TxValue(false)},
        {"'12.5' :: Double + 1", TxValue(13.5)},
        {"7.9 :: Integer", TxValue(7.0)},
        {"No. :: String + '!'", TxValue("7!")},
        {"'true' :: Boolean", TxValue(true)},
        {"'2001-02-03' :: Date = DATE(2001, 2, 3)", TxValue(true)},
        {"Born :: String", TxValue("1999-12-31")},
        {"1.5e1", TxValue(15.0)},
        {".5 + 1", TxValue(1.5)},
        {"1e999 > 1", TxValue()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text), c.expected) << c.text;
}

TEST_F(FilterExprTest, AllFunctions) {
    localeFormat().clock = [] {
        return std::chrono::system_clock::time_point(std::chrono::seconds(951782400));
    };  // 2000-02-29 00:00 UTC
    const struct {
        const char* text;
        TxValue expected;
    } cases[] = {
        {"UPPER(Name)", TxValue("  MIXED CASE  ")},
        {"LOWER(Name)", TxValue("  mixed case  ")},
        {"UPPER('\x9A\xE8')", TxValue("\x8A\xC8")},
        {"LOWER('\x8A\xC8')", TxValue("\x9A\xE8")},
        {"TRIM(Name)", TxValue("Mixed Case")},
        {"TRIMLEFT(Name)", TxValue("Mixed Case  ")},
        {"TRIMRIGHT(Name)", TxValue("  Mixed Case")},
        {"SUBSTRING(TRIM(Name), 7)", TxValue("Case")},
        {"SUBSTRING(TRIM(Name), 1, 5)", TxValue("Mixed")},
        {"SUBSTRING('abc', 5, 1)", TxValue("")},
        {"SUBSTRING('abc', 0, 2)", TxValue("ab")},
        {"YEAR(Born)", TxValue(1999.0)},
        {"MONTH(Born)", TxValue(12.0)},
        {"DAY(Pk)", TxValue(31.0)},
        {"HOUR(At)", TxValue(13.0)},
        {"MINUTE(At)", TxValue(45.0)},
        {"SECOND(At)", TxValue(30.0)},
        {"DATE(Born + 0.75) = Born", TxValue(true)},
        {"DATE(1999, 12, 31) = Born", TxValue(true)},
        {"DATE('1999-12-31') = Born", TxValue(true)},
        {"DATE('31.12.1999') = Born", TxValue(true)},
        {"DATE(2001, 2, 29)", TxValue()},
        {"TIME(Born + 0.25) = TIME(6, 0, 0)", TxValue(true)},
        {"TIME(13, 45, 30) = At", TxValue(true)},
        {"TIME('13:45:30') = At", TxValue(true)},
        {"TIME(25, 0, 0)", TxValue()},
        {"YEAR(GETDATE())", TxValue(2000.0)},
        {"GETDATE() > Born", TxValue(true)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(eval(c.text), c.expected) << c.text;
    localeFormat() = TLocaleFormat();
}

TEST_F(FilterExprTest, ErrorTexts) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"No. ! 3", "Unknown operator"},
        {"No. == 7", "Unknown operator"},
        {"No. != 7", "Unknown operator"},
        {"No. % 2", "Unknown operator"},
        {"No. 7", "Unknown operator"},
        {"(No. = 7", "Invalid or missing parameter"},
        {"(No. = 7 8)", "Unknown operator"},
        {"No. = 7)", "Unknown operator"},
        {"3abc", "Unknown operator"},
        {"Name :: Text", "Unknown field type"},
        {"Name :: 5", "Unknown field type"},
        {"Name * 2", "Operator not supported"},
        {"Name > 5", "Operator not supported"},
        {"-Name", "Operator not supported"},
        {"NOT No.", "Operator not supported"},
        {"No. AND Flag", "Operator not supported"},
        {"Flag + 1", "Operator not supported"},
        {"Born * 2", "Operator not supported"},
        {"'a' - 'b'", "Operator not supported"},
        {"", "Invalid or missing parameter"},
        {"No. =", "Invalid or missing parameter"},
        {"'open", "Invalid or missing parameter"},
        {"[No.", "Invalid or missing parameter"},
        {"AND", "Invalid or missing parameter"},
        {"Empty IS 5", "Invalid or missing parameter"},
        {"UPPER()", "Invalid or missing parameter"},
        {"UPPER(No.)", "Invalid or missing parameter"},
        {"UPPER('a', 'b')", "Invalid or missing parameter"},
        {"SUBSTRING(Name)", "Invalid or missing parameter"},
        {"SUBSTRING(Name, 'x')", "Invalid or missing parameter"},
        {"GETDATE(1)", "Invalid or missing parameter"},
        {"YEAR(No.)", "Invalid or missing parameter"},
        {"DATE(1, 2)", "Invalid or missing parameter"},
        {"TIME(Flag)", "Invalid or missing parameter"},
        {"TRIM(Name", "Invalid or missing parameter"},
        {"FOO(1)", "Invalid function"},
        {"NOW()", "Invalid function"},
        {"Nme = 1", "Field 'Nme' not found"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorText([&] { TxFilterExpr::compile(c.text, t.layout(), {}); }), c.error)
            << c.text;
}

TEST_F(FilterExprTest, Options) {
    EXPECT_EQ(eval("Name = '  mixed CASE  '"), TxValue(false));
    EXPECT_EQ(eval("Name = '  mixed CASE  '", {true, false}), TxValue(true));
    EXPECT_EQ(eval("TRIM(Name) = 'Mix*'"), TxValue(true));
    EXPECT_EQ(eval("TRIM(Name) <> 'Mix*'"), TxValue(false));
    EXPECT_EQ(eval("TRIM(Name) = 'mix*'", {true, false}), TxValue(true));
    EXPECT_EQ(eval("TRIM(Name) = 'Mix*'", {false, true}), TxValue(false));
    EXPECT_EQ(eval("'Mix*' = 'Mix*'", {false, true}), TxValue(true));
}

TEST(TxFilter, HandlerRejectingEverythingShowsNoRecords) {
    TXMLDataSet t;
    openSmall(t);
    addRows(t, {{1, "a"}, {2, "b"}});
    int calls = 0;
    std::string writeError;
    t.OnFilterRecord = [&](TxDataSet& d, bool& accept) {
        ++calls;
        EXPECT_EQ(d.state(), TxDataSetState::Filter);
        writeError = errorText([&] { d.fieldByName("No.").setAsInteger(9); });
        accept = false;
    };
    t.SetFiltered(true);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(writeError, "Dataset not in edit or insert mode");
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.hasCurrentRecord());
    EXPECT_TRUE(t.isEmpty());
    t.last();
    EXPECT_FALSE(t.hasCurrentRecord());
    EXPECT_TRUE(t.valueAt(0, 0).isNull());
    t.SetFiltered(false);
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.state(), TxDataSetState::Browse);
}

TEST(TxFilter, FilterXSelectsRecordsForNavigationCountAndRows) {
    TXMLDataSet t;
    t.SetFilterX("No. > 2 AND NOT Name = 'skip'");
    openSmall(t);
    addRows(t, {{1, "a"}, {3, "b"}, {4, "skip"}, {5, "c"}, {2, "d"}});
    EXPECT_EQ(t.RecordCount(), 5);  // Filtered is off
    RecordingView view;
    t.attachView(&view);
    t.SetFiltered(true);
    EXPECT_GE(view.count(TxDataEvent::DataSetChange), 1);
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(numbers(t), (std::vector<int>{3, 5}));
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 3);  // on the first passing record
    EXPECT_EQ(t.currentRow(), 0);
    t.next();
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 5);
    EXPECT_EQ(t.recNo(), 4);  // the index in the record list + 1
    EXPECT_EQ(t.currentRow(), 1);
    t.next();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 5);
    EXPECT_EQ(errorText([&] { t.gotoBookmark(2); }), "Record not found");
    EXPECT_FALSE(t.bookmarkValid(2));
    EXPECT_TRUE(t.bookmarkValid(3));
    t.setRecNo(3);  // a rejected record: the next passing one becomes current
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 5);
    // A posted change that makes the record fail moves the cursor on.
    t.first();
    t.edit();
    t.fieldByName("No.").setAsInteger(0);
    t.post();
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 5);
    EXPECT_EQ(t.RecordCount(), 1);
    // A new filter text on an open table is compiled at once; a bad one fails and filters nothing.
    t.SetFilterX("Name = 'b'");
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.fieldByName("Name").asString(), "b");
    EXPECT_EQ(errorText([&] { t.SetFilterX("Name ="); }), "Invalid or missing parameter");
    EXPECT_EQ(t.RecordCount(), 5);
    t.SetFilterX("name = 'B'");
    EXPECT_EQ(t.RecordCount(), 0);
    t.SetFilterOptions({true, false});
    EXPECT_EQ(t.RecordCount(), 1);
    t.SetFilterX("   ");
    EXPECT_EQ(t.RecordCount(), 5);
    t.detachView(&view);
}

TEST(TxFilter, BadFilterTextAbortsTheOpen) {
    TXMLDataSet t;
    t.OnGetHeader = smallHeader;
    t.SetFilterX("Nme = 1");
    EXPECT_EQ(errorText([&] { t.open(); }), "Field 'Nme' not found");
    EXPECT_FALSE(t.Active());
}

namespace {

std::string repeated(const std::string& part, int times) {
    std::string out;
    for (int k = 0; k < times; ++k)
        out += part;
    return out;
}

}  // namespace

TEST_F(FilterExprTest, DeepNestingIsRefusedWithAClearError) {
    const std::string tooDeep = "Expression nested too deeply: at most 256 levels";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {repeated("(", 20000) + "1" + repeated(")", 20000), tooDeep},
        {repeated("(", 20000), tooDeep},
        {repeated("NOT ", 20000) + "TRUE", tooDeep},
        {repeated("-", 20000) + "1", tooDeep},
        {repeated("UPPER(", 20000) + "'a'" + repeated(")", 20000), tooDeep},
        {repeated("(", 200) + "1" + repeated(")", 200), "no error"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(errorText([&] { eval(c.text); }), c.error) << c.text.substr(0, 20);
    }
}

TEST_F(FilterExprTest, LongChainsOfOneOperatorEvaluateWithoutRecursion) {
    const int terms = 100000;
    const struct {
        std::string text;
        TxValue expected;
    } cases[] = {
        {"1" + repeated("+1", terms - 1), TxValue(double(terms))},
        {"0" + repeated("-1", terms - 1), TxValue(double(1 - terms))},
        {"2" + repeated("*1", terms), TxValue(2.0)},
        {"TRUE" + repeated(" AND TRUE", terms), TxValue(true)},
        {"FALSE" + repeated(" OR FALSE", terms) + " OR [No.] = 7", TxValue(true)},
        {"'a'" + repeated("+'b'", 3), TxValue(std::string("abbb"))},
        {"1" + repeated("::Integer", terms), TxValue(1.0)},
        {"1" + repeated("+1*2-1", terms / 4), TxValue(1.0 + terms / 4)},
    };
    for (const auto& c : cases) {
        const TxValue value = eval(c.text);
        EXPECT_EQ(value.kind(), c.expected.kind()) << c.text.substr(0, 20);
        EXPECT_EQ(value.toString(), c.expected.toString()) << c.text.substr(0, 20);
    }
}
