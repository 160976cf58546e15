#include "session/SessionFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/Errors.h"
#include "session/uTavSession.h"
#include "stats/uTavFreq.h"
#include "table/TxDataView.h"
#include "tests/support/TempDir.h"

namespace {

// 60 records: class C (SET:1..3), F (INT:1..3) that shifts C, G (INT:1..2) that does not.
std::string sixtyRecords() {
    std::string text = "TAV DATA:3/TXT/1250\nC;F;G\nSET:1..3;INT:1..3;INT:1..2\na;b;c\n";
    for (int r = 0; r < 60; ++r) {
        text += std::to_string(r < 20   ? 1
                               : r < 45 ? 2
                                        : 3) +
                ";" +
                std::to_string(r < 25   ? 1
                               : r < 40 ? 2
                                        : 3) +
                ";" + std::to_string(r % 2 + 1) + "\n";
    }
    return text;
}

// Every cell of a result table as its text, row by row.
std::vector<std::vector<std::string>> tableTexts(TxViewReader& table) {
    std::vector<std::vector<std::string>> texts;
    for (int row = 0; row < table.RecordCount(); ++row) {
        texts.emplace_back();
        for (int column = 0; column < table.fieldCount(); ++column)
            texts.back().push_back(table.valueAt(row, column).toString());
    }
    return texts;
}

class SessionFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        hooks.showMessage = [this](const std::string& m) { messages.push_back(m); };
        dataPath = dir.write("data.csv", sixtyRecords());
        sessionPath = dir.file("work.tavs");
    }
    void TearDown() override { resetStatSettings(); }

    // A session with every kept thing away from its default.
    std::unique_ptr<TTavSession> exploredSession() {
        auto session = std::make_unique<TTavSession>(hooks);
        session->setWritesSummaryReport(false);
        session->loadDataFile(dataPath);
        session->setSetting(TSetting::MParam, 3.5);
        session->setSetting(TSetting::SignificancePct, 10);
        session->setClassFieldDeselected(0);
        session->selectFields({1});
        session->updateContext("G,1,=");
        session->updateContext("F > 1");
        session->updateCompare("F = 2", "");
        session->updateCompare("", "");
        session->hideClassValues({3});
        EXPECT_TRUE(session->moveToRule(4));
        return session;
    }

    TempDir dir;
    TSessionHooks hooks;
    std::vector<std::string> messages;
    std::string dataPath;
    std::string sessionPath;
};

}  // namespace

TEST_F(SessionFileTest, SavedSessionOpensToTheSameTables) {
    const auto saved = exploredSession();
    writeSessionFile(sessionPath, saved->sessionFile());
    const auto fields = tableTexts(saved->fieldsTable());
    const auto rules = tableTexts(saved->rulesTable());
    const auto frequency = tableTexts(saved->frequencyTable());
    const TSessionFile before = saved->sessionFile();

    resetStatSettings();
    RowVisible.fill(true);
    TTavSession opened(hooks);
    opened.setWritesSummaryReport(false);
    const TSessionFile kept = readSessionFile(sessionPath);
    EXPECT_EQ(kept.source.path, dataPath);
    EXPECT_EQ(sessionDataState(kept.source), TSessionDataState::Same);
    opened.openSession(kept, kept.source.path);

    EXPECT_EQ(tableTexts(opened.fieldsTable()), fields);
    EXPECT_EQ(tableTexts(opened.rulesTable()), rules);
    EXPECT_EQ(tableTexts(opened.frequencyTable()), frequency);
    EXPECT_EQ(opened.sessionFile(), before);
    EXPECT_EQ(opened.contextInput().history, (std::vector<std::string>{" ", "G,1,=", "F > 1"}));
    EXPECT_EQ(opened.compare1Input().history, std::vector<std::string>{"F = 2"});
    EXPECT_EQ(opened.activeRuleNumber(), 4);
    EXPECT_DOUBLE_EQ(TTavSession::setting(TSetting::MParam), 3.5);
}

TEST_F(SessionFileTest, TextsAndPathsSurviveTheJsonForm) {
    TSessionFile session;
    session.source.path = dataPath;
    session.source.sha256 = std::string(64, 'a');
    session.source.importedFrom = "../raw/table.csv";
    session.source.importArguments =
        "--class '\x8a"
        "KODA'";  // S-caron in Windows-1250
    session.context = {"N = '\x9a'", {" ", "N = '\x9a'"}};
    session.findingsTarget = 2;
    session.findingsConditions = 2;
    const std::string text = sessionFileText(session, sessionPath);
    // UTF-8 inside, and the data file named from the session file's folder.
    EXPECT_NE(text.find("\xc5\xa0KODA"), std::string::npos);
    EXPECT_NE(text.find("\"path\": \"data.csv\""), std::string::npos);
    EXPECT_EQ(parseSessionFile(text, sessionPath), session);

    // A data file outside the session's folder is kept by its absolute path.
    const std::string elsewhere = dir.file("other/work.tavs");
    EXPECT_EQ(parseSessionFile(sessionFileText(session, elsewhere), elsewhere).source.path,
              std::filesystem::absolute(dataPath).lexically_normal().string());
}

TEST_F(SessionFileTest, ForeignOrDamagedFilesAreRefused) {
    TSessionFile good;
    good.source.path = dataPath;
    const std::string text = sessionFileText(good, sessionPath);
    auto edited = [&](const std::string& from, const std::string& to) {
        std::string changed = text;
        const size_t at = changed.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return changed.replace(at, from.size(), to);
    };
    const struct {
        std::string text;
        std::string reason;
    } cases[] = {
        {"", "not JSON"},
        {text.substr(0, text.size() / 2), "not JSON"},
        {"[1, 2]", "not a session file"},
        {"{\"format\": \"something-else\", \"version\": 1}", "not a session file"},
        {edited("\"version\": 1", "\"version\": 2"), "later version"},
        {edited("\"version\": 1", "\"version\": \"1\""), "version is missing"},
        {edited("\"class\": 0", "\"class\": \"C\""), "\"class\" is not a whole number"},
        {edited("\"class\": 0", "\"class\": -1"), "outside"},
        {edited("\"kind\": \"file\"", "\"kind\": \"spreadsheet\""), "kind"},
        // A database source names its database.
        {edited("\"kind\": \"file\"", "\"kind\": \"database\""), "\"url\" is missing"},
        {edited("\"hidden\": []", "\"hidden\": [200]"), "outside 0..127"},
        {edited("\"m\": 2.0", "\"m\": 0"), "\"m\" is outside"},
        {edited("\"activeRule\": 0,", ""), "\"activeRule\" is missing"},
    };
    for (const auto& item : cases) {
        try {
            parseSessionFile(item.text, sessionPath);
            ADD_FAILURE() << "accepted: " << item.text;
        } catch (const ETavError& refused) {
            EXPECT_NE(std::string(refused.what()).find(item.reason), std::string::npos)
                << refused.what();
        }
    }
}

TEST_F(SessionFileTest, RefusedFileLeavesTheSessionAsItWas) {
    const auto session = exploredSession();
    const auto frequency = tableTexts(session->frequencyTable());
    const TSessionFile before = session->sessionFile();
    dir.write("foreign.tavs", "{\"format\": \"other\"}");
    EXPECT_THROW(readSessionFile(dir.file("foreign.tavs")), ETavError);
    EXPECT_THROW(readSessionFile(dir.file("missing.tavs")), EInOutError);

    // A class the table does not have is refused too.
    TSessionFile outside = before;
    outside.classField = 7;
    EXPECT_THROW(session->openSession(outside, dataPath), ETavError);
    // A data file that cannot be loaded changes nothing.
    TTavSession other(hooks);
    other.setWritesSummaryReport(false);
    other.loadDataFile(dataPath);
    const auto otherRules = tableTexts(other.rulesTable());
    EXPECT_THROW(other.openSession(before, dir.file("gone.csv")), EInOutError);
    EXPECT_EQ(tableTexts(other.rulesTable()), otherRules);
    EXPECT_EQ(frequency.empty(), false);
}

TEST_F(SessionFileTest, ChangedOrGoneDataFileIsDetected) {
    const auto session = exploredSession();
    writeSessionFile(sessionPath, session->sessionFile());
    TSessionFile kept = readSessionFile(sessionPath);
    EXPECT_EQ(kept.source.sha256.size(), 64u);
    EXPECT_EQ(sessionDataState(kept.source), TSessionDataState::Same);

    dir.write("data.csv", sixtyRecords() + "1;1;1\n");
    EXPECT_EQ(sessionDataState(kept.source), TSessionDataState::Changed);
    EXPECT_NE(sessionDataProblemText(kept.source, TSessionDataState::Changed).find("SHA-256"),
              std::string::npos);
    // The user may go on with the file as it is now.
    const int records = session->CurrentData()->RecordCount();
    session->openSession(kept, kept.source.path);
    EXPECT_EQ(session->CurrentData()->RecordCount(), records + 1);

    std::filesystem::remove(dataPath);
    EXPECT_EQ(sessionDataState(kept.source), TSessionDataState::Gone);
    EXPECT_NE(sessionDataProblemText(kept.source, TSessionDataState::Gone).find("gone"),
              std::string::npos);
}

TEST_F(SessionFileTest, ClassOfOneTableDoesNotCarryOver) {
    TTavSession session(hooks);
    session.setWritesSummaryReport(false);
    session.loadDataFile(dataPath);
    session.setClassField(2);
    session.loadDataFile(dir.write("second.csv", sixtyRecords()));
    EXPECT_EQ(session.classField(), 0);
}

TEST_F(SessionFileTest, SessionFileBesideTheDataFileIsOpenedWithIt) {
    TSessionFile kept;
    kept.source.path = dataPath;
    kept.classField = 1;
    kept.selectedFields = {0, 2};
    writeSessionFile(sessionPathBeside(dataPath), kept);
    EXPECT_EQ(sessionPathBeside(dataPath), dir.file("data-tav.tavs"));

    TTavSession session(hooks);
    session.setWritesSummaryReport(false);
    EXPECT_TRUE(session.loadDataFileWithItsSession(dataPath));
    EXPECT_EQ(session.classField(), 1);

    // A damaged one is a message; the table loads with its defaults.
    dir.write("data-tav.tavs", "{ damaged");
    EXPECT_FALSE(session.loadDataFileWithItsSession(dataPath));
    EXPECT_EQ(session.classField(), 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("not JSON"), std::string::npos);
}

TEST_F(SessionFileTest, ActiveRuleIsKeptByItsNumberAfterARanking) {
    const auto session = exploredSession();
    const std::optional<std::string> name = session->wholeRuleName(4);
    session->computeEntropyGains();
    ASSERT_TRUE(session->moveToRuleNumbered(5));
    EXPECT_EQ(session->wholeRuleName(session->activeRuleNumber()), name);
    EXPECT_EQ(session->sessionFile().activeRule, 4);

    // The "Complete set" in row 0 is rule 0 too.
    ASSERT_TRUE(session->moveToRuleNumbered(0));
    EXPECT_EQ(session->sessionFile().activeRule, 0);
    session->openSession(session->sessionFile(), dataPath);
    EXPECT_EQ(session->wholeRuleName(session->activeRuleNumber()), session->wholeRuleName(0));
}
