#pragma once

#include <QAbstractTableModel>
#include <QIcon>
#include <functional>
#include <string>
#include <vector>

#include "table/TxDataView.h"

// How a grid shows one field of a result table.
struct TGridColumn {
    // The column title.
    std::string title;
    // The display width in characters of the grid's font.
    int widthChars = 10;
    // The picture format: "0.000" (at least one integer digit, three decimals, rounded), "0" (the
    // whole number) or "" (the value's own text).
    std::string format;
    // Right-aligned; numbers always are, texts when this is set.
    bool alignRight = false;
    // The heading's tooltip: what the column holds, in plain words.
    std::string tooltip;
};

// The Qt model of a result table: a thin adapter that answers every cell from the table on demand
// (valueAt, without moving the cursor) and turns the table's notifications into model signals.
// Column c shows field c. A bulk change held by the table (disableControls) reaches the views as
// one reset; a model held by suspend() does the same for whatever the table does meanwhile.
class TxTableModel : public QAbstractTableModel, private TxDataView {
    Q_OBJECT
  public:
    // The raw value of a cell: qlonglong, double, QString, bool or an invalid QVariant for null.
    static constexpr int kRawValueRole = Qt::UserRole;

    // Requires: one column description per field of `source`, which outlives the model.
    TxTableModel(TxViewReader& source, std::vector<TGridColumn> columns, QObject* parent = nullptr);
    ~TxTableModel() override;

    TxViewReader& source() const { return m_source; }
    const TGridColumn& column(int index) const { return m_columns.at(index); }
    // The table's current row as the model last heard it (-1 without one).
    int currentRow() const { return m_currentRow; }

    // Holds the table's notifications; the outermost resume() resets the model once when anything
    // arrived meanwhile. For long walks over a table whose every step a grid need not show.
    void suspend();
    void resume();

    // The cell's text as the grid shows it.
    QString displayText(int row, int column) const;

    // The whole text of the cells of `column`, for a table that stores it shortened; the cells'
    // tooltip (ToolTipRole). An empty answer means the cell holds all of it.
    void setWholeText(int column, std::function<QString(int row)> wholeText);

    // The rows for which `marked` says so stand out: bold, with `icon` before the text of
    // `iconColumn`. Asked at every paint; a view repaints when the answer changes.
    void setMarkedRows(std::function<bool(int row)> marked, int iconColumn, QIcon icon);
    // The column whose marked cells show the icon, or -1.
    int markIconColumn() const { return m_markIconColumn; }

    // The model: rows as last announced, one column per field, read-only cells.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  signals:
    // The table's cursor moved to `row` (-1: no current record).
    void currentRowChanged(int row);

  private:
    void dataEvent(const TxNotification& notification) override;
    void resetFromSource();
    void followCursor();

    TxViewReader& m_source;
    std::vector<TGridColumn> m_columns;
    std::vector<std::function<QString(int row)>> m_wholeText;
    std::function<bool(int row)> m_marked;
    int m_markIconColumn = -1;
    QIcon m_markIcon;
    // What the views were last told: rows appear and vanish only through a reset.
    int m_rowCount = 0;
    int m_currentRow = -1;
    int m_suspended = 0;
    bool m_missed = false;
};

// Holds a model's notifications for the length of a scope, also when it fails: the model resets
// once at the end when anything arrived meanwhile.
class TSuspendedModel {
  public:
    explicit TSuspendedModel(TxTableModel& model) : m_model(model) { m_model.suspend(); }
    ~TSuspendedModel() { m_model.resume(); }
    TSuspendedModel(const TSuspendedModel&) = delete;
    TSuspendedModel& operator=(const TSuspendedModel&) = delete;

  private:
    TxTableModel& m_model;
};
