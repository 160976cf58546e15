#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <unistd.h>

#include "TableTestUtil.h"
#include "core/LocaleFormat.h"
#include "table/TXMLDataSet.h"
#include "tests/support/InjectedFault.h"

namespace fs = std::filesystem;

namespace {

const std::string kHead =
    "<?xml version=\"1.0\"?>\r\n"
    " <XmlDataSet Version=\"1.0\" CodePage=\"1250\">\r\n"
    "  <XmlHeader Version=\"1.0\">\r\n"
    "   <Fields>\r\n"
    "    <Field FieldName=\"No.\" FieldType=\"Integer\" />\r\n"
    "    <Field FieldName=\"Name\" FieldType=\"String\" Length=\"50\" />\r\n"
    "   </Fields>\r\n"
    "  </XmlHeader>\r\n"
    "  <XmlData>\r\n";
const std::string kTail = "  </XmlData>\r\n </XmlDataSet>\r\n";

// A file table in its own temporary folder.
class XmlFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("tav_table_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        path = (dir / "data.xml").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // Opens `table` on `text` written to the file, without a header hook.
    void openOn(TXMLDataSet& table, const std::string& text) {
        writeFile(path, text);
        table.SetFileName(path);
        table.open();
    }

    // Makes the file look changed by another writer.
    void touchFile() {
        writeFile(path, readFile(path) + " ");
        fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
    }

    fs::path dir;
    std::string path;
};

// Limits the size of the files the process writes, so that writes fail after a part of the file
// was written, as on a full disk.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

  private:
    rlimit m_saved{};
};

const char* const kTooLarge = "File too large";

}  // namespace

TEST(XmlEscape, BothModes) {
    const struct {
        const char* in;
        const char* markup;
        const char* value;
    } cases[] = {
        {"A&B", "A&amp;B", "A&amp;B"},
        {"say \"hi\"", "say \"hi\"", "say &#34;hi&#34;"},
        {"a<b>c", "a<b>c", "a&lt;b>c"},
        {"\xE8", "&#269;", "&#269;"},  // c-caron
        {"\x80\x7F~", "&#8364;&#127;~", "&#8364;&#127;~"},
        {"tab\there\nline\r", "tab\there\nline\r", "tab&#9;here&#10;line&#13;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XmlEscape(c.in, TxEscapeMode::Markup), c.markup) << c.in;
        EXPECT_EQ(XmlEscape(c.in, TxEscapeMode::Value), c.value) << c.in;
    }
}

TEST(XmlBackupName, FromTheFileNamesOwnExtension) {
    const struct {
        const char* path;
        const char* backup;
    } cases[] = {{"data.xml", "data.~xml"}, {"/tmp/x/data.xml", "/tmp/x/data.~xml"},
                 {"data", "data.~"},        {"dir.d/data", "dir.d/data.~"},
                 {"a.b.c", "a.b.~c"},       {".hidden", ".hidden.~"},
                 {"data.", "data.~"}};
    for (const auto& c : cases)
        EXPECT_EQ(backupFileName(c.path), c.backup) << c.path;
}

TEST_F(XmlFileTest, WriterLayoutByteForByte) {
    {
        TXMLDataSet t;
        t.SetFileName(path);
        openSmall(t);
        addRows(t, {{7, "A&B"}});
        t.close();
    }
    EXPECT_EQ(readFile(path), kHead + "   <Record No.=\"7\" Name=\"A&amp;B\" />\r\n" + kTail);
    TXMLDataSet back;
    openOn(back, readFile(path));
    EXPECT_EQ(back.RecordSize(), 55);
    EXPECT_EQ(back.CodePageIn(), cp1250);
    EXPECT_EQ(back.fieldByName("No.").asInteger(), 7);
    EXPECT_EQ(back.fieldByName("Name").asString(), "A&B");
}

TEST_F(XmlFileTest, EveryTypeRoundTripsThroughAFile) {
    localeFormat().decimalSeparator = ',';
    localeFormat().shortDateFormat = "d.M.yy";  // written with four-digit years
    double date = 0, time = 0;
    tryEncodeDate(1850, 7, 4, date);
    tryEncodeTime(23, 59, 58, 0, time);
    const std::vector<TxValue> values = {TxValue(255),
                                         TxValue(-32768),
                                         TxValue(2147483647),
                                         TxValue(65535),
                                         TxValue(-0.125),
                                         TxValue(1.5),
                                         TxValue(0.1),
                                         TxValue(1e300),
                                         TxValue::currency(-12345678),
                                         TxValue("\xE8"),
                                         TxValue("tab\tq\"<&>\r\n\x8A"),
                                         TxValue(true),
                                         TxValue::dateTime(date),
                                         TxValue::dateTime(time),
                                         TxValue::dateTime(date)};
    auto header = [](TxDataSet& d) {
        for (int code = 0; code < kFieldTypeCount; ++code)
            d.AddField(std::string("F") + FieldTypeNames[code], code, code == xftString ? 40 : 0);
    };
    {
        TXMLDataSet t;
        t.OnGetHeader = header;
        t.SetFileName(path);
        t.SetCodePageIn(cp1250);
        t.open();
        t.append();
        for (int k = 0; k < kFieldTypeCount; ++k)
            t.setFieldValue(k, values[k]);
        t.post();
        t.append();  // and a zero record
        t.post();
        t.close();
    }
    const std::string text = readFile(path);
    EXPECT_NE(text.find("FDate=\"4.7.1850\""), std::string::npos) << text;
    EXPECT_NE(text.find("FSingle=\"1,5\""), std::string::npos);
    EXPECT_NE(text.find("FCurrency=\"-1234,5678\""), std::string::npos);
    EXPECT_NE(text.find("FString=\"tab&#9;q&#34;&lt;&amp;>&#13;&#10;&#352;\""), std::string::npos);
    TXMLDataSet back;
    openOn(back, text);
    ASSERT_EQ(back.RecordCount(), 2);
    for (int k = 0; k < kFieldTypeCount; ++k) {
        if (k == xftReal48 || k == xftSingle || k == xftDouble || k == xftExtended)
            EXPECT_DOUBLE_EQ(back.fieldValue(k).toFloat(), values[k].toFloat()) << k;
        else
            EXPECT_EQ(back.fieldValue(k), values[k]) << FieldTypeNames[k];
    }
    back.next();
    EXPECT_EQ(back.fieldByName("FPkDate").asDateTime(), 0.0);
    // A zero record comes back zero, but for the "Date" field: its 0 reads, and is written, as
    // day 1.
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(back.RecordSize()), 0);
    expected[static_cast<std::size_t>(back.fieldByName("FDate").field().offset)] = 1;
    EXPECT_EQ(back.RecordList()[1], expected);
    localeFormat() = TLocaleFormat();
}

TEST_F(XmlFileTest, ReaderErrorTexts) {
    const std::string fieldsOnly =
        "<Fields><Field FieldName=\"No.\" FieldType=\"Integer\"/></Fields>";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"<XmlDataSet Version=\"1.0\"><XmlHeader/></XmlDataSet>", "XmlHeader: declaration error"},
        {"<XmlDataSet Version=\"1.0\"><XmlHeader Version=\"1.0\" X=\"1\"/></XmlDataSet>",
         "XmlHeader: declaration error"},
        {"<XmlDataSet Version=\"1.0\"><XmlHeader version=\"1.0\"/></XmlDataSet>",
         "XmlHeader: declaration error"},
        {"<XmlDataSet Version=\"1.0\"><XmlHeader Version=\"2.0\"/></XmlDataSet>",
         "XmlHeader: version error"},
        {"<XmlHeader Version=\"1.0\"><Fields A=\"1\"/></XmlHeader>", "Fields: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"a\"/></XmlHeader>",
         "Field: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldType=\"Byte\" FieldName=\"a\"/></XmlHeader>",
         "Field: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"a\" FieldType=\"Byte\" Length=\"0\" "
         "X=\"1\"/></XmlHeader>",
         "Field: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\"/></XmlHeader>",
         "Field.S: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Len=\"5\"/></XmlHeader>",
         "Field.S: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"Text\" "
         "Length=\"5\"/></XmlHeader>",
         "Field.S: unknown field type Text"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Length=\"0\"/></XmlHeader>",
         "Field length must not be zero"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Length=\"300\"/></XmlHeader>",
         "Field length must be 1..255"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Length=\"70000\"/></XmlHeader>",
         "Field length must be 1..255"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Length=\"x\"/></XmlHeader>",
         "'x' is not a valid integer value"},
        {"<XmlHeader Version=\"1.0\"><Field FieldName=\"S\" FieldType=\"String\" "
         "Length=\"$100\"/></XmlHeader>",
         "Field length must be 1..255"},
        {"<XmlHeader Version=\"1.0\"><Keys K=\"1\"/></XmlHeader>", "Keys: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Keys><Key KeyName=\"k\"/></Keys></XmlHeader>",
         "Key: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Keys><Key Length=\"1\" KeyName=\"k\"/></Keys></XmlHeader>",
         "Key: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Keys><Key KeyName=\"k\" Length=\"1\" "
         "Dup=\"True\"/></Keys></XmlHeader>",
         "Key: declaration error"},
        {"<XmlHeader Version=\"1.0\"><Keys><Key KeyName=\"k\" Length=\"1\" AllowDup=\"True\" "
         "Maint=\"x\"/></Keys></XmlHeader>",
         "Key: declaration error"},
        {"<XmlDataSet>" + fieldsOnly + "</XmlDataSet>", "XmlDataSet: declaration error"},
        {"<XmlDataSet Ver=\"1.0\">" + fieldsOnly + "</XmlDataSet>",
         "XmlDataSet: declaration error"},
        {"<XmlDataSet Version=\"1.0\" CodePage=\"1250\" X=\"1\">" + fieldsOnly + "</XmlDataSet>",
         "XmlDataSet: declaration error"},
        {"<XmlDataSet Version=\"2.0\">" + fieldsOnly + "</XmlDataSet>",
         "XmlDataSet: version error"},
        {"<XmlDataSet Version=\"1.0\" Page=\"1250\">" + fieldsOnly + "</XmlDataSet>",
         "XmlDataSet: CodePage expected"},
        {"<XmlDataSet Version=\"1.0\" CodePage=\"1251\">" + fieldsOnly + "</XmlDataSet>",
         "StringToCodePageId: Illegal CodePageId string (\"1251\")."},
        {"<XmlDataSet Version=\"1.0\">" + fieldsOnly +
             "<XmlData><Record Nme=\"1\"/></XmlData></XmlDataSet>",
         "Nme: field name error"},
        {"<XmlDataSet Version=\"1.0\">" + fieldsOnly +
             "<XmlData><Record No.=\"1.5\"/></XmlData></XmlDataSet>",
         "'1.5' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        TXMLDataSet t;
        writeFile(path, c.text);
        t.SetFileName(path);
        try {
            t.open();
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const ExDataSetError& e) {
            EXPECT_EQ(e.what(), c.error) << c.text;
            EXPECT_EQ(e.fileName(), path);
        }
        EXPECT_FALSE(t.Active());
    }
}

TEST_F(XmlFileTest, ValueConversionsOfHandMadeFiles) {
    const std::string text =
        "<XmlDataSet Version=\"1.0\" CodePage=\"437\"><XmlHeader Version=\"1.0\"><Fields>"
        "<Field FieldName=\"B\" FieldType=\"Byte\"/><Field FieldName=\"L\" FieldType=\"Boolean\"/>"
        "<Field FieldName=\"C\" FieldType=\"Char\"/><Field FieldName=\"S\" FieldType=\"String\" "
        "Length=\"3\"/>"
        "<Field FieldName=\"W\" FieldType=\"Word\" Length=\"9\"/>"
        "</Fields><Keys><Key KeyName=\"k1\" Length=\"4\"/><Key KeyName=\"k2\" Length=\"2\" "
        "AllowDup=\"False\" Maintained=\"true\"/></Keys>"
        "</XmlHeader><XmlData><Record B=\"300\" L=\"true\" C=\"\" S=\"abcdef\" W=\"-1\"/>"
        "<Record L=\"True\" C=\"xyz\"/></XmlData></XmlDataSet>";
    TXMLDataSet t;
    openOn(t, text);
    EXPECT_EQ(t.CodePageIn(), cp437);
    EXPECT_EQ(t.fieldByName("W").field().size, 2);  // a third attribute of another type is ignored
    ASSERT_EQ(t.Keys().size(), 2u);
    EXPECT_EQ(t.Keys()[0].name, "k1");
    EXPECT_TRUE(t.Keys()[0].allowDup);
    EXPECT_TRUE(t.Keys()[0].maintained);
    EXPECT_FALSE(t.Keys()[1].allowDup);
    EXPECT_FALSE(t.Keys()[1].maintained);  // only "True" is true
    EXPECT_EQ(t.fieldByName("B").asInteger(), 44);
    EXPECT_FALSE(t.fieldByName("L").asBoolean());
    EXPECT_EQ(t.RecordList()[0][2], 0);
    EXPECT_EQ(t.fieldByName("S").asString(), "abc");
    EXPECT_EQ(t.fieldByName("W").asInteger(), 65535);
    t.next();
    EXPECT_TRUE(t.fieldByName("L").asBoolean());
    EXPECT_EQ(t.fieldByName("C").asString(), "x");
    EXPECT_TRUE(t.fieldByName("S").isNull());  // fields without an attribute stay zero
}

TEST_F(XmlFileTest, UnknownRecordAttributesCanBeIgnored) {
    const std::string text = kHead + "   <Record No.=\"1\" Nme=\"x\" Name=\"n\" />\r\n" + kTail;
    TXMLDataSet strict;
    writeFile(path, text);
    strict.SetFileName(path);
    EXPECT_EQ(errorText([&] { strict.open(); }), "Nme: field name error");
    TXMLDataSet lenient;
    lenient.SetIgnoreUnknownFields(true);
    openOn(lenient, text);
    EXPECT_EQ(lenient.fieldByName("Name").asString(), "n");
    // Names are matched exactly.
    TXMLDataSet cased;
    writeFile(path, kHead + "   <Record name=\"x\" />\r\n" + kTail);
    cased.SetFileName(path);
    EXPECT_EQ(errorText([&] { cased.open(); }), "name: field name error");
}

TEST_F(XmlFileTest, MalformedFilesGiveClearErrors) {
    const std::string good = kHead + "   <Record No.=\"7\" Name=\"A\" />\r\n" + kTail;
    const std::string huge(10 * 1024 * 1024, 'x');
    const std::vector<std::string> corpus = {
        good.substr(0, good.size() / 2),  // truncated
        good.substr(0, good.size() - 5),
        "<XmlDataSet Version=\"1.0\"><XmlHeader "
        "Version=\"1.0\"></XmlDataSet></XmlHeader>",      // badly nested
        "<XmlDataSet Version=\"1.0\" Version=\"1.0\"/>",  // duplicate attribute
        "<XmlDataSet Version=1.0/>",
        "<a>&undefined;</a>",
        "   ",
        std::string("\x00\x01\x02\xFF\xFE", 5),
        "<?xml version=\"1.0\" encoding=\"klingon\"?><a/>",
        kHead + "   <Record No.=\"" + huge + "\" />\r\n" + kTail,  // a 10 MB attribute value
        kHead + "   <Record " + huge + "=\"1\" />\r\n" + kTail,    // a 10 MB attribute name
        "<XmlHeader Version=\"1.0\"><Field FieldName=\"" + huge +
            "\" FieldType=\"Nope\"/></XmlHeader>",
        kHead + "   <Record No.=\"99999999999\" />\r\n" + kTail,
        "<!DOCTYPE a [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d "
        "\"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
        "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f "
        "\"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
        "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h "
        "\"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">]>"
        "<XmlDataSet Version=\"1.0\" X=\"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\"/>",  // billion
                                                                               // laughs
    };
    for (std::size_t k = 0; k < corpus.size(); ++k) {
        TXMLDataSet t;
        writeFile(path, corpus[k]);
        t.SetFileName(path);
        const std::string error = errorText([&] { t.open(); });
        EXPECT_NE(error, "no error") << "case " << k;
        EXPECT_LT(error.size(), 400u) << "case " << k;
        EXPECT_FALSE(t.Active());
    }
    TXMLDataSet t;
    writeFile(path, good.substr(0, good.size() - 20));
    t.SetFileName(path);
    EXPECT_EQ(errorText([&] { t.open(); }).rfind("XML error in line 11, column", 0), 0u);
}

TEST_F(XmlFileTest, EmptyAndMissingFiles) {
    TXMLDataSet empty;
    openOn(empty, "");
    EXPECT_EQ(empty.fieldCount(), 0);
    EXPECT_EQ(empty.RecordCount(), 0);
    TXMLDataSet missing;
    missing.SetFileName((dir / "none.xml").string());
    EXPECT_EQ(errorText([&] { missing.open(); }).rfind("Cannot open file \"", 0), 0u);
    // With its own header the table starts empty and creates the file at its first write.
    TXMLDataSet fresh;
    fresh.SetFileName((dir / "new.xml").string());
    openSmall(fresh);
    addRows(fresh, {{1, "x"}});
    fresh.close();
    EXPECT_TRUE(fs::exists(dir / "new.xml"));
    EXPECT_FALSE(fs::exists(dir / "new.~xml"));
}

TEST_F(XmlFileTest, WindowsEncodedFilesAndNationalFieldNames) {
    TXMLDataSet t;
    openOn(t,
           "<?xml version=\"1.0\" encoding=\"windows-1250\"?><XmlDataSet Version=\"1.0\" "
           "CodePage=\"1250\">"
           "<XmlHeader Version=\"1.0\"><Fields><Field FieldName=\"\x8A"
           "tevilo\" FieldType=\"String\" Length=\"9\"/>"
           "</Fields></XmlHeader><XmlData><Record \x8A"
           "tevilo=\"\xE8rka\"/></XmlData></XmlDataSet>");
    EXPECT_EQ(t.fieldByName("\x8Atevilo").asString(), "\xE8rka");
    t.close();
    // Rewritten: names as UTF-8 in Record attributes, references everywhere else; read back equal.
    t.OnGetHeader = [](TxDataSet& d) { d.AddField("\x8Atevilo", xftString, 9); };
    writeFile(path, "");
    t.open();
    addRows(t, {});
    t.append();
    t.fieldByName("\x8Atevilo").setAsString("\xE8rka");
    t.post();
    t.close();
    const std::string text = readFile(path);
    EXPECT_NE(text.find("FieldName=\"&#352;tevilo\""), std::string::npos) << text;
    EXPECT_NE(text.find("<Record \xC5\xA0tevilo=\"&#269;rka\" />"), std::string::npos) << text;
    TXMLDataSet back;
    openOn(back, text);
    EXPECT_EQ(back.fieldByName("\x8Atevilo").asString(), "\xE8rka");
}

TEST_F(XmlFileTest, TheWriterRefusesWhatItsReaderWouldReject) {
    writeFile(path, "");
    const struct {
        std::string name;
        std::string value;
        std::string error;
    } cases[] = {
        {"a b", "x", "Field name 'a b' is not an XML name: write operation failed"},
        {"1st", "x", "Field name '1st' is not an XML name: write operation failed"},
        {"ok", std::string("bell\x07"),
         "Field 'ok' holds a control character: write operation failed"},
    };
    for (const auto& c : cases) {
        TXMLDataSet t;
        t.OnGetHeader = [&](TxDataSet& d) { d.AddField(c.name, xftString, 20); };
        t.SetFileName(path);
        t.open();
        addRows(t, {});
        t.append();
        t.fieldByName(c.name).setAsString(c.value);
        t.post();
        EXPECT_EQ(errorText([&] { t.SaveToXml(); }), c.error);
        EXPECT_EQ(readFile(path), "");
        EXPECT_FALSE(fs::exists(dir / "data.~xml"));
        EXPECT_EQ(errorText([&] { t.close(); }), c.error);  // a failed write keeps the table open
        EXPECT_TRUE(t.Active());
        t.deleteRecord();
    }
}

TEST_F(XmlFileTest, LazyWritingCountsChanges) {
    TXMLDataSet t;
    t.SetFileName(path);
    openSmall(t);
    for (int k = 1; k <= 10; ++k)
        addRows(t, {{k, "r"}});
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(t.WriteCount(), 10);
    addRows(t, {{11, "r"}});  // the eleventh change writes
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(t.WriteCount(), 1);
    for (int k = 12; k <= 20; ++k)
        addRows(t, {{k, "r"}});
    EXPECT_EQ(t.WriteCount(), 10);
    t.first();
    t.deleteRecord();  // then every tenth
    EXPECT_EQ(t.WriteCount(), 1);
    EXPECT_TRUE(fs::exists(dir / "data.~xml"));
    TXMLDataSet reader;
    reader.SetFileName(path);
    reader.open();
    EXPECT_EQ(reader.RecordCount(), 19);
    t.SetLazyWrite(-1);
    for (int k = 0; k < 30; ++k)
        addRows(t, {{k, "r"}});
    EXPECT_EQ(t.WriteCount(), 31);
    t.close();  // written at close when changes were counted
    TXMLDataSet after;
    after.SetFileName(path);
    after.open();
    EXPECT_EQ(after.RecordCount(), 49);
}

TEST_F(XmlFileTest, CloseInEditStateStoresTheEditAndWrites) {
    writeFile(path, kHead + "   <Record No.=\"1\" Name=\"a\" />\r\n" + kTail);
    TXMLDataSet t;
    t.SetFileName(path);
    t.open();
    t.edit();
    t.fieldByName("Name").setAsString("edited");
    t.close();
    EXPECT_EQ(readFile(path), kHead + "   <Record No.=\"1\" Name=\"edited\" />\r\n" + kTail);
    EXPECT_EQ(readFile((dir / "data.~xml").string()),
              kHead + "   <Record No.=\"1\" Name=\"a\" />\r\n" + kTail);
}

TEST_F(XmlFileTest, AChangedFileIsNotOverwritten) {
    writeFile(path, kHead + kTail);
    TXMLDataSet t;
    t.SetFileName(path);
    t.SetLazyWrite(0);
    t.SetLazyRead(-1);
    t.open();
    touchFile();
    const std::string changed = readFile(path);
    EXPECT_EQ(errorText([&] { addRows(t, {{1, "x"}}); }), "File changed: write operation failed");
    EXPECT_EQ(t.RecordCount(), 1);  // the record is posted; only the write failed
    EXPECT_EQ(readFile(path), changed);
    EXPECT_FALSE(fs::exists(dir / "data.~xml"));
    EXPECT_EQ(errorText([&] { t.close(); }), "File changed: write operation failed");
    EXPECT_TRUE(t.Active());
}

TEST_F(XmlFileTest, LazyReReadTakesAnotherWritersChanges) {
    writeFile(path,
              kHead +
                  "   <Record No.=\"1\" Name=\"a\" />\r\n   <Record No.=\"2\" Name=\"b\" />\r\n" +
                  kTail);
    TXMLDataSet t;
    t.SetFileName(path);
    t.SetLazyRead(2);
    t.open();  // fetch 1
    RecordingView view;
    t.attachView(&view);
    t.next();  // fetch 2
    EXPECT_EQ(t.ReadCount(), 2);
    writeFile(path, kHead + "   <Record No.=\"5\" Name=\"x\" />\r\n" + kTail);
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(2));
    t.prior();  // the third fetch checks the stamp and re-reads
    EXPECT_EQ(t.RecordCount(), 1);
    EXPECT_EQ(t.fieldByName("No.").asInteger(), 5);
    EXPECT_GE(view.count(TxDataEvent::DataSetChange), 1);
    // The re-read took the new stamp: a write now succeeds.
    t.edit();
    t.fieldByName("Name").setAsString("y");
    t.post();
    t.SaveToXml();
    EXPECT_EQ(readFile(path), kHead + "   <Record No.=\"5\" Name=\"y\" />\r\n" + kTail);
    // No re-read while editing.
    t.edit();
    touchFile();
    t.fieldByName("Name").setAsString("z");
    EXPECT_EQ(t.state(), TxDataSetState::Edit);
    t.cancel();
    t.detachView(&view);
}

TEST_F(XmlFileTest, AFailedWriteRestoresTheBackupAndReportsIt) {
    const std::string original = kHead + "   <Record No.=\"1\" Name=\"a\" />\r\n" + kTail;
    writeFile(path, original);
    TXMLDataSet t;
    t.SetFileName(path);
    t.SetLazyWrite(1);
    t.open();
    addRows(t, {{2, "b"}});  // WriteCount 0 -> 1, no write yet
    {
        FileSizeLimit limit(original.size() + 10);
        const std::string error = errorText([&] { addRows(t, {{3, "c"}}); });
        EXPECT_EQ(error, "Cannot write file \"" + path + "\". " + kTooLarge);
    }
    EXPECT_EQ(readFile(path), original);
    EXPECT_FALSE(fs::exists(dir / "data.~xml"));
    EXPECT_EQ(t.LazyRead(), 1000);  // restored
    EXPECT_EQ(t.WriteCount(), 2);   // still due: the next change tries again
    addRows(t, {{4, "d"}});
    EXPECT_EQ(t.WriteCount(), 1);
    EXPECT_EQ(readFile((dir / "data.~xml").string()), original);
    TXMLDataSet reader;
    reader.SetFileName(path);
    reader.open();
    EXPECT_EQ(numbers(reader), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(XmlFileTest, TheDestructorReportsAFailedWriteThroughItsHook) {
    const std::string original = kHead + kTail;
    writeFile(path, original);
    std::string reported;
    {
        FileSizeLimit limit(original.size());
        TXMLDataSet t;
        t.SetFileName(path);
        t.OnWriteError = [&](TxDataSet&, const ExDataSetError& e) { reported = e.what(); };
        t.open();
        addRows(t, {{1, "x"}});
    }
    EXPECT_EQ(reported, "Cannot write file \"" + path + "\". " + kTooLarge);
    EXPECT_EQ(readFile(path), original);
}

TEST_F(XmlFileTest, BackupOfNamesWithoutExtensionStaysBesideTheFile) {
    fs::create_directories(dir / "dir.d");
    const std::string plain = (dir / "dir.d" / "data").string();
    writeFile(plain, kHead + kTail);
    writeFile((dir / "dir.d" / "data.~").string(), "old backup");
    writeFile((dir / "dir.~d").string(), "not ours");
    TXMLDataSet t;
    t.SetFileName(plain);
    t.open();
    addRows(t, {{1, "x"}});
    t.close();
    EXPECT_EQ(readFile((dir / "dir.d" / "data.~").string()), kHead + kTail);
    EXPECT_EQ(readFile((dir / "dir.~d").string()), "not ours");
    EXPECT_NE(readFile(plain).find("<Record No.=\"1\""), std::string::npos);
}

TEST_F(XmlFileTest, OddFilesGiveAnErrorOrReadBackWhatTheyHold) {
    const struct {
        std::string text;
        std::string error;
        int records;
    } cases[] = {
        // Records of a table without fields: empty records, nothing copied from them.
        {"<Record/>", "no error", 1},
        {"<et><Record/><Record/></et>", "no error", 2},
        {"<Record \xC5\xA0tevilo=\"&#269;rka\" />", "\x8Atevilo: field name error", 0},
        {"<Record a=\"1\" a=\"2\"/>", "XML error in line 1, column 15: duplicate attribute", 0},
    };
    for (const auto& c : cases) {
        TXMLDataSet t;
        const std::string error = errorText([&] { openOn(t, c.text); });
        EXPECT_EQ(error, c.error) << c.text;
        if (error != "no error") continue;
        EXPECT_EQ(t.RecordCount(), c.records);
        t.first();
        while (!t.eof())
            t.next();
    }
}

TEST_F(XmlFileTest, FieldNamesThatWouldReadBackAsOtherNamesAreRefused) {
    for (const std::string name : {" T", "T ", "a=\"\" b"}) {
        writeFile(path, "");
        TXMLDataSet t;
        t.OnGetHeader = [&](TxDataSet& d) { d.AddField(name, xftTime, 0); };
        t.SetFileName(path);
        t.open();
        t.append();
        t.post();
        EXPECT_EQ(errorText([&] { t.SaveToXml(); }),
                  "Field name '" + name + "' is not an XML name: write operation failed");
        EXPECT_EQ(readFile(path), "");
    }
}

TEST_F(XmlFileTest, InjectedWriteFaultsKeepTheFileAsItWas) {
    const std::string original = kHead + "   <Record No.=\"1\" Name=\"a\" />\r\n" + kTail;
    const struct {
        TWriteStep step;
        int fault;
        std::string error;
    } cases[] = {
        {TWriteStep::Create, EACCES, "Cannot create file \"" + path + "\". Permission denied"},
        {TWriteStep::Write, ENOSPC, "Cannot write file \"" + path + "\". No space left on device"},
    };
    for (const auto& c : cases) {
        writeFile(path, original);
        TXMLDataSet t;
        t.SetFileName(path);
        t.SetLazyWrite(-1);
        t.open();
        addRows(t, {{2, "b"}});
        {
            const InjectedFault fault(c.step, c.fault);
            EXPECT_EQ(errorText([&] { t.SaveToXml(); }), c.error);
        }
        EXPECT_EQ(readFile(path), original);
        EXPECT_FALSE(fs::exists(dir / "data.~xml"));
        t.SaveToXml();  // the table stays open and usable: the next write goes through
        TXMLDataSet reader;
        reader.SetFileName(path);
        reader.open();
        EXPECT_EQ(numbers(reader), (std::vector<int>{1, 2}));
    }
}
