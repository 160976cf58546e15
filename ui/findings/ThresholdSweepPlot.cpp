#include "ui/findings/ThresholdSweepPlot.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/Win1250.h"
#include "stats/ConditionText.h"

namespace {

constexpr TPlotColor kAxis{90, 90, 90};
constexpr TPlotColor kContext{120, 120, 120};
constexpr TPlotColor kBand{215, 215, 215};
constexpr TPlotColor kLess{0, 0, 255};
constexpr TPlotColor kGreater{230, 120, 0};

std::string num(double value, int decimals) {
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

TPlotShape line(double x1, double y1, double x2, double y2, TPlotColor c) {
    return {TPlotShape::Line, x1, y1, x2, y2, c, false, {}};
}

TPlotShape text(double x, double y, const std::string& t) {
    return {TPlotShape::Text, x, y, 0, 0, kAxis, false, t};
}

}  // namespace

TSweepPlot layoutSweepPlot(const TThresholdSweep& sweep, int width, int height) {
    TSweepPlot plot;
    const double left = 50, right = width - 20.0, top = 30, bottom = height - 40.0;
    double low = 0, high = 1;
    if (!sweep.points.empty()) {
        low = high = sweep.points.front().x;
        for (const TSweepPoint& p : sweep.points)
            low = std::min(low, p.x), high = std::max(high, p.x);
    }
    // The end ticks name the outermost thresholds themselves, not the padded axis ends.
    const double firstThreshold = low, lastThreshold = high;
    if (high - low <= 0) low -= 1, high += 1;
    const double margin = (high - low) * 0.05;
    low -= margin, high += margin;
    auto xOf = [&](double x) { return left + (x - low) / (high - low) * (right - left); };
    auto yOf = [&](double p) { return bottom - std::clamp(p, 0.0, 1.0) * (bottom - top); };

    const TFindings& f = sweep.findings;
    // In values, as the findings read: a threshold b of the field splits it into "<= b" and "> b".
    const std::string& field = sweep.fieldName;
    plot.shapes.push_back(text(left, 18,
                               "Rate of " + f.targetText + " under " + field + " <= b (blue) and " +
                                   field + " > b (orange)"));
    // The context's band and rate across the whole width.
    plot.shapes.push_back(
        {TPlotShape::Rect, left, yOf(f.context.high), right, yOf(f.context.low), kBand, true, {}});
    plot.shapes.push_back(line(left, yOf(f.context.rate), right, yOf(f.context.rate), kContext));
    // Axes with ticks at 0, 0.5 and 1 and at both ends of the field's range.
    plot.shapes.push_back(line(left, top, left, bottom, kAxis));
    plot.shapes.push_back(line(left, bottom, right, bottom, kAxis));
    for (double p : {0.0, 0.5, 1.0}) {
        plot.shapes.push_back(line(left - 4, yOf(p), left, yOf(p), kAxis));
        plot.shapes.push_back(text(8, yOf(p) + 4, num(p, 1)));
    }
    for (double x : {firstThreshold, lastThreshold}) {
        plot.shapes.push_back(line(xOf(x), bottom, xOf(x), bottom + 4, kAxis));
        plot.shapes.push_back(text(xOf(x) - 12, bottom + 18, boundaryText(x)));
    }
    plot.shapes.push_back(text((left + right) / 2 - 40, bottom + 34, "b: threshold of " + field));
    for (const TSweepPoint& p : sweep.points) {
        const TPlotColor c = p.less ? kLess : kGreater;
        // The two series side by side, so that a "<=" and a ">" at one threshold both show.
        const double x = xOf(p.x) + (p.less ? -3 : 3);
        plot.shapes.push_back(line(x, yOf(p.finding.rule.low), x, yOf(p.finding.rule.high), c));
        const double y = yOf(p.finding.rule.rate);
        plot.shapes.push_back({TPlotShape::Circle, x, y, 4, 0, c, p.finding.flagged, {}});
        plot.pointCentres.emplace_back(x, y);
    }
    return plot;
}

int sweepPointAt(const TSweepPlot& plot, double x, double y, double radius) {
    int best = -1;
    double bestDistance = radius;
    for (size_t i = 0; i < plot.pointCentres.size(); ++i) {
        const double d =
            std::hypot(plot.pointCentres[i].first - x, plot.pointCentres[i].second - y);
        if (d <= bestDistance) best = static_cast<int>(i), bestDistance = d;
    }
    return best;
}

std::string sweepPlotSvg(const TSweepPlot& plot, int width, int height) {
    auto colour = [](TPlotColor c) {
        return "rgb(" + std::to_string(c.red) + "," + std::to_string(c.green) + "," +
               std::to_string(c.blue) + ")";
    };
    auto escaped = [](const std::string& text1250) {
        std::string out;
        for (char c : win1250ToUtf8(text1250)) {
            if (c == '<')
                out += "&lt;";
            else if (c == '>')
                out += "&gt;";
            else if (c == '&')
                out += "&amp;";
            else
                out += c;
        }
        return out;
    };
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
        std::to_string(width) + "\" height=\"" + std::to_string(height) + "\">\n" +
        "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    for (const TPlotShape& s : plot.shapes) {
        switch (s.kind) {
            case TPlotShape::Line:
                svg += "<line x1=\"" + num(s.x1, 1) + "\" y1=\"" + num(s.y1, 1) + "\" x2=\"" +
                       num(s.x2, 1) + "\" y2=\"" + num(s.y2, 1) + "\" stroke=\"" + colour(s.color) +
                       "\"/>\n";
                break;
            case TPlotShape::Rect:
                svg += "<rect x=\"" + num(s.x1, 1) + "\" y=\"" + num(s.y1, 1) + "\" width=\"" +
                       num(s.x2 - s.x1, 1) + "\" height=\"" + num(s.y2 - s.y1, 1) + "\" fill=\"" +
                       colour(s.color) + "\"/>\n";
                break;
            case TPlotShape::Circle:
                svg += "<circle cx=\"" + num(s.x1, 1) + "\" cy=\"" + num(s.y1, 1) + "\" r=\"" +
                       num(s.x2, 1) + "\" stroke=\"" + colour(s.color) + "\" fill=\"" +
                       (s.filled ? colour(s.color) : std::string("white")) + "\"/>\n";
                break;
            case TPlotShape::Text:
                svg += "<text x=\"" + num(s.x1, 1) + "\" y=\"" + num(s.y1, 1) +
                       "\" font-family=\"sans-serif\" font-size=\"11\" fill=\"" + colour(s.color) +
                       "\">" + escaped(s.text) + "</text>\n";
                break;
        }
    }
    return svg + "</svg>\n";
}
