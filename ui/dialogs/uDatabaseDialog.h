#pragma once

#include <QDialog>

#include "ui/dialogs/TavUiOps.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// "Open database table": the connection string (sqlite:///PATH, or postgresql://... of a
// server), a button that browses for a SQLite file, the tables of the database listed on demand
// and a query as the other choice. Next goes on to the import dialog's types and class.
class TfrmDatabase : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmDatabase(TTableLister listTables, QWidget* parent = nullptr);

    // Shows `choice` (a table is selected once the tables are listed).
    void setChoice(const TDatabaseChoice& choice);
    // The connection string and the table selected or the query, as chosen.
    TDatabaseChoice choice() const;

    QLineEdit* edtUrl = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnListTables = nullptr;
    QRadioButton* rbTable = nullptr;
    QListWidget* lstTables = nullptr;
    QRadioButton* rbQuery = nullptr;
    QPlainTextEdit* edtQuery = nullptr;
    QLabel* lblProblem = nullptr;  // why the tables could not be listed, or empty
    QPushButton* btnNext = nullptr;

    // Lists the tables of the connection string in lstTables, or says why it cannot.
    void btnListTablesClick();

  private:
    void btnBrowseClick();
    void updateNext();

    TTableLister m_listTables;
    std::string m_wantedTable;
};
