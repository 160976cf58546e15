#include "session/uTavSession.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/Errors.h"
#include "stats/uTavResultTables.h"
#include "table/TXMLDataSet.h"
#include "table/TxDataView.h"
#include "tests/support/TempDir.h"

namespace {

// 100 records: class C (SET:1..2) is 1 in records 0..29; F (INT:1..3) is 1 in 0..39, 2 in
// 40..69, 3 in 70..99, so F= 1 raises the share of class 1; N is a STRING field.
std::string hundredRecords() {
    std::string text =
        "TAV DATA:3/TXT/1250\nC;F;N\nSET:1..2;INT:1..3;STRING\none;low;\ntwo;mid;\n;high;\n";
    for (int r = 0; r < 100; ++r) {
        text += std::string(r < 30 ? "1;" : "2;") +
                (r < 40   ? "1"
                 : r < 70 ? "2"
                          : "3") +
                ";n" + std::to_string(r) + "\n";
    }
    return text;
}

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetStatSettings();
        hooks.showMessage = [this](const std::string& m) { messages.push_back(m); };
        hooks.frequencyRecomputed = [this] { ++recomputations; };
        session = std::make_unique<TTavSession>(hooks);
        path = dir.write("data.csv", hundredRecords());
        session->loadDataFile(path);
    }
    void TearDown() override { resetStatSettings(); }

    // A column of the Frequency table, row by row.
    std::vector<double> frequencyColumn(int column) {
        std::vector<double> values;
        TxViewReader& table = session->frequencyTable();
        for (int row = 0; row < table.RecordCount(); ++row) {
            values.push_back(table.valueAt(row, column).toFloat());
        }
        return values;
    }
    std::vector<std::string> ruleNames() {
        std::vector<std::string> names;
        TxViewReader& rules = session->rulesTable();
        for (int row = 0; row < rules.RecordCount(); ++row) {
            names.push_back(rules.valueAt(row, RuleColumns::kName).toString());
        }
        return names;
    }
    void moveToRule(int row) { ASSERT_TRUE(session->moveToRule(row)); }

    TempDir dir;
    TSessionHooks hooks;
    std::vector<std::string> messages;
    int recomputations = 0;
    std::unique_ptr<TTavSession> session;
    std::string path;
};

}  // namespace

TEST_F(SessionTest, LoadFillsTheTablesAndWritesTheSummary) {
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(session->dataReady());
    EXPECT_EQ(session->DataFileName(), path);
    EXPECT_FALSE(readFile(dir.file("data.REP")).empty());
    EXPECT_EQ(session->fieldsTable().RecordCount(), 3);
    EXPECT_EQ(session->fieldsTable().valueAt(2, FieldsColumns::kType).toString(), "STRING");
    EXPECT_EQ(session->fieldsTable().valueAt(0, FieldsColumns::kCount).toInteger(), 100);
    EXPECT_EQ(session->contextInput().history, std::vector<std::string>{" "});
    EXPECT_FALSE(session->contextPending());
    EXPECT_EQ(session->usingCompareText(), "Using simple rules as conditions");
    // Nothing is selected after a load: every rule but the complete set is marked.
    EXPECT_EQ(session->rulesTable().valueAt(0, RuleColumns::kCount).toString(), "100");
    EXPECT_EQ(session->rulesTable().valueAt(1, RuleColumns::kCount).toString(), "*** 30");
}

TEST_F(SessionTest, FrequencyTableOfTheCompleteSet) {
    TxViewReader& table = session->frequencyTable();
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kNo).toInteger(), -1);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kName).toString(), "Total");
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kFrequency).toInteger(), 100);
    EXPECT_EQ(table.valueAt(1, FrequencyColumns::kName).toString(), "(0) C= 1-one");
    const double q = 30.5 / 101;
    EXPECT_NEAR(table.valueAt(1, FrequencyColumns::kProbability).toFloat(), (30 + 2 * q) / 102,
                1e-12);
    EXPECT_NEAR(table.valueAt(1, FrequencyColumns::kStdProb).toFloat(), 0.045, 5e-4);
    EXPECT_EQ(frequencyColumn(FrequencyColumns::kProbability),
              frequencyColumn(FrequencyColumns::kCondProbability));
    EXPECT_EQ(table.valueAt(1, FrequencyColumns::kEntropyChange).toFloat(), 0.0);
    const double signif = table.valueAt(1, FrequencyColumns::kSignif).toFloat();
    EXPECT_GT(signif, 0.45);
    EXPECT_LT(signif, 0.5);
}

TEST_F(SessionTest, MovingToAnotherRuleRecomputesTheFrequencyTable) {
    moveToRule(3);  // (1) F= 1-low: 30 of its 40 records have class 1
    EXPECT_EQ(ruleNames()[3], "(1) F= 1-low");
    TxViewReader& table = session->frequencyTable();
    EXPECT_EQ(table.valueAt(1, FrequencyColumns::kCondFrequency).toInteger(), 30);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kCondFrequency).toInteger(), 40);
    EXPECT_GT(table.valueAt(1, FrequencyColumns::kEntropyChange).toFloat(), 0.2);
    EXPECT_GT(table.valueAt(1, FrequencyColumns::kSignif).toFloat(), 0.99);
    const double total = table.valueAt(0, FrequencyColumns::kEntropyChange).toFloat();
    EXPECT_NEAR(total,
                std::fabs(table.valueAt(1, FrequencyColumns::kEntropyChange).toFloat()) +
                    std::fabs(table.valueAt(2, FrequencyColumns::kEntropyChange).toFloat()),
                1e-12);
}

TEST_F(SessionTest, HiddenRowsGiveTheSubTotalRow) {
    RowVisible[2] = false;
    session->refreshFrequency();
    TxViewReader& table = session->frequencyTable();
    ASSERT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kNo).toInteger(), 128);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kName).toString(), "Sub-total");
    EXPECT_EQ(session->CurrentData()->subTotalSet(0)->bitCount(), 30);
    // Without the fill flag the table stays, but the sub-total is refilled.
    RowVisible[2] = true;
    RowVisible[1] = false;
    session->captureChartRow(2);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kNo).toInteger(), 128);
    EXPECT_EQ(session->CurrentData()->subTotalSet(0)->bitCount(), 70);
    EXPECT_GT(session->chartParams().ChartAlpha1, 70);
    RowVisible.fill(true);
    RowVisible[128] = false;
    session->refreshFrequency();
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kNo).toInteger(), -1);
}

TEST_F(SessionTest, EntropyGainsRankSelectedFieldsAndRestoreTheOrder) {
    const std::vector<std::string> original = ruleNames();
    session->computeEntropyGains();
    // No field is selected: every score is 0, so the order stays the creation order.
    EXPECT_EQ(ruleNames(), original);

    session->selectField(1, true);
    session->computeEntropyGains();
    EXPECT_TRUE(session->dataReady());
    const std::vector<std::string> ranked = ruleNames();
    // F above 1 and F= 2 or 3 hold no record of class 1; the two equal scores keep their
    // creation order.
    EXPECT_EQ(ranked[0], "(1) F> 1-low");
    EXPECT_EQ(ranked[1], "(1) F= 2-mid");
    EXPECT_EQ(ranked[2], "(1) F= 3-high");
    EXPECT_EQ(session->rulesTable().valueAt(0, RuleColumns::kNo).toInteger(), 0);
    EXPECT_GT(session->rulesTable().valueAt(0, RuleColumns::kScore).toFloat(), 1.5);
    // A second run on the sorted list gives the same list.
    session->computeEntropyGains();
    EXPECT_EQ(ruleNames(), ranked);

    session->restoreOriginalOrder();
    EXPECT_EQ(ruleNames(), original);
    EXPECT_GT(session->sets().SetLists[slRules][3]->Score, 0.5);  // scores are kept (F= 1)
    EXPECT_EQ(session->sets().SetLists[slRules][1]->Score, 0.0);  // C is not selected
}

TEST_F(SessionTest, InvalidContextSelectsEverythingAndSaysWhy) {
    session->setContextText("F,1,=,=");
    session->updateContext();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].rfind("Error in context filter expression: ", 0), 0u) << messages[0];
    EXPECT_EQ(session->sets().context()->bitCount(), 100);
    EXPECT_EQ(session->contextInput().history, std::vector<std::string>{" "});

    session->setContextText("F,1,=");
    session->updateContext();
    session->setContextText("f,1,=");
    session->updateContext();
    EXPECT_EQ(session->sets().context()->bitCount(), 40);
    EXPECT_EQ(session->contextInput().history, (std::vector<std::string>{" ", "F,1,="}));
    EXPECT_EQ(session->fieldsTable().valueAt(0, FieldsColumns::kCount).toInteger(), 40);
}

TEST_F(SessionTest, ContextConstantOutsideTheCodesWarnsOnceAndStillApplies) {
    // F holds the codes 1..3: both comparisons select every record.
    session->updateContext("F,5,<,F,0,>,AND,F,5,<,OR");
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Warning: F compares codes 1..3; the constants 5 and 0 in the "
                            "context filter are outside them."});
    EXPECT_EQ(session->contextError(), "");
    EXPECT_EQ(session->sets().context()->bitCount(), 100);
    EXPECT_EQ(session->contextInput().history.back(), "F,5,<,F,0,>,AND,F,5,<,OR");

    messages.clear();
    session->updateContext("F,3,<");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(session->sets().context()->bitCount(), 70);
}

TEST_F(SessionTest, CompareConstantsOutsideTheCodesGiveOneWarningForBoth) {
    session->updateCompare("C,3,<", "F,7,=,C,2,=,OR");
    EXPECT_EQ(messages,
              std::vector<std::string>{
                  "Warning: C compares codes 1..2; the constant 3 in the compare 1 expression is "
                  "outside them. F compares codes 1..3; the constant 7 in the compare 2 "
                  "expression is outside them."});
    EXPECT_EQ(session->sets().compare1()->bitCount(), 100);
    EXPECT_EQ(session->sets().compare2()->bitCount(), 70);
}

TEST_F(SessionTest, ReadableFiltersSelectLikePostfixOnesAndAnErrorChangesNoSet) {
    session->updateContext("F < 3 and not (C = 'one')");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(session->sets().context()->bitCount(), 40);  // records 30..69
    EXPECT_EQ(session->contextInput().history.back(), "F < 3 and not (C = 'one')");
    // Constants outside the codes are the postfix form's warning only.
    session->updateContext("F in (1, 2, 3) or F > 40");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(session->sets().context()->bitCount(), 100);
    session->updateContext("F between 2 and 3");
    EXPECT_EQ(session->sets().context()->bitCount(), 60);

    session->updateContext("F = 'mid' and  GG is missing");
    EXPECT_EQ(messages, std::vector<std::string>{"Error in context filter expression: Unknown "
                                                 "field \"GG\" at position 16."});
    EXPECT_EQ(session->contextError(), "Unknown field \"GG\" at position 16.");
    EXPECT_EQ(session->sets().context()->bitCount(), 60);
    EXPECT_EQ(session->findingsProvenance().context, "F between 2 and 3");
    EXPECT_EQ(session->contextInput().history.back(), "F between 2 and 3");

    messages.clear();
    session->updateCompare("C = 'two' and N is not missing", "F = 'low'");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(session->sets().compare1()->bitCount(), 70);
    EXPECT_EQ(session->sets().compare2()->bitCount(), 40);
    session->updateCompare("C = 'three'", "F,3,=");
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Error in compare 1 expression: Unknown label 'three' of field C at "
                            "position 5."});
    EXPECT_EQ(session->sets().compare1()->bitCount(), 70);
    EXPECT_EQ(session->sets().compare2()->bitCount(), 30);
}

TEST_F(SessionTest, APostfixTextWithReadableWordsIsReadAsPostfixWithAWarning) {
    session->updateContext("F,1,=,F IN X,1,=,OR");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Error in context filter expression: Field F IN X does not exist");
    EXPECT_EQ(messages[1],
              "Warning: the context filter ends in an operator after a comma, so it is read as a "
              "postfix expression, although \"IN\" at position 9 belongs to the readable form.");
    EXPECT_EQ(session->sets().context()->bitCount(), 100);
}

TEST_F(SessionTest, PendingContextWarnsOncePerCommand) {
    session->selectField(1, true);
    session->setContextText("F,2,=");
    session->computeEntropyGains();  // recomputes the table once per rule
    EXPECT_EQ(messages, std::vector<std::string>{
                            "Warning: Filter and/or Compare expressions should be updated."});
    moveToRule(2);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(SessionTest, CompareFiltersReplaceTheSimpleRule) {
    session->updateCompare("F,1,=", "F,3,=");
    EXPECT_EQ(session->usingCompareText(), "Using compare filters");
    TxViewReader& table = session->frequencyTable();
    EXPECT_EQ(table.valueAt(1, FrequencyColumns::kFrequency).toInteger(), 30);
    EXPECT_EQ(table.valueAt(1, FrequencyColumns::kCondFrequency).toInteger(), 0);
    EXPECT_LT(table.valueAt(1, FrequencyColumns::kSignif).toFloat(), 0.01);
}

TEST_F(SessionTest, FailedLoadKeepsThePreviousTable) {
    const TBaza* before = session->CurrentData();
    const std::vector<std::string> rules = ruleNames();
    const std::string bad = dir.write("bad.csv", "TAV DATA:0/TXT/1250\nA\nSET:0..500\n1\n");
    EXPECT_THROW(session->loadDataFile(bad), ELimitError);
    const std::string empty = dir.write("empty.csv", "TAV DATA:0/TXT/1250\nA\nSET:0..5\n");
    EXPECT_THROW(session->loadDataFile(empty), ETavError);
    EXPECT_THROW(session->loadDataFile(dir.file("missing.csv")), EInOutError);
    EXPECT_THROW(session->loadDataFile(dir.path().string()), EInOutError);  // a folder
    // A plain table is refused before it is read, naming the file for the offer to import it.
    const std::string plain = dir.write("plain.csv", "age,sex\n30,m\n");
    try {
        session->loadDataFile(plain);
        ADD_FAILURE() << "a plain table was loaded";
    } catch (const ENotADataFile& refused) {
        EXPECT_EQ(refused.path(), plain);
        EXPECT_NE(std::string(refused.what()).find("\"TAV DATA\" header"), std::string::npos);
    }
    EXPECT_EQ(session->CurrentData(), before);
    EXPECT_EQ(session->DataFileName(), path);
    EXPECT_TRUE(session->dataReady());
    EXPECT_EQ(ruleNames(), rules);
    EXPECT_EQ(session->sets().context()->bitCount(), 100);
}

TEST_F(SessionTest, ClassFieldFallsBackWhenTheNewFileHasFewerFields) {
    session->setClassField(2);
    session->loadDataFile(dir.write("one.csv", "TAV DATA:0/TXT/1250\nA\nSET:1..2\n1\n2\n"));
    EXPECT_EQ(session->classField(), 0);
    EXPECT_EQ(session->frequencyTable().RecordCount(), 3);
}

TEST_F(SessionTest, SelectingAllFieldsRecomputesOnceAndKeepsTheActiveRow) {
    ASSERT_TRUE(session->moveToField(1));
    int refills = 0;
    TxDataLink counter([&](const TxNotification& n) {
        if (n.event == TxDataEvent::DataSetChange) ++refills;
    });
    session->frequencyTable().attachView(&counter);
    session->selectAllFields(true);
    session->frequencyTable().detachView(&counter);
    EXPECT_LE(refills, 1);
    EXPECT_EQ(session->fieldsTable().currentRow(), 1);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(session->sets().fieldSet(i)->Selected, kSelected);
        EXPECT_EQ(session->fieldsTable().valueAt(i, FieldsColumns::kSel).toInteger(), kSelected);
    }
}

TEST_F(SessionTest, EverySelectionCommandRefreshesTheRuleMarksAndKeepsTheActiveRows) {
    // Rows of the Simple rules table: the complete set first, then the rules of C and of F.
    auto marked = [&](const std::string& name) {
        TxViewReader& rules = session->rulesTable();
        for (int row = 0; row < rules.RecordCount(); ++row) {
            if (rules.valueAt(row, RuleColumns::kName).toString().find(name) != std::string::npos)
                return rules.valueAt(row, RuleColumns::kCount).toString().rfind("*** ", 0) == 0;
        }
        ADD_FAILURE() << "no rule " << name;
        return false;
    };
    moveToRule(4);
    ASSERT_TRUE(session->moveToField(1));
    EXPECT_TRUE(marked("F= 1"));
    session->selectAllFields(true);
    EXPECT_FALSE(marked("F= 1"));
    EXPECT_FALSE(marked("C= 1"));
    session->selectActiveField(false);
    EXPECT_TRUE(marked("F= 1"));
    EXPECT_FALSE(marked("C= 1"));
    session->selectField(1, true);
    EXPECT_FALSE(marked("F= 1"));
    session->fieldsDoubleClick();  // F becomes the class and is deselected
    EXPECT_TRUE(marked("F= 1"));
    session->selectFields({1});
    EXPECT_FALSE(marked("F= 1"));
    EXPECT_EQ(session->rulesTable().currentRow(), 4);
    EXPECT_EQ(session->fieldsTable().currentRow(), 1);
}

TEST_F(SessionTest, DoubleClickMakesTheFieldTheClassAndDeselectsIt) {
    session->selectAllFields(true);
    ASSERT_TRUE(session->moveToField(1));
    session->fieldsDoubleClick();
    EXPECT_EQ(session->classField(), 1);
    EXPECT_EQ(session->sets().fieldSet(1)->Selected, 0);
    EXPECT_EQ(session->fieldsTable().valueAt(1, FieldsColumns::kSel).toInteger(), 0);
    // The Frequency table now has the Total row and the three values of F.
    EXPECT_EQ(session->frequencyTable().RecordCount(), 4);
}

TEST_F(SessionTest, RowCommandsHideFromTheActiveRow) {
    TxViewReader& table = session->frequencyTable();
    ASSERT_TRUE(session->moveToFrequencyRow(0));  // the Total row: nothing is hidden
    session->removeActiveRow();
    EXPECT_EQ(table.RecordCount(), 3);
    ASSERT_TRUE(session->moveToFrequencyRow(2));  // value 2
    session->removeToLast();
    EXPECT_FALSE(RowVisible[2]);
    EXPECT_FALSE(RowVisible[127]);
    EXPECT_TRUE(RowVisible[1]);
    EXPECT_FALSE(RowVisible[128]);
    EXPECT_EQ(table.RecordCount(), 2);            // the sub-total and value 1
    ASSERT_TRUE(session->moveToFrequencyRow(0));  // the sub-total row hides every value row
    session->removeToFirst();
    EXPECT_FALSE(RowVisible[1]);
    EXPECT_EQ(table.RecordCount(), 1);
    session->showAllRows();
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.valueAt(0, FrequencyColumns::kNo).toInteger(), -1);
}

TEST(SessionProgress, AOneRecordTableReportsZeroInsteadOfZeroByZero) {
    TempDir dir;
    std::vector<double> fractions;
    TSessionHooks hooks;
    hooks.progress = [&](double f) { fractions.push_back(f); };
    TTavSession session(hooks);
    session.loadDataFile(dir.write("one.csv", "TAV DATA:0/TXT/1250\nA\nSET:1..2\n1\n"));
    session.setContextText("A,1,=");
    session.updateContext();
    ASSERT_FALSE(fractions.empty());
    for (double f : fractions) {
        EXPECT_TRUE(f >= 0 && f <= 1) << f;
    }
    EXPECT_EQ(session.sets().context()->bitCount(), 1);
}

TEST_F(SessionTest, EachCommandRecomputesTheFrequencyTableAtMostOnce) {
    struct Case {
        const char* command;
        std::function<void(TTavSession&)> run;
        int recomputations;
    };
    const std::string file = path;
    const std::vector<Case> cases = {
        {"load", [&](TTavSession& s) { s.loadDataFile(file); }, 1},
        {"move to a rule", [](TTavSession& s) { s.moveToRule(3); }, 1},
        {"move to a field", [](TTavSession& s) { s.moveToField(1); }, 1},
        {"move in the Frequency table", [](TTavSession& s) { s.moveToFrequencyRow(1); }, 0},
        {"select all", [](TTavSession& s) { s.selectAllFields(true); }, 1},
        {"select a list",
         [](TTavSession& s) {
             s.selectFields({1, 2});
         },
         1},
        {"double click", [](TTavSession& s) { s.fieldsDoubleClick(); }, 1},
        {"class field", [](TTavSession& s) { s.setClassField(1); }, 1},
        {"class field deselected", [](TTavSession& s) { s.setClassFieldDeselected(1); }, 1},
        {"context text", [](TTavSession& s) { s.setContextText("F,1,="); }, 0},
        {"update context", [](TTavSession& s) { s.updateContext("F,1,="); }, 1},
        {"update compare", [](TTavSession& s) { s.updateCompare("F,1,=", ""); }, 1},
        {"setting", [](TTavSession& s) { s.setSetting(TSetting::MParam, 3); }, 1},
        {"hide rows",
         [](TTavSession& s) {
             s.hideClassValues({1, 2});
         },
         1},
        {"entropy gains", [](TTavSession& s) { s.computeEntropyGains(); }, 1},
        {"original order", [](TTavSession& s) { s.restoreOriginalOrder(); }, 1},
        {"several as one",
         [&](TTavSession& s) {
             s.runAsOneCommand([&] {
                 s.loadDataFile(file);
                 s.selectFields({1});
                 s.setClassFieldDeselected(0);
                 s.updateContext("F,1,=");
                 s.moveToRule(3);
             });
         },
         1},
    };
    for (const Case& c : cases) {
        recomputations = 0;
        c.run(*session);
        EXPECT_EQ(recomputations, c.recomputations) << c.command;
        session->showAllRows();
        session->setSetting(TSetting::MParam, 2);
    }
}

TEST_F(SessionTest, SettingsHaveOneWriterWithFloorsAndLimits) {
    struct Case {
        TSetting setting;
        double value;
        bool taken;
        double stored;
    };
    const double nan = std::nan("");
    const double inf = HUGE_VAL;
    const Case cases[] = {
        {TSetting::MPrior, 0.001, true, 0.01},
        {TSetting::MPrior, 0.5, true, 0.5},
        {TSetting::MParam, -3, true, 0.01},
        {TSetting::MParam, 7, true, 7},
        {TSetting::SignificancePct, -1, true, 0},
        {TSetting::SignificancePct, 10, true, 10},
        {TSetting::MPrior, nan, false, 0.5},
        {TSetting::MParam, inf, false, 7},
        {TSetting::SignificancePct, -inf, false, 10},
        {TSetting::MParam, kMaxSetting, true, kMaxSetting},
        {TSetting::MParam, 1e15, false, kMaxSetting},
        {TSetting::MPrior, 2 * kMaxSetting, false, 0.5},
    };
    for (const Case& c : cases) {
        if (c.taken) {
            EXPECT_NO_THROW(session->setSetting(c.setting, c.value)) << c.value;
        } else {
            EXPECT_THROW(session->setSetting(c.setting, c.value), ETavError) << c.value;
        }
        EXPECT_EQ(TTavSession::setting(c.setting), c.stored) << c.value;
    }
    EXPECT_EQ(MPrior, 0.5);
    EXPECT_EQ(SignificancePct, 10);
}

TEST_F(SessionTest, ANewMReachesEverySetAndTheShownNumbersAtOnce) {
    moveToRule(3);
    session->setSetting(TSetting::MParam, 10);
    for (const TMnozicaList& list : session->sets().SetLists) {
        for (int i = 0; i < list.count(); ++i)
            ASSERT_EQ(list.item(i)->SetM, 10);
    }
    TTavSession fresh;
    fresh.loadDataFile(path);
    fresh.moveToRule(3);
    EXPECT_EQ(frequencyColumn(FrequencyColumns::kCondProbability)[1],
              fresh.frequencyTable().valueAt(1, FrequencyColumns::kCondProbability).toFloat());
    // The sub-total of hidden rows (and so the findings, which read it) follows the new m too.
    for (const auto& subTotal : session->sets().subTotals)
        ASSERT_EQ(subTotal->SetM, 10);
    session->hideClassValues({2});  // the row flags are the process's: both sessions hide it
    fresh.refreshFrequency();
    EXPECT_EQ(frequencyColumn(FrequencyColumns::kCondProbability)[0],
              fresh.frequencyTable().valueAt(0, FrequencyColumns::kCondProbability).toFloat());
    EXPECT_EQ(session->computeFindings(1).m, 10);
}

TEST_F(SessionTest, ScoresOfAnEarlierRunAreOutdatedUnderOtherSettingsOrContext) {
    session->selectField(1, true);
    EXPECT_FALSE(session->scoresOutdated());
    EXPECT_EQ(session->scoresComputedUnder(), "");
    session->computeEntropyGains();
    EXPECT_FALSE(session->scoresOutdated());
    EXPECT_EQ(session->scoresComputedUnder(),
              "Scores of m(prior) = 1.00, m = 2.00, context (all records)");
    session->setSetting(TSetting::SignificancePct, 1);  // colours only
    EXPECT_FALSE(session->scoresOutdated());
    session->setSetting(TSetting::MPrior, 3);
    EXPECT_TRUE(session->scoresOutdated());
    session->setSetting(TSetting::MPrior, 1);
    EXPECT_FALSE(session->scoresOutdated());
    session->updateContext("F,1,=");
    EXPECT_TRUE(session->scoresOutdated());
    session->computeEntropyGains();
    EXPECT_EQ(session->scoresComputedUnder(), "Scores of m(prior) = 1.00, m = 2.00, context F,1,=");
    session->updateContext("");
    session->restoreOriginalOrder();
    EXPECT_FALSE(session->scoresOutdated());
}

TEST_F(SessionTest, ReapplyingTheSameContextLeavesTheScoresCurrent) {
    session->selectField(1, true);
    session->computeEntropyGains();
    // The context list's blank entry is no filter, as an empty text is.
    session->updateContext(" ");
    EXPECT_FALSE(session->scoresOutdated());
    session->updateContext("F,1,<");
    session->computeEntropyGains();
    session->updateContext("F,1,<");
    EXPECT_FALSE(session->scoresOutdated());
    session->updateContext(" F,1,< ");
    EXPECT_FALSE(session->scoresOutdated());
    session->updateContext("F,1,=");
    EXPECT_TRUE(session->scoresOutdated());
}

TEST_F(SessionTest, ACancelledRankingLeavesTheRulesItDidNotReachWithoutAScore) {
    int asks = 0;
    TSessionHooks cancelling = hooks;
    cancelling.cancelRequested = [&asks] { return ++asks == 2; };
    TTavSession partial(cancelling);
    partial.loadDataFile(path);
    partial.selectField(1, true);
    EXPECT_FALSE(partial.computeEntropyGains());
    TxViewReader& rules = partial.rulesTable();
    const int count = rules.RecordCount();
    ASSERT_GT(count, 3);
    EXPECT_TRUE(partial.scoresPartial());
    EXPECT_EQ(partial.partialRankingText(),
              "Cancelled after 2 of " + std::to_string(count) + " rules: the ranking is partial");
    // The two scored rules first, then the others blank in creation order.
    for (int row = 0; row < count; ++row) {
        EXPECT_EQ(rules.valueAt(row, RuleColumns::kScore).isNull(), row >= 2) << row;
        EXPECT_EQ(rules.valueAt(row, RuleColumns::kSignif).isNull(), row >= 2) << row;
    }
    EXPECT_LT(rules.valueAt(2, RuleColumns::kNo).toInteger(),
              rules.valueAt(3, RuleColumns::kNo).toInteger());

    EXPECT_TRUE(partial.computeEntropyGains());
    EXPECT_FALSE(partial.scoresPartial());
    EXPECT_EQ(partial.partialRankingText(), "");
    for (int row = 0; row < count; ++row)
        EXPECT_FALSE(rules.valueAt(row, RuleColumns::kScore).isNull()) << row;
}

TEST_F(SessionTest, AContextWithoutRecordsSaysSoInOneMessageAndShowsNoSignif) {
    session->selectField(1, true);
    session->computeEntropyGains();
    messages.clear();
    session->updateContext("F,1,<");
    EXPECT_EQ(messages, std::vector<std::string>{kEmptyContextMessage});
    EXPECT_EQ(session->sets().context()->bitCount(), 0);
    TxViewReader& frequency = session->frequencyTable();
    ASSERT_EQ(frequency.RecordCount(), 3);
    EXPECT_FALSE(frequency.valueAt(0, FrequencyColumns::kSignif).isNull());  // the Total row
    EXPECT_TRUE(frequency.valueAt(1, FrequencyColumns::kSignif).isNull());
    EXPECT_TRUE(frequency.valueAt(2, FrequencyColumns::kSignif).isNull());

    // Outside the codes and without records: still one message, saying both.
    messages.clear();
    session->updateContext("F,5,>");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("outside them"), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find(kEmptyContextMessage), std::string::npos) << messages[0];

    messages.clear();
    session->updateContext("F,1,=");
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(frequency.valueAt(1, FrequencyColumns::kSignif).isNull());
}

TEST_F(SessionTest, RulesOnTheClassFieldScoreZeroWhateverTheSelection) {
    session->selectAllFields(true);
    session->setClassField(1);
    session->computeEntropyGains();
    for (int i = 0; i < session->sets().SetLists[slRules].count(); ++i) {
        const TMnozica* rule = session->sets().SetLists[slRules].item(i);
        const bool onClass = !rule->Rule.empty() && rule->Rule[0].FieldNo == 1;
        if (onClass) {
            EXPECT_EQ(rule->Score, 0.0) << rule->SetName;
        }
    }
    // Rules on C, now a condition, still score.
    EXPECT_EQ(ruleNames()[0].rfind("(0) C", 0), 0u) << ruleNames()[0];
}
