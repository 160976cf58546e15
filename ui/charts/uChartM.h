#pragma once

#include <QWidget>
#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "stats/uTavBeta.h"
#include "ui/charts/ChartDrawing.h"

class QCheckBox;
class QLabel;
class QPushButton;
class TChartSurface;
class TRealSlider;
class TTavUiOps;
struct TChartParams;

// The m-estimate chart window ("Chart m-estimate"): created hidden at start-up (its creation
// draws the first chart), shown non-modally, hidden again when closed. It plots the red (p) and
// the blue (pII) beta distribution whose parameters the sliders hold.
class TfrmChartM : public QWidget {
    Q_OBJECT
  public:
    // Width and height of the drawing surface, fixed at creation.
    static constexpr int kSurfaceWidth = 723;
    static constexpr int kSurfaceHeight = 444;

    // Creates the hidden window with the sliders at their start ranges and draws the first chart,
    // the red distribution of beta(10, 1). Boxes and errors go through `ui`.
    explicit TfrmChartM(TTavUiOps& ui, QWidget* parent = nullptr);
    ~TfrmChartM() override;

    // The entry from the main menu item "Chart m-estimate": resets the sliders and shows.
    void Chartmestimate1Click();
    // The entry from "&Show Beta" of the frequency grid, with the two distributions the main
    // window has just captured for the active frequency row.
    void ShowBeta(const TChartParams& chart);

    // The red and the blue distribution.
    const TBeta& firstBeta() const { return m_first; }
    const TBeta& secondBeta() const { return m_second; }
    // The geometry of the drawing surface.
    const TChartGeometry& geometry() const { return m_geometry; }
    // The texts of the last redraw on the surface, with the boxes they were written in.
    const std::vector<TChartLabel>& chartLabels() const { return m_labels; }
    // Asks for a file name and writes the chart there as a PNG image or, for a name ending in
    // ".svg", as an SVG document holding it (btnSaveImage and the surface's menu).
    void saveImage();
    // The name "Save image..." proposes, without its extension: beside the data file.
    void setSaveName(const std::string& name) { m_saveName = name; }

    // The "Show:" check boxes, in the order of the top panel.
    QCheckBox* cbDistribution;
    QCheckBox* cbDensity;
    QCheckBox* cbMeanStd;
    QCheckBox* cb10;
    QCheckBox* cb5;
    QCheckBox* cb1;
    // The drawing surface.
    TChartSurface* imgBeta;
    // "Save image...".
    QPushButton* btnSaveImage;
    // The red sliders and their value labels.
    TRealSlider* OvcSliderAlpha;
    TRealSlider* OvcSliderBeta;
    TRealSlider* OvcSliderM;
    TRealSlider* OvcSliderRatio;
    QLabel* lblAlpha;
    QLabel* lblBeta;
    QLabel* lblM;
    QLabel* lblR;
    // The navy controls of the second distribution and the comparison labels.
    QCheckBox* cbTwo;
    TRealSlider* OvcSliderAlphaTwo;
    TRealSlider* OvcSliderBetaTwo;
    TRealSlider* OvcSliderMTwo;
    QLabel* lblAlphaTwo;
    QLabel* lblBetaTwo;
    QLabel* lblMTwo;
    QLabel* lblP2GTp0;
    QLabel* lblP2Equal;

  public slots:
    // Copies the four alpha and beta sliders into the betas, moves the m and ratio sliders to
    // match and redraws (ignored while AlphaGuard is false).
    void OvcSliderAlphaChange();
    // Keeps each mean and moves each weight to its m slider, then redraws (ignored while MGuard
    // is false).
    void OvcSliderMChange();
    // Keeps the red weight and moves its alpha/beta to the ratio slider, then redraws (ignored
    // while RatioGuard is false).
    void OvcSliderRatioChange();
    // The click of every check box: recomputes from the m sliders and redraws.
    void cbTwoClick();
    // The double click on the red alpha value: asks for a new alpha.
    void lblAlphaDblClick();

  protected:
    // Turns a double click on lblAlpha into lblAlphaDblClick.
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Centres the window on the screen the first time it is shown.
    void showEvent(QShowEvent* event) override;
    // Escape closes (hides) the window, as it does a dialog.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Builds the controls and their layout.
    void createControls();
    // Connects the sliders, the check boxes and the surface's menu to their handlers.
    void connectControls();
    // Runs a handler body. Handlers nest while slider events cascade; an error is kept and shown
    // once, when the outermost handler of the user action ends, after everything else ran.
    void runHandler(const std::function<void()>& body);
    // The value labels, the cleared surface and the axes.
    void RedrawChart();
    // RedrawChart, the curves of both distributions and the comparison labels; throws the first
    // error of the beta functions after drawing everything else.
    void fullRedraw();
    // The check boxes as the curves to draw.
    TChartCurves shownCurves() const;
    // The surface's context menu with "Save image...".
    void showSurfaceMenu(QPoint globalPos);

    TTavUiOps& m_ui;
    std::string m_saveName = "chart";
    TBeta m_first;
    TBeta m_second;
    TChartGeometry m_geometry;
    std::vector<TChartLabel> m_labels;
    bool AlphaGuard = false;
    bool MGuard = false;
    bool RatioGuard = false;
    int m_handlerDepth = 0;
    std::exception_ptr m_pendingError;
    bool m_placed = false;
};
