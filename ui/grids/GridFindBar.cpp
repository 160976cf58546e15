#include "ui/grids/GridFindBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#include "ui/grids/GridText.h"

TGridFindBar::TGridFindBar(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("pnlFind"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 2, 8, 2);
    lblFindIn = new QLabel(this);
    lblFindIn->setObjectName(QStringLiteral("lblFindIn"));
    edtFind = new QLineEdit(this);
    edtFind->setObjectName(QStringLiteral("edtFind"));
    edtFind->setClearButtonEnabled(true);
    edtFind->setPlaceholderText(QStringLiteral("a part of a name"));
    edtFind->setMinimumWidth(240);
    lblFindIn->setBuddy(edtFind);
    btnFindNext = new QToolButton(this);
    btnFindNext->setObjectName(QStringLiteral("btnFindNext"));
    btnFindNext->setText(QStringLiteral("Next"));
    btnFindNext->setToolTip(QStringLiteral("The next row whose name holds the text (Enter)"));
    lblFindStatus = new QLabel(this);
    lblFindStatus->setObjectName(QStringLiteral("lblFindStatus"));
    btnFindClose = new QToolButton(this);
    btnFindClose->setObjectName(QStringLiteral("btnFindClose"));
    btnFindClose->setText(QStringLiteral("\u00D7"));
    btnFindClose->setAutoRaise(true);
    btnFindClose->setToolTip(QStringLiteral("Close the find bar (Esc)"));
    layout->addWidget(lblFindIn);
    layout->addWidget(edtFind);
    layout->addWidget(btnFindNext);
    layout->addWidget(lblFindStatus, 1);
    layout->addWidget(btnFindClose);
    connect(edtFind, &QLineEdit::textEdited, this, [this] { findNext(true); });
    connect(edtFind, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(btnFindNext, &QToolButton::clicked, this, [this] { findNext(); });
    connect(btnFindClose, &QToolButton::clicked, this, &TGridFindBar::close);
    setVisible(false);
}

void TGridFindBar::open(QTableView* view, int column, const QString& gridName) {
    m_view = view;
    m_column = column;
    lblFindIn->setText(QStringLiteral("&Find in %1:").arg(gridName));
    lblFindStatus->clear();
    setVisible(true);
    edtFind->setFocus(Qt::ShortcutFocusReason);
    edtFind->selectAll();
}

void TGridFindBar::close() {
    setVisible(false);
    if (m_view != nullptr) m_view->setFocus(Qt::OtherFocusReason);
}

bool TGridFindBar::findNext(bool fromCurrent) {
    lblFindStatus->clear();
    const QString needle = edtFind->text().trimmed();
    if (m_view == nullptr || m_view->model() == nullptr || needle.isEmpty()) return false;
    const QAbstractItemModel* model = m_view->model();
    const int rows = model->rowCount();
    const int current = m_view->currentIndex().isValid() ? m_view->currentIndex().row() : -1;
    const int first = fromCurrent ? std::max(current, 0) : current + 1;
    for (int step = 0; step < rows; ++step) {
        const int row = (first + step) % rows;
        if (!cellWholeText(model->index(row, m_column)).contains(needle, Qt::CaseInsensitive))
            continue;
        if (row != current) {
            const QModelIndex index =
                model->index(row, std::max(m_view->currentIndex().column(), 0));
            m_view->setCurrentIndex(index);
            m_view->scrollTo(index);
        }
        if (!fromCurrent && row == current) {
            lblFindStatus->setText(QStringLiteral("The only match."));
        } else if (!fromCurrent && row < current) {
            lblFindStatus->setText(QStringLiteral("From the top."));
        }
        return true;
    }
    lblFindStatus->setText(QStringLiteral("No match for \"%1\".").arg(needle));
    return false;
}
