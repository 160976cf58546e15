#pragma once

#include <QColor>
#include <QWidget>
#include <stdexcept>
#include <string>

// The error of a slider setting that would leave it without a range or step.
class ESliderError : public std::runtime_error {
  public:
    explicit ESliderError(const std::string& message) : std::runtime_error(message) {}
};

// A horizontal slider over real numbers with a minimum, a maximum, a step and a position.
// Setting the position to x stores step x round(x / step) (ties to even), then raises it to the
// minimum or lowers it to the maximum; when the stored value differs from the previous one the
// slider repaints and emits `changed` before the setter returns. Changing the minimum, the
// maximum or the step never moves the position, so it may lie outside a new range until it is
// set again. The user moves it with the mouse, the arrow, page and Home/End keys and the wheel.
class TRealSlider : public QWidget {
    Q_OBJECT
  public:
    // A slider with the given range, step and position (the position is snapped and clamped).
    // Throws ESliderError when minimum < maximum does not hold or step is not positive.
    TRealSlider(double minimum, double maximum, double step, double position,
                QWidget* parent = nullptr);

    // The range, step and stored position.
    double minimum() const { return m_minimum; }
    double maximum() const { return m_maximum; }
    double step() const { return m_step; }
    double position() const { return m_position; }

    // Stores the snapped and clamped position; emits `changed` when it differs from the previous
    // one. A NaN changes nothing; infinities go to the bounds.
    void setPosition(double x);
    // Throws ESliderError (nothing changed) unless the value is finite and below the maximum.
    void setMinimum(double value);
    // Throws ESliderError (nothing changed) unless the value is finite and above the minimum.
    void setMaximum(double value);
    // Throws ESliderError (nothing changed) unless the value is finite and positive.
    void setStep(double value);
    // The colour of the slider's thumb.
    void setColor(const QColor& color);

    // A width suited to a row of the chart windows.
    QSize sizeHint() const override;

  signals:
    // The stored position changed.
    void changed();

  protected:
    // The groove and the thumb at the position (held at the groove's ends when outside the range).
    void paintEvent(QPaintEvent* event) override;
    // A press or a drag with the left button moves the position under the mouse.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    // Arrows move one step, Page Up and Page Down ten, Home and End to the bounds.
    void keyPressEvent(QKeyEvent* event) override;
    // One step per notch of the wheel.
    void wheelEvent(QWheelEvent* event) override;

  private:
    // The position under a widget x coordinate.
    double positionAt(int x) const;
    // The widget x coordinate of a position (clamped into the groove).
    int pixelOf(double value) const;

    double m_minimum;
    double m_maximum;
    double m_step;
    double m_position = 0;
    QColor m_color = Qt::black;
};
