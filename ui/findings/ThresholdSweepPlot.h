#pragma once

#include <string>
#include <vector>

#include "stats/uTavThresholdSweep.h"

// The picture of a threshold sweep as plain shapes in pixels, so that the window, a PNG and an
// SVG file draw the same: the axes, the context rate as a horizontal line with its band, and per
// threshold a vertical interval band with the rate as a circle, blue for "<=" and orange for ">"
// thresholds, filled when the threshold is flagged.

struct TPlotColor {
    unsigned char red = 0, green = 0, blue = 0;
};

struct TPlotShape {
    enum Kind { Line, Rect, Circle, Text } kind = Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line ends; rect corners; circle centre and radius
    TPlotColor color;
    bool filled = false;
    std::string text;  // Windows-1250
};

struct TSweepPlot {
    std::vector<TPlotShape> shapes;
    // Per point of the sweep, in its order: where it is drawn.
    std::vector<std::pair<double, double>> pointCentres;
};

// Lays out `sweep` in a picture of width x height pixels.
TSweepPlot layoutSweepPlot(const TThresholdSweep& sweep, int width, int height);

// The index of the sweep point whose centre is within `radius` pixels of (x, y), the nearest
// one; -1 when none is.
int sweepPointAt(const TSweepPlot& plot, double x, double y, double radius = 6);

// The picture as an SVG document (UTF-8).
std::string sweepPlotSvg(const TSweepPlot& plot, int width, int height);
