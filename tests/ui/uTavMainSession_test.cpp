// The window's session files and report: save, open, the question about a changed data file,
// recent files, and the report as HTML and PDF.

#include <QAction>

#include "session/uTavSession.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

// Every cell of a grid as the window shows it.
std::vector<QString> gridTexts(TTavGrid* grid) {
    std::vector<QString> texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row) {
        for (int column = 0; column < grid->model()->columnCount(); ++column)
            texts.push_back(grid->model()->index(row, column).data().toString());
    }
    return texts;
}

}  // namespace

TEST_F(MainWindowTest, SavedSessionOpensToTheSameGrids) {
    load(sample);
    makeClass(3);
    window->session().updateContext("AGE > 1");
    ASSERT_TRUE(window->session().moveToRule(5));
    const std::string sessionPath = dir.file("work.tavs");
    ui.saves.push_back(dir.file("work"));  // the extension is added
    trigger("SaveSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const auto fields = gridTexts(window->DBgrdFields);
    const auto rules = gridTexts(window->DBgrdSimpleRules);
    const auto frequency = gridTexts(window->DBgrdFrequency);

    // Another table in between: its class is its own.
    load(copySample("other.CSV"));
    EXPECT_EQ(window->session().classField(), 0);
    resetStatSettings();

    ui.files.push_back(sessionPath);
    trigger("OpenSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(gridTexts(window->DBgrdFields), fields);
    EXPECT_EQ(gridTexts(window->DBgrdSimpleRules), rules);
    EXPECT_EQ(gridTexts(window->DBgrdFrequency), frequency);
    EXPECT_EQ(window->session().classField(), 3);
    // The recent files list the session first.
    QAction* first = action("RecentFile1");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->text().endsWith(QStringLiteral("work.tavs")));
}

TEST_F(MainWindowTest, SessionFileNamedAtStartOrDroppedOpensAsASession) {
    load(sample);
    makeClass(3);
    const std::string sessionPath = dir.file("start.tavs");
    ui.saves.push_back(sessionPath);
    trigger("SaveSession1");
    load(copySample("other.CSV"));
    ASSERT_EQ(window->session().classField(), 0);

    window->loadFile(sessionPath);
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(window->session().DataFileName(), sample);
    EXPECT_EQ(window->session().classField(), 3);
}

TEST_F(MainWindowTest, ChangedDataFileIsAskedAboutAndAForeignFileRefused) {
    load(sample);
    makeClass(3);
    ui.saves.push_back(dir.file("work.tavs"));
    trigger("SaveSession1");
    std::ofstream(sample, std::ios::app) << "\n";  // another SHA-256, the same records

    // No: another data file is picked, here none, and nothing changes.
    makeClass(1);
    trigger("OpenSession1");  // no file scripted: cancelled
    ui.files.push_back(dir.file("work.tavs"));
    ui.files.push_back(std::nullopt);
    ui.confirmations.push_back(false);
    trigger("OpenSession1");
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("SHA-256"), std::string::npos);
    EXPECT_EQ(window->session().classField(), 1);
    // Yes: the file as it is.
    ui.files.push_back(dir.file("work.tavs"));
    ui.confirmations.push_back(true);
    trigger("OpenSession1");
    EXPECT_EQ(window->session().classField(), 3);

    dir.write("foreign.tavs", "{\"format\": \"another\", \"version\": 1}");
    makeClass(1);
    ui.files.push_back(dir.file("foreign.tavs"));
    trigger("OpenSession1");
    ASSERT_FALSE(ui.errors.empty());
    EXPECT_NE(ui.errors.back().find("not a session file"), std::string::npos);
    EXPECT_EQ(window->session().classField(), 1);
}

TEST_F(MainWindowTest, ReportIsExportedAsHtmlAndPdf) {
    load(sample);
    makeClass(0);
    ui.saves.push_back(dir.file("report.html"));
    trigger("ExportReport1");
    ui.saves.push_back(dir.file("report.pdf"));
    trigger("ExportReport1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(readFile(dir.file("report.html")).rfind("<?xml", 0), 0u);
    const std::string pdf = readFile(dir.file("report.pdf"));
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_GT(pdf.size(), 2000u);
}

TEST_F(MainWindowTest, FieldsAndRulesGridsExportAsCsvAndTsv) {
    load(sample);
    makeClass(0);
    ui.saves.push_back(dir.file("fields.csv"));
    trigger("ExportFieldsCsv1");
    ui.saves.push_back(dir.file("rules.tsv"));
    trigger("ExportRulesTsv1");
    trigger("ExportRulesCsv1");  // cancelled: nothing written
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    const std::string fields = readFile(dir.file("fields.csv"));
    EXPECT_EQ(fields.substr(0, fields.find('\n')), "No.,Sel,Name,Type,Count");
    EXPECT_NE(fields.find("\n3,0,AGE,INT:1..5:UNK=0,3865\n"), std::string::npos) << fields;
    const std::string rules = readFile(dir.file("rules.tsv"));
    EXPECT_EQ(std::count(rules.begin(), rules.end(), '\n'),
              window->DBgrdSimpleRules->model()->rowCount() + 1);
    EXPECT_NE(rules.find("\tComplete set\t"), std::string::npos) << rules.substr(0, 300);
    EXPECT_EQ(ui.saveCalls.back().second, dir.file("rules.csv"));
}
