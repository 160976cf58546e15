#include <gtest/gtest.h>

#include "core/Errors.h"
#include "tests/import/ImportTestUtil.h"

using Strings = std::vector<std::string>;

namespace {

const char kWeather[] =
    "% the weather data\n"
    "@RELATION weather\n"
    "\n"
    "@attribute outlook {sunny, overcast, 'rainy day'}\n"
    "@attribute 'air temperature' numeric\n"
    "@attribute \"id\" string\n"
    "@attribute when date \"yyyy-MM-dd\"\n"
    "@Attribute play {yes,no}\n"
    "% data below\n"
    "@data\n"
    "overcast, 21.5, 'x y', 2001-01-02, no\n"
    "'rainy day',?,\"a,b\",?,yes\n"
    "%comment\n"
    "sunny,3,'q\\'s',2001-01-03,yes\n";

}  // namespace

TEST(ArffImport, DetectsArffByItsRelationLine) {
    EXPECT_TRUE(looksLikeArff(kWeather));
    EXPECT_TRUE(looksLikeArff("\n  @relation x\n"));
    EXPECT_FALSE(looksLikeArff("a,b\n@relation\n"));
    EXPECT_FALSE(looksLikeArff(""));
}

TEST(ArffImport, ReadsAttributesInOrderWithNominalValuesAsDeclared) {
    const TParsed parsed = parsedArff(kWeather);
    EXPECT_EQ(parsed.header.names, (Strings{"outlook", "air temperature", "id", "when", "play"}));
    ASSERT_EQ(parsed.header.declaredValues.size(), 5u);
    EXPECT_EQ(parsed.header.declaredValues[0], (Strings{"sunny", "overcast", "rainy day"}));
    EXPECT_FALSE(parsed.header.declaredValues[1].has_value());
    EXPECT_EQ(parsed.header.declaredValues[4], (Strings{"yes", "no"}));
}

TEST(ArffImport, ReadsQuotedValuesMissingValuesAndSkipsComments) {
    const TParsed parsed = parsedArff(kWeather);
    ASSERT_EQ(parsed.records.size(), 3u);
    EXPECT_EQ(parsed.records[0], (Strings{"overcast", "21.5", "x y", "2001-01-02", "no"}));
    EXPECT_EQ(parsed.records[1], (Strings{"rainy day", "?", "a,b", "?", "yes"}));
    EXPECT_EQ(parsed.records[2][2], "q's");
    EXPECT_EQ(parsed.lines, (std::vector<long long>{11, 12, 14}));
}

TEST(ArffImport, RefusesWhatItCannotImportNamingTheLine) {
    const struct {
        std::string bytes;
        std::string part;
    } cases[] = {
        {"@relation r\n@attribute a numeric\n@data\n{0 1}\n", "line 4: sparse ARFF"},
        {"@relation r\n@attribute a relational\n@data\n",
         "line 2: the attribute type \"relational\""},
        {"@relation r\n@attribute a numeric\n@attribute b numeric\n@data\n1\n", "line 5: 1 values"},
        {"@relation r\n@attribute a numeric\n@data\n1\n1," + std::string(100000, ',') + "\n",
         "line 5: more values than the 1 attribute the file declares"},
        {"@relation r\n@attribute a numeric\n1\n", "line 3: \"1\" is not an ARFF keyword"},
        {"@relation r\n@attribute a numeric\n", "has no @data section"},
        {"@relation r\n@data\n", "line 2: the file declares no attributes"},
        {"@relation r\n@attribute a {x,y\n@data\n", "no closing \"}\""},
        {"@relation r\n@attribute 'a numeric\n@data\n", "no closing quote"},
    };
    for (const auto& c : cases) {
        const std::string message = errorOf<EConvertError>([&] { parsedArff(c.bytes); });
        EXPECT_NE(message.find(c.part), std::string::npos) << message;
    }
}

// Values that contradict their declaration are imported as they are, and the user is told.
TEST(ArffImport, ValuesAgainstTheirDeclarationAreKeptWithAWarning) {
    const TParsed parsed = parsedArff(
        "@relation r\n@attribute a numeric\n@attribute c {x,y}\n@attribute s string\n@data\n"
        "1,x % first,t\n?,?,?\n2,z,u\nn/a,y,v\nthree,x,w\n");
    EXPECT_EQ(parsed.records[0], (Strings{"1", "x % first", "t"}));
    EXPECT_EQ(parsed.records[4], (Strings{"three", "x", "w"}));
    EXPECT_EQ(parsed.warnings,
              (Strings{"2 values of nominal attributes not among the declared values became "
                       "labels of their own; the first is \"x % first\" of attribute c, line 6",
                       "1 value of numeric attributes that cannot be read as numbers turned "
                       "those columns into text; the first is \"three\" of attribute a, line "
                       "10"}));
    EXPECT_TRUE(parsedArff(kWeather).warnings.empty());
}
