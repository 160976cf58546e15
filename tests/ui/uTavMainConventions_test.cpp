// The main window's desktop conventions: keys and their menus, copying rows, the find bar, the
// class in view, the folders the file dialogs open in, the import's other name, confirmations in
// the status line, twin names in the recent files and the title of message boxes.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "stats/uTavResultTables.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/dialogs/TavQtUiOps.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/uTavFindingsTab.h"
#include "ui/grids/GridFindBar.h"

namespace {

class ConventionsTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        // A modifier whose release went to a window that a key had closed stays down for the
        // application, and would turn clicks into Ctrl-clicks.
        QTest::keyRelease(window.get(), Qt::Key_Control);
    }
    // A key pressed with the focus on `widget` (the window when none).
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
               QWidget* widget = nullptr) {
        QTest::keyClick(widget != nullptr                  ? widget
                        : window->focusWidget() != nullptr ? window->focusWidget()
                                                           : window.get(),
                        static_cast<Qt::Key>(key), modifiers);
    }
    QString statusMessage() { return window->statusBar()->currentMessage(); }
    QStringList lines(const std::string& text) {
        return QString::fromStdString(text).split('\n', Qt::SkipEmptyParts);
    }
};

TEST_F(ConventionsTest, TheMenusShowTheKeysThatRunTheirCommands) {
    EXPECT_EQ(action("Loaddatabase1")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(action("Importdatafile1")->shortcut(), QKeySequence("Ctrl+I"));
    EXPECT_EQ(action("ExitItem")->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(action("CopyRows1")->shortcut(), QKeySequence("Ctrl+C"));
    EXPECT_EQ(action("Find1")->shortcut(), QKeySequence("Ctrl+F"));
    EXPECT_EQ(action("ReadingTheResults1")->shortcut(), QKeySequence("F1"));
    EXPECT_TRUE(action("ComputeEntropyGains1")->text().endsWith("\tF5"));

    // Ctrl+O opens the load dialog; Ctrl+I the import dialog (both cancelled here).
    press(Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(ui.openCalls.size(), 1u);
    press(Qt::Key_I, Qt::ControlModifier);
    ASSERT_EQ(ui.openCalls.size(), 2u);
    EXPECT_NE(ui.openCalls[1].first.find("*.arff"), std::string::npos);

    // F5 ranks the rules, or computes the findings when their tab is in view.
    load(sample);
    trigger("selectAll1");
    press(Qt::Key_F5);
    EXPECT_NE(raw(window->DBgrdSimpleRules, 0, RuleColumns::kScore).toDouble(), 0);
    auto* tab = window->findChild<TTavFindingsTab*>();
    window->PageControl2->setCurrentWidget(tab);
    press(Qt::Key_F5);
    EXPECT_FALSE(tab->findings().ranked.empty());

    // Ctrl+Q ends the program.
    bool ended = false;
    QObject::connect(window.get(), &TfrmTavMain::terminateRequested, [&] { ended = true; });
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, CtrlCCopiesTheSelectedRowsWithTheirHeadingInTheOrderShown) {
    load(sample);
    TTavGrid* fields = window->DBgrdFields;
    fields->setFocus();
    // Sorted by name, then the first three rows shown selected as a user's shift-click does.
    fields->sortByColumn(FieldsColumns::kName, Qt::AscendingOrder);
    moveGrid(fields, 0);
    fields->selectionModel()->select(
        QItemSelection(fields->model()->index(0, 0), fields->model()->index(2, 0)),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    press(Qt::Key_C, Qt::ControlModifier, fields);
    const QStringList copied = lines(ui.clipboard);
    ASSERT_EQ(copied.size(), 4) << ui.clipboard;
    EXPECT_EQ(copied[0], "No.\tSel\tName\tType\tCount");
    for (int r = 0; r < 3; ++r)
        EXPECT_EQ(copied[r + 1].split('\t')[FieldsColumns::kName],
                  cell(fields, r, FieldsColumns::kName));
    EXPECT_EQ(copied[1].split('\t')[FieldsColumns::kName], "AGE");
    EXPECT_EQ(statusMessage(), "Copied 3 rows.");

    // A rule's name that its table holds cut is copied whole.
    window->PageControl1->setCurrentIndex(1);
    window->DBgrdSimpleRules->setFocus();
    window->DBgrdSimpleRules->selectionModel()->setCurrentIndex(
        window->DBgrdSimpleRules->model()->index(4, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    trigger("CopyRows1");
    ASSERT_EQ(lines(ui.clipboard).size(), 2);
    EXPECT_EQ(lines(ui.clipboard)[1].split('\t')[RuleColumns::kName],
              QString::fromStdString(*window->session().wholeRuleName(4)));
    EXPECT_EQ(statusMessage(), "Copied 1 row.");

    // In a filter box Ctrl+C copies its text as any edit box does.
    const std::string before = ui.clipboard;
    window->cmbBxContextFilter->setFocus();
    press(Qt::Key_C, Qt::ControlModifier, window->cmbBxContextFilter->lineEdit());
    EXPECT_EQ(ui.clipboard, before);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, TheFindBarGoesToNamesThatHoldTheTextAndSaysWhenNoneDoes) {
    load(sample);
    TTavGrid* rules = window->DBgrdSimpleRules;
    window->PageControl1->setCurrentIndex(1);
    rules->setFocus();
    press(Qt::Key_F, Qt::ControlModifier, rules);
    TGridFindBar* bar = window->pnlFind;
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->grid(), rules);
    EXPECT_TRUE(bar->lblFindIn->text().contains("Simple rules"));
    QTest::keyClicks(bar->edtFind, "region");
    const int first = rules->currentIndex().row();
    EXPECT_TRUE(cell(rules, first, RuleColumns::kName).contains("REGION", Qt::CaseInsensitive));
    // The row found is the active rule, as a click on it would make it.
    EXPECT_EQ(window->session().activeRuleNumber(), raw(rules, first, RuleColumns::kNo).toInt());

    // Enter goes on to the next one, and from the top past the last.
    std::vector<int> found{first};
    for (int i = 0; i < 12; ++i) {
        QTest::keyClick(bar->edtFind, Qt::Key_Return);
        found.push_back(rules->currentIndex().row());
        EXPECT_TRUE(
            cell(rules, found.back(), RuleColumns::kName).contains("region", Qt::CaseInsensitive));
    }
    EXPECT_GT(found[1], found[0]);
    EXPECT_NE(std::find(found.begin() + 1, found.end(), first), found.end());
    EXPECT_EQ(bar->lblFindStatus->text(), "From the top.");

    QTest::keyClicks(bar->edtFind, "zzz");
    EXPECT_EQ(rules->currentIndex().row(), found.back());
    EXPECT_TRUE(bar->lblFindStatus->text().startsWith("No match"));

    // Escape closes the bar and gives the grid the focus back.
    press(Qt::Key_Escape, Qt::NoModifier, bar->edtFind);
    EXPECT_FALSE(bar->isVisible());

    // In the Fields grid the bar finds field names.
    window->PageControl1->setCurrentIndex(0);
    window->DBgrdFields->setFocus();
    trigger("Find1");
    EXPECT_EQ(bar->grid(), window->DBgrdFields);
    bar->edtFind->clear();
    QTest::keyClicks(bar->edtFind, "inc");
    EXPECT_EQ(
        cell(window->DBgrdFields, window->DBgrdFields->currentIndex().row(), FieldsColumns::kName),
        "INCOME");
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, FindAndCopyWorkOnTheFindingsGridToo) {
    load(sample);
    trigger("selectAll1");
    auto* tab = window->findChild<TTavFindingsTab*>();
    window->PageControl2->setCurrentWidget(tab);
    QCoreApplication::processEvents();  // the tab computes once it is shown
    QTableView* findings = tab->grdFindings;
    ASSERT_GT(findings->model()->rowCount(), 2);
    // Sorted by the rule's text, descending: the last rule in that order is shown first.
    findings->sortByColumn(TFindingsModel::kRule, Qt::DescendingOrder);
    findings->setFocus();
    trigger("Find1");
    ASSERT_EQ(window->pnlFind->grid(), findings);
    QTest::keyClicks(window->pnlFind->edtFind, "income");
    const int row = findings->currentIndex().row();
    ASSERT_GE(row, 0);
    const QString rule = findings->model()->index(row, TFindingsModel::kRule).data().toString();
    EXPECT_TRUE(rule.contains("INCOME", Qt::CaseInsensitive)) << rule.toStdString();

    findings->setFocus();
    trigger("CopyRows1");
    const QStringList copied = lines(ui.clipboard);
    ASSERT_EQ(copied.size(), 2);
    EXPECT_TRUE(copied[0].startsWith("No.\tRule\t"));
    EXPECT_EQ(copied[1].split('\t')[TFindingsModel::kRule], rule);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, TheClassFieldStandsOutInFieldsAndNamesTheFrequencyTab) {
    load(sample);
    TTavGrid* fields = window->DBgrdFields;
    const auto marked = [&](int row) {
        const QModelIndex name = fields->model()->index(row, FieldsColumns::kName);
        return name.data(Qt::FontRole).value<QFont>().bold() &&
               !name.data(Qt::DecorationRole).value<QIcon>().isNull();
    };
    EXPECT_TRUE(marked(kLoanField));
    EXPECT_FALSE(marked(3));
    EXPECT_EQ(window->PageControl2->tabText(0), "Frequency of LOAN");

    makeClass(4);  // REGION
    EXPECT_FALSE(marked(kLoanField));
    EXPECT_TRUE(marked(4));
    EXPECT_EQ(window->PageControl2->tabText(0), "Frequency of REGION");
    // Sorted, the mark stays with the field.
    fields->sortByColumn(FieldsColumns::kName, Qt::DescendingOrder);
    for (int r = 0; r < fields->model()->rowCount(); ++r)
        EXPECT_EQ(marked(r), cell(fields, r, FieldsColumns::kName) == "REGION");
}

TEST_F(ConventionsTest, FileDialogsOpenInTheDataFilesFolder) {
    load(sample);
    ASSERT_EQ(ui.openCalls.size(), 1u);
    const std::string folder = std::filesystem::path(sample).parent_path().string();
    ASSERT_NE(folder, std::filesystem::current_path().string());
    for (const char* command : {"Loaddatabase1", "Importdatafile1", "OpenSession1"}) {
        trigger(command);
        EXPECT_EQ(ui.openCalls.back().second, folder) << command;
    }
    trigger("SaveSession1");
    trigger("ExportReport1");
    trigger("ExportRulesCsv1");
    ASSERT_EQ(ui.saveCalls.size(), 3u);
    EXPECT_EQ(ui.saveCalls[0].second, dir.file("credit.tavs"));
    EXPECT_EQ(ui.saveCalls[1].second, dir.file("credit.html"));
    EXPECT_EQ(ui.saveCalls[2].second, dir.file("rules.csv"));
}

TEST_F(ConventionsTest, NoToReplacingAnImportedFileLetsTheUserPickAnotherName) {
    const std::string plain = dir.file("loans.csv");
    std::filesystem::copy_file(TAV_SOURCE_DIR "/examples/loans-plain.csv", plain);
    ui.importClass = 2;
    ui.files.push_back(plain);
    trigger("Importdatafile1");
    ASSERT_TRUE(std::filesystem::exists(dir.file("loans-tav.CSV")));
    const auto written = std::filesystem::last_write_time(dir.file("loans-tav.CSV"));

    ui.files.push_back(plain);
    ui.saves.push_back(dir.file("loans-second"));
    trigger("Importdatafile1");
    ASSERT_EQ(ui.saveCalls.size(), 1u);
    EXPECT_EQ(ui.saveCalls[0].second, dir.file("loans-tav.CSV"));
    EXPECT_EQ(std::filesystem::last_write_time(dir.file("loans-tav.CSV")), written);
    EXPECT_EQ(window->session().DataFileName(), dir.file("loans-second.CSV"));
    EXPECT_EQ(window->session().classField(), 2);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, CopyAndReportCommandsConfirmInTheStatusLine) {
    load(sample);
    trigger("Simplerules1");
    EXPECT_EQ(statusMessage(), "Report appended to TavGlobalRep.txt.");
    ui.answers.push_back("loans");
    trigger("Copy1");
    EXPECT_EQ(statusMessage(), "Copied the Frequency table.");
    ui.saves.push_back(dir.file("rules.tsv"));
    trigger("ExportRulesTsv1");
    EXPECT_EQ(statusMessage(), "Simple rules written to rules.tsv.");
    ui.saves.push_back(dir.file("all.html"));
    trigger("ExportReport1");
    EXPECT_EQ(statusMessage(), "Report written to all.html.");
    // The panels come back when the confirmation has gone.
    window->statusBar()->clearMessage();
    EXPECT_TRUE(window->StatusBar1[0]->isVisible());
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(ConventionsTest, RecentFilesOfOneNameShowTheirFolders) {
    std::filesystem::create_directory(dir.file("a"));
    std::filesystem::create_directory(dir.file("b"));
    for (const char* folder : {"a", "b"}) {
        const std::string path = dir.file(std::string(folder) + "/credit.CSV");
        std::filesystem::copy_file(sample, path);
        load(path);
    }
    load(sample);
    QStringList texts;
    for (int i = 1; i <= 3; ++i)
        texts << action(QStringLiteral("RecentFile%1").arg(i).toLatin1().constData())->text();
    EXPECT_EQ(
        texts[0],
        QStringLiteral("&1 credit.CSV (%1)").arg(QString::fromStdString(dir.path().string())));
    EXPECT_EQ(texts[1],
              QStringLiteral("&2 credit.CSV (%1)").arg(QString::fromStdString(dir.file("b"))));
    EXPECT_EQ(texts[2],
              QStringLiteral("&3 credit.CSV (%1)").arg(QString::fromStdString(dir.file("a"))));
}

TEST(QtUiOps, MessageBoxesAreTitledWithTheProgramsName) {
    TTavQtUiOps ops;
    QStringList titles;
    const auto answer = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&titles, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            titles << box->windowTitle();
            box->button(button)->click();
        });
    };
    answer(QMessageBox::Ok);
    ops.showMessage("Hello.");
    answer(QMessageBox::No);
    EXPECT_FALSE(ops.confirm("Sure?"));
    EXPECT_EQ(titles, QStringList({"Tav Explorer", "Tav Explorer"}));
}

}  // namespace
