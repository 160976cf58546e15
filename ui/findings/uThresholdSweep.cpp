#include "ui/findings/uThresholdSweep.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "ui/charts/PngBytes.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/text/QtText.h"

namespace {

// Both formats are written whole: a failed save leaves an earlier picture of that name as it was.
void writeChartFile(const std::string& path, const std::string& bytes) {
    try {
        replaceFileWhole(path, bytes);
    } catch (const EInOutError& error) {
        throw EInOutError("The chart could not be saved to \"" + displayPath(path) +
                          "\": " + error.what());
    }
}

}  // namespace

void paintSweepPlot(QPainter& painter, const TSweepPlot& plot) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const TPlotShape& s : plot.shapes) {
        const QColor colour(s.color.red, s.color.green, s.color.blue);
        switch (s.kind) {
            case TPlotShape::Line:
                painter.setPen(colour);
                painter.drawLine(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2));
                break;
            case TPlotShape::Rect:
                painter.fillRect(QRectF(QPointF(s.x1, s.y1), QPointF(s.x2, s.y2)), colour);
                break;
            case TPlotShape::Circle:
                painter.setPen(colour);
                painter.setBrush(s.filled ? QBrush(colour) : QBrush(Qt::white));
                painter.drawEllipse(QPointF(s.x1, s.y1), s.x2, s.x2);
                break;
            case TPlotShape::Text:
                painter.setPen(colour);
                painter.drawText(QPointF(s.x1, s.y1), qtText(s.text));
                break;
        }
    }
    painter.restore();
}

TSweepChart::TSweepChart(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("chtSweep"));
    setMinimumSize(420, 260);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
}

void TSweepChart::setSweep(const TThresholdSweep& sweep) {
    m_sweep = sweep;
    update();
}

void TSweepChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSweepPlot(painter, plot());
}

void TSweepChart::mousePressEvent(QMouseEvent* event) {
    const int point = sweepPointAt(plot(), event->position().x(), event->position().y());
    if (point >= 0) emit pointClicked(m_sweep.points[point].finding.setNumber);
}

TfrmThresholdSweep::TfrmThresholdSweep(TTavUiOps& ui, std::function<void(int)> activate,
                                       QWidget* parent)
    : QDialog(parent), m_ui(ui), m_activate(std::move(activate)) {
    setObjectName(QStringLiteral("frmThresholdSweep"));
    setWindowTitle(QStringLiteral("Threshold sweep"));
    auto* layout = new QVBoxLayout(this);
    chart = new TSweepChart(this);
    layout->addWidget(chart, 1);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* png =
        buttons->addButton(QStringLiteral("Save as &PNG..."), QDialogButtonBox::ActionRole);
    png->setObjectName(QStringLiteral("btnSavePng"));
    QPushButton* svg =
        buttons->addButton(QStringLiteral("Save as S&VG..."), QDialogButtonBox::ActionRole);
    svg->setObjectName(QStringLiteral("btnSaveSvg"));
    buttons->addButton(QDialogButtonBox::Close);
    layout->addWidget(buttons);
    connect(png, &QPushButton::clicked, this, [this] { btnSaveClick(false); });
    connect(svg, &QPushButton::clicked, this, [this] { btnSaveClick(true); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(chart, &TSweepChart::pointClicked, this, [this](int setNumber) {
        if (m_activate) m_activate(setNumber);
    });
}

void TfrmThresholdSweep::setSweep(const TThresholdSweep& sweep) {
    chart->setSweep(sweep);
    setWindowTitle(
        qtText("Threshold sweep: " + sweep.findings.targetText + " by " + sweep.fieldName));
}

void TfrmThresholdSweep::savePng(const std::string& path) const {
    QImage image(chart->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintSweepPlot(painter, chart->plot());
    painter.end();
    writeChartFile(path, pngBytes(image));
}

void TfrmThresholdSweep::saveSvg(const std::string& path) const {
    writeChartFile(path, sweepPlotSvg(chart->plot(), chart->width(), chart->height()));
}

void TfrmThresholdSweep::btnSaveClick(bool svg) {
    runGuarded(m_ui, [&] {
        const std::optional<std::string> path =
            svg ? m_ui.saveFile("SVG images (*.svg)", "sweep.svg")
                : m_ui.saveFile("PNG images (*.png)", "sweep.png");
        if (!path) return;
        svg ? saveSvg(*path) : savePng(*path);
    });
}
