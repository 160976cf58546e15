#include "ui/charts/ChartImageFile.h"

#include <QByteArray>
#include <QImage>
#include <algorithm>
#include <cctype>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "ui/charts/PngBytes.h"
#include "ui/dialogs/TavUiOps.h"

namespace {

bool endsWithSvg(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return end == ".svg";
}

}  // namespace

void writeChartFile(const std::string& path, const std::string& bytes) {
    // Both formats are written whole: a failed save leaves an earlier picture as it was.
    try {
        replaceFileWhole(path, bytes);
    } catch (const EInOutError& error) {
        throw EInOutError("The chart could not be saved to \"" + displayPath(path) +
                          "\": " + error.what());
    }
}

std::optional<std::string> saveChartImage(TTavUiOps& ui, const TChartImage& image,
                                          const std::string& baseName, TChartImageFormats formats) {
    const char* filter = formats == TChartImageFormats::Png ? "PNG images (*.png)"
                         : formats == TChartImageFormats::Svg
                             ? "SVG images (*.svg)"
                             : "PNG images (*.png);;SVG images (*.svg)";
    const std::string name = baseName + (formats == TChartImageFormats::Svg ? ".svg" : ".png");
    const std::optional<std::string> path = ui.saveFile(filter, name);
    if (!path) return std::nullopt;
    const bool svg = formats == TChartImageFormats::Svg ||
                     (formats == TChartImageFormats::PngOrSvg && endsWithSvg(*path));
    writeChartFile(*path, svg ? image.svg() : pngBytes(image.raster()));
    return path;
}

std::string svgOfRaster(const QImage& image) {
    const std::string width = std::to_string(image.width());
    const std::string height = std::to_string(image.height());
    const QByteArray base64 = QByteArray::fromStdString(pngBytes(image)).toBase64();
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           width + "\" height=\"" + height + "\">\n<image width=\"" + width + "\" height=\"" +
           height + "\" href=\"data:image/png;base64," + base64.toStdString() + "\"/>\n</svg>\n";
}
