#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "ui/charts/ChartImageFile.h"
#include "ui/findings/ThresholdSweepPlot.h"

class QPainter;
class TTavUiOps;

// Draws the shapes of a sweep plot.
void paintSweepPlot(QPainter& painter, const TSweepPlot& plot);

// The chart of a threshold sweep; a click on a point offers its rule's creation number.
class TSweepChart : public QWidget {
    Q_OBJECT
  public:
    explicit TSweepChart(QWidget* parent = nullptr);
    void setSweep(const TThresholdSweep& sweep);
    const TThresholdSweep& sweep() const { return m_sweep; }
    // The plot as drawn at the widget's current size.
    TSweepPlot plot() const { return layoutSweepPlot(m_sweep, width(), height()); }

  signals:
    void pointClicked(int setNumber);

  protected:
    // A tool tip over a point names its condition, n, k and rate (sweepPointTip).
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    TThresholdSweep m_sweep;
};

// The threshold sweep window: the chart, "Save as PNG...", "Save as SVG..." and "Close"; it opens
// wide enough for its titles. A click on a point calls `activate` with the threshold's creation
// number (the window makes it the active rule); its tool tip tells the point's n.
class TfrmThresholdSweep : public QDialog {
    Q_OBJECT
  public:
    TfrmThresholdSweep(TTavUiOps& ui, std::function<void(int setNumber)> activate,
                       QWidget* parent = nullptr);
    void setSweep(const TThresholdSweep& sweep);
    // The name the save dialogs propose, without its extension: beside the data file.
    void setSaveName(const std::string& name) { m_saveName = name; }

    TSweepChart* chart = nullptr;

    // Saves the chart at its size: a PNG image or an SVG document, through replaceFileWhole.
    // Throws EInOutError when the file cannot be written; an earlier file then stays as it was.
    void savePng(const std::string& path) const;
    void saveSvg(const std::string& path) const;

  private:
    // The chart's picture as the save commands write it.
    TChartImage image() const;
    void btnSaveClick(bool svg);

    TTavUiOps& m_ui;
    std::function<void(int)> m_activate;
    std::string m_saveName = "sweep";
};
