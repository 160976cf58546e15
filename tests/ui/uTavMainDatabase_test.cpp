// The window's "Open database table": a SQLite table through the import dialog, its session
// saved and opened again, and the refusals that change nothing.

#include "session/uTavSession.h"
#include "tests/support/SqliteFile.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

// A SQLite file with a table of loans: a class, a number and a text with letters of Windows-1250.
std::string loansDatabase(const TempDir& dir) {
    const std::string path = dir.file("bank.db");
    SqliteFile db(path);
    db.exec("CREATE TABLE \"loans 2024\" (amount INTEGER, town TEXT, risk TEXT)");
    for (int i = 0; i < 60; ++i) {
        db.exec("INSERT INTO \"loans 2024\" VALUES (" + std::to_string(1000 + 97 * i) + ", '" +
                (i % 3 == 0 ? "Kranj" : "Škofja Loka") + "', '" + (i % 4 ? "low" : "high") + "')");
    }
    db.exec("CREATE TABLE other (x INTEGER)");
    return path;
}

}  // namespace

TEST_F(MainWindowTest, ADatabaseTableOpensThroughTheImportDialogAndItsSessionReopens) {
    const std::string db = loansDatabase(dir);
    ui.databaseChoice = TDatabaseChoice{"sqlite://" + db, "loans 2024", ""};
    ui.importClass = 2;
    trigger("OpenDatabaseTable1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_EQ(ui.listedTables, (std::vector<std::string>{"loans 2024", "other"}));
    EXPECT_EQ(ui.reviewedColumns, 3);
    const TTavSession& session = window->session();
    ASSERT_NE(session.CurrentData(), nullptr);
    EXPECT_EQ(session.CurrentData()->RecordCount(), 60);
    EXPECT_EQ(session.classField(), 2);
    ASSERT_TRUE(session.databaseSource());
    EXPECT_EQ(session.databaseSource()->table, "loans 2024");
    EXPECT_TRUE(window->DBgrdFields->isVisible());
    // The status line names the table, not the program's copy of it.
    EXPECT_EQ(window->statusPanelText(0).toStdString(), "sqlite://" + db + ", table loans 2024");
    const QString town = cell(window->DBgrdFields, 1, 1);

    const std::string saved = dir.file("bank.tavs");
    ui.saves.push_back(saved);
    trigger("SaveSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    load(sample);
    ASSERT_FALSE(window->session().databaseSource());
    ui.files.push_back(saved);
    trigger("OpenSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    ASSERT_TRUE(window->session().databaseSource());
    EXPECT_EQ(window->session().classField(), 2);
    EXPECT_EQ(window->session().CurrentData()->RecordCount(), 60);
    EXPECT_EQ(cell(window->DBgrdFields, 1, 1), town);
}

TEST_F(MainWindowTest, ADatabaseThatCannotBeReadChangesNothing) {
    load(sample);
    const int records = window->session().CurrentData()->RecordCount();
    const std::string db = loansDatabase(dir);
    const struct {
        TDatabaseChoice choice;
        std::string message;
    } cases[] = {
        {{"sqlite://" + db, "missing", ""}, "has no table \"missing\""},
        {{"sqlite://" + db, "", "DELETE FROM other"}, "no SELECT"},
        {{"sqlite://" + db, "other", ""}, "has no rows"},
        {{"postgresql://u:pw@127.0.0.1:1/db", "", "SELECT 1"}, "refused the connection"},
    };
    for (const auto& c : cases) {
        ui.errors.clear();
        ui.databaseChoice = c.choice;
        ui.importClass = 0;
        trigger("OpenDatabaseTable1");
        ASSERT_EQ(ui.errors.size(), 1u) << c.message;
        EXPECT_NE(ui.errors[0].find(c.message), std::string::npos) << ui.errors[0];
        EXPECT_EQ(window->session().CurrentData()->RecordCount(), records);
        EXPECT_FALSE(window->session().databaseSource());
        EXPECT_EQ(ui.errors[0].find("pw@"), std::string::npos);
    }
}
