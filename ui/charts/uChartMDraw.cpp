// The drawing of the m-estimate chart and its PNG export.

#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <string>
#include <vector>

#include "core/Win1250.h"
#include "ui/charts/ChartDrawingSurface.h"
#include "ui/charts/ChartImageFile.h"
#include "ui/charts/uChartM.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

const QColor kRedCurve(255, 0, 0);
const QColor kBlueCurve(0, 0, 255);
// Marker heights of the mean and std bars, red above blue.
constexpr double kFirstMarker = 0.7;
constexpr double kSecondMarker = 0.5;

QString toQt(const std::string& text) {
    return QString::fromUtf8(win1250ToUtf8(text));
}

}  // namespace

TChartCurves TfrmChartM::shownCurves() const {
    TChartCurves curves;
    curves.distribution = cbDistribution->isChecked();
    curves.density = cbDensity->isChecked();
    curves.meanAndStd = cbMeanStd->isChecked();
    curves.boundaries10 = cb10->isChecked();
    curves.boundaries5 = cb5->isChecked();
    curves.boundaries1 = cb1->isChecked();
    return curves;
}

void TfrmChartM::RedrawChart() {
    lblAlpha->setText(toQt(pictureNumber(m_first.Alpha, 2)));
    lblBeta->setText(toQt(pictureNumber(m_first.Beta, 2)));
    lblM->setText(toQt(pictureNumber(m_first.Alpha + m_first.Beta, 2)));
    lblR->setText(toQt(pictureNumber(m_first.Alpha / m_first.Beta, 2)));
    lblAlphaTwo->setText(toQt(pictureNumber(m_second.Alpha, 2)));
    lblBetaTwo->setText(toQt(pictureNumber(m_second.Beta, 2)));
    lblMTwo->setText(toQt(pictureNumber(m_second.Alpha + m_second.Beta, 2)));
    clearChart(imgBeta->image());
    drawAxisLines(imgBeta->image(), m_geometry);
}

void TfrmChartM::fullRedraw() {
    RedrawChart();
    QImage& image = imgBeta->image();
    const TChartCurves curves = shownCurves();
    TDrawErrors errors;
    // The texts of both distributions are written last, over every curve, and placed together
    // so that red and blue numbers never cover each other or an axis.
    // The axes' numbers come first and keep their places; no text sits on a curve.
    std::vector<TChartText> texts{axisText(m_geometry)};
    const std::vector<TChartText> xNumbers = xAxisTexts(image, m_geometry);
    texts.insert(texts.end(), xNumbers.begin(), xNumbers.end());
    std::vector<TPixelRect> drawn;
    DrawBetaCurves(image, m_geometry, m_first, kRedCurve, kFirstMarker, curves, errors, texts,
                   &drawn);
    if (curves.density) DrawBetaDensity(image, m_geometry, m_first, kRedCurve, errors, &drawn);
    const bool two = cbTwo->isChecked();
    if (two) {
        DrawBetaCurves(image, m_geometry, m_second, kBlueCurve, kSecondMarker, curves, errors,
                       texts, &drawn);
        if (curves.density)
            DrawBetaDensity(image, m_geometry, m_second, kBlueCurve, errors, &drawn);
        // A comparison that cannot be computed shows no number rather than a stale one.
        std::string above = "p(pII > p) = ";
        errors.attempt([&] { above += pictureNumber(m_second.ProbAbove(m_first), 3); });
        std::string equal = "p(pII = p) = ";
        errors.attempt([&] { equal += pictureNumber(m_second.Overlap(m_first), 3); });
        lblP2GTp0->setText(toQt(above));
        lblP2Equal->setText(toQt(equal));
    }
    m_labels = writeChartTexts(image, m_geometry, texts, drawn);
    lblP2GTp0->setVisible(two);
    lblP2Equal->setVisible(two);
    imgBeta->update();
    errors.rethrowFirst();
}

void TfrmChartM::showSurfaceMenu(QPoint globalPos) {
    QMenu menu(this);
    menu.addAction("Save &image...", this, &TfrmChartM::saveImage);
    menu.exec(globalPos);
}

void TfrmChartM::saveImage() {
    runHandler([this] {
        TChartImage picture;
        picture.raster = [this] { return imgBeta->image(); };
        picture.svg = [this] { return svgOfRaster(imgBeta->image()); };
        saveChartImage(m_ui, picture, m_saveName);
    });
}
