#include "app/StringConversion.h"

#include <gtest/gtest.h>

#include <limits>

namespace Vesk
{

namespace
{

// A conversion result together with the success flag.
struct IntResult
{
    bool ok;
    int value;
};

IntResult ToInt(const std::string& text)
{
    int value = 12345; // must be overwritten either way
    const bool ok = StringToInt(text, value);
    return {ok, value};
}

struct DoubleResult
{
    bool ok;
    double value;
};

DoubleResult ToDouble(const std::string& text)
{
    double value = 12345.0;
    const bool ok = StringToDouble(text, value);
    return {ok, value};
}

} // namespace

TEST(StringConversionTest, IntegersInDecimalAndHexadecimal)
{
    EXPECT_TRUE(ToInt("0").ok);
    EXPECT_EQ(ToInt("0").value, 0);
    EXPECT_EQ(ToInt("16").value, 16);
    EXPECT_EQ(ToInt("007").value, 7);
    EXPECT_EQ(ToInt("-12").value, -12);
    EXPECT_TRUE(ToInt("-12").ok);
    EXPECT_EQ(ToInt("0x1F").value, 31);
    EXPECT_EQ(ToInt("0X1f").value, 31);
    EXPECT_EQ(ToInt("0xaBcD").value, 0xABCD);
    EXPECT_TRUE(ToInt("0x0").ok);
}

TEST(StringConversionTest, MalformedIntegersReadAsZeroAndFail)
{
    for (const char* text : {"", "-", "12px", "px12", " 12", "12 ", "+5", "1.5", "0x", "0xG1", "--3", "1-2", "-0x10",
                             "x10", "0b101", "1e3"})
    {
        const IntResult result = ToInt(text);
        EXPECT_FALSE(result.ok) << '"' << text << '"';
        EXPECT_EQ(result.value, 0) << '"' << text << '"';
    }
}

TEST(StringConversionTest, IntegerRangeLimits)
{
    EXPECT_EQ(ToInt("2147483647").value, std::numeric_limits<int>::max());
    EXPECT_TRUE(ToInt("-2147483648").ok);
    EXPECT_EQ(ToInt("-2147483648").value, std::numeric_limits<int>::min());

    // Decimal values beyond the int range are malformed rather than wrapped.
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999999"})
    {
        EXPECT_FALSE(ToInt(text).ok) << text;
        EXPECT_EQ(ToInt(text).value, 0) << text;
    }

    // Hexadecimal values are 32-bit patterns: colours such as opaque white fit.
    EXPECT_TRUE(ToInt("0xFFFFFFFF").ok);
    EXPECT_EQ(ToInt("0xFFFFFFFF").value, -1);
    EXPECT_EQ(static_cast<unsigned>(ToInt("0xFF102030").value), 0xFF102030u);
    EXPECT_EQ(ToInt("0x00000000FF").value, 0xFF); // leading zeros are not significant
    EXPECT_FALSE(ToInt("0x100000000").ok);
    EXPECT_EQ(ToInt("0x100000000").value, 0);
}

TEST(StringConversionTest, DecimalFractions)
{
    EXPECT_TRUE(ToDouble("1.25").ok);
    EXPECT_DOUBLE_EQ(ToDouble("1.25").value, 1.25);
    EXPECT_DOUBLE_EQ(ToDouble("-0.5").value, -0.5);
    EXPECT_DOUBLE_EQ(ToDouble("3").value, 3.0);
    EXPECT_DOUBLE_EQ(ToDouble("0.1").value, 0.1);
    EXPECT_DOUBLE_EQ(ToDouble("0.004").value, 0.004);
    EXPECT_DOUBLE_EQ(ToDouble("767.0").value, 767.0);
    EXPECT_DOUBLE_EQ(ToDouble("12.").value, 12.0);
    EXPECT_DOUBLE_EQ(ToDouble(".75").value, 0.75);
    EXPECT_DOUBLE_EQ(ToDouble("-.75").value, -0.75);
    // More fraction digits than a double holds are accepted and make no difference.
    EXPECT_DOUBLE_EQ(ToDouble("0.333333333333333333333333333333333333").value, 1.0 / 3.0);
}

// Fractions are summed digit by digit, not divided once: configured ratios that are scaled and
// truncated (0.29 x 100) must give what the content was tuned with.
TEST(StringConversionTest, FractionDividedOnceMadeScaledValuesTruncateOneLow)
{
    EXPECT_EQ(ToDouble("0.29").value, 0.2 + 9 * 0.01);
    EXPECT_EQ(static_cast<int>(ToDouble("0.29").value * 100), 29);
    EXPECT_EQ(static_cast<int>(ToDouble("-1.15").value * 100), -115);
}

TEST(StringConversionTest, MalformedRealsReadAsZeroAndFail)
{
    for (const char* text : {"", "-", ".", "-.", "1e3", "1E3", "1.2.3", "12px", " 1.5", "1.5 ", "+1.5", "1,5", "--1",
                             "0x10", "inf", "nan"})
    {
        const DoubleResult result = ToDouble(text);
        EXPECT_FALSE(result.ok) << '"' << text << '"';
        EXPECT_EQ(result.value, 0.0) << '"' << text << '"';
    }
    // A number too long for a double would be infinite: refused as well.
    const DoubleResult huge = ToDouble(std::string(400, '9'));
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ(huge.value, 0.0);
}

} // namespace Vesk
