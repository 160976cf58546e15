#include "ui/findings/uThresholdSweep.h"

#include <QDialogButtonBox>
#include <QHelpEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/charts/ChartImageFile.h"
#include "ui/charts/PngBytes.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/text/QtText.h"

void paintSweepPlot(QPainter& painter, const TSweepPlot& plot) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The size the layout measured its texts by, as the SVG file writes them.
    QFont font = painter.font();
    font.setPixelSize(kSweepFontPixels);
    painter.setFont(font);
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
                if (s.upright) {
                    painter.save();
                    painter.translate(s.x1, s.y1);
                    painter.rotate(-90);
                    painter.drawText(QPointF(0, 0), qtText(s.text));
                    painter.restore();
                } else {
                    painter.drawText(QPointF(s.x1, s.y1), qtText(s.text));
                }
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

bool TSweepChart::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int point = sweepPointAt(plot(), help->pos().x(), help->pos().y());
        if (point >= 0)
            QToolTip::showText(help->globalPos(), qtText(sweepPointTip(m_sweep, point)), this);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
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
    resize(680, 440);
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
    // Wide enough for the chart's title and legend and for the window's own title.
    const int titleWidth = fontMetrics().horizontalAdvance(windowTitle()) + 160;
    const int needed = std::max(sweepPlotWidthNeeded(sweep), titleWidth);
    chart->setMinimumWidth(std::max(420, sweepPlotWidthNeeded(sweep)));
    if (width() < needed + 24) resize(needed + 24, height());
}

TChartImage TfrmThresholdSweep::image() const {
    TChartImage image;
    image.raster = [this] {
        QImage picture(chart->size(), QImage::Format_RGB32);
        picture.fill(Qt::white);
        QPainter painter(&picture);
        paintSweepPlot(painter, chart->plot());
        return picture;
    };
    image.svg = [this] { return sweepPlotSvg(chart->plot(), chart->width(), chart->height()); };
    return image;
}

void TfrmThresholdSweep::savePng(const std::string& path) const {
    writeChartFile(path, pngBytes(image().raster()));
}

void TfrmThresholdSweep::saveSvg(const std::string& path) const {
    writeChartFile(path, image().svg());
}

void TfrmThresholdSweep::btnSaveClick(bool svg) {
    runGuarded(m_ui, [&] {
        saveChartImage(m_ui, image(), m_saveName,
                       svg ? TChartImageFormats::Svg : TChartImageFormats::Png);
    });
}
