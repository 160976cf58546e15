#pragma once

#include <QStyledItemDelegate>
#include <functional>

// Draws the "Score" cells of the simple-rules grid greyed while `outdated` says that the scores
// were computed under other settings or another context than those in force. Other cells and
// current scores keep the default drawing.
class TTavScoreDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    TTavScoreDelegate(std::function<bool()> outdated, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_outdated(std::move(outdated)) {}

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

  private:
    std::function<bool()> m_outdated;
};
