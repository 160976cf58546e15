#include "ui/dialogs/uDatabaseDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <exception>

#include "ui/text/QtText.h"

namespace {

QString utf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8Bytes(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

TfrmDatabase::TfrmDatabase(TTableLister listTables, QWidget* parent)
    : QDialog(parent), m_listTables(std::move(listTables)) {
    setObjectName(QStringLiteral("frmDatabase"));
    setWindowTitle(QStringLiteral("Open database table"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Connection string: sqlite:///PATH/TO/FILE.db or postgresql://HOST/DB"),
        this));
    auto* urlRow = new QHBoxLayout;
    edtUrl = new QLineEdit(this);
    edtUrl->setObjectName(QStringLiteral("edtUrl"));
    urlRow->addWidget(edtUrl, 1);
    btnBrowse = new QPushButton(QStringLiteral("SQLite file..."), this);
    btnBrowse->setObjectName(QStringLiteral("btnBrowse"));
    urlRow->addWidget(btnBrowse);
    btnListTables = new QPushButton(QStringLiteral("List tables"), this);
    btnListTables->setObjectName(QStringLiteral("btnListTables"));
    urlRow->addWidget(btnListTables);
    layout->addLayout(urlRow);
    rbTable = new QRadioButton(QStringLiteral("Table:"), this);
    rbTable->setObjectName(QStringLiteral("rbTable"));
    rbTable->setChecked(true);
    layout->addWidget(rbTable);
    lstTables = new QListWidget(this);
    lstTables->setObjectName(QStringLiteral("lstTables"));
    layout->addWidget(lstTables, 1);
    rbQuery = new QRadioButton(QStringLiteral("Query (one SELECT):"), this);
    rbQuery->setObjectName(QStringLiteral("rbQuery"));
    layout->addWidget(rbQuery);
    edtQuery = new QPlainTextEdit(this);
    edtQuery->setObjectName(QStringLiteral("edtQuery"));
    edtQuery->setMaximumHeight(90);
    layout->addWidget(edtQuery);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    layout->addWidget(lblProblem);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnNext = buttons->button(QDialogButtonBox::Ok);
    btnNext->setText(QStringLiteral("Next"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    connect(btnBrowse, &QPushButton::clicked, this, &TfrmDatabase::btnBrowseClick);
    connect(btnListTables, &QPushButton::clicked, this, &TfrmDatabase::btnListTablesClick);
    connect(edtUrl, &QLineEdit::returnPressed, this, &TfrmDatabase::btnListTablesClick);
    connect(edtUrl, &QLineEdit::textChanged, this, &TfrmDatabase::updateNext);
    connect(lstTables, &QListWidget::currentRowChanged, this, [this] {
        rbTable->setChecked(true);
        updateNext();
    });
    connect(edtQuery, &QPlainTextEdit::textChanged, this, [this] {
        if (!edtQuery->toPlainText().trimmed().isEmpty()) rbQuery->setChecked(true);
        updateNext();
    });
    connect(rbTable, &QRadioButton::toggled, this, &TfrmDatabase::updateNext);
    updateNext();
    resize(560, 420);
}

void TfrmDatabase::setChoice(const TDatabaseChoice& choice) {
    edtUrl->setText(utf8(choice.url));
    edtQuery->setPlainText(utf8(choice.query));
    m_wantedTable = choice.table;
    rbQuery->setChecked(!choice.query.empty());
    rbTable->setChecked(choice.query.empty());
    if (!choice.url.empty()) btnListTablesClick();
}

TDatabaseChoice TfrmDatabase::choice() const {
    TDatabaseChoice chosen;
    chosen.url = utf8Bytes(edtUrl->text().trimmed());
    if (rbQuery->isChecked()) {
        chosen.query = utf8Bytes(edtQuery->toPlainText().trimmed());
    } else if (const QListWidgetItem* item = lstTables->currentItem()) {
        chosen.table = utf8Bytes(item->text());
    }
    return chosen;
}

void TfrmDatabase::btnListTablesClick() {
    lstTables->clear();
    lblProblem->clear();
    try {
        for (const std::string& name : m_listTables(utf8Bytes(edtUrl->text().trimmed()))) {
            lstTables->addItem(utf8(name));
            if (name == m_wantedTable) lstTables->setCurrentRow(lstTables->count() - 1);
        }
        if (lstTables->count() == 0)
            lblProblem->setText(QStringLiteral("The database has no tables."));
    } catch (const std::exception& error) {
        lblProblem->setText(qtText(error.what()));
    }
    updateNext();
}

void TfrmDatabase::btnBrowseClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("SQLite database"), QString(),
        QStringLiteral("SQLite databases (*.db *.sqlite *.sqlite3 *.db3);;All files (*)"));
    if (path.isEmpty()) return;
    edtUrl->setText(QStringLiteral("sqlite://") + path);
    btnListTablesClick();
}

void TfrmDatabase::updateNext() {
    const bool url = !edtUrl->text().trimmed().isEmpty();
    const bool what = rbQuery->isChecked() ? !edtQuery->toPlainText().trimmed().isEmpty()
                                           : lstTables->currentItem() != nullptr;
    btnNext->setEnabled(url && what);
}
