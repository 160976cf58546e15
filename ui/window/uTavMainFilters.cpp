// The context and compare filter panels of the main window.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

#include "core/uTavObj.h"
#include "session/uTavSession.h"
#include "ui/dialogs/TavUiOps.h"
#include "ui/grids/TavGrid.h"
#include "ui/text/QtText.h"
#include "ui/window/uTavMain.h"

void TfrmTavMain::cmbBxContextFilterChange() {
    if (m_busy) {
        // Typed while a command runs: the session hears of it when the command has ended, so
        // that a running filter update keeps the text it started with.
        m_contextEditDeferred = true;
        return;
    }
    const std::string text = text1250(cmbBxContextFilter->currentText());
    // The box also signals when its text did not change: Enter picks the equal history item,
    // which the update has just added. That is no edit and leaves the context applied.
    if (text == m_session->contextInput().text) return;
    runCommand([this, text] { m_session->setContextText(text); });
}

void TfrmTavMain::cmbBxCompare1Change() {
    // Editing a compare text does not enable "Update compare"; the session only keeps the
    // texts, which decide whether the compare filters are used.
    if (m_busy) return;
    runGuarded(m_ui, [this] {
        m_session->setCompareTexts(text1250(cmbBxCompare1->currentText()),
                                   text1250(cmbBxCompare2->currentText()));
    });
}

void TfrmTavMain::contextReturnPressed() {
    // "Update context" is the default button while an edit is pending: Enter applies it.
    if (btnUpdateContext->isEnabled() && btnUpdateContext->isDefault()) btnUpdateContextClick();
}

void TfrmTavMain::compareReturnPressed() {
    // Enter in a compare box applies both compare expressions, as Enter applies the context.
    btnUpdateCompareClick();
}

void TfrmTavMain::btnUpdateContextClick() {
    runCommand([this] { m_session->updateContext(text1250(cmbBxContextFilter->currentText())); });
}

void TfrmTavMain::btnUpdateCompareClick() {
    runCommand([this] {
        m_session->updateCompare(text1250(cmbBxCompare1->currentText()),
                                 text1250(cmbBxCompare2->currentText()));
    });
}

void TfrmTavMain::syncFilterList(QComboBox* box, const TFilterInput& input) {
    QStringList items;
    for (const std::string& item : input.history)
        items << qtText(item);
    QStringList shown;
    for (int i = 0; i < box->count(); ++i)
        shown << box->itemText(i);
    if (shown == items) return;
    // Refilling the list leaves the text being edited as it is.
    const QSignalBlocker blocker(box);
    const QString text = box->currentText();
    box->clear();
    box->addItems(items);
    box->setEditText(text);
}

void TfrmTavMain::syncWidgets() {
    if (m_session->CurrentData() != nullptr) {
        syncFilterList(cmbBxContextFilter, m_session->contextInput());
        syncFilterList(cmbBxCompare1, m_session->compare1Input());
        syncFilterList(cmbBxCompare2, m_session->compare2Input());
    }
    btnUpdateContext->setEnabled(m_session->contextPending());
    btnUpdateContext->setDefault(m_session->contextPending());
    btnUpdateCompare->setEnabled(m_session->comparePending());
    btnUpdateCompare->setDefault(m_session->comparePending());
    lblUsingCompare->setText(qtText(m_session->usingCompareText()));
    // Rows hidden from before (another class, an earlier file) should not go unnoticed.
    const int hidden = m_session->hiddenClassRows();
    // A pair made the condition from the Findings tab is named, so that its numbers are not read
    // as those of the active simple rule.
    const std::string pair = m_session->activePairCondition();
    QString caption = QStringLiteral("Frequency");
    // The class whose values the rows are, so that the table is not read as another field's.
    const TBaza* data = m_session->CurrentData();
    if (data != nullptr && m_session->classField() >= 0 &&
        m_session->classField() < data->FieldCount()) {
        caption += QStringLiteral(" of ") + qtText(data->fieldName(m_session->classField()));
    }
    if (!pair.empty()) caption += QStringLiteral(" under ") + qtText(pair);
    PageControl2->setTabText(
        0, hidden == 0
               ? caption
               : caption + QStringLiteral(" \u2014 %1 %2 hidden")
                               .arg(hidden)
                               .arg(hidden == 1 ? QStringLiteral("row") : QStringLiteral("rows")));
    for (TTavGrid* grid : {DBgrdFields, DBgrdSimpleRules, DBgrdFrequency})
        grid->followTable();
    // The class mark moves without a change of the Fields table.
    DBgrdFields->viewport()->update();
}
