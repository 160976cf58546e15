#include "db/SqlDialect.h"

#include <gtest/gtest.h>

#include "db/PgConnection.h"

namespace {

TEST(SqlDialect, QuotesNamesSoThatNoneEndsTheIdentifier) {
    EXPECT_EQ(sqlDialect::quoteIdentifier("age"), "\"age\"");
    EXPECT_EQ(sqlDialect::quoteIdentifier("a\"; drop table x; --"), "\"a\"\"; drop table x; --\"");
    EXPECT_THROW(sqlDialect::quoteIdentifier(""), EDatabaseError);
    EXPECT_THROW(sqlDialect::quoteIdentifier(std::string("a\0b", 3)), EDatabaseError);
}

TEST(SqlDialect, WritesArrayParametersWithEveryItemQuoted) {
    EXPECT_EQ(sqlDialect::arrayParameter({}), "{}");
    EXPECT_EQ(sqlDialect::arrayParameter({"a", "b\"c", "d\\e", "{,}"}),
              "{\"a\",\"b\\\"c\",\"d\\\\e\",\"{,}\"}");
}

TEST(SqlDialect, BindsConstantsAsNumberedParameters) {
    TSqlParams params;
    EXPECT_EQ(params.bind("x'; drop", "text"), "$1::text");
    EXPECT_EQ(params.bind("3", "float8"), "$2::float8");
    ASSERT_EQ(params.values().size(), 2u);
    EXPECT_EQ(*params.values()[0], "x'; drop");
}

TEST(SqlDialect, WritesNumbersThatReadBackTheSame) {
    for (double value : {40.0000001, 0.1, -1e-300, 123456789.125, 3.0}) {
        const std::string text = sqlDialect::numberText(value);
        EXPECT_EQ(std::stod(text), value) << text;
    }
}

TEST(SqlDialect, NamesAQuerySourceAsASubquery) {
    const TSqlSource table{"t\"x", ""};
    EXPECT_EQ(table.fromClause(), "\"t\"\"x\"");
    const TSqlSource query{"", "SELECT 1 AS a"};
    EXPECT_EQ(query.fromClause(), "(SELECT 1 AS a\n) AS t");
    EXPECT_EQ(query.shownName(), "the query");
}

}  // namespace
