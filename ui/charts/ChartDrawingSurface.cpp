#include "ui/charts/ChartDrawingSurface.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

TChartSurface::TChartSurface(int width, int height, QWidget* parent)
    : QWidget(parent), m_image(width, height, QImage::Format_RGB32) {
    m_image.fill(Qt::white);
    setFixedSize(width, height);
    setMouseTracking(true);
}

void TChartSurface::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_image, event->rect());
}

void TChartSurface::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint());
}

void TChartSurface::mouseDoubleClickEvent(QMouseEvent* event) {
    emit doubleClicked(event->position().toPoint());
}

void TChartSurface::contextMenuEvent(QContextMenuEvent* event) {
    // Handled here: the owner decides whether a menu appears.
    event->accept();
    emit contextRequested(event->pos(), event->globalPos());
}
