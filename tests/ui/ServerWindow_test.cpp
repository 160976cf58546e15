// The window on a table counted in the test's PostgreSQL server: "Open database table" through
// the import dialog, the grids and the ranking from the server's counts, and the session saved
// and opened again.

#include <QToolButton>
#include <cstdlib>

#include "core/Win1250.h"
#include "session/uTavSession.h"
#include "tests/db/HostileTable.h"
#include "tests/db/PgServer.h"
#include "tests/ui/MainWindowFixture.h"

namespace {

class ServerWindowTest : public MainWindowTest {
  protected:
    void SetUp() override {
        setenv("TAV_TEST_PG_STATE", TAV_PG_STATE_DIR, 0);
        MainWindowTest::SetUp();
        TAV_REQUIRE_SERVER();
        if (!loaded) {
            loadServer(hostileRows());
            loaded = true;
        }
    }
    static bool loaded;
};

bool ServerWindowTest::loaded = false;

TEST_F(ServerWindowTest, AServerTableOpensThroughTheImportDialogAndItsSessionReopens) {
    ui.databaseChoice = TDatabaseChoice{testServerUri(), win1250ToUtf8(kTable), ""};
    ui.importClass = 7;
    trigger("OpenDatabaseTable1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_NE(std::find(ui.listedTables.begin(), ui.listedTables.end(), win1250ToUtf8(kTable)),
              ui.listedTables.end());
    EXPECT_EQ(ui.reviewedColumns, 8);
    const TTavSession& session = window->session();
    ASSERT_TRUE(session.tableIsCounted());
    EXPECT_EQ(session.CurrentData()->RecordCount(), 0);
    EXPECT_EQ(session.recordCount(), 400);
    EXPECT_EQ(session.classField(), 7);
    // The Frequency table of the class from the server's counts: 400 records of three values.
    EXPECT_EQ(cell(window->DBgrdFrequency, 0, 2), "400");
    EXPECT_EQ(window->DBgrdFrequency->model()->rowCount(), 4);
    window->tlbtnA->click();
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    EXPECT_FALSE(cell(window->DBgrdSimpleRules, 0, 3).isEmpty());
    const QString firstRule = cell(window->DBgrdSimpleRules, 0, 1);

    const std::string saved = dir.file("server.tavs");
    ui.saves.push_back(saved);
    trigger("SaveSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    load(sample);
    ASSERT_FALSE(window->session().tableIsCounted());
    ui.files.push_back(saved);
    trigger("OpenSession1");
    ASSERT_TRUE(ui.errors.empty()) << ui.errors.front();
    ASSERT_TRUE(window->session().tableIsCounted());
    EXPECT_EQ(window->session().classField(), 7);
    window->tlbtnA->click();
    EXPECT_EQ(cell(window->DBgrdSimpleRules, 0, 1), firstRule);
}

TEST_F(ServerWindowTest, TheImportDialogCancelledOrAServerRefusalChangesNothing) {
    load(sample);
    const int records = window->session().CurrentData()->RecordCount();
    ui.databaseChoice = TDatabaseChoice{testServerUri(), win1250ToUtf8(kTable), ""};
    ui.importClass.reset();
    trigger("OpenDatabaseTable1");
    EXPECT_TRUE(ui.errors.empty());
    EXPECT_EQ(ui.reviewedColumns, 8);
    EXPECT_FALSE(window->session().tableIsCounted());
    EXPECT_EQ(window->session().CurrentData()->RecordCount(), records);

    ui.databaseChoice = TDatabaseChoice{testServerUri(), "", "SELECT * FROM nowhere"};
    ui.importClass = 0;
    trigger("OpenDatabaseTable1");
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_NE(ui.errors[0].find("nowhere"), std::string::npos) << ui.errors[0];
    EXPECT_FALSE(window->session().tableIsCounted());
    EXPECT_EQ(window->session().CurrentData()->RecordCount(), records);
}

}  // namespace
