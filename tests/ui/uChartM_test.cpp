#include "ui/charts/uChartM.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <algorithm>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "stats/uTavFreq.h"
#include "ui/charts/ChartDrawing.h"
#include "ui/charts/ChartDrawingSurface.h"
#include "ui/charts/TRealSlider.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

// User-interface operations with scripted answers that record what was asked.
class TChartScriptedOps : public TTavUiOps {
  public:
    std::vector<std::string> messages;
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> queries;
    std::optional<std::string> savePath;

    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultText) override {
        queries.push_back(caption + "|" + prompt + "|" + defaultText);
        if (answers.empty()) return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&) override {
        return savePath;
    }
    void processPendingEvents() override {}
    void setClipboardText(const std::string&) override {}
};

// The design geometry: PW = 625, Y0 = 395.
constexpr int kLeft = 49;
constexpr int kRight = 49 + 625;
constexpr int kY0 = 395;

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

QRgb at(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xFF000000u;
}

// The number of pixels of a colour in a rectangle (inclusive bounds).
int countColour(const QImage& image, QRgb colour, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int x = x0; x <= x1; ++x) {
        for (int y = y0; y <= y1; ++y)
            n += at(image, x, y) == colour;
    }
    return n;
}

class ChartM : public ::testing::Test {
  protected:
    TChartScriptedOps ops;
    TfrmChartM chart{ops};

    const QImage& image() { return chart.imgBeta->image(); }
    // Only the given "Show:" boxes checked.
    void showOnly(QCheckBox* box) {
        for (QCheckBox* b : {chart.cbDistribution, chart.cbDensity, chart.cbMeanStd, chart.cb10,
                             chart.cb5, chart.cb1}) {
            b->setChecked(b == box);
        }
    }
};

}  // namespace

TEST_F(ChartM, CreationDrawsTheRedDistributionOfBeta10And1) {
    EXPECT_TRUE(chart.isHidden());
    EXPECT_EQ(image().size(), QSize(723, 444));
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 10);
    EXPECT_DOUBLE_EQ(chart.firstBeta().Beta, 1);
    EXPECT_DOUBLE_EQ(chart.OvcSliderM->position(), 11);
    EXPECT_DOUBLE_EQ(chart.OvcSliderRatio->position(), 10);
    EXPECT_EQ(chart.lblAlpha->text(), "10.00");
    EXPECT_EQ(chart.lblR->text(), "10.00");
    // Axes, ticks and the unit tick on both sides.
    EXPECT_EQ(at(image(), 44, kY0), kBlack);
    EXPECT_EQ(at(image(), kRight + 5, kY0), kBlack);
    EXPECT_EQ(at(image(), kRight + 6, kY0), kWhite);
    EXPECT_EQ(at(image(), kLeft, 49), kBlack);
    EXPECT_EQ(at(image(), kLeft, 48), kWhite);
    EXPECT_EQ(at(image(), 44, kY0 - 100), kBlack);
    EXPECT_EQ(at(image(), kRight + 5, kY0 - 100), kBlack);
    EXPECT_EQ(at(image(), kLeft + 312, kY0 + 5), kBlack);  // the tick of 0.5: round(312.5) = 312
    EXPECT_EQ(at(image(), kLeft + 312, kY0 + 6), kWhite);
    EXPECT_EQ(at(image(), kLeft + 313, kY0 + 3), kWhite);
    // The curve x^10 from (0, 0) to (1, 1), drawn over the axes.
    EXPECT_EQ(at(image(), kLeft, kY0), kRed);
    EXPECT_EQ(at(image(), kRight, kY0 - 100), kRed);
    EXPECT_EQ(at(image(), kLeft + 312, kY0), kRed);  // Cdf(0.5) is 0.001
    EXPECT_EQ(countColour(image(), kBlue, 0, 0, 722, 443), 0);
    EXPECT_TRUE(chart.lblP2GTp0->isHidden());
    EXPECT_TRUE(ops.messages.empty());
}

TEST(ChartDrawing, TextSitsOnAnOpaqueWhiteBox) {
    QImage image(723, 444, QImage::Format_RGB32);
    image.fill(Qt::green);
    drawAxes(image, TChartGeometry(723, 444));
    // "1.0" with its top left at (19, Y0 - S - 6): white under it, black letters in it.
    EXPECT_EQ(at(image, 19, kY0 - 106), kWhite);
    EXPECT_EQ(at(image, 18, kY0 - 106), qRgb(0, 255, 0));
    EXPECT_EQ(at(image, 19, kY0 - 107), qRgb(0, 255, 0));
    EXPECT_GT(countColour(image, kBlack, 19, kY0 - 106, 40, kY0 - 94), 3);
    EXPECT_EQ(countColour(image, qRgb(0, 255, 0), 20, kY0 - 104, 24, kY0 - 96), 0);
}

TEST(ChartDrawing, LinesAreClippedAndNeverLeaveTheSurface) {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    drawChartLine(image, QPointF(10, 10), QPointF(10, -1e12), QColor(255, 0, 0));
    drawChartLine(image, QPointF(-1e15, 20), QPointF(1e15, 20), QColor(0, 0, 255));
    drawChartLine(image, QPointF(5, 5), QPointF(std::numeric_limits<double>::quiet_NaN(), 5),
                  QColor(0, 0, 0));
    for (int y = 0; y <= 10; ++y)
        EXPECT_EQ(at(image, 10, y), kRed) << y;
    EXPECT_EQ(at(image, 10, 11), kWhite);
    EXPECT_EQ(countColour(image, kBlue, 0, 20, 39, 20), 40);
    EXPECT_EQ(countColour(image, kBlack, 0, 0, 39, 29), 0);
    // A density far above the plot (beta(1000, 1) near x = 1) draws without error.
    TBeta steep;
    steep.Alpha = 1000;
    steep.Beta = 1;
    QImage chart(723, 444, QImage::Format_RGB32);
    chart.fill(Qt::white);
    TDrawErrors errors;
    DrawBetaDensity(chart, TChartGeometry(723, 444), steep, QColor(255, 0, 0), errors);
    EXPECT_FALSE(errors.failed());
    EXPECT_GT(countColour(chart, kRed, 0, 0, 722, 443), 0);
}

TEST_F(ChartM, OnePercentBoundariesOfBeta10And1) {
    showOnly(chart.cb1);
    EXPECT_EQ(countColour(image(), kRed, 0, 0, 722, 443), 2 * 61);
    // q(0.01) = 0.631 and q(0.99) = 0.999: lines from y 0.2 to 0.8.
    for (const int x : {kLeft + 394, kLeft + 624}) {
        EXPECT_EQ(at(image(), x, kY0 - 20), kRed) << x;
        EXPECT_EQ(at(image(), x, kY0 - 80), kRed) << x;
        EXPECT_EQ(at(image(), x, kY0 - 19), kWhite) << x;
        EXPECT_EQ(at(image(), x, kY0 - 81), kWhite) << x;
        // Its value under the axis at y -0.32, below the numbers of the axis.
        EXPECT_GT(countColour(image(), kBlack, x, kY0 + 32, x + 30, kY0 + 48), 3) << x;
    }
    for (const char* value : {"0.63", "1.00"}) {
        const auto& labels = chart.chartLabels();
        const auto label = std::find_if(labels.begin(), labels.end(),
                                        [&](const TChartLabel& l) { return l.text == value; });
        ASSERT_NE(label, labels.end()) << value;
        ASSERT_TRUE(label->box.has_value()) << value;
        EXPECT_EQ(label->box->top, kY0 + 32) << value;
    }
}

TEST_F(ChartM, LabelsOfTwoDistributionsWithEqualMeansNeverOverlap) {
    // Both means are 10/11, and mean + std + 0.02 puts both std texts across the right axis.
    for (QCheckBox* box : {chart.cbMeanStd, chart.cb10, chart.cb5, chart.cb1, chart.cbDensity})
        box->setChecked(true);
    TChartParams params;
    params.ChartAlpha1 = 30;
    params.ChartBeta1 = 3;
    params.ChartAlpha2 = 60;
    params.ChartBeta2 = 6;
    chart.ShowBeta(params);
    ASSERT_TRUE(ops.messages.empty());
    const std::vector<TChartLabel>& labels = chart.chartLabels();
    // "1.0", the eleven numbers of the x axis, then per distribution the mean, the std and the
    // six quantiles.
    ASSERT_EQ(labels.size(), 28u);
    EXPECT_EQ(labels[0].text, "1.0");
    EXPECT_EQ(labels[1].text, "0.0");
    EXPECT_EQ(labels[12].text, "0.91");
    EXPECT_EQ(labels[20].text, "0.91");
    const TPixelRect surface{0, 0, 723, 444};
    const std::vector<TPixelRect> axes = axisObstacles(chart.geometry());
    for (size_t i = 0; i < labels.size(); ++i) {
        ASSERT_TRUE(labels[i].box.has_value()) << labels[i].text;
        const TPixelRect& box = *labels[i].box;
        EXPECT_TRUE(surface.contains(box)) << i;
        for (const TPixelRect& axis : axes)
            EXPECT_FALSE(box.intersects(axis)) << i;
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(box.intersects(*labels[j].box)) << i << " and " << j;
        // Written last, over every curve.
        const auto inBox = [&](QRgb colour) {
            return countColour(image(), colour, box.left, box.top, box.right() - 1,
                               box.bottom() - 1);
        };
        EXPECT_EQ(inBox(kRed) + inBox(kBlue), 0) << i;
        EXPECT_GT(inBox(kBlack), 3) << i;
    }
    // The axes' numbers come first and stay where they want to be: "1.0" and 0.0 to 1.0 under
    // the ticks. Both means give way to "0.9" under its tick, and so does the red std, which
    // wanted to sit across the right axis.
    for (int i = 0; i <= 11; ++i)
        EXPECT_EQ(*labels[i].box, labels[i].wanted) << i;
    EXPECT_EQ(labels[0].wanted,
              (TPixelRect{19, kY0 - 106, labels[0].wanted.width, labels[0].wanted.height}));
    EXPECT_NE(*labels[12].box, labels[12].wanted);
    EXPECT_NE(*labels[20].box, labels[20].wanted);
    EXPECT_LE(labels[13].wanted.left, kRight);
    EXPECT_GT(labels[13].wanted.right(), kRight);
    EXPECT_NE(*labels[13].box, labels[13].wanted);
    chart.hide();
}

TEST_F(ChartM, SliderCascadesKeepTheGuardedRelations) {
    // m from 11 to 22 keeps the mean of beta(10, 1).
    chart.OvcSliderM->setPosition(22);
    EXPECT_NEAR(chart.firstBeta().Alpha, 20, 1e-12);
    EXPECT_NEAR(chart.firstBeta().Beta, 2, 1e-12);
    EXPECT_DOUBLE_EQ(chart.OvcSliderAlpha->position(), 20);
    EXPECT_DOUBLE_EQ(chart.OvcSliderBeta->position(), 2);
    EXPECT_DOUBLE_EQ(chart.OvcSliderRatio->position(), 10);
    EXPECT_EQ(chart.lblM->text(), "22.00");

    // After "Chart m-estimate" alpha and beta start at 1; alpha 10 and then ratio 1 halve m = 11.
    chart.Chartmestimate1Click();
    EXPECT_DOUBLE_EQ(chart.OvcSliderAlpha->minimum(), 1);
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 1);
    chart.OvcSliderAlpha->setPosition(10);
    EXPECT_DOUBLE_EQ(chart.OvcSliderRatio->position(), 10);
    chart.OvcSliderRatio->setPosition(1);
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 5.5);
    EXPECT_DOUBLE_EQ(chart.firstBeta().Beta, 5.5);
    EXPECT_DOUBLE_EQ(chart.OvcSliderAlpha->position(), 6);  // half to even
    EXPECT_DOUBLE_EQ(chart.OvcSliderBeta->position(), 6);
    EXPECT_EQ(chart.lblAlpha->text(), "5.50");
    EXPECT_EQ(chart.lblBeta->text(), "5.50");
    EXPECT_DOUBLE_EQ(chart.OvcSliderM->position(), 11);
    EXPECT_TRUE(ops.messages.empty());
}

TEST_F(ChartM, SecondDistributionAndItsLabelsFollowCbTwo) {
    chart.cbTwo->setChecked(true);
    EXPECT_FALSE(chart.lblP2GTp0->isHidden());
    EXPECT_FALSE(chart.lblP2Equal->isHidden());
    // beta(1, 1) against beta(10, 1): pII is rarely above p.
    const QString above = chart.lblP2GTp0->text();
    EXPECT_TRUE(above.startsWith("p(pII > p) = 0.0")) << above.toStdString();
    EXPECT_EQ(above.size(), QString("p(pII > p) = 0.000").size());
    EXPECT_TRUE(chart.lblP2Equal->text().startsWith("p(pII = p) = 0."));
    EXPECT_EQ(at(image(), kRight, kY0 - 100), kBlue);  // blue is drawn over red
    EXPECT_EQ(at(image(), kLeft + 312, kY0 - 50), kBlue);
    chart.cbTwo->setChecked(false);
    EXPECT_TRUE(chart.lblP2GTp0->isHidden());
    EXPECT_TRUE(chart.lblP2Equal->isHidden());
    EXPECT_EQ(countColour(image(), kBlue, 0, 0, 722, 443), 0);
}

TEST_F(ChartM, AlphaInputBoxTakesOnlyPlainNumbers) {
    chart.Chartmestimate1Click();
    ops.answers = {"nan", "inf", "1e999", "abc", std::nullopt};
    for (int i = 0; i < 5; ++i)
        chart.lblAlphaDblClick();
    EXPECT_EQ(ops.queries.front(), "Set m value for red alpha|alpha =|1.00");
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 1);
    EXPECT_DOUBLE_EQ(chart.OvcSliderAlpha->position(), 1);
    ops.answers = {"25.5"};
    chart.lblAlphaDblClick();
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 25.5);
    EXPECT_EQ(chart.lblAlpha->text(), "25.50");
    // Below the minimum: the slider clamps to its minimum, 1 after "Chart m-estimate".
    ops.answers = {"0"};
    chart.lblAlphaDblClick();
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 1);
    EXPECT_TRUE(ops.messages.empty());
}

TEST_F(ChartM, ShowBetaCapturesBothDistributions) {
    TChartParams params;
    params.ChartAlpha1 = 3.25;
    params.ChartBeta1 = 7;
    params.ChartAlpha2 = 12.5;
    params.ChartBeta2 = 4;
    // The first showing already takes the captured values exactly: the ranges grow before the
    // positions are set.
    for (int showing = 0; showing < 2; ++showing) {
        chart.ShowBeta(params);
        EXPECT_TRUE(chart.cbTwo->isChecked());
        EXPECT_FALSE(chart.isHidden());
        EXPECT_DOUBLE_EQ(chart.OvcSliderAlphaTwo->maximum(), 22.5);
        EXPECT_DOUBLE_EQ(chart.OvcSliderM->maximum(), 30.25);
        EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 3.25);
        EXPECT_DOUBLE_EQ(chart.firstBeta().Beta, 7);
        EXPECT_DOUBLE_EQ(chart.secondBeta().Alpha, 12.5);
        EXPECT_EQ(chart.lblMTwo->text(), "16.50");
    }
    // The "Total" row before any capture: every parameter at the minimum 0.01.
    chart.ShowBeta(TChartParams{});
    EXPECT_DOUBLE_EQ(chart.firstBeta().Alpha, 0.01);
    EXPECT_DOUBLE_EQ(chart.secondBeta().Beta, 0.01);
    EXPECT_TRUE(ops.messages.empty());
    chart.hide();
}

TEST_F(ChartM, FailingBetaFunctionsDrawWhatTheyCanAndReportOncePerAction) {
    TChartParams params;
    params.ChartAlpha1 = 1e39;  // past kMaxShape: the beta functions refuse it
    params.ChartBeta1 = 2;
    params.ChartAlpha2 = 2;
    params.ChartBeta2 = 3;
    chart.cbTwo->setChecked(true);
    chart.cbDensity->setChecked(true);
    chart.cb1->setChecked(true);
    ASSERT_TRUE(ops.messages.empty());
    // Every redraw of the cascade fails in the distribution, the density, the boundaries and
    // the comparison; the action shows one message.
    chart.ShowBeta(params);
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0], "Invalid parameter");
    // The axes and the blue distribution are there; the red one is not.
    EXPECT_EQ(at(image(), 44, kY0), kBlack);
    EXPECT_EQ(at(image(), kRight, kY0 - 100), kBlue);
    EXPECT_EQ(countColour(image(), kRed, 0, 0, 722, 443), 0);
    EXPECT_EQ(chart.lblP2GTp0->text(), "p(pII > p) = ");
    // Every later move of a slider is one action and one message.
    chart.OvcSliderBetaTwo->setPosition(5);
    EXPECT_EQ(ops.messages.size(), 2u);
    EXPECT_DOUBLE_EQ(chart.secondBeta().Beta, 5);
    // Back to sound parameters: the chart recovers without a message.
    chart.OvcSliderAlpha->setPosition(4);
    EXPECT_EQ(ops.messages.size(), 2u);
    EXPECT_GT(countColour(image(), kRed, 0, 0, 722, 443), 50);
    chart.hide();
}

TEST_F(ChartM, SaveChartAsPngWritesTheSurface) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string path = QFile::encodeName(dir.filePath("chart.png")).toStdString();
    chart.saveImage();  // cancelled: nothing happens
    EXPECT_TRUE(ops.messages.empty());
    ops.savePath = path;
    chart.saveImage();
    QImage saved(QString::fromStdString(path));
    ASSERT_EQ(saved.size(), QSize(723, 444));
    EXPECT_EQ(at(saved, kLeft, kY0), kRed);
    EXPECT_TRUE(ops.messages.empty());
    ops.savePath = QFile::encodeName(dir.filePath("missing/chart.png")).toStdString();
    chart.saveImage();
    ASSERT_EQ(ops.messages.size(), 1u);
    EXPECT_EQ(ops.messages[0].rfind("The chart could not be saved to ", 0), 0u) << ops.messages[0];
}
