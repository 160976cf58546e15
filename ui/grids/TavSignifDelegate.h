#pragma once

#include <QStyledItemDelegate>

#include "stats/uTavFreq.h"

// Draws the "EntropyChange" and "Signif" cells of the frequency grid in the colour of the row
// (FrequencyRowColor of its "No.", "Frequency", "CondFrequency" and "Signif" at the current
// significance level): coloured text on the window background, or window-background text on the
// colour in the highlighted row. Other cells keep the default drawing.
class TTavSignifDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit TTavSignifDelegate(QObject* parent = nullptr) : QStyledItemDelegate(parent) {}

    // Draws one cell.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The text and background colours of a cell of the row colour `c`.
    static std::pair<QColor, QColor> cellColors(const TSignifColor& c, bool highlighted,
                                                const QPalette& palette);
    // The same for SignifColor(signif).
    static std::pair<QColor, QColor> cellColors(double signif, bool highlighted,
                                                const QPalette& palette) {
        return cellColors(SignifColor(signif), highlighted, palette);
    }
};
