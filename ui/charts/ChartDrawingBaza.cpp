#include "ui/charts/ChartDrawingBaza.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <climits>

#include "core/FieldTypes.h"
#include "stats/uTavSets.h"

namespace {

constexpr int kFirstRecordY = 30;
constexpr int kFirstDotted = 11;  // rows 11..64 carry the silver dots
constexpr int kLastDotted = 64;
const QColor kSilver(192, 192, 192);
const QColor kMaroon(128, 0, 0);
// The field indexes: the row of their top and the least gap between two, so that the digits of
// neighbours never read as one number.
constexpr int kIndexTop = 15;
constexpr int kIndexGap = 3;

// Pixels are written only inside the image; x may lie far beyond its right edge.
void plot(QImage& image, long long x, long long y, const QColor& color) {
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height()) return;
    image.setPixelColor(int(x), int(y), color);
}

bool dotted(int r) {
    return r >= kFirstDotted && r <= kLastDotted;
}

// The record rows that reach into the image.
int rowsThatFit(const QImage& image) {
    const int pixels = std::max(0, image.height() - kFirstRecordY);
    return (pixels + 2) / 3;
}

// The 11-pixel separator at x: silver dots, a maroon line through every record, silver dots.
void drawSeparator(QImage& image, int rows, long long& x) {
    for (int r = 0; r < rows; ++r) {
        const long long y = kFirstRecordY + 3LL * r;
        for (int b = 0; b <= 2; ++b) {
            if (dotted(r)) {
                for (int a = 1; a <= 3; a += 2)
                    plot(image, x + a, y + b, kSilver);
                for (int a = 0; a <= 2; a += 2)
                    plot(image, x + 7 + a, y + b, kSilver);
            }
            plot(image, x + 5, y + b, kMaroon);
        }
    }
    x += 11;
}

// The column of value code v of field i at x.
void drawValueColumn(QImage& image, const TBaza& data, int i, int v, const TRecordSample& sample,
                     long long x) {
    const QColor color = ValueColor(v);
    const TMnozica* set = data.valueSet(i, v);
    for (int r = 0; r < sample.rows(); ++r) {
        const long long y = kFirstRecordY + 3LL * r;
        const int record = sample.recordOfRow(r);
        // The value set of code v holds the records of that code; read from the codes, so that
        // the sets need not hold their records.
        const bool member =
            set != nullptr && record < data.RecordCount() && data.fieldValueCode(record, i) == v;
        for (int a = 0; a <= 2; ++a) {
            for (int b = 0; b <= 2; ++b) {
                if (member) {
                    plot(image, x + a, y + b, color);
                } else if (dotted(r) && (a + b) % 2 == 0) {
                    plot(image, x + a, y + b, kSilver);
                }
            }
        }
    }
}

int clampToInt(long long x) {
    return int(std::min<long long>(x, INT_MAX));
}

}  // namespace

QColor ValueColor(int v) {
    static const QColor kColors[] = {{0, 0, 0},     {0, 255, 255},   {255, 0, 255},   {0, 255, 0},
                                     {0, 0, 255},   {255, 0, 0},     {128, 128, 128}, {255, 255, 0},
                                     {128, 128, 0}, {0, 128, 128},   {128, 0, 128},   {0, 128, 0},
                                     {0, 0, 128},   {128, 0, 0},     {128, 128, 128}, {0, 0, 0},
                                     {0, 255, 255}, {255, 0, 255},   {0, 255, 0},     {0, 0, 255},
                                     {255, 0, 0},   {128, 128, 128}, {255, 255, 0}};
    if (v < 0 || v >= int(std::size(kColors))) return QColor(0, 0, 0);
    return kColors[v];
}

void drawBazaPicture(QImage& image, const TBaza& data, TBazaLayout& layout) {
    layout.Records = TRecordSample(data.RecordCount(), rowsThatFit(image));
    const TRecordSample& sample = layout.Records;
    const int fields = std::min(data.FieldCount(), kMaxFields);
    long long x = 4;
    drawSeparator(image, sample.rows(), x);
    layout.left = 4;
    for (int i = 0; i < fields; ++i) {
        layout.FieldColumnX[i] = -1;
        const int type = data.fieldType(i);
        if (type != ftSet && type != ftInt) continue;
        layout.FieldColumnX[i] = clampToInt(x);
        const long long low = data.fieldLow(i);
        const long long high = data.fieldHigh(i);
        for (long long v = low; v <= high; ++v) {
            // Columns past the right edge only move x.
            if (x >= image.width()) {
                x += 3 * (high - v + 1);
                break;
            }
            drawValueColumn(image, data, i, int(v), sample, x);
            x += 3;
        }
        drawSeparator(image, sample.rows(), x);
        layout.right = clampToInt(x);
    }
    QPainter painter(&image);
    painter.setPen(Qt::black);
    const int lineEnd = std::min(layout.right, image.width() + 1);
    painter.drawLine(layout.left, TBazaLayout::kTop, lineEnd, TBazaLayout::kTop);
    painter.drawLine(layout.left, TBazaLayout::kBottom, lineEnd, TBazaLayout::kBottom);
    // The indexes fit between the band's lines.
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QFontMetrics metrics(font, &image);
    const int textHeight = TBazaLayout::kBottom - kIndexTop;
    layout.IndexLabels.clear();
    for (int i = 0; i < fields; ++i) {
        const int column = layout.FieldColumnX[i];
        if (column < 0 || column >= image.width()) continue;
        const QString text = QString::number(i);
        const TPixelRect box{column, kIndexTop, metrics.horizontalAdvance(text), textHeight};
        if (box.right() > image.width()) continue;
        // Columns only grow to the right, so the index written last is the only one in reach.
        if (!layout.IndexLabels.empty() &&
            box.left < layout.IndexLabels.back().box.right() + kIndexGap) {
            continue;
        }
        layout.IndexLabels.push_back({i, box});
        painter.drawText(QRect(column, kIndexTop, image.width() - column, textHeight),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    }
}

std::optional<int> queryField(const TBazaLayout& layout, int fieldCount, QPoint pixel) {
    const int x = pixel.x();
    const int y = pixel.y();
    if (!(layout.left < x && x < layout.right && TBazaLayout::kTop < y &&
          y < TBazaLayout::kBottom)) {
        return std::nullopt;
    }
    int f = 0;
    for (int i = 1; i < std::min(fieldCount, kMaxFields); ++i) {
        if (layout.FieldColumnX[i] >= 0 && layout.FieldColumnX[i] < x) f = i;
    }
    return f;
}
