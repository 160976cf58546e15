#include "ui/charts/TRealSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

// Room left and right of the groove for half the thumb.
constexpr int kMargin = 6;
constexpr int kThumbWidth = 9;
// Steps moved by Page Up and Page Down.
constexpr int kPageSteps = 10;

}  // namespace

TRealSlider::TRealSlider(double minimum, double maximum, double step, double position,
                         QWidget* parent)
    : QWidget(parent), m_minimum(minimum), m_maximum(maximum), m_step(step) {
    if (!(std::isfinite(minimum) && std::isfinite(maximum) && minimum < maximum)) {
        throw ESliderError("The slider's minimum must be below its maximum.");
    }
    if (!(std::isfinite(step) && step > 0))
        throw ESliderError("The slider's step must be positive.");
    m_position = minimum;
    setPosition(position);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(18);
}

void TRealSlider::setPosition(double x) {
    if (std::isnan(x)) return;
    // nearbyint rounds half to even in the default rounding mode.
    double value = m_step * std::nearbyint(x / m_step);
    if (std::isnan(value)) return;
    if (value < m_minimum) value = m_minimum;
    if (value > m_maximum) value = m_maximum;
    if (value == m_position) return;
    m_position = value;
    update();
    emit changed();
}

void TRealSlider::setMinimum(double value) {
    if (!std::isfinite(value) || value >= m_maximum) {
        throw ESliderError("The slider's minimum must be below its maximum.");
    }
    m_minimum = value;
    update();
}

void TRealSlider::setMaximum(double value) {
    if (!std::isfinite(value) || value <= m_minimum) {
        throw ESliderError("The slider's maximum must be above its minimum.");
    }
    m_maximum = value;
    update();
}

void TRealSlider::setStep(double value) {
    if (!std::isfinite(value) || value <= 0)
        throw ESliderError("The slider's step must be positive.");
    m_step = value;
}

void TRealSlider::setColor(const QColor& color) {
    m_color = color;
    update();
}

QSize TRealSlider::sizeHint() const {
    return QSize(220, 20);
}

double TRealSlider::positionAt(int x) const {
    const int span = std::max(1, width() - 2 * kMargin);
    const double fraction = std::clamp(double(x - kMargin) / span, 0.0, 1.0);
    return m_minimum + fraction * (m_maximum - m_minimum);
}

int TRealSlider::pixelOf(double value) const {
    const int span = std::max(1, width() - 2 * kMargin);
    const double fraction = std::clamp((value - m_minimum) / (m_maximum - m_minimum), 0.0, 1.0);
    return kMargin + int(std::lround(fraction * span));
}

void TRealSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int middle = height() / 2;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(kMargin, middle, width() - kMargin, middle);
    painter.drawLine(kMargin, middle + 1, width() - kMargin, middle + 1);
    const int x = pixelOf(m_position);
    const QRect thumb(x - kThumbWidth / 2, 2, kThumbWidth, height() - 4);
    painter.fillRect(thumb, isEnabled() ? m_color : palette().color(QPalette::Mid));
    if (hasFocus()) {
        painter.setPen(palette().color(QPalette::Highlight));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TRealSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    setPosition(positionAt(int(event->position().x())));
}

void TRealSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    setPosition(positionAt(int(event->position().x())));
}

void TRealSlider::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Down:
            setPosition(m_position - m_step);
            break;
        case Qt::Key_Right:
        case Qt::Key_Up:
            setPosition(m_position + m_step);
            break;
        case Qt::Key_PageDown:
            setPosition(m_position - kPageSteps * m_step);
            break;
        case Qt::Key_PageUp:
            setPosition(m_position + kPageSteps * m_step);
            break;
        case Qt::Key_Home:
            setPosition(m_minimum);
            break;
        case Qt::Key_End:
            setPosition(m_maximum);
            break;
        default:
            QWidget::keyPressEvent(event);
    }
}

void TRealSlider::wheelEvent(QWheelEvent* event) {
    const int notches = event->angleDelta().y() / 120;
    if (notches == 0) return QWidget::wheelEvent(event);
    setPosition(m_position + notches * m_step);
}
