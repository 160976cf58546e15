#include "core/UserNumber.h"

#include <gtest/gtest.h>

#include "core/LocaleFormat.h"

TEST(UserNumber, TakesThePointOrTheLocalesDecimalSeparator) {
    struct Case {
        char separator;
        const char* text;
        std::optional<double> value;
    };
    const Case cases[] = {
        {',', "0,5", 0.5},    {',', "0.5", 0.5}, {',', "-1,25e2", -125}, {',', "1,2,3", {}},
        {',', "1.000,5", {}}, {',', "abc", {}},  {',', "nan", {}},       {'.', "0,5", {}},
        {'.', "12.5", 12.5},  {',', ",", {}},    {',', "1e999", {}},
    };
    for (const Case& c : cases) {
        localeFormat().decimalSeparator = c.separator;
        EXPECT_EQ(parseUserDecimal(c.text), c.value) << c.separator << " " << c.text;
    }
    localeFormat() = TLocaleFormat{};
}
