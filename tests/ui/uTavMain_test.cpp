// The main window's start, load, grids and result-pane commands, driven like a user would.

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "core/TextUtils.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/text/QtText.h"

namespace {

// The items of a menu: caption, or "-" for a separator, with "(hidden)" and "(disabled)".
std::vector<std::string> menuItems(QMenu* menu) {
    std::vector<std::string> items;
    for (QAction* a : menu->actions()) {
        std::string item = a->isSeparator() ? "-" : a->text().toStdString();
        if (!a->isVisible())
            item += " (hidden)";
        else if (!a->isEnabled())
            item += " (disabled)";
        items.push_back(item);
    }
    return items;
}

QMenu* topMenu(QMainWindow& window, const QString& title) {
    for (QAction* a : window.menuBar()->actions())
        if (a->text() == title) return a->menu();
    return nullptr;
}

// A toolkit-free session on its own copy of the sample, for the figures the grids must show.
struct TReference {
    explicit TReference(const std::string& path) { session.loadDataFile(path); }
    TTavSession session;
};

}  // namespace

TEST_F(MainWindowTest, StartsEmptyWithItsMenusToolbarAndStatusLine) {
    EXPECT_EQ(window->windowTitle(), "Tav Explorer");
    EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
    const std::vector<std::string> status = {"", "m(prior) = 1.00", "m = 2.00", "signif = 5.00%",
                                             ""};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(window->statusPanelText(i).toStdString(), status[i]);
    const int widths[] = {300, 100, 100, 100, 70};
    for (int i = 0; i < 5; ++i)
        EXPECT_GE(window->StatusBar1[i]->width(), widths[i]);

    using Items = std::vector<std::string>;
    // The eight places of the recent files stay hidden until files are loaded.
    Items file{"&Load data file",
               "&Import data file...",
               "Open &database table...",
               "&Open session...",
               "&Save session...",
               "&Export report...",
               "-"};
    file.insert(file.end(), 8, " (hidden)");
    file.insert(file.end(), {"- (hidden)", "E&xit"});
    EXPECT_EQ(menuItems(topMenu(*window, "&File")), file);
    EXPECT_EQ(menuItems(topMenu(*window, "&Settings")),
              (Items{"parameter m for &prior", "parameter &m", "&significance level (%)"}));
    EXPECT_EQ(menuItems(topMenu(*window, "&Edit")), (Items{"&Copy rows", "&Find..."}));
    EXPECT_EQ(menuItems(topMenu(*window, "Action")),
              (Items{"Compute entropy gains for simple rules\tF5",
                     "Original sorting order of simple rules"}));
    EXPECT_EQ(menuItems(topMenu(*window, "&Report")), (Items{"&Simple rules"}));
    EXPECT_EQ(action("Simplerules1")->toolTip(),
              "Writes simple rules to the file TavGlobalRep.txt ");
    EXPECT_EQ(menuItems(topMenu(*window, "&Help")),
              (Items{"Chart m-estimate", "Perform evaluation on .csv (hidden)", "Chart DB (hidden)",
                     "-", "&Reading the results", "About Tav"}));
    action("ChartDB1")->setVisible(true);
    EXPECT_FALSE(action("ChartDB1")->isEnabled());
    action("ChartDB1")->setVisible(false);
    EXPECT_EQ(
        menuItems(window->mnPopFreq),
        (Items{"Select &all rows", "-", "&Remove active row", "remove from active row to &Last",
               "remove from active row to &First", "-", "&Show Beta", "-", "&Copy"}));
    EXPECT_EQ(menuItems(window->mnPopFields),
              (Items{"&Make active field the class", "-", "&Select", "select &All", "&Deselect",
                     "deselect a&Ll", "-", "&Threshold sweep...", "-", "Export as &CSV...",
                     "Export as &TSV..."}));
    EXPECT_EQ(menuItems(window->mnPopRules), (Items{"Export as &CSV...", "Export as &TSV..."}));
    EXPECT_EQ(window->tlbtnA->toolTip(), "Compute entropy gains for simple rules");
    EXPECT_EQ(window->tlbtnB->toolTip(), "Original sorting order for simple rules");
    EXPECT_FALSE(window->tlbtnA->icon().isNull());

    // Before the first load only the load, the settings, the chart, About and Exit do anything.
    for (TTavGrid* grid : {window->DBgrdFields, window->DBgrdSimpleRules, window->DBgrdFrequency})
        EXPECT_TRUE(grid->isHidden());
    EXPECT_TRUE(window->PageControl2->isHidden());
    EXPECT_FALSE(window->PageControl2->isEnabled());
    EXPECT_TRUE(window->lblDisplayCaption->isVisible());
    EXPECT_FALSE(window->PageControl1->isHidden());
    EXPECT_FALSE(window->cmbBxContextFilter->isEnabled());
    EXPECT_EQ(window->cmbBxContextFilter->currentText(), "");
    EXPECT_FALSE(window->btnUpdateContext->isEnabled());
    EXPECT_TRUE(window->pnlFilterCompare->isHidden());
    EXPECT_EQ(window->lblUsingCompare->text(), "");
    window->tlbtnA->click();
    window->tlbtnB->click();
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(MainWindowTest, CancelledLoadChangesNothing) {
    trigger("Loaddatabase1");
    ASSERT_EQ(ui.openCalls.size(), 1u);
    EXPECT_EQ(ui.openCalls[0].first,
              "CSV semicolon separated files (*.CSV *.csv);;Workbooks and statistics files, "
              "imported (*.xlsx *.ods *.xls *.sav *.zsav *.por *.dta *.sas7bdat *.xpt);;All files "
              "(*)");
    EXPECT_EQ(ui.openCalls[0].second, ".");
    EXPECT_TRUE(window->DBgrdFields->isHidden());
    EXPECT_EQ(window->statusPanelText(0), "");
    EXPECT_EQ(window->session().CurrentData(), nullptr);
}

TEST_F(MainWindowTest, LoadShowsTheSessionsTablesInTheGrids) {
    load(sample);
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(window->statusPanelText(0).toStdString(), sample);
    EXPECT_TRUE(std::filesystem::exists(dir.file("credit.REP")));
    EXPECT_GT(ui.eventRounds, 10);  // the progress bar repainted during the load
    EXPECT_EQ(window->ProgressBar1->value(), 0);
    for (TTavGrid* grid : {window->DBgrdFields, window->DBgrdSimpleRules, window->DBgrdFrequency})
        EXPECT_FALSE(grid->isHidden());
    EXPECT_TRUE(window->PageControl2->isVisibleTo(window.get()));
    EXPECT_FALSE(window->lblDisplayCaption->isVisibleTo(window.get()));
    ASSERT_EQ(window->cmbBxContextFilter->count(), 1);
    EXPECT_EQ(window->cmbBxContextFilter->itemText(0), " ");
    EXPECT_TRUE(window->cmbBxContextFilter->isEnabled());
    EXPECT_FALSE(window->btnUpdateContext->isEnabled());
    EXPECT_EQ(window->lblUsingCompare->text(), "Using simple rules as conditions");

    // Every cell of the three grids is the toolkit-free layer's value in its display format.
    TReference reference(copySample("reference.CSV"));
    TTavSession& ref = reference.session;
    const auto expectSame = [](TTavGrid* grid, TxViewReader& table) {
        ASSERT_EQ(grid->model()->rowCount(), table.RecordCount());
        for (int r = 0; r < table.RecordCount(); ++r) {
            for (int c = 0; c < table.fieldCount(); ++c) {
                const TxValue value = table.valueAt(r, c);
                const std::string expected = value.kind() == TxValue::Kind::Float
                                                 ? realToText(0, 3, value.toFloat())
                                                 : value.toString();
                EXPECT_EQ(cell(grid, r, c), qtText(expected)) << r << "," << c;
            }
        }
    };
    expectSame(window->DBgrdFields, ref.fieldsTable());
    expectSame(window->DBgrdSimpleRules, ref.rulesTable());
    expectSame(window->DBgrdFrequency, ref.frequencyTable());
    EXPECT_EQ(cell(window->DBgrdFields, kLoanField, FieldsColumns::kName), "LOAN");
    EXPECT_EQ(window->DBgrdFields->currentIndex().row(), 0);
    EXPECT_EQ(window->DBgrdSimpleRules->currentIndex().row(), 0);
}

TEST_F(MainWindowTest, MovingToAnotherRuleRecomputesTheFrequencyGrid) {
    load(sample);
    makeClass(kLoanField);
    EXPECT_EQ(window->session().classField(), kLoanField);
    TReference reference(copySample("reference.CSV"));
    TTavSession& ref = reference.session;
    ref.setClassField(kLoanField);
    for (int rule : {7, 3, 12}) {
        moveGrid(window->DBgrdSimpleRules, rule);
        EXPECT_EQ(window->session().rulesTable().currentRow(), rule);
        ASSERT_TRUE(ref.moveToRule(rule));
        TxViewReader& expected = ref.frequencyTable();
        ASSERT_EQ(window->DBgrdFrequency->model()->rowCount(), expected.RecordCount());
        for (int r = 0; r < expected.RecordCount(); ++r) {
            EXPECT_EQ(raw(window->DBgrdFrequency, r, FrequencyColumns::kCondFrequency).toLongLong(),
                      expected.valueAt(r, FrequencyColumns::kCondFrequency).toInteger());
            EXPECT_EQ(
                cell(window->DBgrdFrequency, r, FrequencyColumns::kSignif),
                qtText(realToText(0, 3, expected.valueAt(r, FrequencyColumns::kSignif).toFloat())));
        }
    }
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, SelectAllAndDeselectAllRefreshTheRuleMarksAtOnce) {
    load(sample);
    TTavGrid* rules = window->DBgrdSimpleRules;
    moveGrid(rules, 5);
    const auto markedRows = [&] {
        int marked = 0;
        for (int r = 0; r < rules->model()->rowCount(); ++r)
            marked += cell(rules, r, RuleColumns::kCount).startsWith(QStringLiteral("*** "));
        return marked;
    };
    const int all = rules->model()->rowCount();
    trigger("selectAll1");
    EXPECT_EQ(markedRows(), 0);
    trigger("deselectaLl1");
    EXPECT_EQ(markedRows(), all - 1);  // all but the complete set, which has no field
    EXPECT_EQ(rules->currentIndex().row(), 5);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, EntropyGainsRankTheRulesAndOriginalOrderRestoresThem) {
    load(sample);
    // Rules of selected fields get a score; the class field is deselected by the double click.
    trigger("selectAll1");
    moveGrid(window->DBgrdFields, kLoanField);
    emit window->DBgrdFields->doubleClicked(window->DBgrdFields->currentIndex());
    const QString firstRule = cell(window->DBgrdSimpleRules, 0, RuleColumns::kName);
    window->tlbtnA->click();
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    TTavGrid* rules = window->DBgrdSimpleRules;
    const int count = rules->model()->rowCount();
    ASSERT_GT(count, 10);
    for (int r = 1; r < count; ++r)
        EXPECT_GE(raw(rules, r - 1, RuleColumns::kScore).toDouble(),
                  raw(rules, r, RuleColumns::kScore).toDouble());
    EXPECT_GT(raw(rules, 0, RuleColumns::kScore).toDouble(), 0);

    TReference reference(copySample("reference.CSV"));
    reference.session.selectAllFields(true);
    ASSERT_TRUE(reference.session.moveToField(kLoanField));
    reference.session.fieldsDoubleClick();
    reference.session.computeEntropyGains();
    for (int r = 0; r < count; ++r)
        EXPECT_EQ(cell(rules, r, RuleColumns::kName),
                  qtText(reference.session.rulesTable().valueAt(r, RuleColumns::kName).toString()));
    // The frequency grid follows the first rule again.
    EXPECT_EQ(rules->currentIndex().row(), 0);

    trigger("OriginalSortingOrder1");
    EXPECT_EQ(cell(rules, 0, RuleColumns::kName), firstRule);
}

TEST_F(MainWindowTest, RowCommandsHideAndShowClassValues) {
    load(sample);
    makeClass(kLoanField);
    TTavGrid* frequency = window->DBgrdFrequency;
    const int rows = frequency->model()->rowCount();
    ASSERT_GE(rows, 3);
    EXPECT_EQ(raw(frequency, 0, FrequencyColumns::kNo).toInt(), -1);

    // On the "Total" row the remove commands only recompute.
    moveGrid(frequency, 0);
    trigger("RemoveActiveRowItem");
    EXPECT_EQ(frequency->model()->rowCount(), rows);

    moveGrid(frequency, 1);
    const int value = raw(frequency, 1, FrequencyColumns::kNo).toInt();
    trigger("RemoveActiveRowItem");
    EXPECT_EQ(frequency->model()->rowCount(), rows - 1);
    EXPECT_EQ(raw(frequency, 0, FrequencyColumns::kNo).toInt(), kSubTotalSlot);
    for (int r = 1; r < rows - 1; ++r)
        EXPECT_NE(raw(frequency, r, FrequencyColumns::kNo).toInt(), value);

    moveGrid(frequency, 0);  // the sub-total row: everything up to it goes
    trigger("removeToFirstItem");
    EXPECT_EQ(frequency->model()->rowCount(), 1);

    trigger("allRowsItem");
    EXPECT_EQ(frequency->model()->rowCount(), rows);
    EXPECT_EQ(raw(frequency, 0, FrequencyColumns::kNo).toInt(), -1);
    moveGrid(frequency, 1);
    trigger("removeToLastItem");
    EXPECT_EQ(frequency->model()->rowCount(), 1);
    trigger("allRowsItem");
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, FieldSelectionCommandsAndTheDoubleClick) {
    load(sample);
    TTavGrid* fields = window->DBgrdFields;
    const int count = fields->model()->rowCount();
    moveGrid(fields, 4);
    QSignalSpy frequencyResets(window->DBgrdFrequency->model(), &QAbstractItemModel::modelReset);

    trigger("selectAll1");
    for (int r = 0; r < count; ++r)
        EXPECT_EQ(cell(fields, r, FieldsColumns::kSel), "10");
    EXPECT_EQ(fields->currentIndex().row(), 4);
    EXPECT_EQ(window->session().fieldsTable().currentRow(), 4);
    // Not recomputed field by field: the walk reaches the frequency grid once.
    EXPECT_LE(frequencyResets.count(), 1);

    trigger("deselectaLl1");
    for (int r = 0; r < count; ++r)
        EXPECT_EQ(cell(fields, r, FieldsColumns::kSel), "0");

    moveGrid(fields, kLoanField);
    trigger("Select1");
    EXPECT_EQ(cell(fields, kLoanField, FieldsColumns::kSel), "10");
    EXPECT_EQ(window->session().sets().fieldSet(kLoanField)->Selected, 10);
    trigger("Deselect1");
    EXPECT_EQ(cell(fields, kLoanField, FieldsColumns::kSel), "0");

    // A double click on a selected field makes it the class and deselects it.
    trigger("Select1");
    emit fields->doubleClicked(fields->model()->index(kLoanField, 2));
    EXPECT_EQ(window->session().classField(), kLoanField);
    EXPECT_EQ(cell(fields, kLoanField, FieldsColumns::kSel), "0");
    EXPECT_TRUE(cell(window->DBgrdFrequency, 1, FrequencyColumns::kName).contains("approved"));
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, CopyPutsTheFrequencyReportOnTheClipboard) {
    load(sample);
    makeClass(kLoanField);
    trigger("Copy1");  // cancelled
    EXPECT_EQ(ui.clipboard, "(untouched)");
    ASSERT_EQ(ui.queries.size(), 1u);
    EXPECT_EQ(ui.queries[0].caption, "Vnesite kratek opis tabele");
    EXPECT_EQ(ui.queries[0].prompt, "Opis kriterija: ");
    EXPECT_EQ(ui.queries[0].defaultText, "Seznam vlog");

    ui.answers.push_back("Seznam vlog");
    trigger("Copy1");
    const QStringList lines = qtText(ui.clipboard).split("\r\n");
    const int rows = window->DBgrdFrequency->model()->rowCount();
    ASSERT_EQ(lines.size(), 5 + rows + 2);  // the text ends with CR LF
    EXPECT_EQ(lines[0], "Tav");
    EXPECT_TRUE(lines[1].startsWith("Seznam vlog   (obdelava: "));
    EXPECT_EQ(lines[3], "---");
    EXPECT_EQ(lines[4].count('\t'), 9);
    EXPECT_EQ(lines[5].count('\t'), 10);
    EXPECT_EQ(lines[5 + rows], "---");
    // The walk leaves the last row current, and the grid shows it.
    EXPECT_EQ(window->DBgrdFrequency->currentIndex().row(), rows - 1);
}

TEST_F(MainWindowTest, ShowBetaCapturesTheActiveRowsDistributions) {
    std::optional<TChartParams> shown;
    int chartM = 0;
    std::vector<const TBaza*> tables;
    window->setChartHooks({[&] { ++chartM; },
                           [&](const TChartParams& chart) { shown = chart; },
                           {},
                           [&](const TBaza* data) { tables.push_back(data); }});
    trigger("Chartmestimate1");
    EXPECT_EQ(chartM, 1);
    load(sample);
    // The database chart lets go of the table while a load replaces it.
    EXPECT_EQ(tables, (std::vector<const TBaza*>{nullptr, window->session().CurrentData()}));
    makeClass(kLoanField);
    moveGrid(window->DBgrdFrequency, 1);
    trigger("ShowBeta1");
    ASSERT_TRUE(shown.has_value());
    EXPECT_GT(shown->ChartAlpha1, 0);
    EXPECT_GT(shown->ChartBeta2, 0);
    EXPECT_EQ(window->session().chartParams().ChartAlpha1, shown->ChartAlpha1);
}

TEST_F(MainWindowTest, FailedLoadsKeepThePreviousTableAndGrids) {
    // A failed first load keeps the empty start.
    load(dir.file("missing.CSV"));
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("does not exist"), std::string::npos);
    EXPECT_TRUE(window->DBgrdFields->isHidden());
    EXPECT_FALSE(window->cmbBxContextFilter->isEnabled());

    load(sample);
    makeClass(kLoanField);
    moveGrid(window->DBgrdSimpleRules, 5);
    const TBaza* data = window->session().CurrentData();
    const auto snapshot = [&] {
        std::vector<QString> cells;
        for (TTavGrid* g : {window->DBgrdFields, window->DBgrdSimpleRules, window->DBgrdFrequency})
            for (int r = 0; r < g->model()->rowCount(); ++r)
                for (int c = 0; c < g->model()->columnCount(); ++c)
                    cells.push_back(cell(g, r, c));
        return cells;
    };
    const std::vector<QString> before = snapshot();

    const std::string empty =
        dir.write("empty.CSV", "TAV DATA:0/TXT/1250\nA;B\nSET:1..2;INT:1..3\n");
    const std::string beyond = dir.write("beyond.CSV", "TAV DATA:0/TXT/1250\nA\nINT:0..500\n1\n");
    for (const std::string& path : {dir.file("missing.CSV"), empty, beyond}) {
        ui.errors.clear();
        load(path);
        EXPECT_EQ(ui.errors.size(), 1u) << path;
        EXPECT_EQ(window->session().CurrentData(), data);
        EXPECT_EQ(window->statusPanelText(0).toStdString(), sample);
        EXPECT_EQ(snapshot(), before) << path;
        EXPECT_EQ(window->DBgrdSimpleRules->currentIndex().row(), 5);
        EXPECT_EQ(window->ProgressBar1->value(), 0);
    }
    // The window stays usable.
    moveGrid(window->DBgrdSimpleRules, 2);
    EXPECT_EQ(window->session().rulesTable().currentRow(), 2);
}

TEST_F(MainWindowTest, AboutAndExit) {
    QRect placed;
    QString title, text;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        placed = QRect(about->pos(), about->size());
        title = about->windowTitle();
        if (auto* box = about->findChild<QPlainTextEdit*>()) text = box->toPlainText();
        about->close();
    });
    trigger("AboutTav1");
    EXPECT_EQ(placed, QRect(100, 100, 500, 400));
    EXPECT_EQ(title, "About Tav:");
    EXPECT_EQ(text.split("\n\n").size(), 3);
    EXPECT_TRUE(text.contains("The use is free of charge."));

    QSignalSpy terminated(window.get(), &TfrmTavMain::terminateRequested);
    trigger("ExitItem");
    EXPECT_EQ(terminated.count(), 1);
}

TEST_F(MainWindowTest, ALoadStartsWithTheFirstFieldAsTheClass) {
    load(sample);
    constexpr int kEducationField = 5;
    makeClass(kEducationField);
    // The class of one table never carries over to the next, even one with that field.
    load(copySample("again.CSV"));
    EXPECT_EQ(window->session().classField(), 0);
    makeClass(kEducationField);
    const std::string small =
        dir.write("small.CSV",
                  "TAV DATA:2/TXT/1250\nC;F\nSET:1..2;INT:1..2\nyes;low\nno;high\n"
                  "1;1\n2;2\n1;2\n");
    load(small);
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(window->session().classField(), 0);
    EXPECT_EQ(window->DBgrdFields->model()->rowCount(), 2);
    EXPECT_TRUE(cell(window->DBgrdFrequency, 1, FrequencyColumns::kName).contains("yes"));
}

TEST_F(MainWindowTest, ANewMOutdatesTheScoresAndTheStatusLineSaysUnderWhatTheyWereComputed) {
    load(sample);
    makeClass(kLoanField);
    trigger("selectAll1");
    window->tlbtnA->click();
    EXPECT_EQ(window->statusPanelText(4), "");
    const QString before = cell(window->DBgrdFrequency, 1, FrequencyColumns::kCondProbability);
    ui.answers.push_back("5");
    trigger("parameterMItem");
    EXPECT_EQ(window->statusPanelText(4),
              "Scores of m(prior) = 1.00, m = 2.00, context (all records) (outdated: run the "
              "entropy gains again)");
    // The grid shows the numbers of the new m at once.
    EXPECT_NE(cell(window->DBgrdFrequency, 1, FrequencyColumns::kCondProbability), before);
    ui.answers.push_back("1000000000000000");
    trigger("parameterMItem");
    ASSERT_FALSE(ui.errors.empty());
    EXPECT_NE(ui.errors.back().find("at most 1000000"), std::string::npos) << ui.errors.back();
    EXPECT_EQ(MParam, 5);
    window->tlbtnA->click();
    EXPECT_EQ(window->statusPanelText(4), "");
}

TEST_F(MainWindowTest, ARankingWithoutASelectedFieldAsksToRankEveryFieldButTheClass) {
    load(sample);
    makeClass(kLoanField);
    ASSERT_FALSE(window->session().anyFieldSelected());
    const std::string question = "No field is selected. Rank every field but the class?";
    ui.confirmations.push_back(false);
    window->tlbtnA->click();
    ASSERT_EQ(ui.questions, std::vector<std::string>{question});
    // No: nothing selected, nothing ranked.
    EXPECT_FALSE(window->session().anyFieldSelected());
    EXPECT_EQ(window->session().scoresComputedUnder(), "");
    ui.confirmations.push_back(true);
    window->tlbtnA->click();
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(cell(window->DBgrdFields, kLoanField, FieldsColumns::kSel), "0");
    for (int field = 1; field < window->DBgrdFields->model()->rowCount(); ++field)
        EXPECT_EQ(cell(window->DBgrdFields, field, FieldsColumns::kSel), "10") << field;
    EXPECT_NE(window->session().scoresComputedUnder(), "");
    EXPECT_GT(window->session().sets().SetLists[slRules].item(0)->Score, 0);
    // With fields selected the run asks nothing.
    window->tlbtnA->click();
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(MainWindowTest, TheEntropyGainRunShowsProgressAndStopsOnCancelWithTheScoresSoFar) {
    load(sample);
    makeClass(kLoanField);
    trigger("selectAll1");
    std::vector<int> shown;
    int rounds = 0;
    ui.duringEvents = [&] {
        shown.push_back(window->ProgressBar1->value());
        EXPECT_TRUE(window->btnCancelRun->isVisible());
        if (++rounds == 40) window->btnCancelRun->click();  // past the rules on the class
    };
    window->tlbtnA->click();
    ui.duringEvents = nullptr;
    EXPECT_FALSE(window->btnCancelRun->isVisible());
    ASSERT_GE(shown.size(), 40u);
    EXPECT_GT(shown[39], shown[0]);
    const TMnozicaList& rules = window->session().sets().SetLists[slRules];
    int scored = 0;
    for (int i = 0; i < rules.count(); ++i) {
        scored += rules.item(i)->Score != 0;
        if (i > 0) {
            EXPECT_GE(rules.item(i - 1)->Score, rules.item(i)->Score);  // sorted
        }
    }
    EXPECT_GT(scored, 0);
    EXPECT_TRUE(window->session().dataReady());
    // A run to its end scores more rules.
    window->tlbtnA->click();
    int all = 0;
    for (int i = 0; i < rules.count(); ++i)
        all += rules.item(i)->Score != 0;
    EXPECT_GT(all, scored);
}

TEST_F(MainWindowTest, AFastRankingRepaintsTheProgressAtItsStartAndItsEndOnly) {
    load(sample);
    makeClass(kLoanField);
    trigger("selectAll1");
    // A clock that never moves: the whole run falls within one interval.
    window->setProgressClock([] { return std::chrono::steady_clock::time_point{}; });
    std::vector<int> shown;
    ui.duringEvents = [&] {
        shown.push_back(window->ProgressBar1->value());
        if (shown.size() == 1) window->btnCancelRun->click();
    };
    window->tlbtnA->click();
    ui.duringEvents = nullptr;
    // Cancel, seen at the first repaint, still stops the run at its next question.
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_GT(shown[0], 0);
    EXPECT_EQ(shown[1], 0);
    EXPECT_TRUE(window->session().scoresPartial());
    // A run to its end is shown at its start and its end too.
    shown.clear();
    ui.duringEvents = [&] { shown.push_back(window->ProgressBar1->value()); };
    window->tlbtnA->click();
    ui.duringEvents = nullptr;
    EXPECT_EQ(shown.size(), 2u);
    EXPECT_FALSE(window->session().scoresPartial());
    EXPECT_EQ(window->ProgressBar1->value(), 0);
}

TEST_F(MainWindowTest, ACancelledRankingSaysItIsPartialAndLeavesTheRestBlank) {
    load(sample);
    makeClass(kLoanField);
    trigger("selectAll1");
    int rounds = 0;
    ui.duringEvents = [&] {
        if (++rounds == 40) window->btnCancelRun->click();
    };
    window->tlbtnA->click();
    ui.duringEvents = nullptr;
    const TTavSession& session = window->session();
    ASSERT_TRUE(session.scoresPartial());
    EXPECT_EQ(window->statusPanelText(4), QString::fromStdString(session.partialRankingText()));
    EXPECT_TRUE(window->statusPanelText(4).startsWith("Cancelled after "));
    EXPECT_TRUE(window->statusPanelText(4).endsWith(" rules: the ranking is partial"));
    const int rows = window->DBgrdSimpleRules->model()->rowCount();
    EXPECT_NE(cell(window->DBgrdSimpleRules, 0, RuleColumns::kScore), "");
    EXPECT_EQ(cell(window->DBgrdSimpleRules, rows - 1, RuleColumns::kScore), "");
    // A finished run clears the word.
    window->tlbtnA->click();
    EXPECT_FALSE(session.scoresPartial());
    EXPECT_EQ(window->statusPanelText(4), "");
    EXPECT_NE(cell(window->DBgrdSimpleRules, rows - 1, RuleColumns::kScore), "");
}

TEST_F(MainWindowTest, AContextWithoutRecordsIsShownAsOneMessage) {
    load(sample);
    ui.messages.clear();
    window->cmbBxContextFilter->setEditText("LOAN,1,<");
    window->btnUpdateContext->click();
    EXPECT_EQ(ui.messages, std::vector<std::string>{kEmptyContextMessage});
}

TEST_F(MainWindowTest, APlainCsvIsOfferedForImportAndThePreviousTableStaysOnNo) {
    load(sample);
    const TBaza* loaded = window->session().CurrentData();
    const std::string plain = dir.file("loans.csv");
    std::filesystem::copy_file(TAV_SOURCE_DIR "/examples/loans-plain.csv", plain);
    load(plain);  // no to the offer
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(ui.questions[0].find("is not a data file"), std::string::npos);
    EXPECT_EQ(window->session().CurrentData(), loaded);
    EXPECT_FALSE(std::filesystem::exists(dir.file("loans.REP")));

    ui.confirmations = {true};
    ui.importClass = 2;
    load(plain);
    EXPECT_GT(ui.reviewedColumns, 2);
    ASSERT_TRUE(std::filesystem::exists(dir.file("loans-tav.CSV")));
    EXPECT_EQ(window->session().DataFileName(), dir.file("loans-tav.CSV"));
    EXPECT_EQ(window->session().CurrentData()->FieldCount(), ui.reviewedColumns);
    EXPECT_EQ(window->session().classField(), 2);
    // The findings of the imported table lead back to the plain file and the class chosen.
    const TFindingsProvenance origin = window->session().findingsProvenance();
    EXPECT_EQ(origin.originalTable, plain);
    EXPECT_EQ(origin.importArguments, "--class 2");

    // The import command asks before it replaces the converted file; no keeps it.
    const auto written = std::filesystem::last_write_time(dir.file("loans-tav.CSV"));
    ui.files.push_back(plain);
    trigger("Importdatafile1");
    EXPECT_NE(ui.questions.back().find("Replace it?"), std::string::npos);
    EXPECT_EQ(std::filesystem::last_write_time(dir.file("loans-tav.CSV")), written);
}
