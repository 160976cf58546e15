#include "ui/text/TavLocale.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "core/LocaleFormat.h"

TEST(TavLocale, SeparatorsAndPatternsComeFromTheLocale) {
    fillLocaleFormat(QLocale(QLocale::Slovenian, QLocale::Slovenia));
    EXPECT_EQ(localeFormat().decimalSeparator, ',');
    EXPECT_EQ(localeFormat().thousandSeparator, '.');
    EXPECT_FALSE(localeFormat().shortDateFormat.empty());
    EXPECT_FALSE(localeFormat().longTimeFormat.empty());

    fillLocaleFormat(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(localeFormat().decimalSeparator, '.');
    EXPECT_EQ(localeFormat().thousandSeparator, ',');
    EXPECT_EQ(localeFormat().shortDateFormat, "M/d/yy");

    // A group separator without a Windows-1250 byte (a narrow no-break space) becomes the
    // no-break space; one with a byte is taken as it is.
    fillLocaleFormat(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(localeFormat().decimalSeparator, ',');
    EXPECT_EQ(localeFormat().thousandSeparator, '\xA0');

    QLocale plain = QLocale::c();
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    fillLocaleFormat(plain);
    EXPECT_EQ(localeFormat().thousandSeparator, 0);
    localeFormat() = TLocaleFormat{};
}
