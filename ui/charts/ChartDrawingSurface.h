#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>

// A drawing surface: a widget of the fixed size of its image that shows the image from its top
// left corner and reports the mouse in image pixels. The owner draws into image() and calls
// update() to show it.
class TChartSurface : public QWidget {
    Q_OBJECT
  public:
    // A white surface of width x height pixels.
    TChartSurface(int width, int height, QWidget* parent = nullptr);

    // The bitmap drawn on; its size never changes.
    QImage& image() { return m_image; }
    const QImage& image() const { return m_image; }

  signals:
    // The mouse moved over the surface to a pixel.
    void mouseMoved(QPoint pixel);
    // A double click at a pixel.
    void doubleClicked(QPoint pixel);
    // A context-menu request (right click or the menu key) at a pixel, in global coordinates too.
    void contextRequested(QPoint pixel, QPoint globalPos);

  protected:
    // Paints the image; mouse events are passed on as the signals above.
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    QImage m_image;
};
