#include <gtest/gtest.h>

#include "core/CodePage.h"
#include "core/Errors.h"
#include "core/uTavObj.h"
#include "tests/support/TempDir.h"

namespace {

// Loads `bytes` as a data file with kind and code page from the header; collects the messages.
struct Loaded {
    TBaza data;
    std::vector<std::string> messages;
    std::vector<double> progress;

    explicit Loaded(const std::string& bytes) {
        TLoadHooks hooks;
        hooks.showMessage = [this](const std::string& m) { messages.push_back(m); };
        hooks.progress = [this](double f) { progress.push_back(f); };
        data.loadDataBytes(bytes, "test.csv", dfkFromHeader, cpUnknown, hooks);
    }
};

}  // namespace

TEST(DataFileReader, ReadsTheWorkedExample) {
    Loaded file(
        "TAV DATA:3/TXT/1250\r\nSEX;AGE;INCOME\r\nSET:1..2:UNK=0;INT:1..3:UNK=0;REAL:::2\r\n"
        "male;young;1000\r\nfemale;middle;2000\r\n;old;\r\n1;2;1500,50\r\n");
    const TBaza& d = file.data;
    EXPECT_TRUE(file.messages.empty());
    ASSERT_EQ(d.FieldCount(), 3);
    ASSERT_EQ(d.RecordCount(), 1);
    EXPECT_EQ(d.valueName(0, 1), "male");
    EXPECT_EQ(d.valueName(0, 2), "female");
    EXPECT_EQ(d.valueName(0, 3), "");
    EXPECT_EQ(d.valueName(1, 1), "young");
    EXPECT_EQ(d.valueName(1, 3), "old");
    EXPECT_EQ(d.fieldBoundary(2, 1), 1000);
    EXPECT_EQ(d.fieldBoundary(2, 2), 2000);
    EXPECT_EQ(d.valueName(2, 0), " <= 1000");
    EXPECT_EQ(d.valueName(2, 1), " 1000 - 2000");
    EXPECT_EQ(d.valueName(2, 2), " > 2000");
    EXPECT_EQ(d.fieldValueCode(0, 0), 1);
    EXPECT_EQ(d.fieldValueCode(0, 1), 2);
    EXPECT_EQ(d.fieldValueCode(0, 2), 1);
    EXPECT_EQ(d.recordText(0), "1,2,\"1500,50\"");
}

TEST(DataFileReader, HeaderWithoutLabelCountHasNoLabelLines) {
    for (const char* header :
         {"TAV DATA/TXT/1250", "TAV DATA:/TXT/1250", "TAV DATAxyz:0/txt/1250/more"}) {
        Loaded file(std::string(header) + "\nA\nSET:1..2\n1\n2\n");
        EXPECT_EQ(file.data.RecordCount(), 2) << header;
        EXPECT_EQ(file.data.fieldValueCode(0, 0), 1) << header;
    }
}

TEST(DataFileReader, CommaTextFileIn852) {
    Loaded file(
        "TAV DATA:2/QTX/852\r\nNAME, \"CITY\"\r\nSTRING,SET:1..2\r\nx,one\r\ny,\"two \x9F\"\r\n"
        "\"a b\",2\r\n\x9F"
        "a, 1\r\n");
    const TBaza& d = file.data;
    ASSERT_EQ(d.FieldCount(), 2);
    EXPECT_EQ(d.fieldName(1), "CITY");
    EXPECT_EQ(d.valueName(1, 2), "two \xE8");
    ASSERT_EQ(d.RecordCount(), 2);
    EXPECT_EQ(d.fieldValueAsString(0, 0), "A B");
    EXPECT_EQ(d.fieldValueAsString(1, 0),
              "\xC8"
              "A");
    EXPECT_EQ(d.fieldValueCode(1, 1), 1);
}

TEST(DataFileReader, FixedWidthFileSplitsTheHeaderAtSemicolons) {
    Loaded file("TAV DATA:0/FLT/1250\nID:3;NAME:10\nINT:0..99;STRING\n001John Smith extra\n02\n");
    const TBaza& d = file.data;
    ASSERT_EQ(d.FieldCount(), 2);
    ASSERT_EQ(d.RecordCount(), 2);
    EXPECT_EQ(d.fieldValueAsString(0, 1), "JOHN SMITH");
    EXPECT_EQ(d.fieldValueCode(0, 0), 1);
    EXPECT_EQ(d.fieldValueAsString(1, 0), "02");
    EXPECT_EQ(d.fieldValueAsString(1, 1), "");  // the line ends before the field
    EXPECT_EQ(d.fieldNames()[1], "NAME:10");
}

TEST(DataFileReader, CodePage437AndLatin2AreConverted) {
    Loaded dos("TAV DATA:0/TXT/437\nA\nSTRING\n~{`\n");
    EXPECT_EQ(dos.data.fieldValueAsString(0, 0), "\xC8\x8A\x8E");
    Loaded latin("TAV DATA:0/TXT/lat2\nA\nSTRING\n\xB9\n");
    EXPECT_EQ(latin.data.fieldValueAsString(0, 0), "\x8A");
    Loaded unknown("TAV DATA:0/TXT/xyz\nA\nSTRING\n~\n");
    EXPECT_EQ(unknown.data.fieldValueAsString(0, 0), "~");
}

TEST(DataFileReader, LineEndsAndTheEndOfFileByte) {
    Loaded mixed("TAV DATA:0/TXT/1250\r\nA\nSTRING\r1\r\n2\n3");
    EXPECT_EQ(mixed.data.RecordCount(), 3);
    Loaded trailing("TAV DATA:0/TXT/1250\nA;B\nSTRING;STRING\n1;2\n\n");
    ASSERT_EQ(trailing.data.RecordCount(), 2);  // the empty last line is a record
    EXPECT_EQ(trailing.data.recordText(1), "\"\"");
    Loaded eof("TAV DATA:0/TXT/1250\nA\nSTRING\n1\n2\x1A\n3\n4\n");
    EXPECT_EQ(eof.data.RecordCount(), 2);
}

TEST(DataFileReader, OnlyAHeaderGivesFieldsAndNoRecords) {
    Loaded file("TAV DATA:0/TXT/1250\nA;B\nSET:1..2;REAL:::1\n");
    EXPECT_EQ(file.data.FieldCount(), 2);
    EXPECT_EQ(file.data.RecordCount(), 0);
}

TEST(DataFileReader, MissingMagicUsesTheDefaults) {
    Loaded file("A;B\nSET:1..5;STRING\nl1\nl2\nl3\nl4\nl5\n3;x\n");
    ASSERT_EQ(file.messages.size(), 1u);
    EXPECT_EQ(file.messages[0], "The data file might not be in the right format.");
    ASSERT_EQ(file.data.FieldCount(), 2);
    EXPECT_EQ(file.data.valueName(0, 5), "l5");
    ASSERT_EQ(file.data.RecordCount(), 1);
    EXPECT_EQ(file.data.fieldValueCode(0, 0), 3);
}

TEST(DataFileReader, BoundariesWithoutLabelLinesStayZero) {
    Loaded file("TAV DATA:2/TXT/1250\nX\nREAL:::3\n1\n2\n1.5\n");
    const TBaza& d = file.data;
    EXPECT_EQ(d.fieldBoundary(0, 1), 1);
    EXPECT_EQ(d.fieldBoundary(0, 2), 2);
    EXPECT_EQ(d.fieldBoundary(0, 3), 0);
    EXPECT_EQ(d.valueName(0, 0), " <= 1");
    EXPECT_EQ(d.valueName(0, 1), " 1 - 2");
    EXPECT_EQ(d.valueName(0, 2), "");
    EXPECT_EQ(d.valueName(0, 3), "");
    EXPECT_EQ(d.fieldValueCode(0, 0), 1);
}

TEST(DataFileReader, LabelEntriesPastCode127AreIgnored) {
    std::string text = "TAV DATA:130/TXT/1250\nWIDE;NARROW\nINT:0..127;SET:120..122\n";
    for (int j = 1; j <= 130; ++j)
        text += "w" + std::to_string(j) + ";n" + std::to_string(j) + "\n";
    text += "127;121\n";
    Loaded file(text);
    EXPECT_EQ(file.data.valueName(0, 127), "w128");
    EXPECT_EQ(file.data.valueName(1, 120), "n1");
    EXPECT_EQ(file.data.valueName(1, 127), "n8");
    EXPECT_EQ(file.data.RecordCount(), 1);
}

TEST(DataFileReader, ProgressEvery256RecordsThenZero) {
    std::string text = "TAV DATA:0/TXT/1250\nA\nSET:1..2\n";
    for (int r = 0; r < 300; ++r)
        text += "1\n";
    Loaded file(text);
    ASSERT_EQ(file.progress.size(), 3u);
    EXPECT_EQ(file.progress[0], 0.0);
    EXPECT_DOUBLE_EQ(file.progress[1], 256 * 0.5 / 303);
    EXPECT_EQ(file.progress[2], 0.0);
}

TEST(DataFileReader, CallsTheSetBuilderAtTheEnd) {
    int records = -1;
    TLoadHooks hooks;
    hooks.buildSets = [&](TBaza& data, const ProgressHook&) { records = data.RecordCount(); };
    TBaza data;
    data.loadDataBytes("TAV DATA:0/TXT/1250\nA\nSTRING\nx\ny\n", "t", dfkFromHeader, cpUnknown,
                       hooks);
    EXPECT_EQ(records, 2);
}

TEST(DataFileReader, UnsupportedKindsLoadNoFieldsAndSaySo) {
    for (const char* kind : {"ASP", "XML", "ODS", ""}) {
        Loaded file(std::string("TAV DATA:0/") + kind + "/1250\nA;B\nSTRING;STRING\nx;y\n");
        EXPECT_EQ(file.data.FieldCount(), 0) << kind;
        ASSERT_EQ(file.messages.size(), 1u) << kind;
        if (*kind) {
            EXPECT_NE(file.messages[0].find(kind), std::string::npos) << file.messages[0];
        }
    }
}

TEST(DataFileReader, GivenKindOverridesTheHeader) {
    TBaza data;
    data.loadDataBytes("TAV DATA:0/QTX/852\nA;B\nSTRING;STRING\n\x9F;y\n", "t", dfkTxt, cp1250);
    EXPECT_EQ(data.FieldCount(), 2);
    EXPECT_EQ(data.fieldValueAsString(0, 0), "\x8F");  // upper case of the unconverted byte
}

TEST(DataFileReader, MissingFileSetsTheErrorText) {
    TempDir dir;
    TBaza data;
    std::vector<double> progress;
    TLoadHooks hooks;
    hooks.progress = [&](double f) { progress.push_back(f); };
    const std::string name = dir.file("none.csv");
    data.loadDataFile(name, dfkFromHeader, cpUnknown, hooks);
    EXPECT_TRUE(data.errorFlag());
    EXPECT_EQ(data.errorText(), "File " + name + " does not exist. ");
    EXPECT_EQ(data.FieldCount(), 0);
    EXPECT_EQ(progress, std::vector<double>{0.0});
}

TEST(DataFileReader, ReadsAFileFromDisk) {
    TempDir dir;
    const std::string name = dir.write("d.csv", "TAV DATA:0/TXT/1250\nA\nINT:0..9\n4\n");
    TBaza data;
    data.loadDataFile(name, dfkFromHeader, cpUnknown);
    EXPECT_FALSE(data.errorFlag());
    EXPECT_EQ(data.fieldValueCode(0, 0), 4);
}

// Records are split while they are read, without splitLine; both must give the same texts.
TEST(DataFileReader, RecordsHoldWhatSplitLineGives) {
    struct Case {
        const char* header;
        TDataFileKind kind;
        CodePageId page;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"TAV DATA:0/TXT/1250\nA;B;C\nSTRING;INT:0..9;REAL:::0\n",
         dfkTxt,
         cp1250,
         {"", ";", "  a b  ; 3 ;", ";;;;", "x;\t1;2,5", " ;  ; ", "a;b;c;d;e"}},
        {"TAV DATA:0/TXT/852\nA;B\nSTRING;SET:0..9\n",
         dfkTxt,
         cp852,
         {"\x9F ;  \x9F", " 2 ; 1", ";"}},
        {"TAV DATA:0/QTX/1250\nA,B\nSTRING,INT:0..9\n",
         dfkQtx,
         cp1250,
         {"\"a \"\"q\"\"\", 4", "x,", "  ", ",,"}},
        {"TAV DATA:0/FLT/1250\nA:2;B:3\nSTRING;INT:0..99\n",
         dfkFlt,
         cp1250,
         {"ab123", " a 12 ", "x", "", "abcdefgh"}},
    };
    for (const Case& c : cases) {
        std::string bytes = c.header;
        for (const std::string& line : c.lines)
            bytes += line + "\n";
        Loaded file(bytes);
        const TBaza& d = file.data;
        ASSERT_EQ(d.RecordCount(), static_cast<int>(c.lines.size())) << c.header;
        for (int r = 0; r < d.RecordCount(); ++r) {
            std::vector<std::string> expected;
            d.splitLine(c.lines[r], c.kind, c.page, expected);
            TBaza joined;
            joined.setFields(d.fieldNames(), d.fieldTypes());
            joined.appendRecord(expected);
            EXPECT_EQ(d.recordText(r), joined.recordText(0)) << c.header << " line " << r;
            for (int i = 0; i < d.FieldCount(); ++i)
                EXPECT_EQ(d.fieldValueCode(r, i), joined.fieldValueCode(0, i)) << c.lines[r];
        }
    }
}
