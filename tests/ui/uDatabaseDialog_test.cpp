#include "ui/dialogs/uDatabaseDialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "core/Errors.h"

// The tables are listed for the connection string; Next waits for a table or a query.
TEST(DatabaseDialog, TablesAreListedAndOneOfThemOrAQueryChosen) {
    std::vector<std::string> asked;
    TfrmDatabase dialog([&asked](const std::string& url) -> std::vector<std::string> {
        asked.push_back(url);
        if (url == "sqlite:///bad.db") throw ETavError("The database \"bad.db\" is not there");
        return {"loans", "ob\xC4\x8Dine"};
    });
    EXPECT_FALSE(dialog.btnNext->isEnabled());
    dialog.edtUrl->setText(QStringLiteral("sqlite:///bad.db"));
    dialog.btnListTablesClick();
    EXPECT_EQ(dialog.lstTables->count(), 0);
    EXPECT_TRUE(dialog.lblProblem->text().contains("is not there"));
    EXPECT_FALSE(dialog.btnNext->isEnabled());

    dialog.setChoice({"sqlite:///good.db", "ob\xC4\x8Dine", ""});
    ASSERT_EQ(dialog.lstTables->count(), 2);
    EXPECT_EQ(dialog.lblProblem->text(), "");
    EXPECT_TRUE(dialog.btnNext->isEnabled());
    EXPECT_EQ(dialog.choice().table, "ob\xC4\x8Dine");
    EXPECT_EQ(dialog.choice().url, "sqlite:///good.db");

    dialog.edtQuery->setPlainText(QStringLiteral("SELECT * FROM loans"));
    EXPECT_TRUE(dialog.rbQuery->isChecked());
    EXPECT_EQ(dialog.choice().query, "SELECT * FROM loans");
    EXPECT_EQ(dialog.choice().table, "");
    dialog.lstTables->setCurrentRow(0);
    EXPECT_TRUE(dialog.rbTable->isChecked());
    EXPECT_EQ(dialog.choice().table, "loans");
    EXPECT_EQ(asked, (std::vector<std::string>{"sqlite:///bad.db", "sqlite:///good.db"}));
}
