#include "ui/charts/ChartDrawing.h"

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
// The pixels a placed text keeps free left and right of its box, so that two numbers side by side
// never read as one and no text touches a vertical axis.
constexpr int kTextMargin = 2;

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

// A line of a curve, cut at the edges of the plot; the box of what is drawn goes to `curves`.
void drawPlotLine(QImage& image, const TChartGeometry& g, QPointF from, QPointF to, const QColor& c,
                  std::vector<TPixelRect>* curves) {
    if (!finite(from) || !finite(to)) return;
    const TPixelRect plot = g.plotRect();
    if (!clipSegment(from, to, plot.left, plot.top, plot.right() - 1, plot.bottom() - 1)) return;
    // The cut ends are whole pixels, as the unclipped ones are.
    from = QPointF(std::round(from.x()), std::round(from.y()));
    to = QPointF(std::round(to.x()), std::round(to.y()));
    drawChartLine(image, from, to, c);
    if (curves == nullptr) return;
    const int left = static_cast<int>(std::min(from.x(), to.x()));
    const int top = static_cast<int>(std::min(from.y(), to.y()));
    curves->push_back({left, top, static_cast<int>(std::fabs(to.x() - from.x())) + 1,
                       static_cast<int>(std::fabs(to.y() - from.y())) + 1});
}

// The vertical line and the text of the quantiles p and 1 - p.
void drawBoundaries(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                    double p, double lineLow, double lineHigh, double textY, TDrawErrors& errors,
                    std::vector<TChartText>& texts, std::vector<TPixelRect>* curves) {
    for (const double level : {p, 1 - p}) {
        const std::optional<double> q = tryValue(errors, [&] { return beta.Quantile(level); });
        if (!q) continue;
        drawPlotLine(image, g, g.PlotToPixel(*q, lineLow), g.PlotToPixel(*q, lineHigh), c, curves);
        texts.push_back({g.PlotToPixel(*q, textY), pictureNumber(*q, 2)});
    }
}

// A black line of the axes, its end pixels included.
struct TAxisSegment {
    QPoint from;
    QPoint to;
};

// The axes, the unit ticks of both vertical axes and the eleven ticks under the x axis.
std::vector<TAxisSegment> axisSegments(const TChartGeometry& g) {
    const int right = 49 + g.PW;
    const int unit = g.Y0 - g.S;
    std::vector<TAxisSegment> segments{{{44, g.Y0}, {right + 5, g.Y0}},
                                       {{49, g.Y0}, {49, 49}},
                                       {{49, unit}, {44, unit}},
                                       {{right, g.Y0}, {right, 49}},
                                       {{right, unit}, {right + 5, unit}}};
    for (int i = 0; i <= 10; ++i) {
        const int x = 49 + int(std::nearbyint(g.PW * i / 10.0));
        segments.push_back({{x, g.Y0 + 5}, {x, g.Y0}});
    }
    return segments;
}

// Whether a text may be written from this pixel at all.
bool writable(QPointF topLeft) {
    return finite(topLeft) && std::abs(topLeft.x()) <= kFar && std::abs(topLeft.y()) <= kFar;
}

QString shownText(const std::string& text) {
    return QString::fromUtf8(win1250ToUtf8(text));
}

// The size of a text's white box in the default font.
QSize textBoxSize(const QImage& image, const QString& shown) {
    const QFontMetrics metrics(QGuiApplication::font(), &image);
    return QSize(metrics.horizontalAdvance(shown), metrics.height());
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
    if (!writable(topLeft)) return;
    const QString shown = shownText(text);
    const QRect box(topLeft.toPoint(), textBoxSize(image, shown));
    QPainter painter(&image);
    painter.setFont(QGuiApplication::font());
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
    drawAxisLines(image, g);
    const TChartText text = axisText(g);
    drawBoxedText(image, text.at, text.text);
}

void drawAxisLines(QImage& image, const TChartGeometry& g) {
    for (const TAxisSegment& segment : axisSegments(g))
        drawChartLine(image, segment.from, segment.to, QColor(0, 0, 0));
}

TChartText axisText(const TChartGeometry& g) {
    return {QPointF(19, g.Y0 - g.S - 6), "1.0"};
}

std::vector<TChartText> xAxisTexts(const QImage& image, const TChartGeometry& g) {
    std::vector<TChartText> texts;
    for (int i = 0; i <= 10; ++i) {
        const std::string text = pictureNumber(i / 10.0, 1);
        const int width = textBoxSize(image, shownText(text)).width();
        const int x = 49 + int(std::nearbyint(g.PW * i / 10.0));
        // Just under the tick, which reaches 5 pixels below the axis.
        texts.push_back({QPointF(x - width / 2, g.Y0 + 6), text});
    }
    return texts;
}

std::vector<TPixelRect> axisObstacles(const TChartGeometry& g) {
    std::vector<TPixelRect> obstacles;
    for (const TAxisSegment& s : axisSegments(g)) {
        const int left = std::min(s.from.x(), s.to.x());
        const int top = std::min(s.from.y(), s.to.y());
        obstacles.push_back(
            {left, top, std::abs(s.to.x() - s.from.x()) + 1, std::abs(s.to.y() - s.from.y()) + 1});
    }
    return obstacles;
}

std::vector<TChartLabel> writeChartTexts(QImage& image, const TChartGeometry& g,
                                         const std::vector<TChartText>& texts,
                                         const std::vector<TPixelRect>& curves) {
    std::vector<TChartLabel> labels;
    std::vector<TPixelRect> wanted;
    for (const TChartText& text : texts) {
        if (!writable(text.at)) continue;
        const QPoint at = text.at.toPoint();
        const QSize size = textBoxSize(image, shownText(text.text));
        labels.push_back({text.text, {at.x(), at.y(), size.width(), size.height()}, std::nullopt});
        const TPixelRect& box = labels.back().wanted;
        wanted.push_back(
            {box.left - kTextMargin, box.top, box.width + 2 * kTextMargin, box.height});
    }
    // The margins may reach past the sides of the image; the texts themselves may not.
    const TPixelRect surface{-kTextMargin, 0, image.width() + 2 * kTextMargin, image.height()};
    std::vector<TPixelRect> obstacles = axisObstacles(g);
    obstacles.insert(obstacles.end(), curves.begin(), curves.end());
    const std::vector<std::optional<TPixelRect>> boxes = placeLabels(wanted, obstacles, surface);
    for (size_t i = 0; i < labels.size(); ++i) {
        if (!boxes[i]) continue;
        TPixelRect& box = labels[i].box.emplace(labels[i].wanted);
        box.left = boxes[i]->left + kTextMargin;
        box.top = boxes[i]->top;
        drawBoxedText(image, QPointF(box.left, box.top), labels[i].text);
    }
    return labels;
}

void DrawBetaCurves(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                    double h, const TChartCurves& show, TDrawErrors& errors,
                    std::vector<TChartText>& texts, std::vector<TPixelRect>* curves) {
    if (show.distribution) {
        // Each point is computed once; a point that fails leaves out its two segments.
        std::optional<double> previous = tryValue(errors, [&] { return beta.Cdf(0.0); });
        for (int i = 1; i <= 100; ++i) {
            const std::optional<double> current =
                tryValue(errors, [&] { return beta.Cdf(i / 100.0); });
            if (previous && current) {
                drawPlotLine(image, g, g.PlotToPixel((i - 1) / 100.0, *previous),
                             g.PlotToPixel(i / 100.0, *current), c, curves);
            }
            previous = current;
        }
    }
    if (show.meanAndStd) {
        const double mu = beta.Mean();
        const double sigma = beta.StdDev();
        drawPlotLine(image, g, g.PlotToPixel(mu, 0), g.PlotToPixel(mu, 1), c, curves);
        drawPlotLine(image, g, g.PlotToPixel(mu - sigma, h), g.PlotToPixel(mu + sigma, h), c,
                     curves);
        drawPlotLine(image, g, g.PlotToPixel(mu - sigma, h - 0.1),
                     g.PlotToPixel(mu - sigma, h + 0.1), c, curves);
        drawPlotLine(image, g, g.PlotToPixel(mu + sigma, h - 0.1),
                     g.PlotToPixel(mu + sigma, h + 0.1), c, curves);
        texts.push_back({g.PlotToPixel(mu, -0.1), pictureNumber(mu, 2)});
        texts.push_back({g.PlotToPixel(mu + sigma + 0.02, h), pictureNumber(sigma, 2)});
    }
    if (show.boundaries10)
        drawBoundaries(image, g, beta, c, 0.1, 0.1, 0.9, -0.21, errors, texts, curves);
    if (show.boundaries5)
        drawBoundaries(image, g, beta, c, 0.05, 0.1, 0.9, -0.21, errors, texts, curves);
    if (show.boundaries1)
        drawBoundaries(image, g, beta, c, 0.01, 0.2, 0.8, -0.32, errors, texts, curves);
}

void DrawBetaDensity(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                     TDrawErrors& errors, std::vector<TPixelRect>* curves) {
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
            drawPlotLine(image, g, g.PlotToPixel(a, *previous), g.PlotToPixel(b, *current), c,
                         curves);
        }
        previous = current;
    }
}
