// The database URLs the options and session files take, and that no password is ever shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/DatabaseSource.h"
#include "core/Errors.h"
#include "core/PrivateFolder.h"

TEST(DatabaseSource, UrlsOfBothKindsAreRead) {
    const TDatabaseSource absolute = parseDatabaseSource("sqlite:///data/x.db", "T", "");
    EXPECT_EQ(absolute.kind, TDatabaseKind::Sqlite);
    EXPECT_EQ(absolute.location, "/data/x.db");
    EXPECT_EQ(displayUrl(absolute), "sqlite:///data/x.db");
    const TDatabaseSource relative = parseDatabaseSource("SQLite:sub/x.db", "", "SELECT 1");
    EXPECT_EQ(relative.location, "sub/x.db");
    EXPECT_EQ(displayUrl(relative), "sqlite:sub/x.db");
    EXPECT_EQ(displayText(relative), "sqlite:sub/x.db, query SELECT 1");
    EXPECT_EQ(sourceArguments(absolute),
              (std::vector<std::string>{"--db", "sqlite:///data/x.db", "--table", "T"}));
    for (const char* url : {"postgresql://h/db", "postgres://h:5432/db"}) {
        const TDatabaseSource server = parseDatabaseSource(url, "T", "");
        EXPECT_EQ(server.kind, TDatabaseKind::Postgresql);
        EXPECT_EQ(server.location, url);
        EXPECT_EQ(displayUrl(server), url);
    }
}

TEST(DatabaseSource, RefusalsSayWhatIsWrong) {
    const struct {
        const char* url;
        const char* table;
        const char* query;
        const char* message;
    } cases[] = {
        {"mysql://h/db", "T", "", "\"mysql://h/db\" is no database URL"},
        {"sqlite:", "T", "", "names no file"},
        {"sqlite://host/x.db", "T", "", "names no file"},
        {"sqlite:///x.db", "", "", "give the table (--table NAME) or a query"},
        {"sqlite:///x.db", "T", "SELECT 1", "either a table or a query, not both"},
        {"ftp://u:secret@h/x", "T", "", "ftp://u:***@h/x"},
    };
    for (const auto& c : cases) {
        try {
            parseDatabaseSource(c.url, c.table, c.query);
            ADD_FAILURE() << c.url;
        } catch (const ETavError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_EQ(std::string(error.what()).find("secret"), std::string::npos);
        }
    }
}

TEST(DatabaseSource, PasswordsAreNeverShown) {
    const struct {
        const char* url;
        const char* shown;
    } cases[] = {
        {"postgresql://ann:s3cr@t@host:5432/db", "postgresql://ann@host:5432/db"},
        {"postgresql://ann:pw@host/db?sslmode=require&password=pw",
         "postgresql://ann@host/db?sslmode=require"},
        {"postgres://host/db?password=pw", "postgres://host/db"},
        {"postgresql://ann@host/db?PASSWORD=pw&x=1", "postgresql://ann@host/db?x=1"},
        {"postgresql://host/db", "postgresql://host/db"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(displayUrl(parseDatabaseSource(c.url, "T", "")), c.shown) << c.url;
        EXPECT_EQ(withoutPassword(c.url).find("pw"), std::string::npos) << c.url;
    }
    EXPECT_EQ(withoutPassword("connection to postgresql://ann:pw@h/db failed: host=h password=pw"),
              "connection to postgresql://ann:***@h/db failed: host=h password=***");
}

// The copy of a table lives in a folder of this user only, made when first needed and gone
// with its owner.
TEST(PrivateFolder, IsMadeOnDemandForThisUserOnlyAndRemovedWithItsFiles) {
    std::string folder;
    {
        const TPrivateFolder unused;  // never asked for a file: nothing is made
        const TPrivateFolder owner;
        const std::string file = owner.file("table.CSV");
        folder = std::filesystem::path(file).parent_path().string();
        EXPECT_EQ(owner.file("other"), folder + "/other");
        std::ofstream(file) << "x";
        ASSERT_TRUE(std::filesystem::exists(file));
        const auto perms = std::filesystem::status(folder).permissions();
        EXPECT_EQ(perms & std::filesystem::perms::all, std::filesystem::perms::owner_all);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}
