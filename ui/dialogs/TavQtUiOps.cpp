#include "ui/dialogs/TavQtUiOps.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "ui/dialogs/uDatabaseDialog.h"
#include "ui/dialogs/uImportDialog.h"
#include "ui/dialogs/uSheetDialog.h"
#include "ui/text/QtText.h"

void TTavQtUiOps::showMessage(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageTitle), qtText(text),
                    QMessageBox::Ok, m_parent);
    box.exec();
}

std::optional<std::string> TTavQtUiOps::inputQuery(const std::string& caption,
                                                   const std::string& prompt,
                                                   const std::string& defaultText) {
    bool confirmed = false;
    const QString text = QInputDialog::getText(m_parent, qtText(caption), qtText(prompt),
                                               QLineEdit::Normal, qtText(defaultText), &confirmed);
    if (!confirmed) return std::nullopt;
    return text1250(text);
}

std::optional<std::string> TTavQtUiOps::openFile(const std::string& filter,
                                                 const std::string& initialDirectory) {
    const QString path = QFileDialog::getOpenFileName(
        m_parent, QString(), QFile::decodeName(initialDirectory.c_str()), qtText(filter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<std::string> TTavQtUiOps::saveFile(const std::string& filter,
                                                 const std::string& defaultName) {
    const QString path = QFileDialog::getSaveFileName(
        m_parent, QString(), QFile::decodeName(defaultName.c_str()), qtText(filter));
    if (path.isEmpty()) return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

void TTavQtUiOps::processPendingEvents() {
    QCoreApplication::processEvents();
}

void TTavQtUiOps::setClipboardText(const std::string& text) {
    QGuiApplication::clipboard()->setText(qtText(text));
}

bool TTavQtUiOps::confirm(const std::string& question) {
    return QMessageBox::question(m_parent, QString::fromLatin1(kMessageTitle), qtText(question)) ==
           QMessageBox::Yes;
}

bool TTavQtUiOps::chooseSheet(const TImportPlan& plan, TSheetChoice& choice) {
    TfrmSheet dialog(plan, m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    choice = dialog.choice();
    return true;
}

bool TTavQtUiOps::chooseDatabaseTable(TDatabaseChoice& choice, const TTableLister& listTables) {
    TfrmDatabase dialog(listTables, m_parent);
    dialog.setChoice(choice);
    if (dialog.exec() != QDialog::Accepted) return false;
    choice = dialog.choice();
    return true;
}

bool TTavQtUiOps::reviewImport(TImportPlan& plan, int& classColumn) {
    TfrmImport dialog(plan, m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    classColumn = dialog.classColumn();
    return true;
}
