#include <gtest/gtest.h>

#include "TableTestUtil.h"
#include "table/TXMLDataSet.h"

namespace {

// The header hooks of the main window's three result tables.
void fieldsTableHeader(TxDataSet& t) {
    t.AddField("No.", 2, 0);
    t.AddField("Sel", 2, 0);
    t.AddField("Name", 10, 50);
    t.AddField("Type", 10, 30);
    t.AddField("Count", 2, 0);
}

void simpleRulesHeader(TxDataSet& t) {
    t.AddField("No.", 2, 0);
    t.AddField("Name", 10, 50);
    t.AddField("Count", 10, 20);
    t.AddField("Score", 6, 0);
    t.AddField("Signif", 6, 0);
}

void frequencyHeader(TxDataSet& t) {
    t.AddField("No.", 2, 0);
    t.AddField("Name", 10, 50);
    t.AddField("Frequency", 2, 0);
    t.AddField("Probability", 6, 0);
    t.AddField("StdProb", 6, 0);
    t.AddField("CondFrequency", 2, 0);
    t.AddField("CondProbability", 6, 0);
    t.AddField("CondStdProb", 6, 0);
    t.AddField("EntropyChange", 6, 0);
    t.AddField("Signif", 6, 0);
}

class TxDataSetTest : public ::testing::Test {
  protected:
    void SetUp() override { openSmall(t); }
    void fill(int n) {
        for (int k = 1; k <= n; ++k)
            addRows(t, {{k, "R" + std::to_string(k)}});
    }
    int no() { return static_cast<int>(t.fieldByName("No.").asInteger()); }
    TXMLDataSet t;
};

}  // namespace

TEST(TxDataSetTables, MainWindowTablesHaveTheirRecordSizes) {
    const struct {
        TGetHeaderEvent header;
        int size;
        int fields;
    } cases[] = {
        {fieldsTableHeader, 94, 5}, {simpleRulesHeader, 92, 5}, {frequencyHeader, 111, 10}};
    for (const auto& c : cases) {
        TXMLDataSet table;
        table.OnGetHeader = c.header;
        table.SetCodePageIn(cp1250);
        // As the main window does at start: close, clear the file name, open again.
        table.close();
        table.SetFileName("");
        table.open();
        EXPECT_TRUE(table.Active());
        EXPECT_EQ(table.RecordSize(), c.size);
        EXPECT_EQ(table.fieldCount(), c.fields);
        EXPECT_EQ(table.RecordCount(), 0);
        EXPECT_TRUE(table.eof());
        const auto defs = table.FieldDefs();
        EXPECT_EQ(defs[1].fieldNo, 2);
    }
}

TEST(TxDataSetTables, OpenWithoutHeaderOrFileFails) {
    TXMLDataSet table;
    EXPECT_EQ(errorText([&] { table.open(); }),
              "Cannot open a table without FileName or OnGetHeader handler");
    EXPECT_FALSE(table.Active());
}

TEST(TxDataSetTables, AddFieldErrorsAbortTheOpen) {
    const struct {
        int type, length;
        const char* error;
    } cases[] = {{2, 5, "Field length must be zero"},
                 {10, 0, "Field length must not be zero"},
                 {10, 300, "Field length must be 1..255"}};
    for (const auto& c : cases) {
        TXMLDataSet table;
        table.OnGetHeader = [&](TxDataSet& d) { d.AddField("X", c.type, c.length); };
        EXPECT_EQ(errorText([&] { table.open(); }), c.error);
        EXPECT_FALSE(table.Active());
    }
    TXMLDataSet table;
    openSmall(table);
    EXPECT_EQ(errorText([&] { table.AddField("Y", 2, 0); }),
              "Cannot perform this operation on an open dataset");
}

TEST_F(TxDataSetTest, NewRecordReadsZeroNullFalseAndTheDateOrigins) {
    TXMLDataSet all;
    all.OnGetHeader = [](TxDataSet& d) {
        for (int code = 0; code < kFieldTypeCount; ++code)
            d.AddField(FieldTypeNames[code], code, code == xftString ? 10 : 0);
    };
    all.open();
    all.append();
    all.post();
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7, 8}) {
        EXPECT_EQ(all.fieldValue(code).toFloat(), 0.0) << code;
        EXPECT_FALSE(all.fieldValue(code).isNull());
    }
    EXPECT_TRUE(all.fieldByName("String").isNull());
    EXPECT_EQ(all.fieldByName("String").asString(), "");
    EXPECT_FALSE(all.fieldByName("Char").isNull());
    EXPECT_FALSE(all.fieldByName("Boolean").asBoolean());
    double d = 0;
    tryEncodeDate(1, 1, 1, d);
    EXPECT_EQ(all.fieldByName("Date").asDateTime(), d);
    EXPECT_EQ(all.fieldByName("PkDate").asDateTime(), 0.0);
    EXPECT_EQ(all.fieldByName("Time").asDateTime(), 0.0);
}

TEST_F(TxDataSetTest, ADoubleFieldKeepsNoValueAndOtherNumbersStayZero) {
    TXMLDataSet table;
    table.OnGetHeader = [](TxDataSet& d) {
        d.AddField("Score", xftDouble, 0);
        d.AddField("Count", xftInteger, 0);
    };
    table.open();
    table.append();
    table.setFieldValue(0, TxValue());
    table.setFieldValue(1, TxValue());
    table.post();
    EXPECT_TRUE(table.fieldValue(0).isNull());
    EXPECT_FALSE(table.fieldValue(1).isNull());
    table.edit();
    table.setFieldValue(0, TxValue(1.5));
    table.post();
    EXPECT_EQ(table.fieldValue(0).toFloat(), 1.5);
}

TEST_F(TxDataSetTest, EveryTypeRoundTripsThroughFieldAccess) {
    TXMLDataSet all;
    all.OnGetHeader = [](TxDataSet& d) {
        for (int code = 0; code < kFieldTypeCount; ++code)
            d.AddField(FieldTypeNames[code], code, code == xftString ? 10 : 0);
    };
    all.SetCodePageIn(cp1250);
    all.open();
    double date = 0, time = 0;
    tryEncodeDate(2024, 2, 29, date);
    tryEncodeTime(13, 14, 15, 16, time);
    const std::vector<std::pair<TxValue, TxValue>> cases = {
        {TxValue(200), TxValue(200)},                  // Byte
        {TxValue(-1234), TxValue(-1234)},              // Smallint
        {TxValue(-2000000000), TxValue(-2000000000)},  // Integer
        {TxValue(65535), TxValue(65535)},              // Word
        {TxValue(0.25), TxValue(0.25)},                // Real48
        {TxValue(1.5), TxValue(1.5)},                  // Single
        {TxValue(1.0 / 3), TxValue(1.0 / 3)},          // Double
        {TxValue(-2.5e100), TxValue(-2.5e100)},        // Extended
        {TxValue::currency(123456), TxValue::currency(123456)},
        {TxValue("x"), TxValue("x")},                      // Char
        {TxValue("hello world!"), TxValue("hello worl")},  // String 10: cut
        {TxValue(true), TxValue(true)},
        {TxValue::dateTime(date + 0.5), TxValue::dateTime(date)},   // Date keeps the day
        {TxValue::dateTime(date + time), TxValue::dateTime(time)},  // Time keeps the time
        {TxValue::dateTime(date + 0.5), TxValue::dateTime(date)},   // PkDate
    };
    all.append();
    for (int code = 0; code < kFieldTypeCount; ++code)
        all.setFieldValue(code, cases[code].first);
    all.post();
    for (int code = 0; code < kFieldTypeCount; ++code) {
        const TxValue v = all.fieldValue(code);
        if (code == xftTime)
            EXPECT_NEAR(v.toFloat(), cases[code].second.toFloat(), 1e-9);
        else
            EXPECT_EQ(v, cases[code].second) << FieldTypeNames[code] << ": " << v.toString();
    }
    // Byte stores the low byte of the 16-bit value; the presented ranges are checked.
    all.edit();
    all.fieldByName("Byte").setAsInteger(300);
    EXPECT_EQ(all.fieldByName("Byte").asInteger(), 44);
    EXPECT_EQ(
        errorText([&] { all.fieldByName("Smallint").setAsInteger(70000); }),
        "70000 is not a valid value for field 'Smallint'. The allowed range is -32768 to 32767");
    EXPECT_EQ(errorText([&] { all.fieldByName("Word").setAsInteger(-1); }),
              "-1 is not a valid value for field 'Word'. The allowed range is 0 to 65535");
    EXPECT_EQ(errorText([&] { all.fieldByName("Integer").setAsString("abc"); }),
              "'abc' is not a valid integer value");
    EXPECT_EQ(errorText([&] { all.fieldByName("Single").setAsFloat(1e300); }),
              "Floating point overflow");
    EXPECT_EQ(errorText([&] { all.fieldByName("Date").setAsFloat(1e12); }),
              "Invalid argument to date encode");
    EXPECT_EQ(all.fieldByName("Integer").asInteger(), -2000000000);  // failed writes change nothing
    all.fieldByName("Integer").setAsString(" 42");
    EXPECT_EQ(all.fieldByName("Integer").asInteger(), 42);
    EXPECT_EQ(all.fieldByName("Currency").asFloat(), 12.3456);
    all.cancel();
}

TEST_F(TxDataSetTest, StringsEmptyIsNullAndLongTextIsCut) {
    addRows(t, {{1, ""}, {2, std::string(60, 'x')}});
    t.first();
    EXPECT_TRUE(t.fieldByName("Name").isNull());
    t.next();
    EXPECT_EQ(t.fieldByName("Name").asString(), std::string(50, 'x'));
}

TEST_F(TxDataSetTest, InsertOnTheThirdRecordPostsItSixth) {
    fill(5);
    t.setRecNo(3);
    EXPECT_EQ(no(), 3);
    t.insert();
    EXPECT_EQ(t.state(), TxDataSetState::Insert);
    t.fieldByName("No.").setAsInteger(99);
    t.post();
    EXPECT_EQ(numbers(t), (std::vector<int>{1, 2, 3, 4, 5, 99}));
    EXPECT_EQ(t.recNo(), 6);
    EXPECT_EQ(no(), 99);
}

TEST_F(TxDataSetTest, CancelLeavesNothingAndReturnsToTheRecord) {
    fill(3);
    t.setRecNo(2);
    t.append();
    t.fieldByName("No.").setAsInteger(50);
    t.cancel();
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(no(), 2);
    t.edit();
    t.fieldByName("No.").setAsInteger(20);
    EXPECT_EQ(t.valueAt(1, 0).toInteger(), 2);  // the edit buffer is not the record
    t.cancel();
    EXPECT_EQ(no(), 2);
    t.edit();
    t.fieldByName("No.").setAsInteger(20);
    t.post();
    EXPECT_EQ(numbers(t), (std::vector<int>{1, 20, 3}));
}

TEST_F(TxDataSetTest, NavigationFlagsAndRecordNumbers) {
    EXPECT_TRUE(t.bof());
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.isEmpty());
    fill(3);
    t.first();
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.recNo(), 1);
    EXPECT_EQ(t.CurrentIndex(), 0);
    t.prior();
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(no(), 1);
    t.next();
    t.next();
    EXPECT_EQ(no(), 3);
    EXPECT_FALSE(t.eof());
    t.next();  // no record after the last: the cursor stays on it
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(no(), 3);
    EXPECT_EQ(t.CurrentIndex(), 2);
    t.last();
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recNo(), 3);
    t.prior();
    EXPECT_EQ(no(), 2);
    EXPECT_EQ(errorText([&] { t.setRecNo(0); }), "SetRecNo: out of range");
    EXPECT_EQ(errorText([&] { t.setRecNo(4); }), "SetRecNo: out of range");
    t.setRecNo(3);
    EXPECT_EQ(no(), 3);
}

TEST_F(TxDataSetTest, DeleteRules) {
    fill(5);
    t.last();
    t.deleteRecord();  // the last: the view shows the new last record
    EXPECT_EQ(no(), 4);
    EXPECT_EQ(t.recNo(), 4);
    t.setRecNo(2);
    t.deleteRecord();  // the following record becomes current
    EXPECT_EQ(no(), 3);
    EXPECT_EQ(numbers(t), (std::vector<int>{1, 3, 4}));
    // The main window's way of emptying a table.
    t.first();
    int deletes = 0;
    while (!t.eof()) {
        t.deleteRecord();
        t.first();
        ++deletes;
    }
    EXPECT_EQ(deletes, 3);
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.bof());
}

TEST_F(TxDataSetTest, OperationsWithoutACurrentRecordFail) {
    const char* noRecord = "Cannot perform this operation without a current record";
    EXPECT_EQ(errorText([&] { t.edit(); }), noRecord);
    EXPECT_EQ(t.state(), TxDataSetState::Browse);
    EXPECT_EQ(errorText([&] { t.deleteRecord(); }), noRecord);
    EXPECT_EQ(errorText([&] { t.fieldByName("No.").setAsInteger(1); }), noRecord);
    EXPECT_EQ(errorText([&] { t.gotoBookmark(std::nullopt); }), "Record not found");
    EXPECT_EQ(errorText([&] { t.gotoBookmark(0); }), "Record not found");
    EXPECT_TRUE(t.fieldByName("No.").isNull());  // no record: nothing to read
    EXPECT_EQ(errorText([&] { t.fieldByName("Nme"); }), "Field 'Nme' not found");
    TXMLDataSet closed;
    EXPECT_EQ(errorText([&] { closed.first(); }),
              "Cannot perform this operation on a closed dataset");
}

TEST_F(TxDataSetTest, ReadOnlyRefusesModification) {
    fill(2);
    t.SetReadOnly(true);
    const char* readOnly = "Cannot modify a read-only dataset";
    EXPECT_EQ(errorText([&] { t.append(); }), readOnly);
    EXPECT_EQ(errorText([&] { t.edit(); }), readOnly);
    EXPECT_EQ(errorText([&] { t.deleteRecord(); }), readOnly);
    EXPECT_EQ(errorText([&] { t.fieldByName("No.").setAsInteger(5); }), readOnly);
    t.SetReadOnly(false);
    t.fieldByName("No.").setAsInteger(5);  // browse state writes the current record
    EXPECT_EQ(t.valueAtIndex(t.CurrentIndex(), 0).toInteger(), 5);
}

TEST_F(TxDataSetTest, Bookmarks) {
    fill(4);
    t.first();
    const TxBookmark first = t.getBookmark();
    EXPECT_TRUE(t.bookmarkValid(first));
    t.setRecNo(3);
    const TxBookmark third = t.getBookmark();
    EXPECT_EQ(*third, 2);
    EXPECT_EQ(t.compareBookmarks(first, third), -1);
    EXPECT_EQ(t.compareBookmarks(third, first), 1);
    EXPECT_EQ(t.compareBookmarks(third, third), 0);
    EXPECT_EQ(t.compareBookmarks(std::nullopt, first), 1);
    EXPECT_EQ(t.compareBookmarks(first, std::nullopt), -1);
    EXPECT_EQ(t.compareBookmarks(std::nullopt, std::nullopt), 0);
    EXPECT_FALSE(t.bookmarkValid(std::nullopt));
    EXPECT_FALSE(t.bookmarkValid(TxBookmark(4)));
    t.gotoBookmark(first);
    EXPECT_EQ(no(), 1);
    // The main window's update in place: bookmark, walk with edit/post, return.
    const TxBookmark mark = t.getBookmark();
    t.first();
    while (!t.eof()) {
        t.edit();
        t.fieldByName("No.").setAsInteger(no() * 10);
        t.post();
        t.next();
    }
    t.gotoBookmark(mark);
    EXPECT_EQ(no(), 10);
    EXPECT_EQ(numbers(t), (std::vector<int>{10, 20, 30, 40}));
    TxBookmark released = mark;
    t.freeBookmark(released);
    EXPECT_FALSE(released.has_value());
}

TEST(TxDataSetCodePages, StringsConvertBetweenCodePageInAndOut) {
    TXMLDataSet t;
    t.OnGetHeader = smallHeader;  // CodePageIn cp437, CodePageOut cp1250 by default
    t.open();
    t.append();
    t.fieldByName("Name").setAsString("\xE8\x9F");
    t.post();
    const auto& record = t.RecordList()[0];
    EXPECT_EQ(record[5], 0x7E);  // c-caron stored in 437
    EXPECT_EQ(record[6], 0x9F);  // no counterpart: unchanged
    EXPECT_EQ(t.fieldByName("Name").asString(), "\xE8\x9F");
    t.SetCodePageIn(cp1250);
    EXPECT_EQ(t.fieldByName("Name").asString(), "~\x9F");  // stored bytes as they are
}

TEST_F(TxDataSetTest, ViewsReadRowsWithoutMovingOrNotifying) {
    fill(3);
    t.setRecNo(2);
    RecordingView view;
    t.attachView(&view);
    EXPECT_EQ(t.valueAt(0, 1).toString(), "R1");
    EXPECT_EQ(t.valueAt(2, 0).toInteger(), 3);
    EXPECT_TRUE(t.valueAt(3, 0).isNull());
    EXPECT_TRUE(t.valueAt(0, 7).isNull());
    EXPECT_EQ(t.currentRow(), 1);
    EXPECT_EQ(t.CurrentIndex(), 1);
    EXPECT_TRUE(view.events.empty());
    EXPECT_TRUE(t.moveToRow(2));
    EXPECT_EQ(no(), 3);
    EXPECT_FALSE(t.moveToRow(3));
    EXPECT_EQ(t.fetch(TxGetMode::Prior), TxGetResult::Ok);
    EXPECT_EQ(no(), 2);
    t.detachView(&view);
}

TEST_F(TxDataSetTest, DataChangeAfterEveryMoveAndPost) {
    fill(3);
    RecordingView view;
    t.attachView(&view);
    t.first();
    t.next();
    t.prior();
    t.setRecNo(3);
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 4);
    EXPECT_EQ(view.count(TxDataEvent::DataSetScroll), 4);
    view.events.clear();
    t.next();  // at the end: nothing moves
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 0);
    t.edit();
    t.fieldByName("No.").setAsInteger(7);
    EXPECT_EQ(view.count(TxDataEvent::FieldChange), 1);
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 0);
    t.post();
    EXPECT_EQ(view.count(TxDataEvent::RecordChange), 1);
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 1);
    EXPECT_EQ(view.count(TxDataEvent::StateChange), 2);
    view.events.clear();
    addRows(t, {{8, "new"}});
    EXPECT_EQ(view.count(TxDataEvent::DataSetChange), 1);
    EXPECT_EQ(view.count(TxDataEvent::DataChange), 1);
    t.detachView(&view);
}

TEST_F(TxDataSetTest, SuspendedNotificationsNestAndArriveOnceAtTheEnd) {
    fill(4);
    int dataChanges = 0;
    TxDataLink link(
        [&](const TxNotification& n) { dataChanges += n.event == TxDataEvent::DataChange; });
    t.attachView(&link);
    t.setRecNo(2);
    dataChanges = 0;
    // "select All": suspend, walk all rows writing a field, resume, return to the remembered row.
    const TxBookmark mark = t.getBookmark();
    t.disableControls();
    t.disableControls();
    EXPECT_TRUE(t.controlsDisabled());
    t.first();
    while (!t.eof()) {
        t.edit();
        t.fieldByName("Name").setAsString("sel");
        t.post();
        t.next();
    }
    t.enableControls();
    EXPECT_EQ(dataChanges, 0);
    t.enableControls();
    EXPECT_FALSE(t.controlsDisabled());
    EXPECT_EQ(dataChanges, 1);
    t.gotoBookmark(mark);
    EXPECT_EQ(dataChanges, 2);
    EXPECT_EQ(no(), 2);
    // A suspension in which nothing happened sends nothing.
    t.disableControls();
    t.enableControls();
    EXPECT_EQ(dataChanges, 2);
    t.detachView(&link);
}

TEST_F(TxDataSetTest, EventsFireInOrder) {
    std::vector<std::string> log;
    auto hook = [&](const char* name) { return [&log, name](TxDataSet&) { log.push_back(name); }; };
    t.BeforeInsert = hook("BeforeInsert");
    t.AfterInsert = hook("AfterInsert");
    t.OnNewRecord = [&](TxDataSet& d) {
        log.push_back("OnNewRecord");
        d.fieldByName("No.").setAsInteger(77);  // defaults of a new record
    };
    t.BeforePost = hook("BeforePost");
    t.AfterPost = hook("AfterPost");
    t.BeforeEdit = hook("BeforeEdit");
    t.AfterEdit = hook("AfterEdit");
    t.BeforeCancel = hook("BeforeCancel");
    t.AfterCancel = hook("AfterCancel");
    t.BeforeDelete = hook("BeforeDelete");
    t.AfterDelete = hook("AfterDelete");
    t.BeforeScroll = hook("BeforeScroll");
    t.AfterScroll = hook("AfterScroll");
    t.append();
    t.post();
    EXPECT_EQ(no(), 77);
    t.edit();
    t.cancel();
    t.first();
    t.deleteRecord();
    EXPECT_EQ(
        log, (std::vector<std::string>{"BeforeInsert", "OnNewRecord", "AfterInsert", "BeforePost",
                                       "AfterPost", "BeforeEdit", "AfterEdit", "BeforeCancel",
                                       "AfterCancel", "BeforeScroll", "AfterScroll", "BeforeDelete",
                                       "BeforeScroll", "AfterDelete", "AfterScroll"}));
    std::vector<std::string> openLog;
    TXMLDataSet u;
    u.OnGetHeader = smallHeader;
    u.BeforeOpen = [&](TxDataSet&) { openLog.push_back("BeforeOpen"); };
    u.AfterOpen = [&](TxDataSet&) { openLog.push_back("AfterOpen"); };
    u.BeforeClose = [&](TxDataSet&) { openLog.push_back("BeforeClose"); };
    u.AfterClose = [&](TxDataSet&) { openLog.push_back("AfterClose"); };
    u.SetActive(true);
    u.SetActive(false);
    EXPECT_EQ(openLog,
              (std::vector<std::string>{"BeforeOpen", "AfterOpen", "BeforeClose", "AfterClose"}));
}

TEST_F(TxDataSetTest, ErrorHandlersFailAbortOrRetry) {
    int calls = 0;
    t.OnEditError = [&](TxDataSet&, const ExDataSetError& e, TxDataAction& action) {
        ++calls;
        EXPECT_STREQ(e.what(), "Cannot perform this operation without a current record");
        action = TxDataAction::Abort;
    };
    t.edit();  // empty table: aborted silently
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t.state(), TxDataSetState::Browse);
    t.OnDeleteError = [&](TxDataSet& d, const ExDataSetError&, TxDataAction& action) {
        ++calls;
        if (calls == 2) {  // repair the cause, then retry
            addRows(d, {{1, "a"}});
            action = TxDataAction::Retry;
        }
    };
    t.deleteRecord();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_EQ(errorText([&] { t.deleteRecord(); }),
              "Cannot perform this operation without a current record");
}

TEST_F(TxDataSetTest, NavigationPostsModifiedAndCancelsUnmodifiedEdits) {
    fill(2);
    t.first();
    t.edit();
    t.fieldByName("No.").setAsInteger(11);
    t.next();  // posts
    EXPECT_EQ(numbers(t), (std::vector<int>{11, 2}));
    t.append();
    t.first();  // unmodified insert: cancelled
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST(TxDataSetCalcFields, CalculatedFieldsAreComputedAtEveryFetch) {
    TXMLDataSet t;
    t.AddCalcField("Double", xftInteger, 0);
    t.AddCalcField("Label", xftString, 20);
    EXPECT_EQ(errorText([&] { t.AddCalcField("Bad", xftString, 0); }),
              "Field length must not be zero");
    std::string calcError;
    t.OnCalcFields = [&](TxDataSet& d) {
        const auto no = d.fieldByName("No.").asInteger();
        d.fieldByName("Double").setAsInteger(no * 2);
        d.fieldByName("Label").setAsString("#" + std::to_string(no));
        calcError = errorText([&] { d.fieldByName("No.").setAsInteger(1); });
    };
    openSmall(t);
    EXPECT_EQ(t.RecordSize(), 55);
    EXPECT_EQ(t.layout().calcAreaSize(), 1 + 4 + 1 + 21);
    EXPECT_EQ(t.layout().bufferSize(), 55 + 27 + kBookmarkInfoSize);
    addRows(t, {{3, "a"}, {5, "b"}});
    t.first();
    EXPECT_EQ(t.fieldByName("Double").asInteger(), 6);
    EXPECT_EQ(t.fieldByName("Label").asString(), "#3");
    EXPECT_EQ(calcError, "Dataset not in edit or insert mode");
    EXPECT_EQ(t.valueAt(1, 2).toInteger(), 10);
    t.edit();
    t.fieldByName("No.").setAsInteger(8);  // AutocalcFields recomputes the edit buffer
    EXPECT_EQ(t.fieldByName("Double").asInteger(), 16);
    t.post();
    EXPECT_EQ(t.FieldDefs().size(), 2u);  // calculated fields are no definitions of the record
}
