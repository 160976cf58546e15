#include "stats/uTavSets.h"

#include <gtest/gtest.h>

#include "core/Errors.h"

namespace {

// A loaded table and its record sets built from a data file text.
struct Built {
    TBaza data;
    TSetCatalogue sets;
    std::vector<double> progress;

    explicit Built(const std::string& text) {
        data.loadDataBytes(text, "t.csv", dfkFromHeader, cpUnknown);
        BuildSets(data, sets, kAllSetLists, 2.0, [this](double f) { progress.push_back(f); });
    }
    // The records of a set as a list of record numbers; a rule's set is filled first.
    std::vector<int> members(TMnozica& set) {
        FillRecordSets(data, sets, {&set});
        std::vector<int> records;
        for (int r = 0; r <= set.maxIndex(); ++r) {
            if (set.isBitSet(r)) records.push_back(r);
        }
        return records;
    }
    std::vector<std::string> ruleNames() const {
        std::vector<std::string> names;
        const TMnozicaList& rules = sets.SetLists[slRules];
        for (int i = 0; i < rules.count(); ++i)
            names.push_back(rules[i]->SetName);
        return names;
    }
};

const char kSmall[] =
    "TAV DATA:3/TXT/1250\n"
    "SEX;AGE;NAME;INCOME\n"
    "SET:1..3;INT:1..3:UNK=0;STRING;REAL:::2\n"
    "male;young;;10\n"
    "female;middle;;20\n"
    ";old;;\n"
    "1;1;a;5\n"
    "2;0;b;15\n"
    "1;3;c;25\n"
    "3;2;d;20\n";

}  // namespace

TEST(BuildSets, OrderAndNamesOfTheSimpleRules) {
    Built b(kSmall);
    EXPECT_EQ(b.ruleNames(), (std::vector<std::string>{
                                 "Complete set",
                                 "(0) SEX= 1-male",
                                 "(0) SEX= 2-female",
                                 "(0) SEX= 3-",
                                 "(1) AGE= 1-young",
                                 "(1) AGE= 2-middle",
                                 "(1) AGE= 3-old",
                                 "(1) AGE< 3-old",
                                 "(1) AGE> 1-young",
                                 "(3) INCOME:  <= 10",
                                 "(3) INCOME:  10 - 20",
                                 "(3) INCOME:  > 20",
                                 "(3) INCOME <= 20",
                                 "(3) INCOME > 10",
                             }));
    const TMnozicaList& rules = b.sets.SetLists[slRules];
    // The complete set is number 0; every later set is numbered by the list's count + 1.
    EXPECT_EQ(rules[0]->SetNumber, 0);
    for (int i = 1; i < rules.count(); ++i)
        EXPECT_EQ(rules[i]->SetNumber, i + 1) << i;
    EXPECT_TRUE(rules[0]->Rule.empty());
    ASSERT_EQ(rules[7]->Rule.size(), 1u);
    EXPECT_EQ(rules[7]->Rule[0].Relation, relLess);
    EXPECT_EQ(rules[7]->Rule[0].ValueCode, 3);
    EXPECT_EQ(rules[8]->Rule[0].Relation, relGreater);
}

// The less-than sets of REAL and CURRENCY fields hold the values at or below the boundary (a value
// equal to a boundary is in the interval the boundary closes): " <= " and the boundary, one blank.
TEST(BuildSets, LessThanSetsOfIntervalsSayTheyHoldTheBoundary) {
    Built b(
        "TAV DATA:3/TXT/1250\n"
        "D;P\n"
        "REAL:::3;CURRENCY:::2\n"
        "6;100\n"
        "12;250.5\n"
        "18;\n"
        "12;100\n"
        "18;250.5\n"
        "6;50\n"
        "12;100\n"
        "18;250.5\n"
        "30;300\n");
    const TMnozicaList& rules = b.sets.SetLists[slRules];
    std::vector<std::string> lessThan;
    for (int i = 0; i < rules.count(); ++i) {
        if (!rules[i]->Rule.empty() && rules[i]->Rule[0].Relation == relLess)
            lessThan.push_back(rules[i]->SetName);
    }
    EXPECT_EQ(lessThan, (std::vector<std::string>{"(0) D <= 12", "(0) D <= 18", "(1) P <= 250.5"}));
    // "(0) D <= 18" holds the records of 6, 12 and 18: 18 itself included, 30 not.
    for (int i = 0; i < rules.count(); ++i) {
        if (rules[i]->SetName == "(0) D <= 18") {
            EXPECT_EQ(b.members(*rules[i]), (std::vector<int>{0, 1, 2, 3, 4}));
        }
    }
}

TEST(BuildSets, MembersOfValueFieldAndThresholdSets) {
    Built b(kSmall);
    const TMnozicaList& rules = b.sets.SetLists[slRules];
    EXPECT_EQ(b.members(*rules[0]), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(b.members(*rules[3]), (std::vector<int>{3}));         // SEX= 3
    EXPECT_EQ(b.members(*rules[7]), (std::vector<int>{0, 3}));      // AGE< 3: codes 1 and 2
    EXPECT_EQ(b.members(*rules[8]), (std::vector<int>{2, 3}));      // AGE> 1: codes 2 and 3
    EXPECT_EQ(b.members(*rules[9]), (std::vector<int>{0}));         // INCOME <= 10
    EXPECT_EQ(b.members(*rules[10]), (std::vector<int>{1, 3}));     // 10 < INCOME <= 20
    EXPECT_EQ(b.members(*rules[12]), (std::vector<int>{0, 1, 3}));  // INCOME <= 20: codes 0, 1
    EXPECT_EQ(b.members(*rules[13]), (std::vector<int>{1, 2, 3}));  // INCOME > 10
    // A record with an unknown code is in no value set of its field here (code 0 is outside
    // 1..3) and not in the field set.
    EXPECT_EQ(b.members(*b.sets.fieldSet(1)), (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(b.members(*b.sets.fieldSet(2)), (std::vector<int>{0, 1, 2, 3}));  // STRING: all
    EXPECT_EQ(b.sets.fieldSet(0)->SetName, "(0) SEX");
}

TEST(BuildSets, FixedSetsSlotsAndProgress) {
    Built b(kSmall);
    EXPECT_EQ(b.sets.SetLists[slFixed][0]->SetName, "Complete set");
    EXPECT_EQ(b.sets.SetLists[slFixed][0]->bitCount(), 4);
    EXPECT_EQ(b.sets.SetLists[slFixed][1]->SetName, "Temporary set");
    EXPECT_EQ(b.sets.SetLists[slFixed][1]->bitCount(), 0);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(b.sets.SetLists[slFilters][k]->bitCount(), 4);
    EXPECT_EQ(b.sets.context()->SetName, "Context");
    EXPECT_EQ(b.sets.compare2()->SetName, "Compare 2");
    EXPECT_EQ(b.sets.SetLists[slSpare].count(), 0);
    EXPECT_EQ(b.data.fieldTotalSet(1), b.sets.fieldSet(1));
    EXPECT_EQ(b.data.valueSet(1, 2), b.sets.SetLists[slRules][5]);
    EXPECT_EQ(b.data.valueSet(1, 0), nullptr);  // outside AGE's range 1..3
    ASSERT_NE(b.data.subTotalSet(1), nullptr);
    EXPECT_EQ(b.data.subTotalSet(1)->SetName, "Sub-total");
    EXPECT_EQ(b.data.subTotalSet(2), nullptr);  // STRING fields have none
    EXPECT_EQ(b.progress, (std::vector<double>{0.625, 0.75, 0.875, 1.0, 0.0}));
    EXPECT_EQ(b.sets.fieldSet(0)->SetNumber, 1);
    EXPECT_EQ(b.sets.fieldSet(2)->SetNumber, 0);
}

TEST(BuildSets, UnknownCodeInsideTheRangeHasAValueSetButNoFieldMembership) {
    Built b("TAV DATA:0/TXT/1250\nC\nSET:0..2:UNK=0\n0\n1\n2\n0\n");
    EXPECT_EQ(b.members(*b.data.valueSet(0, 0)), (std::vector<int>{0, 3}));
    EXPECT_EQ(b.members(*b.sets.fieldSet(0)), (std::vector<int>{1, 2}));
}

TEST(BuildSets, EmptyRangeStillGetsItsFieldSetSoListOneStaysInFieldOrder) {
    Built b("TAV DATA:0/TXT/1250\nA;B;C\nINT:5;SET:0..1;STRING\n5;1;x\n0;0;y\n");
    ASSERT_EQ(b.sets.SetLists[slFields].count(), 3);
    EXPECT_EQ(b.sets.fieldSet(0)->SetName, "(0) A");
    EXPECT_EQ(b.sets.fieldSet(0)->bitCount(), 0);
    EXPECT_EQ(b.sets.fieldSet(1)->SetName, "(1) B");
    EXPECT_EQ(b.sets.fieldSet(1)->bitCount(), 2);
    EXPECT_NE(b.data.subTotalSet(0), nullptr);
    // INT 0..1: two value sets and no thresholds.
    EXPECT_EQ(b.ruleNames(), (std::vector<std::string>{"Complete set", "(1) B= 0-", "(1) B= 1-"}));
}

// The description of a table counted elsewhere has no records; its sets are of one record.
TEST(BuildSets, ATableWithoutRecordsHasSetsOfOneRecord) {
    TBaza data;
    data.loadDataBytes("TAV DATA:0/TXT/1250\nA\nSET:1..2\n", "t", dfkFromHeader, cpUnknown);
    TSetCatalogue sets;
    BuildSets(data, sets, kAllSetLists, 2.0);
    ASSERT_NE(sets.context(), nullptr);
    EXPECT_EQ(sets.context()->maxIndex(), 0);
    EXPECT_EQ(sets.SetLists[slRules].count(), 3);  // every record, A = 1 and A = 2
}

TEST(RecordSets, RuleFieldsSelectedAndCountInContext) {
    Built b(kSmall);
    const TMnozicaList& rules = b.sets.SetLists[slRules];
    EXPECT_TRUE(RuleFieldsSelected(b.sets, rules[0]->Rule));
    EXPECT_FALSE(RuleFieldsSelected(b.sets, rules[1]->Rule));
    b.sets.fieldSet(0)->Selected = kSelected;
    EXPECT_TRUE(RuleFieldsSelected(b.sets, rules[1]->Rule));
    TPravilo unknownField;
    AddItem(unknownField, 99, 1, relEqual);
    EXPECT_FALSE(RuleFieldsSelected(b.sets, unknownField));

    EXPECT_THROW(CountInContext(b.sets, *rules[1]), EStContainerError);  // records not filled
    FillRecordSets(b.data, b.sets, {rules[1]});
    EXPECT_EQ(CountInContext(b.sets, *rules[1]), 2);
    b.sets.context()->clearAll();
    b.sets.context()->setBit(3);
    EXPECT_EQ(CountInContext(b.sets, *rules[1]), 0);
    EXPECT_EQ(CountInContext(b.sets, *b.sets.fieldSet(1)), 1);
}

TEST(RecordSets, SetsFilledOnDemandAreFreedLeastRecentlyUsedFirst) {
    Built b(kSmall);
    TMnozica* sexMale = b.data.valueSet(0, 1);
    TMnozica* sexFemale = b.data.valueSet(0, 2);
    TMnozica* ageYoung = b.data.valueSet(1, 1);
    const int maleCount = sexMale->bitCount();
    // A budget of two sets' bytes: the third set frees the one used longest ago.
    const std::uint64_t twoSets = 2 * sexMale->bufferBytes();
    FillRecordSets(b.data, b.sets, {sexMale}, twoSets);
    FillRecordSets(b.data, b.sets, {sexFemale}, twoSets);
    FillRecordSets(b.data, b.sets, {sexMale}, twoSets);  // used again: now the most recent
    FillRecordSets(b.data, b.sets, {ageYoung}, twoSets);
    EXPECT_TRUE(sexMale->hasBuffer());
    EXPECT_FALSE(sexFemale->hasBuffer());
    EXPECT_TRUE(ageYoung->hasBuffer());
    EXPECT_EQ(b.sets.filledOnDemand.size(), 2u);
    // The sets asked for together all stay, whatever the budget; a freed set keeps its count.
    FillRecordSets(b.data, b.sets, {sexFemale, ageYoung, sexMale}, 1);
    EXPECT_TRUE(sexMale->hasBuffer() && sexFemale->hasBuffer() && ageYoung->hasBuffer());
    FillRecordSets(b.data, b.sets, {ageYoung}, 1);
    EXPECT_FALSE(sexMale->hasBuffer());
    EXPECT_EQ(sexMale->bitCount(), maleCount);
    std::vector<int> codeOne;
    for (int r = 0; r < b.data.RecordCount(); ++r) {
        if (b.data.fieldValueCode(r, 0) == 1) codeOne.push_back(r);
    }
    EXPECT_EQ(b.members(*sexMale), codeOne);
    // A new build forgets the sets it destroyed.
    BuildSets(b.data, b.sets, kAllSetLists, 2.0);
    EXPECT_TRUE(b.sets.filledOnDemand.empty());
}

TEST(RecordSets, EntropyScaleIsMonotoneOnZeroToTwo) {
    EXPECT_NEAR(static_cast<double>(EntropyScale(0.5L)), 1.0, 1e-15);
    EXPECT_NEAR(static_cast<double>(EntropyScale(0.0L)), static_cast<double>(EntropyScale(1e-6L)),
                0);
    EXPECT_NEAR(static_cast<double>(EntropyScale(1.0L)), 2.0, 1e-4);
    EXPECT_NEAR(static_cast<double>(EntropyScale(0.25L)), 0.8112781244591328, 1e-12);
    EXPECT_NEAR(static_cast<double>(EntropyScale(0.75L)), 2 - 0.8112781244591328, 1e-12);
    long double previous = -1;
    for (int k = 0; k <= 1000; ++k) {
        const long double value = EntropyScale(k / 1000.0L);
        EXPECT_GE(value, previous);
        previous = value;
    }
}

// Fields are filled sixteen at a time, a word of 64 records at a time: a table wider than one
// group and longer than one word, with uncoded fields between coded ones, must give every set
// exactly its records and counts.
TEST(BuildSets, WideAndLongTablesGetEveryRecordInItsSets) {
    constexpr int kFields = 37;
    constexpr int kRecords = 130;
    std::string text = "TAV DATA:0/TXT/1250\n";
    for (int f = 0; f < kFields; ++f)
        text += "F" + std::to_string(f) + (f + 1 < kFields ? ";" : "\n");
    for (int f = 0; f < kFields; ++f)
        text +=
            std::string(f % 5 == 4 ? "STRING" : "INT:0..3:UNK=3") + (f + 1 < kFields ? ";" : "\n");
    auto code = [](int r, int f) { return (r * 7 + f * 3 + r / 9) % 5; };  // 4 is out of range
    for (int r = 0; r < kRecords; ++r) {
        for (int f = 0; f < kFields; ++f)
            text += std::to_string(code(r, f)) + (f + 1 < kFields ? ";" : "\n");
    }
    Built built(text);
    ASSERT_EQ(built.data.RecordCount(), kRecords);
    for (int f = 0; f < kFields; ++f) {
        TMnozica* fieldSet = built.data.fieldTotalSet(f);
        ASSERT_NE(fieldSet, nullptr);
        if (f % 5 == 4) {
            EXPECT_EQ(fieldSet->bitCount(), kRecords);
            continue;
        }
        std::vector<int> known;
        for (int r = 0; r < kRecords; ++r) {
            if (code(r, f) < 3) known.push_back(r);
        }
        EXPECT_EQ(built.members(*fieldSet), known) << f;
        EXPECT_EQ(fieldSet->bitCount(), static_cast<int>(known.size())) << f;
        for (int v = 0; v <= 3; ++v) {
            std::vector<int> expected;
            for (int r = 0; r < kRecords; ++r) {
                if (code(r, f) == v) expected.push_back(r);
            }
            TMnozica* set = built.data.valueSet(f, v);
            ASSERT_NE(set, nullptr);
            // The count is known before the records are filled, and stays the same after.
            EXPECT_FALSE(set->hasBuffer());
            EXPECT_EQ(set->bitCount(), static_cast<int>(expected.size())) << f << " " << v;
            EXPECT_EQ(built.members(*set), expected) << f << " " << v;
            EXPECT_EQ(set->bitCount(), static_cast<int>(expected.size())) << f << " " << v;
        }
    }
}
