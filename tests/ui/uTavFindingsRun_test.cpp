// The Findings tab's Run button, its cancel, and the way from a finding to the Frequency table.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>

#include "tests/ui/MainWindowFixture.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/uTavFindingsTab.h"

namespace {

class FindingsRunTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        tab = findingsTabOnSample(false);
        ASSERT_NE(tab, nullptr);
        frequencyPage = window->PageControl2->widget(0);
    }
    // Shows the tab and lets it compute, as the event loop does once the tab is on the screen.
    void showTab() {
        window->PageControl2->setCurrentWidget(tab);
        QCoreApplication::processEvents();
    }
    int rows() const { return tab->grdFindings->model()->rowCount(); }
    TTavFindingsTab* tab = nullptr;
    QWidget* frequencyPage = nullptr;
};

TEST_F(FindingsRunTest, RunRecomputesAndACancelledRunCanBeRunAgain) {
    showTab();
    ASSERT_GT(rows(), 0);
    EXPECT_TRUE(tab->btnRun->toolTip().contains("F5"));
    // Cancel at the first progress report of the next run.
    ui.duringEvents = [&] {
        if (tab->btnCancel->isEnabled()) tab->btnCancel->click();
    };
    tab->btnRun->click();
    EXPECT_TRUE(tab->findings().cancelled);
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(tab->lblMultiplicity->text().startsWith("Cancelled."));
    ui.duringEvents = nullptr;
    tab->btnRun->click();
    EXPECT_FALSE(tab->findings().cancelled);
    EXPECT_GT(rows(), 0);
    EXPECT_FALSE(tab->lblMultiplicity->text().startsWith("Cancelled."));
    // The public slot does what the button does.
    const int rounds = ui.eventRounds;
    tab->run();
    EXPECT_GT(ui.eventRounds, rounds);
    EXPECT_GT(rows(), 0);
}

// The rows of the previous target are gone as soon as the next one starts computing.
TEST_F(FindingsRunTest, ANewTargetClearsTheOldRowsWhileItComputes) {
    showTab();
    ASSERT_GT(rows(), 0);
    std::vector<int> rowsSeen;
    std::vector<QString> labels;
    ui.duringEvents = [&] {
        rowsSeen.push_back(rows());
        labels.push_back(tab->lblMultiplicity->text());
    };
    tab->cmbBxTarget->setCurrentIndex(1);
    ASSERT_FALSE(rowsSeen.empty());
    EXPECT_EQ(rowsSeen.front(), 0);
    EXPECT_EQ(labels.front(), "Computing the findings...");
    ui.duringEvents = nullptr;
    EXPECT_EQ(tab->findings().options.target, 2);
    EXPECT_GT(rows(), 0);
}

TEST_F(FindingsRunTest, WithoutASelectedFieldTheTabSaysWhatToDo) {
    trigger("deselectaLl1");
    showTab();
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(tab->lblMultiplicity->text().contains("select the fields"));
    tab->btnRun->click();
    EXPECT_EQ(rows(), 0);
    EXPECT_TRUE(ui.errors.empty());
    trigger("selectAll1");
    EXPECT_GT(rows(), 0);
}

TEST_F(FindingsRunTest, DoubleClickShowsTheRuleInTheFrequencyTabAndTheRulesGrid) {
    showTab();
    const int last = static_cast<int>(tab->findings().ranked.size()) - 1;
    ASSERT_GT(last, 0);
    // The last finding ranks low: its rule lies far down the Simple rules grid.
    window->DBgrdSimpleRules->scrollToTop();
    const QModelIndex index = tab->grdFindings->model()->index(last, TFindingsModel::kRule);
    emit tab->grdFindings->doubleClicked(index);
    EXPECT_EQ(window->PageControl2->currentWidget(), frequencyPage);
    const int row = window->session().activeRuleNumber();
    EXPECT_EQ(window->session().sets().SetLists[slRules].item(row)->SetName,
              tab->findings().ranked[last].name);
    TTavGrid* rules = window->DBgrdSimpleRules;
    ASSERT_TRUE(rules->isVisible());
    EXPECT_TRUE(rules->viewport()->rect().intersects(rules->visualRect(rules->currentIndex())));
}

// Counts the paint events of a widget.
class TPaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A long run started by showing the tab paints the tab at its progress reports: the Frequency
// grid it replaces does not stay on the screen until the run ends.
TEST_F(FindingsRunTest, TheTabIsPaintedWhileTheRunItsShowingStartedGoesOn) {
    TPaintCounter counter;
    tab->installEventFilter(&counter);
    int reports = 0, paintedDuringRun = 0;
    bool frequencyShown = false;
    ui.duringEvents = [&] {
        if (!tab->btnCancel->isEnabled()) return;
        ++reports;
        QCoreApplication::processEvents();  // as the window's progress report does
        paintedDuringRun = counter.paints;
        frequencyShown = frequencyShown || window->DBgrdFrequency->isVisible();
    };
    showTab();
    ui.duringEvents = nullptr;
    EXPECT_GT(reports, 0);
    EXPECT_GT(paintedDuringRun, 0);
    EXPECT_FALSE(frequencyShown);
    EXPECT_GT(rows(), 0);
}

}  // namespace
