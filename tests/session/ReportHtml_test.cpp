#include "session/ReportHtml.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <set>

#include "core/Errors.h"
#include "session/ReportSvg.h"
#include "session/uTavSession.h"
#include "tests/support/TempDir.h"

namespace {

// 80 records: class C (SET:1..2), X (INT:1..4) that shifts C, S a SET field whose names need
// escaping.
std::string eightyRecords() {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;X;S\nSET:1..2;INT:1..4;SET:1..2\nyes;;a&b\nno;;<c>\n";
    for (int r = 0; r < 80; ++r) {
        text += std::string(r < 30 ? "1;" : "2;") + std::to_string(r % 2 + (r < 30 ? 1 : 3)) + ";" +
                std::to_string(r % 3 == 0 ? 1 : 2) + "\n";
    }
    return text;
}

// What an XML parse of a page found: whether it is well-formed and the ids of its sections.
struct TParsed {
    bool wellFormed = false;
    std::string error;
    std::set<std::string> sections;
    int svgPictures = 0;
};

TParsed parseXml(const std::string& text) {
    TParsed parsed;
    XML_Parser parser = XML_ParserCreateNS(nullptr, ' ');
    XML_SetUserData(parser, &parsed);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char** atts) {
        auto& found = *static_cast<TParsed*>(data);
        const std::string element = name;
        if (element == "http://www.w3.org/2000/svg svg") ++found.svgPictures;
        if (element != "http://www.w3.org/1999/xhtml section") return;
        for (int k = 0; atts[k] != nullptr; k += 2) {
            if (std::string(atts[k]) == "id") found.sections.insert(atts[k + 1]);
        }
    });
    parsed.wellFormed =
        XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_OK;
    if (!parsed.wellFormed) parsed.error = XML_ErrorString(XML_GetErrorCode(parser));
    XML_ParserFree(parser);
    return parsed;
}

class ReportHtmlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        session.setWritesSummaryReport(false);
        path = dir.write("data.csv", eightyRecords());
        session.loadDataFile(path);
        session.setClassFieldDeselected(0);
        session.selectFields({1, 2});
    }
    void TearDown() override { resetStatSettings(); }

    TempDir dir;
    TTavSession session;
    std::string path;
};

}  // namespace

TEST_F(ReportHtmlTest, PageIsWellFormedAndHoldsEverySection) {
    session.updateContext("S = 'a&b' or X > 1");
    session.updateCompare("X < 10", "");
    ASSERT_TRUE(session.moveToRule(3));
    const std::optional<std::string> active = session.wholeRuleName(3);
    const std::string html = sessionReportHtml(session, {1, 5});
    const TParsed parsed = parseXml(html);
    ASSERT_TRUE(parsed.wellFormed) << parsed.error << "\n" << html;
    for (const char* id : kReportSections)
        EXPECT_TRUE(parsed.sections.count(id)) << id;
    // The interval plot and the sweep of the REAL field of the top finding.
    EXPECT_EQ(parsed.svgPictures, 2);
    EXPECT_NE(html.find("SHA-256: "), std::string::npos);
    EXPECT_NE(html.find("a&amp;b"), std::string::npos);
    EXPECT_NE(html.find("Compare 1: X &lt; 10"), std::string::npos);
    EXPECT_NE(html.find("Frequency table of rule 3"), std::string::npos);
    EXPECT_NE(html.find("tav-batch findings"), std::string::npos);
    // The report ranks the rules and comes back to the active one.
    EXPECT_FALSE(session.scoresComputedUnder().empty());
    EXPECT_EQ(session.wholeRuleName(session.activeRuleNumber()), active);
}

TEST_F(ReportHtmlTest, WrittenWholeAndRefusedWithoutATable) {
    const std::string out = dir.file("report.html");
    writeSessionReport(session, out);
    EXPECT_TRUE(parseXml(readFile(out)).wellFormed);
    TTavSession empty;
    EXPECT_THROW(sessionReportHtml(empty), ETavError);
}

TEST(ReportSvg, TextIsEscapedAndControlCharactersDropped) {
    EXPECT_EQ(xmlText("a<b & \"c\" 'd'\x01\x9a"), "a&lt;b &amp; &quot;c&quot; &#39;d&#39;\xc5\xa1");
}
