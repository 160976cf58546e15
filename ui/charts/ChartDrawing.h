#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QString>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "ui/charts/ChartLabelPlacer.h"

class TBeta;

// The geometry of the m-estimate chart: a W x H surface, the plot from x pixel 49 over PW = W - 98
// pixels, the x axis at pixel row Y0 = H - 49 and S = 100 pixels per unit upwards.
struct TChartGeometry {
    // The geometry of a w x h surface.
    TChartGeometry(int w, int h) : W(w), H(h), PW(w - 98), Y0(h - 49) {}

    // The pixel of the unit point (x, y): (49 + round(PW x), Y0 - round(S y)), ties to even. The
    // coordinates are whole numbers held as doubles, so that far points do not overflow.
    QPointF PlotToPixel(double x, double y) const;
    // The plot between the axes, where the curves are drawn: columns 49 .. 49 + PW, rows 49 .. Y0.
    TPixelRect plotRect() const { return {49, 49, PW + 1, Y0 - 48}; }

    int W;
    int H;
    int PW;
    int Y0;
    static constexpr int S = 100;
};

// Which curves of a distribution are drawn (the "Show:" check boxes).
struct TChartCurves {
    bool distribution = true;  // "distribution P(x)"
    bool density = false;      // "density p(x)"
    bool meanAndStd = false;   // "mean and std"
    bool boundaries10 = false;
    bool boundaries5 = false;
    bool boundaries1 = false;
};

// Collects the first error of a drawing that goes on past the parts that fail, so that a chart
// whose beta functions fail shows what can be computed and reports the failure once.
class TDrawErrors {
  public:
    // Runs one part of a drawing; true when it succeeded. The first error is kept.
    template <class Body>
    bool attempt(Body&& body) {
        try {
            body();
            return true;
        } catch (...) {
            if (!m_first) m_first = std::current_exception();
            return false;
        }
    }
    // Whether some part failed.
    bool failed() const { return static_cast<bool>(m_first); }
    // Throws the first error again; nothing when none was kept.
    void rethrowFirst() const {
        if (m_first) std::rethrow_exception(m_first);
    }

  private:
    std::exception_ptr m_first;
};

// `x` in the picture format "0.00" (decimals 2) or "0.000" (decimals 3): at least one integer
// digit, exactly the given decimals, rounded, with the user's decimal separator.
std::string pictureNumber(double x, int decimals);

// Writes a Windows-1250 text in black in the default font with its top-left corner at a pixel, on
// an opaque white box that covers what lies under it. Parts outside the image are clipped.
void drawBoxedText(QImage& image, QPointF topLeft, const std::string& text);

// Draws a line between two pixels in a colour, the end pixels included. Lines reaching far outside
// the image are clipped before drawing; a line with a coordinate that is not finite is skipped.
void drawChartLine(QImage& image, QPointF from, QPointF to, const QColor& color);

// Fills the whole image with white.
void clearChart(QImage& image);

// A text of the chart and the pixel where its box would like its top-left corner.
struct TChartText {
    QPointF at;
    std::string text;
};

// A text as written: the box it wanted and the box it got, none when the surface had no free
// place left for it (it is then not written).
struct TChartLabel {
    std::string text;
    TPixelRect wanted;
    std::optional<TPixelRect> box;
};

// Draws the axes, their ticks and the text "1.0" in black.
void drawAxes(QImage& image, const TChartGeometry& g);
// Draws the axes and their ticks without the text; axisText() gives the text.
void drawAxisLines(QImage& image, const TChartGeometry& g);
// The text "1.0" beside the unit tick of the left axis.
TChartText axisText(const TChartGeometry& g);
// The numbers 0.0 to 1.0 centred under the eleven ticks of the x axis, in the default font.
std::vector<TChartText> xAxisTexts(const QImage& image, const TChartGeometry& g);
// The pixels of the axes and their ticks, which no text may cover.
std::vector<TPixelRect> axisObstacles(const TChartGeometry& g);

// Writes the texts of one redraw, given in drawing order, as drawBoxedText does, each moved the
// least distance from where it wants to be (placeLabels) so that no two boxes share a pixel or
// come closer side by side than a small margin, no box covers an axis or a tick or touches one
// from the side, and every box lies on the image. A text whose wanted pixel is not finite or
// lies far outside the image is left out; no box covers a pixel of `curves` either. Returns the
// other texts, in the given order, with the boxes they were written in.
std::vector<TChartLabel> writeChartTexts(QImage& image, const TChartGeometry& g,
                                         const std::vector<TChartText>& texts,
                                         const std::vector<TPixelRect>& curves = {});

// Draws the checked curves of one distribution in colour c, with the mean and std bar at marker
// height h, and adds their texts to `texts` for writeChartTexts. Every line is cut at the edges
// of the plot (plotRect); the boxes of the pieces drawn are added to `curves` when given. A
// value the beta functions cannot compute leaves out what depends on it and is kept in `errors`.
void DrawBetaCurves(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                    double h, const TChartCurves& show, TDrawErrors& errors,
                    std::vector<TChartText>& texts, std::vector<TPixelRect>* curves = nullptr);

// Draws the density of one distribution in colour c at the scale of the distribution (the caller
// checks "density p(x)"), cut at the edges of the plot. Failures and `curves` as in
// DrawBetaCurves.
void DrawBetaDensity(QImage& image, const TChartGeometry& g, const TBeta& beta, const QColor& c,
                     TDrawErrors& errors, std::vector<TPixelRect>* curves = nullptr);
