// The m-estimate chart as a user reads it: curves inside the plot, numbers on the x axis, texts
// off the curves, Escape and "Save image...".

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <optional>
#include <sstream>

#include "stats/uTavFreq.h"
#include "ui/charts/ChartDrawing.h"
#include "ui/charts/ChartDrawingSurface.h"
#include "ui/charts/uChartM.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

class TSaveOps : public TTavUiOps {
  public:
    std::vector<std::string> messages;
    std::optional<std::string> savePath;
    std::string filter;
    void showMessage(const std::string& text) override { messages.push_back(text); }
    std::optional<std::string> inputQuery(const std::string&, const std::string&,
                                          const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> openFile(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> saveFile(const std::string& f, const std::string&) override {
        filter = f;
        return savePath;
    }
    void processPendingEvents() override {}
    void setClipboardText(const std::string&) override {}
};

bool isCurve(QRgb pixel) {
    const QRgb p = pixel | 0xFF000000u;
    return p == qRgb(255, 0, 0) || p == qRgb(0, 0, 255);
}

class ChartMReadable : public ::testing::Test {
  protected:
    TSaveOps ops;
    TfrmChartM chart{ops};
    const QImage& image() { return chart.imgBeta->image(); }
    // Two narrow distributions with every curve and text shown: densities far above the plot.
    void showEverything() {
        for (QCheckBox* box : {chart.cbMeanStd, chart.cb10, chart.cb5, chart.cb1, chart.cbDensity})
            box->setChecked(true);
        TChartParams params;
        params.ChartAlpha1 = 30;
        params.ChartBeta1 = 3;
        params.ChartAlpha2 = 6;
        params.ChartBeta2 = 14;
        chart.ShowBeta(params);
    }
};

}  // namespace

TEST_F(ChartMReadable, CurvesStayInsideThePlot) {
    showEverything();
    ASSERT_TRUE(ops.messages.empty());
    const TPixelRect plot = chart.geometry().plotRect();
    int inside = 0;
    for (int y = 0; y < image().height(); ++y) {
        for (int x = 0; x < image().width(); ++x) {
            if (!isCurve(image().pixel(x, y))) continue;
            const bool in =
                x >= plot.left && x < plot.right() && y >= plot.top && y < plot.bottom();
            EXPECT_TRUE(in) << x << "," << y;
            if (!in) return;
            ++inside;
        }
    }
    // The densities reach the top of the plot and are cut there.
    EXPECT_GT(inside, 500);
    int atTop = 0;
    for (int x = plot.left; x < plot.right(); ++x)
        atTop += isCurve(image().pixel(x, plot.top));
    EXPECT_GT(atTop, 0);
    chart.hide();
}

TEST_F(ChartMReadable, TheXAxisHasNumbersUnderItsTicks) {
    showEverything();
    const TChartGeometry& g = chart.geometry();
    int numbers = 0;
    for (const TChartLabel& label : chart.chartLabels()) {
        for (int i = 0; i <= 10; ++i) {
            if (label.text != pictureNumber(i / 10.0, 1)) continue;
            if (i == 10 && label.wanted.top < g.Y0) continue;  // "1.0" of the left axis
            ASSERT_TRUE(label.box.has_value()) << label.text;
            const int tick = 49 + int(std::nearbyint(g.PW * i / 10.0));
            EXPECT_LE(label.box->left, tick);
            EXPECT_GE(label.box->right(), tick);
            EXPECT_GT(label.box->top, g.Y0);
            ++numbers;
        }
    }
    EXPECT_EQ(numbers, 11);
    chart.hide();
}

// The std texts wanted to sit at the end of their bars, where the steep distribution curves
// pass; no text box covers a pixel of any curve.
TEST_F(ChartMReadable, NoTextSitsOnACurve) {
    showEverything();
    QImage curvesOnly(image().size(), QImage::Format_RGB32);
    curvesOnly.fill(Qt::white);
    TChartCurves show;
    show.meanAndStd = show.boundaries10 = show.boundaries5 = show.boundaries1 = true;
    show.density = true;
    TDrawErrors errors;
    std::vector<TChartText> texts;
    const TChartGeometry& g = chart.geometry();
    DrawBetaCurves(curvesOnly, g, chart.firstBeta(), Qt::red, 0.7, show, errors, texts);
    DrawBetaDensity(curvesOnly, g, chart.firstBeta(), Qt::red, errors);
    DrawBetaCurves(curvesOnly, g, chart.secondBeta(), Qt::blue, 0.5, show, errors, texts);
    DrawBetaDensity(curvesOnly, g, chart.secondBeta(), Qt::blue, errors);
    for (const TChartLabel& label : chart.chartLabels()) {
        ASSERT_TRUE(label.box.has_value()) << label.text;
        const TPixelRect& box = *label.box;
        int covered = 0;
        for (int y = box.top; y < box.bottom(); ++y)
            for (int x = box.left; x < box.right(); ++x)
                covered += isCurve(curvesOnly.pixel(x, y));
        EXPECT_EQ(covered, 0) << label.text;
    }
    chart.hide();
}

TEST_F(ChartMReadable, EscapeClosesTheWindow) {
    chart.Chartmestimate1Click();
    ASSERT_TRUE(chart.isVisible());
    QTest::keyClick(&chart, Qt::Key_Escape);
    EXPECT_FALSE(chart.isVisible());
}

TEST_F(ChartMReadable, SaveImageWritesPngOrSvgByTheName) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string svg = QFile::encodeName(dir.filePath("chart.SVG")).toStdString();
    ops.savePath = svg;
    chart.btnSaveImage->click();
    EXPECT_NE(ops.filter.find("*.png"), std::string::npos);
    EXPECT_NE(ops.filter.find("*.svg"), std::string::npos);
    std::ifstream in(svg, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str().rfind("<?xml", 0), 0u);
    EXPECT_NE(text.str().find("width=\"723\" height=\"444\""), std::string::npos);
    EXPECT_NE(text.str().find("data:image/png;base64,iVBOR"), std::string::npos);
    const std::string png = QFile::encodeName(dir.filePath("chart.png")).toStdString();
    ops.savePath = png;
    chart.saveImage();
    EXPECT_EQ(QImage(QString::fromStdString(png)).size(), QSize(723, 444));
    EXPECT_TRUE(ops.messages.empty());
}
