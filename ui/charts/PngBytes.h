#pragma once

#include <string>

class QImage;

// The bytes of `image` as a PNG file, for replaceFileWhole. Throws EInOutError when the image
// cannot be encoded.
std::string pngBytes(const QImage& image);

// Writes `image` as a PNG file at `path` through replaceFileWhole. Throws EInOutError "Cannot
// write the <what> to <path>: <reason>"; an earlier file at `path` then stays as it was.
void writePngFile(const std::string& path, const QImage& image, const std::string& what);
