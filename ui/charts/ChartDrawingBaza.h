#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <array>
#include <optional>
#include <vector>

#include "core/uTavObj.h"
#include "ui/charts/BazaRecordSample.h"
#include "ui/charts/ChartLabelPlacer.h"

// The colour of value code v in the database picture: the 23 colours of codes 0..22, black for
// every other code.
QColor ValueColor(int v);

// A field index written in the band: the field and the box of its text.
struct TIndexLabel {
    int field;
    TPixelRect box;
};

// Where the database picture put its fields: the x pixel of each field's first value column (-1
// when the field is not drawn), the bounds of the band of field numbers and the indexes written
// in it; and which records its rows show.
struct TBazaLayout {
    // No field drawn, right bound 0.
    TBazaLayout() { FieldColumnX.fill(-1); }

    std::array<int, kMaxFields> FieldColumnX;
    std::vector<TIndexLabel> IndexLabels;
    int left = 4;
    int right = 0;
    TRecordSample Records;
    static constexpr int kTop = 13;
    static constexpr int kBottom = 28;
};

// Draws the picture of a table over what is on the image: a separator, then for every SET and
// INT field one 3-pixel column per value code with a 3 x 3 block in the value's colour for every
// record of the code's set (silver dots for records 11..64 outside it) and a separator, the two
// lines of the band and the field indexes. Record rows start at y 30, 3 pixel rows each, one row
// per record while the records fit above the bottom edge, else an evenly spaced sample of them
// in every row that fits; the dots mark rows 11..64 either way. Updates the layout (fields of
// `data` only). Whatever lies beyond the image's edges is left out. An index
// is written at its column only when it keeps a gap to the index written before it and fits on
// the image whole; the others are left out, as a field of one or two codes is narrower than a
// long index.
void drawBazaPicture(QImage& image, const TBaza& data, TBazaLayout& layout);

// The field query at a surface pixel: the field f of the message when the pixel lies inside the
// band of field numbers (bounds excluded), none outside it.
std::optional<int> queryField(const TBazaLayout& layout, int fieldCount, QPoint pixel);
