#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include "ui/dialogs/TavUiOps.h"

// The user-interface operations with real Qt dialogs, the system clipboard and the event loop.
class TTavQtUiOps : public TTavUiOps {
  public:
    // Dialogs are centred over `parent` (none: over the screen) until setParentWindow changes it.
    explicit TTavQtUiOps(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window the dialogs belong to (the main window once it exists).
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    // The operations of TTavUiOps, with QMessageBox, QInputDialog, QFileDialog, the event loop
    // and the system clipboard.
    void showMessage(const std::string& text) override;
    std::optional<std::string> inputQuery(const std::string& caption, const std::string& prompt,
                                          const std::string& defaultText) override;
    std::optional<std::string> openFile(const std::string& filter,
                                        const std::string& initialDirectory) override;
    std::optional<std::string> saveFile(const std::string& filter,
                                        const std::string& defaultName) override;
    void processPendingEvents() override;
    void setClipboardText(const std::string& text) override;
    bool confirm(const std::string& question) override;
    bool reviewImport(TImportPlan& plan, int& classColumn) override;
    bool chooseSheet(const TImportPlan& plan, TSheetChoice& choice) override;
    bool chooseDatabaseTable(TDatabaseChoice& choice, const TTableLister& listTables) override;

  private:
    QPointer<QWidget> m_parent;
};
