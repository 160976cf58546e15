#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>

#include "PgServer.h"
#include "db/ServerTable.h"

namespace {

// The message of what `open` throws, "" when it throws nothing.
template <typename Error>
std::string messageOf(const std::function<void()>& open) {
    try {
        open();
    } catch (const Error& e) {
        return e.what();
    }
    return "";
}

bool holds(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ServerErrors, SayThatTheServerRefusedTheConnection) {
    const std::string message = messageOf<EDatabaseError>(
        [] { TPgConnection("postgresql:///x?host=/nonexistent-tav-folder&connect_timeout=2"); });
    EXPECT_TRUE(holds(message, "refused the connection")) << message;
}

TEST(ServerErrors, SayThatAConnectionStringIsNotValid) {
    const std::string message =
        messageOf<EDatabaseError>([] { TPgConnection("postgresql://[broken"); });
    EXPECT_FALSE(message.empty());
}

struct TServer : ::testing::Test {
    void SetUp() override { TAV_REQUIRE_SERVER(); }
};

TEST_F(TServer, SaysWhichDatabaseIsMissing) {
    std::string uri = testServerUri();
    uri.replace(uri.find("/postgres?"), 10, "/no_such_db?");
    const std::string message = messageOf<EDatabaseError>([&] { TPgConnection{uri}; });
    EXPECT_TRUE(holds(message, "no_such_db")) << message;
}

TEST_F(TServer, SaysThatAuthenticationFailed) {
    {
        TPgConnection connection(testServerUri());
        connection.run("DROP ROLE IF EXISTS tav_reader_" + std::to_string(getpid()));
        connection.run("CREATE ROLE tav_reader_" + std::to_string(getpid()) +
                       " LOGIN PASSWORD 'right'");
    }
    std::string uri = testServerUri();
    uri.replace(uri.find("user=postgres"), 13,
                "user=tav_reader_" + std::to_string(getpid()) + "&password=wrong");
    const std::string message = messageOf<EDatabaseError>([&] { TPgConnection{uri}; });
    EXPECT_TRUE(holds(message, "Authentication failed")) << message;
    TPgConnection(testServerUri()).run("DROP ROLE tav_reader_" + std::to_string(getpid()));
}

TEST_F(TServer, NamesAMissingTable) {
    const std::string message = messageOf<EDatabaseError>([] {
        TServerTable::open(testServerUri(), {"no such; table", ""});
    });
    EXPECT_EQ(message, "The database has no table \"no such; table\"");
}

TEST_F(TServer, PassesTheServersTextOfAFailedQuery) {
    const std::string message = messageOf<EDatabaseError>([] {
        TServerTable::open(testServerUri(), {"", "SELECT nothing FROM nowhere"});
    });
    EXPECT_TRUE(holds(message, "refused a statement")) << message;
    EXPECT_TRUE(holds(message, "nowhere")) << message;
}

TEST_F(TServer, RunsAQueryThatOnlyReads) {
    {
        TPgConnection connection(testServerUri());
        connection.run("DROP TABLE IF EXISTS kept");
        connection.run("CREATE TABLE kept (a int)");
        connection.run("INSERT INTO kept VALUES (1), (2), (2)");
    }
    // A query that would write or lock is refused, and a second statement is no statement.
    EXPECT_TRUE(
        holds(messageOf<EDatabaseError>([] {
                  TServerTable::open(testServerUri(), {"", "SELECT a FROM kept FOR UPDATE"});
              }),
              "read-only"));
    EXPECT_FALSE(messageOf<EDatabaseError>([] {
                     TServerTable::open(testServerUri(), {"", "SELECT 1; DROP TABLE kept"});
                 }).empty());
    const auto table = TServerTable::open(testServerUri(), {"", "SELECT a * 10 AS b FROM kept"});
    EXPECT_EQ(table->recordCount(), 3);
    EXPECT_EQ(table->description().fieldName(0), "B");
    TPgConnection connection(testServerUri());
    EXPECT_EQ(connection.run("SELECT count(*) FROM kept").text(0, 0), "3");
}

TEST_F(TServer, RefusesATableWithoutRows) {
    TPgConnection connection(testServerUri());
    connection.run("DROP TABLE IF EXISTS empty_one");
    connection.run("CREATE TABLE empty_one (a int)");
    const std::string message = messageOf<EConvertError>([] {
        TServerTable::open(testServerUri(), {"empty_one", ""});
    });
    EXPECT_EQ(message, "The table \"empty_one\" has no rows");
}

TEST_F(TServer, CutsAColumnOfManyNumbersAtQuantilesComputedInTheServer) {
    // More numbers than the import keeps: the server sends quantiles, not the numbers.
    const auto table = TServerTable::open(
        testServerUri(), {"", "SELECT x, x % 2 AS odd FROM generate_series(1, 140000) AS x"});
    const TBaza& described = table->description();
    ASSERT_EQ(described.fieldType(0), ftReal);
    ASSERT_EQ(described.fieldBoundaryCount(0), 4);
    for (int k = 1; k <= 4; ++k)
        EXPECT_NEAR(described.fieldBoundary(0, k), 28000.0 * k, 2.0) << k;
    EXPECT_TRUE(table->plan().profiles[0].numbersSampled);
    EXPECT_EQ(table->plan().profiles[0].numbers.size(), static_cast<size_t>(kNumberBudget));
}

TEST_F(TServer, StopsWithALostConnection) {
    // Only this test's own connection is ended: other tests use the server at the same time.
    const std::string name = "tav_doomed_" + std::to_string(getpid());
    auto table =
        TServerTable::open(testServerUri() + "&application_name=" + name, {"", "SELECT 1 AS a"});
    TPgConnection killer(testServerUri());
    killer.run("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE application_name = $1",
               {name});
    EXPECT_THROW(table->countGroups({""}, -1), EConnectionLost);
}

}  // namespace
