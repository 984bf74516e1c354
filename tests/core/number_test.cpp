#include "core/settings/number.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

struct NumberCase {
    const char* name;
    const char16_t* text;
    int value;
    bool inRange;
};

class SettingNumberTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SettingNumberTest, ReadsNumericBeginning) {
    const NumberCase& c = GetParam();
    const SettingNumber n = ParseSettingNumber(QString::fromUtf16(c.text));
    EXPECT_EQ(n.value, c.value);
    EXPECT_EQ(n.inRange, c.inRange);
}

INSTANTIATE_TEST_SUITE_P(
    Rule, SettingNumberTest,
    ::testing::Values(
        NumberCase{"Empty", u"", 0, true}, NumberCase{"Letters", u"abc", 0, true},
        NumberCase{"SignPosition", u" 30", 30, true}, NumberCase{"Negative", u"-3", -3, true},
        NumberCase{"Plus", u"+7", 7, true}, NumberCase{"HalfDown", u"2.5", 2, true},
        NumberCase{"HalfUp", u"3.5", 4, true}, NumberCase{"NegativeHalf", u"-2.5", -2, true},
        NumberCase{"NotHalf", u"2.51", 3, true}, NumberCase{"PointOnlyFraction", u".5", 0, true},
        NumberCase{"OneAndHalf", u"1.5", 2, true},
        NumberCase{"BlanksInside", u"1 2\t3\n4", 1234, true},
        NumberCase{"CarriageReturnEnds", u"3\r5", 3, true},
        NumberCase{"TrailingText", u"12abc", 12, true}, NumberCase{"Exponent", u"1.5e1", 15, true},
        NumberCase{"ExponentUpper", u"2E2", 200, true},
        NumberCase{"ExponentWithoutDigits", u"1e", 1, true},
        NumberCase{"ExponentSignOnly", u"1e+", 1, true}, NumberCase{"SignOnly", u"-", 0, true},
        NumberCase{"PointOnly", u".", 0, true}, NumberCase{"HexPrefixNotRead", u"&H10", 0, true},
        NumberCase{"FullWidthDigits", u"\uFF11\uFF12", 0, true},
        NumberCase{"Lowest", u"-32768", -32768, true}, NumberCase{"Highest", u"32767", 32767, true},
        NumberCase{"LowestAfterRounding", u"-32768.5", -32768, true},
        NumberCase{"HighestRoundsOver", u"32767.5", 32767, false},
        NumberCase{"TooLarge", u"40000", 32767, false},
        NumberCase{"TooSmall", u"-40000", -32768, false},
        NumberCase{"BeyondDouble", u"1e999", 32767, false},
        NumberCase{"BeyondDoubleNegative", u"-1e999", -32768, false},
        NumberCase{"LongDigitRun",
                   u"1000000000000000000000000000000000000000000000000000000000000000000000000000"
                   u"0000000000000000000000000000000000000000000000000000000000000000000000000000"
                   u"0000000000000000000000000000000000000000000000000000000000000000000000000000"
                   u"0000000000000000000000000000000000000000000000000000000000000000000000000000",
                   32767, false},
        NumberCase{"Underflow", u"1e-999", 0, true},
        NumberCase{"HugeExponentDigits", u"1e99999999999999999999999", 32767, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SettingNumberFormat, CarriesSignPosition) {
    EXPECT_EQ(FormatSettingNumber(25), QStringLiteral(" 25"));
    EXPECT_EQ(FormatSettingNumber(0), QStringLiteral(" 0"));
    EXPECT_EQ(FormatSettingNumber(-3), QStringLiteral("-3"));
    EXPECT_EQ(FormatSettingNumber(-32768), QStringLiteral("-32768"));
    // What is written reads back unchanged.
    for (int v : {-32768, -1, 0, 1, 255, 32767})
        EXPECT_EQ(ParseSettingNumber(FormatSettingNumber(v)).value, v);
}

}  // namespace
}  // namespace pelmora
