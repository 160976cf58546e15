// The threshold sweep window as a user reads it: labels in values, a y axis that fits, the
// legend, the points' tips, the window's size and the Fields popup's class value.

#include "ui/findings/uThresholdSweep.h"

#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <algorithm>

#include "stats/ConditionText.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/findings/uTavFindingsTab.h"

namespace {

constexpr int kLoanField = 0;
constexpr int kIncomeField = 7;

class SweepTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        tab = findingsTabOnSample(true);
        ASSERT_NE(tab, nullptr);
    }
    // The sweep of LOAN = refused over INCOME, shown.
    TfrmThresholdSweep* incomeSweep() {
        EXPECT_TRUE(tab->showThresholdSweep(2, kIncomeField));
        return tab->sweepWindow();
    }
    static std::vector<const TPlotShape*> texts(const TSweepPlot& plot) {
        std::vector<const TPlotShape*> found;
        for (const TPlotShape& s : plot.shapes)
            if (s.kind == TPlotShape::Text) found.push_back(&s);
        return found;
    }
    static bool hasText(const TSweepPlot& plot, const std::string& text) {
        const auto all = texts(plot);
        return std::any_of(all.begin(), all.end(), [&](auto* s) { return s->text == text; });
    }
    TTavFindingsTab* tab = nullptr;
};

TEST_F(SweepTest, EveryThresholdIsLabelledByItsValueWithBothEndsIncluded) {
    TfrmThresholdSweep* sweep = incomeSweep();
    ASSERT_NE(sweep, nullptr);
    const TThresholdSweep& data = sweep->chart->sweep();
    const TBaza& baza = *window->session().CurrentData();
    std::vector<std::string> conditions;
    for (const TSweepPoint& p : data.points)
        conditions.push_back(p.finding.condition);
    // INCOME's four boundaries: four "<=" and four ">" thresholds, the outermost among them.
    ASSERT_EQ(data.points.size(), 8u);
    const std::string first = boundaryText(baza.fieldBoundary(kIncomeField, 1));
    const std::string last = boundaryText(baza.fieldBoundary(kIncomeField, 4));
    EXPECT_EQ(conditions.front(), "INCOME <= " + first);
    EXPECT_EQ(conditions.back(), "INCOME > " + last);
    const TSweepPlot plot = sweep->chart->plot();
    for (int b = 1; b <= 4; ++b) {
        EXPECT_TRUE(hasText(plot, boundaryText(baza.fieldBoundary(kIncomeField, b)))) << b;
    }
}

TEST_F(SweepTest, TheYAxisFitsTheRatesAndTheLegendExplainsThePoints) {
    TfrmThresholdSweep* sweep = incomeSweep();
    ASSERT_NE(sweep, nullptr);
    sweep->chart->resize(600, 360);
    const TSweepPlot plot = sweep->chart->plot();
    const TThresholdSweep& data = sweep->chart->sweep();
    // The rates of refusals lie between about 0.2 and 0.6: the axis does not run from 0 to 1,
    // so the points spread over most of the plot's height.
    double top = 1e9, bottom = -1e9;
    for (const auto& [x, y] : plot.pointCentres)
        top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_GT(bottom - top, 0.4 * 360);
    EXPECT_FALSE(hasText(plot, "1.0"));
    EXPECT_FALSE(hasText(plot, "0.0"));
    bool flagged = false, plain = false;
    for (const TSweepPoint& p : data.points)
        (p.finding.flagged ? flagged : plain) = true;
    EXPECT_TRUE(flagged);
    EXPECT_TRUE(hasText(plot, "flagged (lfsr within the level)"));
    EXPECT_TRUE(hasText(plot, "not flagged"));
    int legendFilled = 0, legendHollow = 0;
    for (const TPlotShape& s : plot.shapes) {
        if (s.kind == TPlotShape::Circle && s.y1 < 40) ++(s.filled ? legendFilled : legendHollow);
    }
    EXPECT_EQ(legendFilled, 1);
    EXPECT_EQ(legendHollow, 1);
}

TEST_F(SweepTest, APointsTipGivesItsConditionAndN) {
    TfrmThresholdSweep* sweep = incomeSweep();
    ASSERT_NE(sweep, nullptr);
    sweep->chart->resize(600, 360);
    const TSweepPlot plot = sweep->chart->plot();
    const TSweepPoint& point = sweep->chart->sweep().points[0];
    const std::string tip = sweepPointTip(sweep->chart->sweep(), 0);
    EXPECT_EQ(
        tip.rfind(point.finding.condition + "\nn = " + std::to_string(point.finding.count), 0), 0u)
        << tip;
    const QPoint at(int(plot.pointCentres[0].first + 0.5), int(plot.pointCentres[0].second + 0.5));
    QHelpEvent help(QEvent::ToolTip, at, sweep->chart->mapToGlobal(at));
    QCoreApplication::sendEvent(sweep->chart, &help);
    EXPECT_TRUE(QToolTip::text().contains(
        QString::fromStdString("n = " + std::to_string(point.finding.count))));
    QToolTip::hideText();
}

TEST_F(SweepTest, TheWindowOpensWideEnoughForItsTitles) {
    TfrmThresholdSweep* sweep = incomeSweep();
    ASSERT_NE(sweep, nullptr);
    EXPECT_GE(sweep->width(), sweep->fontMetrics().horizontalAdvance(sweep->windowTitle()));
    EXPECT_GE(sweep->chart->width(), sweepPlotWidthNeeded(sweep->chart->sweep()));
    EXPECT_GE(sweep->width(), 640);
    EXPECT_GE(sweep->height(), 400);
}

TEST_F(SweepTest, FromTheFieldsPopupTheClassValueIsTheFindingsTarget) {
    makeClass(kLoanField);
    tab->cmbBxTarget->setCurrentIndex(1);  // refused
    ASSERT_EQ(tab->target(), 2);
    moveGrid(window->DBgrdFields, kIncomeField);
    emit window->mnPopFields->aboutToShow();
    action("ThresholdSweep1")->trigger();
    ASSERT_NE(tab->sweepWindow(), nullptr);
    EXPECT_EQ(tab->sweepWindow()->chart->sweep().findings.options.target, 2);
    tab->cmbBxTarget->setCurrentIndex(0);  // approved
    action("ThresholdSweep1")->trigger();
    EXPECT_EQ(tab->sweepWindow()->chart->sweep().findings.options.target, 1);
}

TEST(ThresholdSweepPlot, AnIntFieldsAxisReadsItsValuesAndManyLabelsStandUpright) {
    TThresholdSweep sweep;
    sweep.fieldName = "KIDS";
    for (int code = 0; code < 30; ++code) {
        TSweepPoint p;
        p.less = true;
        p.x = code + 0.5;
        p.finding.rule = {0.3, 0.2, 0.4};
        sweep.points.push_back(p);
        sweep.ticks.emplace_back(code, "value " + std::to_string(code));
    }
    sweep.findings.context = {0.3, 0.25, 0.35};
    const TSweepPlot plot = layoutSweepPlot(sweep, 500, 400);
    int upright = 0;
    for (const TPlotShape& s : plot.shapes)
        upright += s.kind == TPlotShape::Text && s.upright;
    EXPECT_EQ(upright, 30);
    const std::string svg = sweepPlotSvg(plot, 500, 400);
    EXPECT_NE(svg.find("rotate(-90"), std::string::npos);
    EXPECT_NE(svg.find(">value 29<"), std::string::npos);
    // Every point stays inside the picture.
    for (const auto& [x, y] : plot.pointCentres) {
        EXPECT_GT(y, 0);
        EXPECT_LT(y, 400);
    }
}

// The thresholds lie between the values 1, 2 and 3; the values on either side of the outermost
// ones are labelled inside the picture too.
TEST(ThresholdSweepPlot, TheValuesBesideTheOutermostThresholdsAreOnTheAxis) {
    TThresholdSweep sweep;
    sweep.fieldName = "KIDS";
    for (const double x : {1.5, 2.5}) {
        TSweepPoint p;
        p.less = true;
        p.x = x;
        p.finding.rule = {0.3, 0.2, 0.4};
        sweep.points.push_back(p);
    }
    sweep.ticks = {{1, "one"}, {2, "two"}, {3, "three"}};
    const TSweepPlot plot = layoutSweepPlot(sweep, 500, 400);
    int labels = 0;
    for (const TPlotShape& s : plot.shapes) {
        if (s.kind != TPlotShape::Text || (s.text != "one" && s.text != "two" && s.text != "three"))
            continue;
        ++labels;
        EXPECT_GE(s.x1, 56 - s.text.size() * kSweepCharWidth / 2) << s.text;
        EXPECT_LE(s.x1 + s.text.size() * kSweepCharWidth / 2, 500) << s.text;
    }
    EXPECT_EQ(labels, 3);
}

// Rates down to 0 put 0 on the axis as "0.0", never as "-0.0".
TEST(ThresholdSweepPlot, AZeroRateReadsZeroNotMinusZero) {
    TThresholdSweep sweep;
    sweep.fieldName = "INCOME";
    for (const double rate : {0.0, 0.9}) {
        TSweepPoint p;
        p.x = rate * 100;
        p.finding.rule = {rate, rate, rate};
        sweep.points.push_back(p);
    }
    sweep.ticks = {{0, "0"}, {90, "90"}};
    sweep.findings.context = {0.3, 0.25, 0.35};
    const TSweepPlot plot = layoutSweepPlot(sweep, 500, 400);
    bool zero = false;
    for (const TPlotShape& s : plot.shapes) {
        EXPECT_NE(s.text, "-0.0");
        zero = zero || s.text == "0.0";
    }
    EXPECT_TRUE(zero);
}

}  // namespace
