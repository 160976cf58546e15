#pragma once

#include <functional>
#include <optional>
#include <string>

class QImage;
class TTavUiOps;

// Saving a chart as a picture file, the same way for every chart window: one "Save image..." that
// asks for a PNG or an SVG file, the name's extension deciding which.

// The picture of a chart in the two formats it can be saved as.
struct TChartImage {
    std::function<QImage()> raster;    // the chart as drawn, for a PNG file
    std::function<std::string()> svg;  // an SVG document (UTF-8)
};

// Which files the dialog offers.
enum class TChartImageFormats { PngOrSvg, Png, Svg };

// Writes `bytes` to `path` through replaceFileWhole. Throws EInOutError "The chart could not be
// saved to "<path>": <reason>"; an earlier file of that name then stays as it was.
void writeChartFile(const std::string& path, const std::string& bytes);

// Asks `ui` for a file (offering `baseName` with the first format's extension) and writes the
// picture there: SVG when the name ends in ".svg" (any case), PNG otherwise. Returns the path
// written, or none when the dialog was cancelled. Throws as writeChartFile does.
std::optional<std::string> saveChartImage(
    TTavUiOps& ui, const TChartImage& image, const std::string& baseName,
    TChartImageFormats formats = TChartImageFormats::PngOrSvg);

// An SVG document of the size of `image` that holds it as an embedded PNG: the file format for a
// chart drawn pixel by pixel.
std::string svgOfRaster(const QImage& image);
