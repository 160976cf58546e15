#include "ui/findings/uTavFindingsTab.h"
#include "ui/dialogs/TavUiOps.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QTest>
#include "stats/ConditionText.h"
#include "stats/PairFindingsText.h"
#include "stats/uTavFindingsText.h"
#include "tests/support/InjectedFault.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/findings/FindingsIntervalDelegate.h"
#include "ui/findings/FindingsModel.h"
#include "ui/findings/uThresholdSweep.h"

namespace {

class FindingsTabTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        tab = findingsTabOnSample(true);
        ASSERT_NE(tab, nullptr);
    }
    std::string fileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Whether a temporary file of `name` was left in the test folder.
    bool leftBeside(const std::string& name) {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            if (entry.path().filename().string().rfind(name + ".", 0) == 0) return true;
        }
        return false;
    }
    // The row of the first flagged finding that lowers the rate (-1 without one).
    int firstFlaggedLower() {
        const TFindings& f = tab->findings();
        for (size_t i = 0; i < f.ranked.size(); ++i) {
            if (f.ranked[i].flagged && f.ranked[i].pHigher < 0.5) return static_cast<int>(i);
        }
        return -1;
    }
    TTavFindingsTab* tab = nullptr;
};

TEST_F(FindingsTabTest, ShowsTheSessionsFindingsForTheChosenTarget) {
    EXPECT_EQ(window->PageControl2->tabText(1), "Findings");
    ASSERT_EQ(tab->cmbBxTarget->count(), 2);  // LOAN: approved, refused
    EXPECT_EQ(tab->cmbBxTarget->itemText(1), "2 - refused");
    tab->cmbBxTarget->setCurrentIndex(1);
    const TFindings expected = window->session().computeFindings(2);
    EXPECT_EQ(tab->findings().options.target, 2);
    ASSERT_EQ(tab->grdFindings->model()->rowCount(),
              static_cast<int>(expected.ranked.size() + expected.small.size()));
    EXPECT_EQ(tab->lblMultiplicity->text().toStdString(), multiplicityLine(expected));
    EXPECT_EQ(
        tab->grdFindings->model()->index(0, TFindingsModel::kRule).data().toString().toStdString(),
        expected.ranked.front().condition);
    EXPECT_EQ(tab->grdFindings->model()->index(0, TFindingsModel::kNo).data().toInt(),
              expected.ranked.front().ruleNumber());
    const QVariant tip = tab->grdFindings->model()->headerData(TFindingsModel::kPHigher,
                                                               Qt::Horizontal, Qt::ToolTipRole);
    EXPECT_TRUE(tip.toString().contains("probability"));
    // The local false sign rate decides the flag, row by row.
    QAbstractItemModel* grid = tab->grdFindings->model();
    for (int row = 0; row < static_cast<int>(expected.ranked.size()); ++row) {
        const TFinding& f = expected.ranked[row];
        EXPECT_EQ(grid->index(row, TFindingsModel::kLfsr).data().toString(),
                  QString::number(f.lfsr, 'f', 3));
        if (f.flagged) {
            EXPECT_LE(f.lfsr, expected.significancePct / 100) << f.name;
        }
    }
}

TEST_F(FindingsTabTest, RecomputesWhenTheContextMinimumOrSettingsChange) {
    const int before = tab->findings().contextCount;
    window->cmbBxContextFilter->setEditText("AGE,2,>");
    window->btnUpdateContext->click();
    EXPECT_LT(tab->findings().contextCount, before);
    EXPECT_EQ(tab->findings().contextCount, window->session().sets().context()->bitCount());
    tab->spnMinCount->setValue(400);
    for (const TFinding& f : tab->findings().ranked)
        EXPECT_GE(f.count, 400);
    EXPECT_FALSE(tab->findings().small.empty());
    ui.answers.push_back("20");
    trigger("significanceItem");
    EXPECT_EQ(tab->findings().significancePct, 20);
}

TEST_F(FindingsTabTest, ANewMWhileTheTabIsShownRecomputesIt) {
    ASSERT_EQ(tab->findings().m, 2);
    const double rate = tab->findings().ranked.front().rule.rate;
    ui.answers.push_back("10");
    trigger("parameterMItem");
    EXPECT_EQ(tab->findings().m, 10);
    EXPECT_NE(tab->findings().ranked.front().rule.rate, rate);
    EXPECT_EQ(
        tab->findings().ranked.front().rule.rate,
        window->session().computeFindings(tab->findings().options.target).ranked.front().rule.rate);
}

TEST_F(FindingsTabTest, DoubleClickMakesTheFindingTheActiveRule) {
    const TFinding top = tab->findings().ranked.front();
    emit tab->grdFindings->doubleClicked(tab->grdFindings->model()->index(0, 0));
    const int row = window->session().activeRuleNumber();
    EXPECT_EQ(window->session().sets().SetLists[slRules].item(row)->SetName, top.name);
    EXPECT_EQ(window->DBgrdSimpleRules->currentIndex().row(), row);
}

TEST_F(FindingsTabTest, TwoConditionsListPairsAndADoubleClickMakesOneTheCondition) {
    tab->cmbBxConditions->setCurrentIndex(1);
    EXPECT_TRUE(tab->grdPairs->isVisibleTo(tab));
    EXPECT_FALSE(tab->grdFindings->isVisibleTo(tab));
    EXPECT_FALSE(tab->cmbBxSort->isEnabled());
    QAbstractItemModelTester tester(tab->grdPairs->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    const TPairFindings& pairs = tab->pairFindings();
    ASSERT_FALSE(pairs.top.empty());
    EXPECT_EQ(tab->grdPairs->model()->rowCount(), static_cast<int>(pairs.top.size()));
    EXPECT_EQ(tab->grdPairs->model()->index(0, 1).data().toString().toStdString(),
              pairs.top.front().condition);
    EXPECT_EQ(tab->lblMultiplicity->text().toStdString(), pairMultiplicityLine(pairs));
    // The largest changes first.
    for (size_t i = 1; i < pairs.top.size(); ++i)
        EXPECT_GE(std::fabs(pairs.top[i - 1].score), std::fabs(pairs.top[i].score));

    emit tab->grdPairs->doubleClicked(tab->grdPairs->model()->index(0, 0));
    EXPECT_EQ(window->session().activePairCondition(), pairs.top.front().condition);
    EXPECT_EQ(window->PageControl2->tabText(0).toStdString(),
              "Frequency of LOAN under " + pairs.top.front().condition);
    // Back to single rules: the findings grid again, sorted as chosen.
    tab->cmbBxConditions->setCurrentIndex(0);
    EXPECT_TRUE(tab->grdFindings->isVisibleTo(tab));
    EXPECT_TRUE(tab->cmbBxSort->isEnabled());
}

TEST_F(FindingsTabTest, ExportWritesCsvOrTsvAndCopyPutsTheSentences) {
    ui.saves.push_back(dir.file("out.csv"));
    tab->btnExport->click();
    const std::string csv = fileText(dir.file("out.csv"));
    EXPECT_EQ(csv, exportFindings(tab->findings(), window->session().findingsProvenance(),
                                  TFindingsFormat::Csv));
    EXPECT_NE(csv.find("\nrule_no,rule,condition,"), std::string::npos);
    ui.saves.push_back(dir.file("out.tsv"));
    tab->btnExport->click();
    EXPECT_NE(fileText(dir.file("out.tsv")).find("\nrule_no\trule\tcondition\t"),
              std::string::npos);
    ui.saves.push_back(std::nullopt);  // cancelled: nothing written, no message
    tab->btnExport->click();
    EXPECT_TRUE(ui.errors.empty());

    tab->btnCopy->click();
    EXPECT_EQ(ui.clipboard.substr(0, 29), "# Findings of LOAN = approved");
    EXPECT_NE(ui.clipboard.find("# Command: tav-batch findings "), std::string::npos);
    EXPECT_NE(ui.clipboard.find("\nUnder "), std::string::npos);
}

TEST_F(FindingsTabTest, AnExportThatCannotBeWrittenIsAnErrorNotASuccess) {
    ui.saves.push_back(dir.file("no such folder/out.csv"));
    tab->btnExport->click();
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("could not be written"), std::string::npos);
}

TEST_F(FindingsTabTest, AFullDiskLeavesTheEarlierExportWholeAndARetryReplacesIt) {
    const std::string path = dir.write("out.csv", "earlier findings\r\n");
    {
        const InjectedFault full(TWriteStep::Write, ENOSPC);
        ui.saves.push_back(path);
        tab->btnExport->click();
    }
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0].rfind("The findings could not be written to \"" + path + "\": ", 0), 0u)
        << ui.errors[0];
    EXPECT_NE(ui.errors[0].find("No space left on device"), std::string::npos) << ui.errors[0];
    EXPECT_EQ(fileText(path), "earlier findings\r\n");
    EXPECT_FALSE(leftBeside("out.csv"));

    ui.saves.push_back(path);
    tab->btnExport->click();
    EXPECT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(fileText(path),
              exportFindings(tab->findings(), window->session().findingsProvenance(),
                             TFindingsFormat::Csv));
    EXPECT_FALSE(leftBeside("out.csv"));
}

// The interval bar of a flagged finding that lowers the rate is drawn red at its rate.
TEST_F(FindingsTabTest, DrawsTheIntervalBarInTheColourOfTheDirection) {
    const int row = firstFlaggedLower();
    ASSERT_GE(row, 0);
    const QModelIndex index = tab->grdFindings->model()->index(row, TFindingsModel::kInterval);
    const TIntervalBar bar =
        index.data(TFindingsIntervalDelegate::kIntervalRole).value<TIntervalBar>();
    EXPECT_TRUE(bar.flagged);
    QImage image(200, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = image.rect();
    option.palette = tab->palette();
    TFindingsIntervalDelegate delegate;
    delegate.paint(&painter, option, index);
    painter.end();
    const int x = TFindingsIntervalDelegate::xOf(image.rect().adjusted(4, 3, -4, -3), bar.ruleRate);
    EXPECT_EQ(image.pixelColor(x, 10), QColor(255, 0, 0));
}

// A context of approved loans only holds no refused one: the label says so under the line.
TEST_F(FindingsTabTest, ATargetWithoutRecordsInTheContextIsSaidUnderTheLine) {
    tab->cmbBxTarget->setCurrentIndex(1);
    window->cmbBxContextFilter->setEditText("LOAN,1,=");
    window->btnUpdateContext->click();
    const TFindings& findings = tab->findings();
    EXPECT_EQ(findings.flaggedCount, 0);
    EXPECT_EQ(tab->lblMultiplicity->text().toStdString(),
              multiplicityLine(findings) +
                  "\nNo record of the context has LOAN = refused: no rule can change its rate, "
                  "so nothing is flagged.");
    EXPECT_TRUE(ui.errors.empty());
}

TEST_F(FindingsTabTest, AClassWithoutValuesIsSaidInTheTab) {
    makeClass(1);  // NAME, a STRING field
    EXPECT_EQ(tab->cmbBxTarget->count(), 0);
    EXPECT_EQ(tab->grdFindings->model()->rowCount(), 0);
    EXPECT_FALSE(tab->lblMultiplicity->text().isEmpty());
    EXPECT_TRUE(ui.errors.empty());
}

}  // namespace

namespace {

// The row of the first finding on INCOME (field 7, REAL) and of one on a SET field.
int rowOnField(TTavFindingsTab* tab, const char* prefix) {
    const auto& ranked = tab->findings().ranked;
    for (size_t i = 0; i < ranked.size(); ++i) {
        if (ranked[i].name.rfind(prefix, 0) == 0) return static_cast<int>(i);
    }
    return -1;
}

TEST_F(FindingsTabTest, SweepOfARealFieldClickAPointSavePngAndSvg) {
    EXPECT_FALSE(tab->showThresholdSweep(rowOnField(tab, "(5) EDUCATION")));  // a SET field
    ASSERT_TRUE(tab->showThresholdSweep(rowOnField(tab, "(7) INCOME")));
    TfrmThresholdSweep* sweep = tab->sweepWindow();
    ASSERT_NE(sweep, nullptr);
    sweep->chart->resize(500, 300);
    const TThresholdSweep& data = sweep->chart->sweep();
    ASSERT_FALSE(data.points.empty());
    EXPECT_EQ(data.fieldName, "INCOME");

    const TSweepPlot plot = sweep->chart->plot();
    const auto [x, y] = plot.pointCentres.back();
    QTest::mouseClick(sweep->chart, Qt::LeftButton, {}, QPoint(int(x + 0.5), int(y + 0.5)));
    const int row = window->session().activeRuleNumber();
    EXPECT_EQ(window->session().sets().SetLists[slRules].item(row)->SetName,
              data.points.back().finding.name);

    ui.saves.push_back(dir.file("sweep.png"));
    sweep->findChild<QPushButton*>("btnSavePng")->click();
    // The dialog proposes a name beside the data file, so it opens in that folder.
    ASSERT_FALSE(ui.saveCalls.empty());
    EXPECT_EQ(ui.saveCalls.back().second, nameBeside(sample, "sweep") + ".png");
    QImage image(QString::fromStdString(dir.file("sweep.png")));
    ASSERT_FALSE(image.isNull());
    // As wide as the chart's title needs, at least.
    EXPECT_EQ(image.size(), sweep->chart->size());
    EXPECT_GE(image.width(), sweepPlotWidthNeeded(data));
    // A threshold drawn blue or orange at its rate.
    const QColor at = image.pixelColor(int(x + 0.5), int(y + 0.5) - 4);
    EXPECT_TRUE(at == QColor(0, 0, 255) || at == QColor(230, 120, 0)) << at.name().toStdString();
    ui.saves.push_back(dir.file("sweep.svg"));
    sweep->findChild<QPushButton*>("btnSaveSvg")->click();
    const std::string svg = fileText(dir.file("sweep.svg"));
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("<circle"), std::string::npos);
    EXPECT_NE(svg.find("INCOME"), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    // In values: the class value, the thresholds and the outermost boundaries as numbers.
    const std::string value = data.findings.targetText;
    EXPECT_EQ(value.rfind("LOAN = ", 0), 0u) << value;
    EXPECT_EQ(sweep->windowTitle().toStdString(), "Threshold sweep: " + value + " by INCOME");
    EXPECT_NE(svg.find("Rate of " + value + " under INCOME &lt;= b (blue) and INCOME &gt; b"),
              std::string::npos);
    EXPECT_NE(svg.find(">800</text>"), std::string::npos);
    EXPECT_NE(svg.find(">2500</text>"), std::string::npos);
    for (const TSweepPoint& p : data.points) {
        EXPECT_EQ(p.finding.condition,
                  std::string(p.less ? "INCOME <= " : "INCOME > ") + boundaryText(p.x));
    }
}

TEST_F(FindingsTabTest, AFullDiskLeavesTheEarlierSweepPicturesWhole) {
    ASSERT_TRUE(tab->showThresholdSweep(rowOnField(tab, "(7) INCOME")));
    TfrmThresholdSweep* sweep = tab->sweepWindow();
    ASSERT_NE(sweep, nullptr);
    const std::string png = dir.write("sweep.png", "earlier picture");
    const std::string svg = dir.write("sweep.svg", "<svg/>\n");
    {
        const InjectedFault full(TWriteStep::Write, ENOSPC);
        ui.saves.push_back(png);
        sweep->findChild<QPushButton*>("btnSavePng")->click();
        ui.saves.push_back(svg);
        sweep->findChild<QPushButton*>("btnSaveSvg")->click();
    }
    ASSERT_EQ(ui.errors.size(), 2u);
    for (const std::string& error : ui.errors) {
        EXPECT_EQ(error.rfind("The chart could not be saved to \"", 0), 0u) << error;
        EXPECT_NE(error.find("No space left on device"), std::string::npos) << error;
    }
    EXPECT_EQ(fileText(png), "earlier picture");
    EXPECT_EQ(fileText(svg), "<svg/>\n");
    EXPECT_FALSE(leftBeside("sweep.png"));
    EXPECT_FALSE(leftBeside("sweep.svg"));

    // Without the fault the same saves replace both files.
    ui.saves.push_back(png);
    sweep->findChild<QPushButton*>("btnSavePng")->click();
    ui.saves.push_back(svg);
    sweep->findChild<QPushButton*>("btnSaveSvg")->click();
    EXPECT_EQ(ui.errors.size(), 2u);
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), sweep->chart->size());
    EXPECT_EQ(fileText(svg),
              sweepPlotSvg(sweep->chart->plot(), sweep->chart->width(), sweep->chart->height()));
}

TEST(ThresholdSweepPlot, PointHitTestPicksTheNearestWithinTheRadius) {
    TSweepPlot plot;
    plot.pointCentres = {{10, 10}, {14, 10}, {100, 100}};
    EXPECT_EQ(sweepPointAt(plot, 13, 10), 1);
    EXPECT_EQ(sweepPointAt(plot, 10, 11), 0);
    EXPECT_EQ(sweepPointAt(plot, 50, 50), -1);
    EXPECT_EQ(sweepPointAt(TSweepPlot{}, 0, 0), -1);
}

}  // namespace

namespace {

// A finding shows its rule's number and its condition in values; standing for others, it says
// how many in its Rule cell and names them in the tip, at most forty of them.
TEST(FindingsModelTest, ARuleStandingForOthersCountsThemAndNamesThemInTheTip) {
    TFindings findings;
    TFinding alone;
    alone.name = "(1) A= 1-x";
    alone.condition = "A = x";
    alone.setNumber = 2;
    TFinding many = alone;
    many.name = "(2) SKIN:  > 64";
    many.condition = "SKIN > 64";
    many.setNumber = 9;
    for (int i = 65; i < 65 + 42; ++i)
        many.equivalents.push_back("(2) SKIN > " + std::to_string(i));
    findings.ranked = {alone, many};
    TFindingsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setFindings(findings);
    EXPECT_EQ(model.headerData(TFindingsModel::kNo, Qt::Horizontal, Qt::DisplayRole), "No.");
    EXPECT_EQ(model.index(0, TFindingsModel::kNo).data().toInt(), 1);
    EXPECT_EQ(model.index(1, TFindingsModel::kNo).data().toInt(), 8);
    EXPECT_EQ(model.index(0, TFindingsModel::kRule).data().toString(), "A = x");
    EXPECT_EQ(model.index(0, TFindingsModel::kRule).data(Qt::ToolTipRole).toString(),
              "A = x\nRule 1: (1) A= 1-x");
    EXPECT_EQ(model.index(1, TFindingsModel::kRule).data().toString(), "SKIN > 64 (+42 alike)");
    const QString tip = model.index(1, TFindingsModel::kRule).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(
        tip.startsWith("SKIN > 64\nRule 8: (2) SKIN:  > 64\nThe same records and numbers as 42 "
                       "other rules:\n(2) SKIN > 65\n"))
        << tip.toStdString();
    EXPECT_TRUE(tip.endsWith("(2) SKIN > 104\n... and 2 more")) << tip.toStdString();
}

}  // namespace
