#include "ui/findings/ThresholdSweepPlot.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/Win1250.h"
#include "stats/ConditionText.h"

namespace {

// Dark enough for the texts to read as easily as the window's own.
constexpr TPlotColor kAxis{40, 40, 40};
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
    return {TPlotShape::Line, x1, y1, x2, y2, c, false, {}, false};
}

TPlotShape text(double x, double y, const std::string& t) {
    return {TPlotShape::Text, x, y, 0, 0, kAxis, false, t, false};
}

constexpr double kLeft = 56, kRight = 20, kFontHeight = 14;

double textWidth(const std::string& t) {
    return static_cast<double>(t.size()) * kSweepCharWidth;
}

// Ticks of the y axis between low and high at a round step, about five of them, with 0 and 1
// whenever they lie inside.
std::vector<double> yTicks(double low, double high) {
    const double span = high - low;
    double step = 1;
    for (double s : {0.5, 0.2, 0.1, 0.05, 0.02, 0.01, 0.005, 0.002, 0.001}) {
        if (span / s > 6) break;
        step = s;
    }
    std::vector<double> ticks;
    for (double v = std::ceil(low / step - 1e-9) * step; v <= high + 1e-9; v += step)
        ticks.push_back(std::round(v / step) * step + 0.0);  // + 0.0: a tick of -0 reads "0.0"
    for (double end : {0.0, 1.0}) {
        if (end >= low - 1e-9 && end <= high + 1e-9 &&
            std::none_of(ticks.begin(), ticks.end(),
                         [&](double t) { return std::fabs(t - end) < 1e-9; }))
            ticks.push_back(end);
    }
    std::sort(ticks.begin(), ticks.end());
    return ticks;
}

// A y tick with as many decimals as its step needs.
std::string yLabel(double value, double span) {
    return num(value, span >= 0.5 ? 1 : span >= 0.05 ? 2 : 3);
}

}  // namespace

std::string sweepPlotTitle(const TThresholdSweep& sweep) {
    // In values, as the findings read: a threshold b of the field splits it into "<= b" and "> b".
    const std::string& field = sweep.fieldName;
    return "Rate of " + sweep.findings.targetText + " under " + field + " <= b (blue) and " +
           field + " > b (orange)";
}

int sweepPlotWidthNeeded(const TThresholdSweep& sweep) {
    return static_cast<int>(std::ceil(textWidth(sweepPlotTitle(sweep)) + kLeft + kRight));
}

std::string sweepPointTip(const TThresholdSweep& sweep, int index) {
    if (index < 0 || index >= static_cast<int>(sweep.points.size())) return {};
    const TFinding& f = sweep.points[index].finding;
    return f.condition + "\nn = " + std::to_string(f.count) + ", of them " +
           std::to_string(f.targetCount) + " " + sweep.findings.targetText + "\nrate " +
           num(f.rule.rate, 3) + " (" + num(f.rule.low, 3) + " to " + num(f.rule.high, 3) + ")" +
           (f.flagged ? "; flagged" : "");
}

TSweepPlot layoutSweepPlot(const TThresholdSweep& sweep, int width, int height) {
    TSweepPlot plot;
    const TFindings& f = sweep.findings;
    double low = 0, high = 1;
    if (!sweep.points.empty()) {
        low = high = sweep.points.front().x;
        for (const TSweepPoint& p : sweep.points)
            low = std::min(low, p.x), high = std::max(high, p.x);
        // An INT field's values beside its outermost thresholds are labelled too.
        for (const auto& tick : sweep.ticks)
            low = std::min(low, tick.first), high = std::max(high, tick.first);
    }
    if (high - low <= 0) low -= 1, high += 1;
    const double margin = (high - low) * 0.05;
    low -= margin, high += margin;

    // The labels of the x axis stand upright when side by side they would overlap.
    const double left = kLeft, right = width - kRight, top = 48;
    double widest = 0;
    for (const auto& tick : sweep.ticks)
        widest = std::max(widest, textWidth(tick.second));
    auto xOf = [&](double x) { return left + (x - low) / (high - low) * (right - left); };
    bool upright = false;
    for (size_t i = 1; i < sweep.ticks.size(); ++i) {
        const double room = xOf(sweep.ticks[i].first) - xOf(sweep.ticks[i - 1].first);
        upright =
            upright ||
            room <
                (textWidth(sweep.ticks[i].second) + textWidth(sweep.ticks[i - 1].second)) / 2 + 6;
    }
    const double labelDepth = upright ? std::min(widest, height / 3.0) : kFontHeight;
    const double bottom = height - 30 - labelDepth;

    // The y axis spans the rates and intervals drawn, with a little room, inside 0..1.
    double yLow = f.context.low, yHigh = f.context.high;
    for (const TSweepPoint& p : sweep.points)
        yLow = std::min(yLow, p.finding.rule.low), yHigh = std::max(yHigh, p.finding.rule.high);
    if (!(yHigh > yLow)) yLow -= 0.05, yHigh += 0.05;
    const double pad = (yHigh - yLow) * 0.05;
    yLow = std::max(0.0, yLow - pad), yHigh = std::min(1.0, yHigh + pad);
    if (!(yHigh > yLow)) yLow = 0, yHigh = 1;
    auto yOf = [&](double p) {
        return bottom - (std::clamp(p, yLow, yHigh) - yLow) / (yHigh - yLow) * (bottom - top);
    };

    plot.shapes.push_back(text(left, 18, sweepPlotTitle(sweep)));
    // The legend: what a filled and a hollow point mean.
    const std::string flagged = "flagged (lfsr within the level)";
    const std::string plain = "not flagged";
    double lx = left;
    for (const bool filled : {true, false}) {
        plot.shapes.push_back({TPlotShape::Circle, lx + 4, 32, 4, 0, kAxis, filled, {}, false});
        const std::string& label = filled ? flagged : plain;
        plot.shapes.push_back(text(lx + 12, 36, label));
        lx += 12 + textWidth(label) + 6;
    }
    // The context's band and rate across the whole width.
    plot.shapes.push_back({TPlotShape::Rect,
                           left,
                           yOf(f.context.high),
                           right,
                           yOf(f.context.low),
                           kBand,
                           true,
                           {},
                           false});
    plot.shapes.push_back(line(left, yOf(f.context.rate), right, yOf(f.context.rate), kContext));
    plot.shapes.push_back(line(left, top, left, bottom, kAxis));
    plot.shapes.push_back(line(left, bottom, right, bottom, kAxis));
    for (double p : yTicks(yLow, yHigh)) {
        const std::string label = yLabel(p, yHigh - yLow);
        plot.shapes.push_back(line(left - 4, yOf(p), left, yOf(p), kAxis));
        plot.shapes.push_back(text(left - 6 - textWidth(label), yOf(p) + 4, label));
    }
    for (const auto& [x, label] : sweep.ticks) {
        plot.shapes.push_back(line(xOf(x), bottom, xOf(x), bottom + 4, kAxis));
        if (upright) {
            TPlotShape t = text(xOf(x) + 4, bottom + 8 + textWidth(label), label);
            t.upright = true;
            plot.shapes.push_back(t);
        } else {
            plot.shapes.push_back(text(xOf(x) - textWidth(label) / 2, bottom + 16, label));
        }
    }
    plot.shapes.push_back(
        text((left + right) / 2 - 40, height - 10.0, "b: threshold of " + sweep.fieldName));
    for (const TSweepPoint& p : sweep.points) {
        const TPlotColor c = p.less ? kLess : kGreater;
        // The two series side by side, so that a "<=" and a ">" at one threshold both show.
        const double x = xOf(p.x) + (p.less ? -3 : 3);
        plot.shapes.push_back(line(x, yOf(p.finding.rule.low), x, yOf(p.finding.rule.high), c));
        const double y = yOf(p.finding.rule.rate);
        plot.shapes.push_back({TPlotShape::Circle, x, y, 4, 0, c, p.finding.flagged, {}, false});
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
                       "\" font-family=\"sans-serif\" font-size=\"" +
                       std::to_string(kSweepFontPixels) + "\" fill=\"" + colour(s.color) + "\"" +
                       (s.upright
                            ? " transform=\"rotate(-90 " + num(s.x1, 1) + " " + num(s.y1, 1) + ")\""
                            : std::string()) +
                       ">" + escaped(s.text) + "</text>\n";
                break;
        }
    }
    return svg + "</svg>\n";
}
