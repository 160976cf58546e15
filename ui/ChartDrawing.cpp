#include "ui/ChartDrawing.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/LocaleFormat.h"
#include "core/TextUtils.h"
#include "core/Win1250.h"
#include "stats/uTavBeta.h"

namespace {

// How far outside the image a line end may lie before it is clipped; within it the painter
// receives the exact end pixels.
constexpr double kFar = 2000;

// Clips the segment p..q to the rectangle (Liang-Barsky); false when nothing of it is inside.
bool clipSegment(QPointF& p, QPointF& q, double left, double top, double right, double bottom) {
    const double dx = q.x() - p.x();
    const double dy = q.y() - p.y();
    double t0 = 0;
    double t1 = 1;
    const double edges[4][2] = {
        {-dx, p.x() - left}, {dx, right - p.x()}, {-dy, p.y() - top}, {dy, bottom - p.y()}};
    for (const auto& [denominator, distance] : edges) {
        if (denominator == 0) {
            if (distance < 0) return false;
            continue;
        }
        const double t = distance / denominator;
        if (denominator < 0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const QPointF start = p;
    p = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    q = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

bool finite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// The value of a beta function, or none (the error kept) when it fails.
template <class Function>
std::optional<double> tryValue(TDrawErrors& errors, Function&& function) {
    std::optional<double> value;
    errors.attempt([&] { value = function(); });
    return value;
}

// The vertical line and the text of the quantiles p and 1 - p.
void drawBoundaries(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                    double p, double lineLow, double lineHigh, double textY, TDrawErrors& errors) {
    for (const double level : {p, 1 - p}) {
        const std::optional<double> q = tryValue(errors, [&] { return beta.Quantile(level); });
        if (!q) continue;
        drawChartLine(image, g.PlotToPixel(*q, lineLow), g.PlotToPixel(*q, lineHigh), c);
        drawBoxedText(image, g.PlotToPixel(*q, textY), pictureNumber(*q, 2));
    }
}

}  // namespace

QPointF TChartGeometry::PlotToPixel(double x, double y) const {
    return QPointF(49 + std::nearbyint(PW * x), Y0 - std::nearbyint(S * y));
}

std::string pictureNumber(double x, int decimals) {
    std::string text = realToText(0, decimals, x);
    const size_t point = text.find('.');
    if (point != std::string::npos) text[point] = localeFormat().decimalSeparator;
    return text;
}

void drawBoxedText(QImage& image, QPointF topLeft, const std::string& text) {
    if (!finite(topLeft) || std::abs(topLeft.x()) > kFar || std::abs(topLeft.y()) > kFar) return;
    QPainter painter(&image);
    painter.setFont(QGuiApplication::font());
    const QString shown = QString::fromUtf8(win1250ToUtf8(text));
    const QFontMetrics metrics(painter.font(), &image);
    const QRect box(topLeft.toPoint(), QSize(metrics.horizontalAdvance(shown), metrics.height()));
    painter.fillRect(box, Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, shown);
}

void drawChartLine(QImage& image, QPointF from, QPointF to, const QColor& color) {
    if (!finite(from) || !finite(to)) return;
    const QPointF originalFrom = from;
    const QPointF originalTo = to;
    if (!clipSegment(from, to, -kFar, -kFar, image.width() + kFar, image.height() + kFar)) return;
    QPainter painter(&image);
    painter.setPen(QPen(color, 1, Qt::SolidLine, Qt::SquareCap));
    painter.drawLine(QLineF(from, to));
    // Both end pixels belong to the line, whatever the pen's cap does with them.
    for (const QPointF end : {originalFrom, originalTo}) {
        const QPoint pixel = end.toPoint();
        if (image.rect().contains(pixel) && end == QPointF(pixel))
            image.setPixelColor(pixel, color);
    }
}

void clearChart(QImage& image) {
    image.fill(Qt::white);
}

void drawAxes(QImage& image, const TChartGeometry& g) {
    const QColor black(0, 0, 0);
    const int right = 49 + g.PW;
    const int unit = g.Y0 - g.S;
    drawChartLine(image, QPointF(44, g.Y0), QPointF(right + 5, g.Y0), black);
    drawChartLine(image, QPointF(49, g.Y0), QPointF(49, 49), black);
    drawChartLine(image, QPointF(49, unit), QPointF(44, unit), black);
    drawChartLine(image, QPointF(right, g.Y0), QPointF(right, 49), black);
    drawChartLine(image, QPointF(right, unit), QPointF(right + 5, unit), black);
    drawBoxedText(image, QPointF(19, unit - 6), "1.0");
    for (int i = 0; i <= 10; ++i) {
        const double x = 49 + std::nearbyint(g.PW * i / 10.0);
        drawChartLine(image, QPointF(x, g.Y0 + 5), QPointF(x, g.Y0), black);
    }
}

void DrawBetaCurves(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                    double h, const TChartCurves& show, TDrawErrors& errors) {
    if (show.distribution) {
        // Each point is computed once; a point that fails leaves out its two segments.
        std::optional<double> previous = tryValue(errors, [&] { return beta.Cdf(0.0); });
        for (int i = 1; i <= 100; ++i) {
            const std::optional<double> current =
                tryValue(errors, [&] { return beta.Cdf(i / 100.0); });
            if (previous && current) {
                drawChartLine(image, g.PlotToPixel((i - 1) / 100.0, *previous),
                              g.PlotToPixel(i / 100.0, *current), c);
            }
            previous = current;
        }
    }
    if (show.meanAndStd) {
        const double mu = beta.Mean();
        const double sigma = beta.StdDev();
        drawChartLine(image, g.PlotToPixel(mu, 0), g.PlotToPixel(mu, 1), c);
        drawChartLine(image, g.PlotToPixel(mu - sigma, h), g.PlotToPixel(mu + sigma, h), c);
        drawChartLine(image, g.PlotToPixel(mu - sigma, h - 0.1), g.PlotToPixel(mu - sigma, h + 0.1),
                      c);
        drawChartLine(image, g.PlotToPixel(mu + sigma, h - 0.1), g.PlotToPixel(mu + sigma, h + 0.1),
                      c);
        drawBoxedText(image, g.PlotToPixel(mu, -0.1), pictureNumber(mu, 2));
        drawBoxedText(image, g.PlotToPixel(mu + sigma + 0.02, h), pictureNumber(sigma, 2));
    }
    if (show.boundaries10) drawBoundaries(image, g, beta, c, 0.1, 0.1, 0.9, -0.21, errors);
    if (show.boundaries5) drawBoundaries(image, g, beta, c, 0.05, 0.1, 0.9, -0.21, errors);
    if (show.boundaries1) drawBoundaries(image, g, beta, c, 0.01, 0.2, 0.8, -0.32, errors);
}

void DrawBetaDensity(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                     TDrawErrors& errors) {
    std::optional<double> previous;
    for (int i = 1; i <= 99; ++i) {
        const double a = i / 100.0 - 0.005;
        const double b = i / 100.0 + 0.005;
        const std::optional<double> atA = tryValue(errors, [&] { return beta.Cdf(a); });
        const std::optional<double> atB =
            atA ? tryValue(errors, [&] { return beta.Cdf(b); }) : std::optional<double>();
        std::optional<double> current;
        if (atA && atB) current = (*atB - *atA) / (b - a);
        if (i >= 2 && previous && current) {
            drawChartLine(image, g.PlotToPixel(a, *previous), g.PlotToPixel(b, *current), c);
        }
        previous = current;
    }
}
