#pragma once

#include <QPoint>
#include <QWidget>

#include "ui/charts/ChartDrawingBaza.h"

class QLabel;
class QPushButton;
class QScrollArea;
class TBaza;
class TChartSurface;
class TTavUiOps;

// The database chart window ("frmChartBaza"): the loaded table drawn as a picture, reached
// through the hidden and disabled menu item "Chart DB". Created hidden at start-up.
class TfrmChartBaza : public QWidget {
    Q_OBJECT
  public:
    // Size of the drawing surface.
    static constexpr int kSurfaceWidth = 900;
    static constexpr int kSurfaceHeight = 1900;

    // Creates the hidden window with a white surface; messages go through `ui`.
    explicit TfrmChartBaza(TTavUiOps& ui, QWidget* parent = nullptr);
    ~TfrmChartBaza() override;

    // The table the picture shows (none before a load). The window does not own it; the main
    // window calls this after every successful load. Requires: the table outlives its use here.
    void setData(const TBaza* data);

    // Draws the picture of the current table over what is on the surface (every showing).
    void FormShow();
    // Asks for a file name and writes the surface there as a PNG image.
    void saveChartAsPng();
    // Where the last picture put its fields.
    const TBazaLayout& layoutOfPicture() const { return m_layout; }

    // The scrolling area and the surface inside it.
    QScrollArea* scrlbx;
    TChartSurface* imgBaza;
    // The save command (the surface's right click belongs to the field query).
    QPushButton* btnSave;
    // Beside it: which records the picture shows when the table has more than its rows hold,
    // empty otherwise.
    QLabel* lblRecordSample;

  public slots:
    // Remembers the mouse position over the surface.
    void imgBazaMouseMove(QPoint pixel);
    // The field query of a double click: shows "X Y f" inside the band of field numbers.
    void imgBazaDblClick(QPoint pixel);
    // The field query of a right click: shows "Right: X Y f" inside the band; never a menu.
    void imgBazaContextPopup(QPoint pixel);

  protected:
    // Runs FormShow at every showing.
    void showEvent(QShowEvent* event) override;

  private:
    // Shows the field query's message when the last mouse position lies inside the band.
    void queryAtMouse(const std::string& prefix);

    TTavUiOps& m_ui;
    const TBaza* m_data = nullptr;
    TBazaLayout m_layout;
    QPoint m_mouse;
};
