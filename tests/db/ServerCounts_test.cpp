#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <map>

#include "HostileTable.h"
#include "PgServer.h"
#include "core/StBits.h"
#include "db/ServerTable.h"
#include "expr/FilterExpression.h"
#include "expr/FilterForm.h"
#include "expr/ReadableFilter.h"
#include "import/Importer.h"
#include "stats/uTavSets.h"
#include "support/TempDir.h"

namespace {

struct TBothSources : ::testing::Test {
    // Loads both tables once per process; a failure fails the test that loads them.
    static void load() {
        if (server && local) return;
        rows = hostileRows();
        loadServer(rows);
        TImportOptions options;
        options.encoding = TImportEncoding::Win1250;
        TImportChoiceTexts choices;
        choices.classColumn = "CLASS";
        server = TServerTable::open(testServerUri(), {kTable, ""}, options, choices);

        folder = std::make_unique<TempDir>();
        TImportPlan plan = inferImport(folder->write("hostile.csv", csvText(rows)), options);
        applyImportChoices(plan, choices);
        local = std::make_unique<TBaza>();
        local->loadDataBytes(importDataText(plan), "hostile-tav.CSV", dfkFromHeader, cpUnknown);
        BuildSets(*local, localSets, kAllSetLists, MParam);
        localClass = importFieldIndex(plan, plan.classColumn);
    }
    static void TearDownTestSuite() {
        server.reset();
        local.reset();
        folder.reset();
    }
    void SetUp() override {
        TAV_REQUIRE_SERVER();
        ASSERT_NO_THROW(load());
    }

    // The records of the data file that satisfy `filter`.
    static TStBits localContext(const std::string& filter) {
        TStBits bits(local->RecordCount() - 1);
        if (chooseFilterForm(filter).form == TFilterForm::Readable) {
            std::string error;
            const auto readable = TReadableFilter::compile(*local, filter, error);
            EXPECT_TRUE(readable) << error;
            if (readable) readable->select(bits);
            return bits;
        }
        for (int r = 0; r < local->RecordCount(); ++r) {
            std::string error;
            if (evaluateExpression(*local, filter, r, error)) bits.setBit(r);
            EXPECT_EQ(error, "") << filter;
        }
        return bits;
    }

    static std::vector<TRow> rows;
    static std::unique_ptr<TServerTable> server;
    static std::unique_ptr<TempDir> folder;
    static std::unique_ptr<TBaza> local;
    static TSetCatalogue localSets;
    static int localClass;
};

std::vector<TRow> TBothSources::rows;
std::unique_ptr<TServerTable> TBothSources::server;
std::unique_ptr<TempDir> TBothSources::folder;
std::unique_ptr<TBaza> TBothSources::local;
TSetCatalogue TBothSources::localSets;
int TBothSources::localClass = -1;

TEST_F(TBothSources, DescribeTheSameFieldsAsTheImportedDataFile) {
    const TBaza& remote = server->description();
    ASSERT_EQ(remote.FieldCount(), local->FieldCount());
    EXPECT_EQ(remote.RecordCount(), 0);
    EXPECT_EQ(server->recordCount(), local->RecordCount());
    EXPECT_EQ(server->classField(), localClass);
    for (int f = 0; f < local->FieldCount(); ++f) {
        SCOPED_TRACE(local->fieldName(f));
        EXPECT_EQ(remote.fieldName(f), local->fieldName(f));
        EXPECT_EQ(remote.fieldTypeSpec(f), local->fieldTypeSpec(f));
        for (int v = 0; v <= kMaxValueCode; ++v)
            EXPECT_EQ(remote.valueName(f, v), local->valueName(f, v)) << v;
        for (int k = 1; k <= local->fieldBoundaryCount(f); ++k)
            EXPECT_EQ(remote.fieldBoundary(f, k), local->fieldBoundary(f, k)) << k;
    }
    // Every kind of coding is exercised: labels, whole numbers, intervals with and without
    // missing values, and texts (the date among them).
    EXPECT_EQ(local->fieldTypeSpec(0), "SET:1..4:UNK=0");
    EXPECT_EQ(local->fieldType(1), ftReal);
    EXPECT_EQ(local->fieldTypeSpec(2), "INT:1..5:UNK=0");
    EXPECT_EQ(local->fieldTypeSpec(3), "INT:1..5:UNK=0");
    EXPECT_EQ(local->fieldType(5), ftString);
    EXPECT_EQ(local->fieldType(6), ftString);
}

TEST_F(TBothSources, TakeTheImportsChoicesOfTypesBinsAndIgnoredColumns) {
    TImportOptions options;
    options.encoding = TImportEncoding::Win1250;
    options.boundaries = 6;
    TImportChoiceTexts choices;
    choices.types = {{"AGE", "INT"}, {"SMALL", "SET"}, {"FLAG", "STRING"}};
    choices.bins = {{"SCORE", "20,50.5,100"}, {"3", "2"}};
    choices.ignored = {"NOTE"};
    choices.classColumn = "FLAG";
    EXPECT_THROW(TServerTable::open(testServerUri(), {kTable, ""}, options, choices),
                 EConvertError);  // a STRING cannot be the class
    choices.classColumn = "SMALL";
    choices.bins.pop_back();
    const auto remote = TServerTable::open(testServerUri(), {kTable, ""}, options, choices);
    TImportPlan plan = inferImport(folder->file("hostile.csv"), options);
    applyImportChoices(plan, choices);
    TBaza expected;
    expected.loadDataBytes(importDataText(plan), "hostile-tav.CSV", dfkFromHeader, cpUnknown);
    const TBaza& described = remote->description();
    ASSERT_EQ(described.FieldCount(), expected.FieldCount());
    EXPECT_EQ(described.FieldCount(), 7);
    EXPECT_EQ(remote->classField(), importFieldIndex(plan, plan.classColumn));
    for (int f = 0; f < expected.FieldCount(); ++f) {
        SCOPED_TRACE(expected.fieldName(f));
        EXPECT_EQ(described.fieldTypeSpec(f), expected.fieldTypeSpec(f));
        for (int v = 0; v <= kMaxValueCode; ++v)
            EXPECT_EQ(described.valueName(f, v), expected.valueName(f, v)) << v;
    }
    EXPECT_EQ(described.fieldTypeSpec(3), "INT:1..4:UNK=0");
    // The codes of the chosen coding are the server's too.
    TSetCatalogue sets;
    BuildSets(expected, sets, kAllSetLists, MParam);
    const int c = remote->classField();
    std::string error;
    const auto filter = TReadableFilter::compile(expected, "AGE > 50", error);
    ASSERT_TRUE(filter) << error;
    TStBits context(expected.RecordCount() - 1);
    filter->select(context);
    const TContextClassCounts memory(expected, context, c);
    const TContextClassCounts counted(described, c, remote->countGroups({"AGE > 50"}, c));
    EXPECT_EQ(counted.contextAll(), memory.contextAll());
    for (int f = 0; f < expected.FieldCount(); ++f) {
        for (int code = 0; code <= kMaxValueCode; ++code) {
            for (int k = 0; k <= 6; ++k)
                EXPECT_EQ(counted.fieldRecords(f, code, k), memory.fieldRecords(f, code, k))
                    << f << " " << code << " " << k;
        }
    }
}

TEST_F(TBothSources, CountTheSameRecordsUnderEveryFilter) {
    const std::string odd = "\"IT'S \"\"ODD\"\" " + std::string("\x8ELU\x8D") + "\"";
    const std::vector<std::string> filters = {
        "",
        "AGE > 40",
        "SMALL IS MISSING",
        "not SMALL = 3",
        "SCORE between 10 and 50 or FLAG = 'true'",
        "NOTE >= 'M' and NOTE is not missing",
        "NOTE < 'c' or NOTE is missing",
        "DAY between '2024-03-01' and '2024-06-15'",
        odd + " in ('a''b', 'semi,colon', '" + kYellow + "')",
        "not " + odd + " = 'plain'",
        odd + " is missing",
        "CLASS <> 'yes' and AGE <= 30.5",
        "AGE >= 40.0000001 or AGE = 12",
        "NOTE = '" + kHorse + " 0' or NOTE in ('" + kHorse + " 31', 'bnote1')",
        "AGE,2,>",
        "SMALL,0,=",
        "SMALL,3,=,NOT",
        "NOTE,'M',>,FLAG,2,=,AND",
        "NOTE,'',=,CLASS,1,<,OR",
        "AGE,2,<,NOT,SCORE,2,>,AND",
    };
    const int c = server->classField();
    const TBaza& remote = server->description();
    for (const std::string& filter : filters) {
        SCOPED_TRACE(filter);
        const TStBits context = localContext(filter);
        const TContextClassCounts expected(*local, context, localClass);
        const TContextClassCounts counted(remote, c, server->countGroups({filter}, c));
        EXPECT_EQ(counted.contextAll(), expected.contextAll());
        EXPECT_GT(expected.contextAll(), 0);
        for (int k = 0; k <= kMaxValueCode; ++k)
            EXPECT_EQ(counted.contextWith(k), expected.contextWith(k)) << k;
        for (int f = 0; f < remote.FieldCount(); ++f) {
            for (int code = 0; code <= kMaxValueCode; ++code) {
                for (int k = 0; k <= 3; ++k) {
                    EXPECT_EQ(counted.fieldRecords(f, code, k), expected.fieldRecords(f, code, k))
                        << remote.fieldName(f) << " " << code << " " << k;
                }
            }
        }
    }
}

TEST_F(TBothSources, CountComparesUnderTheContextAsWell) {
    const int c = server->classField();
    const std::vector<std::string> filters = {"AGE > 20", "FLAG = 'false'"};
    TStBits both = localContext(filters[0]);
    const TStBits second = localContext(filters[1]);
    both.andWith(&second);
    const TContextClassCounts expected(*local, both, localClass);
    const TContextClassCounts counted(server->description(), c, server->countGroups(filters, c));
    EXPECT_EQ(counted.contextAll(), expected.contextAll());
    EXPECT_EQ(counted.contextWith(1), expected.contextWith(1));
}

TEST_F(TBothSources, CountPairsOfFieldsInBatchesAsTheRecordsHoldThem) {
    const int c = server->classField();
    std::vector<int> coded;
    for (int f = 0; f < local->FieldCount(); ++f) {
        if (isCodedType(local->fieldType(f))) coded.push_back(f);
    }
    std::vector<std::pair<int, int>> pairs;
    for (size_t i = 0; i < coded.size(); ++i) {
        for (size_t j = i + 1; j < coded.size(); ++j)
            pairs.emplace_back(coded[j], coded[i]);  // either order names the pair
    }
    const std::string filter = "NOTE is not missing and SMALL <> 2";
    const TStBits context = localContext(filter);
    std::map<std::array<int, 5>, std::int64_t> expected, counted;
    for (int r = 0; r < local->RecordCount(); ++r) {
        if (!context.testBit(r)) continue;
        for (const auto& [b, a] : pairs) {
            ++expected[{a, b, local->fieldValueCode(r, a), local->fieldValueCode(r, b),
                        local->fieldValueCode(r, localClass)}];
        }
    }
    for (const auto& group : server->countPairGroups({filter}, c, pairs, 3))
        counted[{group.a, group.b, group.codeA, group.codeB, group.classCode}] += group.records;
    EXPECT_EQ(counted, expected);
    EXPECT_THROW(server->countPairGroups({}, c, {{0, 0}}), EListIndexError);
}

// Score and Signif of every simple rule of the data file's sets.
std::vector<std::pair<double, double>> ruleScores(const TSetCatalogue& sets) {
    std::vector<std::pair<double, double>> scores;
    const TMnozicaList& rules = sets.SetLists[slRules];
    for (int i = 0; i < rules.count(); ++i)
        scores.emplace_back(rules.item(i)->Score, rules.item(i)->Signif);
    return scores;
}

TEST_F(TBothSources, RankTheRulesFromTheServersCountsAsFromTheDataFile) {
    const int c = server->classField();
    for (int f = 0; f < local->FieldCount(); ++f)
        localSets.fieldSet(f)->Selected = kSelected;
    for (const std::string& filter : {std::string(), std::string("AGE > 20 and FLAG = 'true'")}) {
        SCOPED_TRACE(filter);
        const TStBits context = localContext(filter);
        TMnozica& applied = *localSets.context();
        applied.clearAll();
        for (int r = 0; r < local->RecordCount(); ++r) {
            if (context.testBit(r)) applied.setBit(r);
        }
        const int rules = localSets.SetLists[slRules].count();
        ASSERT_EQ(ScoreRulesFromCounts(*local, localSets, localClass, RowVisible), rules);
        const auto expected = ruleScores(localSets);
        const TContextClassCounts counted(server->description(), c,
                                          server->countGroups({filter}, c));
        ASSERT_EQ(ScoreRulesFromCounts(*local, localSets, counted, c, RowVisible), rules);
        EXPECT_EQ(ruleScores(localSets), expected);
        EXPECT_TRUE(std::any_of(expected.begin(), expected.end(),
                                [](const auto& score) { return score.first != 0; }));
    }
}

TEST_F(TBothSources, RefuseABadFilterWithTheInMemoryMessage) {
    const int c = server->classField();
    for (const std::string& filter :
         {std::string("AGEE > 3"), std::string("AGE,3"), std::string("AGE,'x',=")}) {
        SCOPED_TRACE(filter);
        std::string expected;
        if (chooseFilterForm(filter).form == TFilterForm::Readable) {
            EXPECT_FALSE(TReadableFilter::compile(*local, filter, expected));
        } else {
            evaluateExpression(*local, filter, -1, expected);
        }
        ASSERT_NE(expected, "");
        try {
            server->countGroups({filter}, c);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), expected);
        }
    }
}

}  // namespace
