#pragma once

#include <string>

class QImage;

// The bytes of `image` as a PNG file, for replaceFileWhole. Throws EInOutError when the image
// cannot be encoded.
std::string pngBytes(const QImage& image);
