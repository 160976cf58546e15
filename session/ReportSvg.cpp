#include "session/ReportSvg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/Win1250.h"

namespace {

// A coordinate with one decimal and a "." whatever the locale.
std::string coordinate(double value) {
    if (!std::isfinite(value)) value = 0;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", value);
    std::string text = buffer;
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string rateText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    std::string text = buffer;
    std::replace(text.begin(), text.end(), ',', '.');
    return text;
}

std::string line(double x1, double y1, double x2, double y2, const char* style) {
    return "<line x1=\"" + coordinate(x1) + "\" y1=\"" + coordinate(y1) + "\" x2=\"" +
           coordinate(x2) + "\" y2=\"" + coordinate(y2) + "\" style=\"" + style + "\"/>";
}

std::string dot(double x, double y, const char* colour) {
    return "<circle cx=\"" + coordinate(x) + "\" cy=\"" + coordinate(y) + "\" r=\"3\" fill=\"" +
           colour + "\"/>";
}

std::string label(double x, double y, const std::string& text, const char* anchor = "start") {
    return "<text x=\"" + coordinate(x) + "\" y=\"" + coordinate(y) + "\" font-size=\"11\" " +
           "font-family=\"sans-serif\" text-anchor=\"" + anchor + "\">" + text + "</text>";
}

std::string svgOpen(double width, double height) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + coordinate(width) +
           "\" height=\"" + coordinate(height) + "\" viewBox=\"0 0 " + coordinate(width) + " " +
           coordinate(height) + "\">";
}

// Rises blue, falls red, as the grids colour them.
const char* directionColour(const TFinding& finding) {
    return finding.difference > 0 ? "#1f4fbf" : finding.difference < 0 ? "#c0392b" : "#555555";
}

}  // namespace

std::string xmlText(const std::string& text) {
    std::string out;
    for (const char c : win1250ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string findingsIntervalSvg(const TFindings& findings, int rows) {
    const int shown = std::min<int>(rows, static_cast<int>(findings.ranked.size()));
    constexpr double kLabelWidth = 220, kPlotWidth = 400, kRowHeight = 18, kTop = 24;
    const double height = kTop + shown * kRowHeight + 10;
    auto x = [&](double rate) { return kLabelWidth + std::clamp(rate, 0.0, 1.0) * kPlotWidth; };
    std::string svg = svgOpen(kLabelWidth + kPlotWidth + 20, height);
    // The rate axis from 0 to 1, with the context's rate across every row.
    for (int tick = 0; tick <= 4; ++tick) {
        const double rate = tick / 4.0;
        svg += line(x(rate), kTop - 4, x(rate), height - 10, "stroke:#dddddd");
        svg += label(x(rate), kTop - 8, rateText(rate), "middle");
    }
    svg += line(x(findings.context.rate), kTop - 4, x(findings.context.rate), height - 10,
                "stroke:#333333;stroke-dasharray:4,3");
    for (int row = 0; row < shown; ++row) {
        const TFinding& finding = findings.ranked[row];
        const double y = kTop + row * kRowHeight + kRowHeight / 2;
        svg += label(kLabelWidth - 6, y + 4, xmlText(finding.condition), "end");
        svg += line(x(finding.rule.low), y, x(finding.rule.high), y,
                    (std::string("stroke-width:2;stroke:") + directionColour(finding)).c_str());
        svg += dot(x(finding.rule.rate), y, directionColour(finding));
    }
    return svg + "</svg>";
}

std::string thresholdSweepSvg(const TThresholdSweep& sweep) {
    constexpr double kLeft = 50, kWidth = 520, kTop = 20, kHeight = 220;
    double low = 0, high = 1;
    if (!sweep.points.empty()) {
        low = high = sweep.points.front().x;
        for (const TSweepPoint& point : sweep.points) {
            low = std::min(low, point.x);
            high = std::max(high, point.x);
        }
    }
    if (high <= low) high = low + 1;
    auto x = [&](double value) { return kLeft + (value - low) / (high - low) * kWidth; };
    auto y = [&](double rate) { return kTop + (1 - std::clamp(rate, 0.0, 1.0)) * kHeight; };
    std::string svg = svgOpen(kLeft + kWidth + 30, kTop + kHeight + 40);
    svg += line(kLeft, y(0), kLeft + kWidth, y(0), "stroke:#888888");
    svg += line(kLeft, y(0), kLeft, y(1), "stroke:#888888");
    for (int tick = 0; tick <= 4; ++tick)
        svg += label(kLeft - 6, y(tick / 4.0) + 4, rateText(tick / 4.0), "end");
    svg += label(x(low), y(0) + 16, xmlText(sweep.fieldName + " " + rateText(low)), "start");
    svg += label(x(high), y(0) + 16, rateText(high), "end");
    svg += line(kLeft, y(sweep.findings.context.rate), kLeft + kWidth,
                y(sweep.findings.context.rate), "stroke:#333333;stroke-dasharray:4,3");
    for (const bool less : {true, false}) {
        const char* colour = less ? "#1f4fbf" : "#c07f00";
        std::string points;
        for (const TSweepPoint& point : sweep.points) {
            if (point.less != less) continue;
            const TRateEstimate& rate = point.finding.rule;
            svg += line(x(point.x), y(rate.low), x(point.x), y(rate.high),
                        (std::string("stroke-opacity:0.4;stroke:") + colour).c_str());
            svg += dot(x(point.x), y(rate.rate), colour);
            points += coordinate(x(point.x)) + "," + coordinate(y(rate.rate)) + " ";
        }
        if (!points.empty()) {
            points.pop_back();
            svg += "<polyline fill=\"none\" stroke=\"" + std::string(colour) + "\" points=\"" +
                   points + "\"/>";
        }
    }
    svg += label(kLeft + kWidth, kTop - 6, "blue: &lt;=, orange: &gt;", "end");
    return svg + "</svg>";
}
