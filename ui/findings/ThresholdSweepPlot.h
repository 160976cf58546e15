#pragma once

#include <string>
#include <vector>

#include "stats/uTavThresholdSweep.h"

// The picture of a threshold sweep as plain shapes in pixels, so that the window, a PNG and an
// SVG file draw the same: the axes, the context rate as a horizontal line with its band, and per
// threshold a vertical interval band with the rate as a circle, blue for "<=" and orange for ">"
// thresholds, filled when the threshold is flagged; a legend says so. The y axis spans the rates
// and intervals shown (0 and 1 marked when inside it); every threshold's value labels the x axis,
// turned upright when the labels would not fit side by side.

struct TPlotColor {
    unsigned char red = 0, green = 0, blue = 0;
};

struct TPlotShape {
    enum Kind { Line, Rect, Circle, Text } kind = Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line ends; rect corners; circle centre and radius
    TPlotColor color;
    bool filled = false;
    std::string text;      // Windows-1250
    bool upright = false;  // a text turned a quarter left, reading upwards from (x1, y1)
};

// The pixel size of the plot's font and the width a character is given when texts are laid out.
inline constexpr int kSweepFontPixels = 11;
inline constexpr double kSweepCharWidth = 6.5;

struct TSweepPlot {
    std::vector<TPlotShape> shapes;
    // Per point of the sweep, in its order: where it is drawn.
    std::vector<std::pair<double, double>> pointCentres;
};

// Lays out `sweep` in a picture of width x height pixels.
TSweepPlot layoutSweepPlot(const TThresholdSweep& sweep, int width, int height);

// The plot's title line ("Rate of STATUS = dead under BILI <= b (blue) and BILI > b (orange)").
std::string sweepPlotTitle(const TThresholdSweep& sweep);

// The width in pixels a picture of `sweep` needs for its title and legend to fit.
int sweepPlotWidthNeeded(const TThresholdSweep& sweep);

// The tip of point `index` of `sweep`: its condition, n, k and rate with the interval.
std::string sweepPointTip(const TThresholdSweep& sweep, int index);

// The index of the sweep point whose centre is within `radius` pixels of (x, y), the nearest
// one; -1 when none is.
int sweepPointAt(const TSweepPlot& plot, double x, double y, double radius = 6);

// The picture as an SVG document (UTF-8).
std::string sweepPlotSvg(const TSweepPlot& plot, int width, int height);
