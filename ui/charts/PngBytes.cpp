#include "ui/charts/PngBytes.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "core/Errors.h"
#include "core/FileReplace.h"
#include "core/uTavObj.h"
#include "ui/text/QtText.h"

std::string pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "PNG");
    // Only a null image or a missing PNG plug-in fails here; the disk is not involved yet.
    if (!writer.write(image)) {
        throw EInOutError(
            "the image could not be encoded as PNG: " + text1250(writer.errorString()) + ".");
    }
    return bytes.toStdString();
}

void writePngFile(const std::string& path, const QImage& image, const std::string& what) {
    try {
        replaceFileWhole(path, pngBytes(image));
    } catch (const EInOutError& error) {
        throw EInOutError("Cannot write the " + what + " to " + displayPath(path) + ": " +
                          error.what());
    }
}
