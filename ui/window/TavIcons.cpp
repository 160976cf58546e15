#include "ui/window/TavIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {

using Drawing = void (*)(QPainter&, double);

QImage drawImage(Drawing draw, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    draw(painter, size / 32.0);
    return image;
}

QIcon drawIcon(Drawing draw) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(drawImage(draw, size)));
    return icon;
}

// Bars of growing height and an arrow going up over them; `u` is one unit of a 32-unit square.
void drawEntropyGain(QPainter& p, double u) {
    const QColor bars[] = {QColor(0x5b, 0x8d, 0xc9), QColor(0x3d, 0x72, 0xb4),
                           QColor(0x24, 0x58, 0x9a)};
    const double heights[] = {8, 14, 21};
    for (int i = 0; i < 3; ++i) {
        const QRectF bar(u * (4 + i * 8.5), u * (29 - heights[i]), u * 6.5, u * heights[i]);
        p.fillRect(bar, bars[i]);
    }
    QPen pen(QColor(0xd0, 0x3a, 0x1e), u * 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(QPointF(u * 4, u * 16), QPointF(u * 24, u * 5));
    QPainterPath head;
    head.moveTo(u * 28, u * 3);
    head.lineTo(u * 20.5, u * 3.2);
    head.lineTo(u * 25.2, u * 10.2);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd0, 0x3a, 0x1e));
    p.drawPath(head);
}

// Three lines of growing length with a downward arrow at their left: the order of creation.
void drawSortOrder(QPainter& p, double u) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3d, 0x72, 0xb4));
    for (int i = 0; i < 4; ++i) {
        p.drawRoundedRect(QRectF(u * 13, u * (5 + i * 6.5), u * (7 + i * 4), u * 3.6), u, u);
    }
    QPen pen(QColor(0x2e, 0x7d, 0x32), u * 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.drawLine(QPointF(u * 6.5, u * 4), QPointF(u * 6.5, u * 24));
    QPainterPath head;
    head.moveTo(u * 6.5, u * 30);
    head.lineTo(u * 1.5, u * 22);
    head.lineTo(u * 11.5, u * 22);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x7d, 0x32));
    p.drawPath(head);
}

// A light table of three rows on a blue tile with a bell-shaped curve rising over it.
void drawApplication(QPainter& p, double u) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x1f, 0x4e, 0x8c));
    p.drawRoundedRect(QRectF(u, u, u * 30, u * 30), u * 6, u * 6);
    p.setBrush(QColor(0xf4, 0xf7, 0xfb));
    p.drawRoundedRect(QRectF(u * 5, u * 14, u * 22, u * 13), u * 1.5, u * 1.5);
    p.setPen(QPen(QColor(0x9c, 0xb3, 0xd1), u * 0.9));
    for (double y : {18.5, 22.5})
        p.drawLine(QPointF(u * 5, u * y), QPointF(u * 27, u * y));
    p.drawLine(QPointF(u * 12, u * 14), QPointF(u * 12, u * 27));
    QPainterPath curve;
    for (int i = 0; i <= 40; ++i) {
        const double x = i / 40.0;
        const double y = std::exp(-std::pow((x - 0.55) / 0.17, 2) / 2);
        const QPointF point(u * (4 + 24 * x), u * (17 - 12 * y));
        i == 0 ? curve.moveTo(point) : curve.lineTo(point);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xb3, 0x2e), u * 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(curve);
}

// A red target: two rings around a dot, what the rules aim at.
void drawClassField(QPainter& p, double u) {
    const QColor red(0xc6, 0x28, 0x28);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(red, u * 3));
    p.drawEllipse(QPointF(u * 16, u * 16), u * 13, u * 13);
    p.drawEllipse(QPointF(u * 16, u * 16), u * 7.5, u * 7.5);
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QPointF(u * 16, u * 16), u * 3, u * 3);
}

}  // namespace

QIcon entropyGainIcon() {
    return drawIcon(drawEntropyGain);
}

QIcon sortOrderIcon() {
    return drawIcon(drawSortOrder);
}

QIcon classFieldIcon() {
    return drawIcon(drawClassField);
}

QIcon applicationIcon() {
    return drawIcon(drawApplication);
}

QImage applicationImage(int size) {
    return drawImage(drawApplication, size);
}
