#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "TableTestUtil.h"
#include "table/TxFieldTypes.h"
#include "table/TxRecordLayout.h"
#include "table/TxValueText.h"

namespace {

std::vector<int> bytesOf(const std::uint8_t* p, int n) {
    return std::vector<int>(p, p + n);
}

double date(int y, int m, int d) {
    double v = 0;
    EXPECT_TRUE(tryEncodeDate(y, m, d, v));
    return v;
}

}  // namespace

TEST(TxFieldTypes, NamesAndByteCounts) {
    EXPECT_STREQ(FieldTypeNames[0], "Byte");
    EXPECT_STREQ(FieldTypeNames[14], "PkDate");
    EXPECT_EQ(fieldTypeByName("Extended"), 7);
    EXPECT_EQ(fieldTypeByName("string"), -1);  // exact names only
    const int bytes[] = {1, 2, 4, 2, 6, 4, 8, 10, 8, 1, -1, 1, 4, 4, 3};
    for (int code = 0; code < kFieldTypeCount; ++code) {
        if (code == xftString) continue;
        EXPECT_EQ(fieldByteCount(static_cast<TxFieldType>(code), 0), bytes[code]) << code;
    }
    EXPECT_EQ(fieldByteCount(xftString, 50), 51);
}

TEST(TxFieldTypes, Real48KnownPatternsAndRoundTrips) {
    struct Case {
        double value;
        std::vector<int> bytes;
    } cases[] = {
        {0.0, {0, 0, 0, 0, 0, 0}},        {1.0, {0x81, 0, 0, 0, 0, 0}},
        {-1.0, {0x81, 0, 0, 0, 0, 0x80}}, {0.5, {0x80, 0, 0, 0, 0, 0}},
        {3.0, {0x82, 0, 0, 0, 0, 0x40}},  {-6.0, {0x83, 0, 0, 0, 0, 0xC0}},
    };
    for (const auto& c : cases) {
        std::uint8_t b[6];
        doubleToReal48(c.value, b);
        EXPECT_EQ(bytesOf(b, 6), c.bytes) << c.value;
        EXPECT_EQ(real48ToDouble(b), c.value);
    }
    for (double v : {3.14159265358979, -2.5e-20, 1e10, 1.7e38, 123456.789, -0.1}) {
        std::uint8_t b[6];
        doubleToReal48(v, b);
        EXPECT_NEAR(real48ToDouble(b), v, std::fabs(v) * std::ldexp(1.0, -39)) << v;
    }
    std::uint8_t b[6];
    EXPECT_EQ(errorText([&] { doubleToReal48(1e39, b); }), "Floating point overflow");
    EXPECT_EQ(errorText([&] { doubleToReal48(NAN, b); }), "Floating point overflow");
    doubleToReal48(1e-40, b);  // below the format: zero
    EXPECT_EQ(real48ToDouble(b), 0.0);
}

TEST(TxFieldTypes, ExtendedKnownPatternsAndRoundTrips) {
    std::uint8_t b[10];
    doubleToExtended(1.0, b);
    EXPECT_EQ(bytesOf(b, 10), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    doubleToExtended(-2.0, b);
    EXPECT_EQ(bytesOf(b, 10), (std::vector<int>{0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}));
    for (double v : {0.0, 1.5, -3.25e300, 4.9e-324, 2.2250738585072014e-308, 1.0 / 3.0, 1e-5,
                     std::numeric_limits<double>::max(), HUGE_VAL, -HUGE_VAL}) {
        doubleToExtended(v, b);
        EXPECT_EQ(extendedToDouble(b), v) << v;
    }
    doubleToExtended(NAN, b);
    EXPECT_TRUE(std::isnan(extendedToDouble(b)));
    doubleToExtended(-0.0, b);
    EXPECT_TRUE(std::signbit(extendedToDouble(b)));
#if defined(__x86_64__) || defined(__i386__)
    // The host's long double is the same format.
    long double host = 0;
    doubleToExtended(6.02214076e23, b);
    std::memcpy(&host, b, 10);
    EXPECT_EQ(static_cast<double>(host), 6.02214076e23);
#endif
}

TEST(TxFieldTypes, DateSerialsAndDayNumbers) {
    EXPECT_EQ(date(1899, 12, 30), 0.0);
    EXPECT_EQ(date(1900, 1, 1), 2.0);
    std::int32_t day = 0;
    ASSERT_TRUE(dateToDayNumber(date(1, 1, 1), day));
    EXPECT_EQ(day, 1);
    ASSERT_TRUE(dateToDayNumber(date(9999, 12, 31), day));
    EXPECT_EQ(day, kMaxDayNumber);
    ASSERT_TRUE(dateToDayNumber(0.75, day));
    EXPECT_EQ(day, kDateDelta);
    EXPECT_FALSE(dateToDayNumber(date(1, 1, 1) - 1, day));
    EXPECT_FALSE(dateToDayNumber(NAN, day));
    double v = 0;
    EXPECT_FALSE(tryEncodeDate(2023, 2, 29, v));
    EXPECT_TRUE(tryEncodeDate(2024, 2, 29, v));
    EXPECT_FALSE(tryEncodeDate(0, 1, 1, v));
    int y, m, d;
    ASSERT_TRUE(decodeDate(date(2024, 2, 29) + 0.5, y, m, d));
    EXPECT_EQ(std::vector<int>({y, m, d}), std::vector<int>({2024, 2, 29}));
    std::uint32_t ms = 0;
    ASSERT_TRUE(timeToMSecs(date(2020, 1, 1) + 0.5, ms));
    EXPECT_EQ(ms, 43200000u);
    ASSERT_TRUE(timeToMSecs(0.9999999999999, ms));
    EXPECT_EQ(ms, 0u);  // rounds up to a whole day
}

TEST(TxFieldTypes, PackedDates) {
    struct Case {
        int y, m, d, word, byte;
    } cases[] = {{2005, 12, 31, 4011, 109},
                 {2004, 12, 31, 4009, 110},
                 {2005, 1, 1, 4010, 1},
                 {2000, 9, 12, 4001, 0},
                 {1, 1, 1, 2, 1}};
    for (const auto& c : cases) {
        std::uint8_t b[3];
        const double day = date(c.y, c.m, c.d);
        EncodePackedDate(day >= 0 ? day + 0.25 : day - 0.25, b);  // the time of day is dropped
        EXPECT_EQ(b[0] | (b[1] << 8), c.word) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(b[2], c.byte);
        EXPECT_EQ(DecodePackedDate(b), date(c.y, c.m, c.d));
    }
    std::uint8_t zero[3] = {9, 9, 9};
    EncodePackedDate(0.0, zero);
    EXPECT_EQ(bytesOf(zero, 3), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(DecodePackedDate(zero), 0.0);
    EncodePackedDate(NAN, zero);
    EXPECT_EQ(bytesOf(zero, 3), (std::vector<int>{0, 0, 0}));
    const std::uint8_t day400[3] = {4011 & 0xFF, 4011 >> 8, 144};  // 2005, day 400
    EXPECT_EQ(DecodePackedDate(day400), 0.0);
    const std::uint8_t yearZero[3] = {1, 0, 5};
    EXPECT_EQ(DecodePackedDate(yearZero), 0.0);
    const std::uint8_t negative[3] = {0xFF, 0xFF, 5};
    EXPECT_EQ(DecodePackedDate(negative), 0.0);
}

TEST(TxRecordLayout, AddFieldChecksAndOffsets) {
    TxRecordLayout layout;
    layout.addField("No.", xftInteger, 0);
    layout.addField("Name", xftString, 50);
    layout.addField("C", xftChar, 0);
    EXPECT_EQ(layout.recordSize(), 4 + 51 + 1);
    EXPECT_EQ(layout.fields()[1].offset, 4);
    EXPECT_EQ(layout.fields()[1].size, 50);
    EXPECT_EQ(layout.fields()[2].size, 1);
    EXPECT_EQ(layout.fields()[2].fieldNo, 3);
    const struct {
        const char* name;
        int type, length;
        const char* error;
    } cases[] = {
        {"N2", xftSmallint, 5, "Field length must be zero"},
        {"X", xftString, 0, "Field length must not be zero"},
        {"X", xftString, 256, "Field length must be 1..255"},
        {"X", xftString, -1, "Field length must be 1..255"},
        {"X", 15, 0, "Invalid field type code 15"},
        {"", xftByte, 0, "Field name must not be empty"},
        {"name", xftByte, 0, "Duplicate field name 'name'"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(errorText([&] { layout.addField(c.name, c.type, c.length); }), c.error) << c.name;
    TxRecordLayout big;
    for (int k = 0; k < 255; ++k)
        big.addField("F" + std::to_string(k), xftString, 255);
    big.addField("Fits", xftString, 254);
    EXPECT_EQ(big.recordSize(), 65535);
    EXPECT_EQ(errorText([&] { big.addField("Last", xftByte, 0); }),
              "Record size must not exceed 65535 bytes");
    const auto defs = layout.fieldDefs();
    ASSERT_EQ(defs.size(), 3u);
    EXPECT_EQ(defs[1].dataType, TxPresentedType::String);
    EXPECT_EQ(defs[1].size, 50);
    EXPECT_EQ(defs[0].size, 0);
    EXPECT_FALSE(defs[0].required);
}

TEST(TxValueText, FloatTexts) {
    const struct {
        double value;
        const char* text;
    } cases[] = {{0, "0"},
                 {1.5, "1.5"},
                 {-2.25, "-2.25"},
                 {0.1, "0.1"},
                 {1.0 / 3, "0.333333333333333"},
                 {1e20, "1E20"},
                 {1.5e-7, "1.5E-7"},
                 {123456789012345.0, "123456789012345"},
                 {0.00001, "0.00001"},
                 {-0.0, "0"},
                 {INFINITY, "INF"},
                 {2.5e300, "2.5E300"}};
    for (const auto& c : cases)
        EXPECT_EQ(formatFloat(c.value, '.'), c.text) << c.value;
    EXPECT_EQ(formatFloat(1.5, ','), "1,5");
    double v = 0;
    EXPECT_TRUE(parseFloat("1,5", ',', v));
    EXPECT_EQ(v, 1.5);
    EXPECT_FALSE(parseFloat("1.5", ',', v));
    EXPECT_TRUE(parseFloat(" -2.5E-3 ", '.', v));
    EXPECT_EQ(v, -0.0025);
    for (const char* bad : {"", "abc", "1.5x", "E5", "1e", "."})
        EXPECT_FALSE(parseFloat(bad, '.', v)) << bad;
    EXPECT_TRUE(parseFloat("1e999", '.', v));
    EXPECT_TRUE(std::isinf(v));
}

TEST(TxValueText, CurrencyTexts) {
    EXPECT_EQ(formatCurrency(125000, '.'), "12.5");
    EXPECT_EQ(formatCurrency(-1, ','), "-0,0001");
    EXPECT_EQ(formatCurrency(30000, '.'), "3");
    EXPECT_EQ(formatCurrency(std::numeric_limits<std::int64_t>::min(), '.'),
              "-922337203685477.5808");
    std::int64_t c = 0;
    EXPECT_TRUE(parseCurrency("12.5", '.', c));
    EXPECT_EQ(c, 125000);
    EXPECT_TRUE(parseCurrency("-0.00005", '.', c));
    EXPECT_EQ(c, -1);
    EXPECT_TRUE(parseCurrency("-922337203685477.5808", '.', c));
    EXPECT_EQ(c, std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(parseCurrency("922337203685477.5808", '.', c));
    EXPECT_FALSE(parseCurrency("99999999999999999999", '.', c));
    EXPECT_FALSE(parseCurrency("1.2.3", '.', c));
}

TEST(TxValueText, DateAndTimePatterns) {
    const double d = date(2024, 3, 5);
    EXPECT_EQ(formatDateText(d, "dd.MM.yyyy"), "05.03.2024");
    EXPECT_EQ(formatDateText(d, "d/M/yy"), "5/3/24");
    EXPECT_EQ(formatDateText(d, "yyyy-MM-dd"), "2024-03-05");
    double v = 0;
    EXPECT_TRUE(parseDateText("5.3.2024", "dd.MM.yyyy", v));
    EXPECT_EQ(v, d);
    EXPECT_TRUE(parseDateText("5/3/24", "d/M/yy", v));
    EXPECT_EQ(v, d);
    EXPECT_FALSE(parseDateText("31.02.2024", "dd.MM.yyyy", v));
    EXPECT_FALSE(parseDateText("05-03-2024", "dd.MM.yyyy", v));
    EXPECT_EQ(withFullYear("d/M/yy"), "d/M/yyyy");
    EXPECT_EQ(withFullYear("dd.MM.yyyy"), "dd.MM.yyyy");
    EXPECT_EQ(withFullYear("yy 'day' d"), "yyyy' day 'd");
    double one = 0;
    tryEncodeDate(1, 1, 1, one);
    EXPECT_EQ(formatDateText(one, "dd.MM.yyyy"), "01.01.1");  // core writes the year unpadded
    EXPECT_TRUE(parseDateText("01.01.1", "dd.MM.yyyy", v));
    EXPECT_EQ(v, one);
    double t = 0;
    ASSERT_TRUE(tryEncodeTime(13, 5, 9, 0, t));
    EXPECT_EQ(formatTimeText(t, "HH:mm:ss"), "13:05:09");
    EXPECT_EQ(formatTimeText(t, "h:mm:ss AP"), "1:05:09 PM");
    EXPECT_TRUE(parseTimeText("1:05:09 pm", "h:mm:ss AP", v));
    EXPECT_EQ(v, t);
    EXPECT_TRUE(parseTimeText("12:00:00 AM", "hh:mm:ss AP", v));
    EXPECT_EQ(v, 0.0);
    EXPECT_FALSE(parseTimeText("24:00:00", "HH:mm:ss", v));
    EXPECT_EQ(formatTimeText(t, "HH'h'mm"), "13h05");
}
