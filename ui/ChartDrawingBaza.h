#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <array>
#include <optional>

#include "core/uTavObj.h"

// The colour of value code v in the database picture: the 23 colours of codes 0..22, black for
// every other code.
QColor ValueColor(int v);

// Where the database picture put its fields: the x pixel of each field's first value column (-1
// when the field is not drawn) and the bounds of the band of field numbers.
struct TBazaLayout {
    // No field drawn, right bound 0.
    TBazaLayout() { FieldColumnX.fill(-1); }

    std::array<int, kMaxFields> FieldColumnX;
    int left = 4;
    int right = 0;
    static constexpr int kTop = 13;
    static constexpr int kBottom = 28;
};

// Draws the picture of a table over what is on the image: a separator, then for every SET and
// INT field one 3-pixel column per value code with a 3 x 3 block in the value's colour for every
// record of the code's set (silver dots for records 11..64 outside it) and a separator, the two
// lines of the band and the field indexes. Records start at y 30, 3 pixel rows each. Updates the
// layout (fields of `data` only). Whatever lies beyond the image's edges is left out.
void drawBazaPicture(QImage& image, const TBaza& data, TBazaLayout& layout);

// The field query at a surface pixel: the field f of the message when the pixel lies inside the
// band of field numbers (bounds excluded), none outside it.
std::optional<int> queryField(const TBazaLayout& layout, int fieldCount, QPoint pixel);
