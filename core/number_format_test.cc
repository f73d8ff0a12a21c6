#include "core/number_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "core/error.h"

namespace sarvilax {
namespace {

constexpr NumberPattern kWhole = NumberPattern::kWhole;
constexpr NumberPattern kOne = NumberPattern::kOneDecimal;
constexpr NumberPattern kTwo = NumberPattern::kTwoDecimals;

Currency Raw(int64_t raw) { return Currency::FromRaw(raw); }

TEST(NumberFormatTest, CurrencyRoundsHalvesAwayFromZero) {
  EXPECT_EQ(FormatNumber(Currency::FromDouble(1234.5), kTwo), "1234.50");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(1234.56), kTwo), "1234.56");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(1234.56), kWhole), "1235");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(2.5), kWhole), "3");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(-2.5), kWhole), "-3");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(3.5), kWhole), "4");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(0.125), kTwo), "0.13");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(-0.125), kTwo), "-0.13");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(0.1249), kTwo), "0.12");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(0.05), kOne), "0.1");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(9.99), kOne), "10.0");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(99.995), kTwo), "100.00");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(-5), kOne), "-5.0");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(123456789), kTwo), "123456789.00");
  EXPECT_EQ(FormatNumber(Raw(1), kWhole), "0");
  EXPECT_EQ(FormatNumber(Raw(7), kTwo), "0.00");
  EXPECT_EQ(FormatNumber(Raw(50), kTwo), "0.01");
}

TEST(NumberFormatTest, CurrencyThatRoundsToZeroHasNoSign) {
  EXPECT_EQ(FormatNumber(Raw(0), kTwo), "0.00");
  EXPECT_EQ(FormatNumber(Raw(-49), kTwo), "0.00");
  EXPECT_EQ(FormatNumber(Raw(-50), kTwo), "-0.01");
  EXPECT_EQ(FormatNumber(Raw(-4999), kWhole), "0");
  EXPECT_EQ(FormatNumber(Raw(-499), kOne), "0.0");
}

TEST(NumberFormatTest, CurrencyAtTheEndsOfItsRange) {
  const int64_t max = std::numeric_limits<int64_t>::max();
  const int64_t min = std::numeric_limits<int64_t>::min();
  EXPECT_EQ(FormatNumber(Raw(max), kTwo), "922337203685477.58");
  EXPECT_EQ(FormatNumber(Raw(min), kTwo), "-922337203685477.58");
  EXPECT_EQ(FormatNumber(Raw(max), kWhole), "922337203685478");
  EXPECT_EQ(FormatNumber(Raw(min), kWhole), "-922337203685478");
  EXPECT_EQ(FormatNumber(Raw(min), kOne), "-922337203685477.6");
}

TEST(NumberFormatTest, DoubleIsTakenToFifteenDigitsFirst) {
  // 12.45 is stored as 12.4499999999999993: fifteen digits make it 12.45 again.
  ASSERT_LT(12.45, 12.45 + 1e-15);
  EXPECT_EQ(FormatNumber(12.45, kOne), "12.5");
  EXPECT_EQ(FormatNumber(-12.45, kOne), "-12.5");
  EXPECT_EQ(FormatNumber(0.125, kTwo), "0.13");
  EXPECT_EQ(FormatNumber(1.005, kTwo), "1.01");  // 1.00499999999999989...
  EXPECT_EQ(FormatNumber(2.5, kWhole), "3");
  EXPECT_EQ(FormatNumber(-2.5, kWhole), "-3");
  EXPECT_EQ(FormatNumber(0.5, kWhole), "1");
  EXPECT_EQ(FormatNumber(0.49999999999999994, kWhole), "1");  // 0.500000000000000 in 15 digits
  EXPECT_EQ(FormatNumber(0.4999999999999, kWhole), "0");
  EXPECT_EQ(FormatNumber(-5.0, kOne), "-5.0");
  EXPECT_EQ(FormatNumber(50.0 / 200.0 * 100, kOne), "25.0");
  EXPECT_EQ(FormatNumber(100.0 / 3.0, kOne), "33.3");
  EXPECT_EQ(FormatNumber(200.0 / 3.0, kOne), "66.7");
  EXPECT_EQ(FormatNumber(9.96, kOne), "10.0");
  EXPECT_EQ(FormatNumber(999.999, kTwo), "1000.00");
  EXPECT_EQ(FormatNumber(0.05, kOne), "0.1");
  EXPECT_EQ(FormatNumber(0.0049, kTwo), "0.00");
  EXPECT_EQ(FormatNumber(0.005, kTwo), "0.01");
  EXPECT_EQ(FormatNumber(0.0005, kTwo), "0.00");
  EXPECT_EQ(FormatNumber(1e-300, kTwo), "0.00");
  EXPECT_EQ(FormatNumber(1234.5, kTwo), "1234.50");
  EXPECT_EQ(FormatNumber(123456789.0, kTwo), "123456789.00");
  // Beyond fifteen digits the rest are zeros.
  EXPECT_EQ(FormatNumber(1234567890123456789.0, kWhole), "1234567890123460000");
}

TEST(NumberFormatTest, DoubleThatRoundsToZeroHasNoSign) {
  EXPECT_EQ(FormatNumber(-0.0, kTwo), "0.00");
  EXPECT_EQ(FormatNumber(-0.004, kTwo), "0.00");
  EXPECT_EQ(FormatNumber(-0.04, kOne), "0.0");
  EXPECT_EQ(FormatNumber(-0.4, kWhole), "0");
  EXPECT_EQ(FormatNumber(-1e-300, kWhole), "0");
  EXPECT_EQ(FormatNumber(-0.005, kTwo), "-0.01");
}

TEST(NumberFormatTest, HugeAndSpecialDoubles) {
  const std::string huge = FormatNumber(1e300, kTwo);
  EXPECT_EQ(huge, "1" + std::string(300, '0') + ".00");
  EXPECT_EQ(FormatNumber(-std::numeric_limits<double>::max(), kWhole).size(), 310u);
  EXPECT_EQ(FormatNumber(std::numeric_limits<double>::denorm_min(), kOne), "0.0");
  EXPECT_THROW(FormatNumber(std::numeric_limits<double>::quiet_NaN(), kTwo), ArithmeticError);
  EXPECT_THROW(FormatNumber(std::numeric_limits<double>::infinity(), kOne), ArithmeticError);
  EXPECT_THROW(FormatNumber(-std::numeric_limits<double>::infinity(), kWhole), ArithmeticError);
}

TEST(NumberFormatTest, TheProcessLocaleDoesNotMatter) {
  const char* finnish = std::setlocale(LC_ALL, "fi_FI.UTF-8");
  if (finnish == nullptr) finnish = std::setlocale(LC_ALL, "de_DE.UTF-8");
  EXPECT_EQ(FormatNumber(12.5, kTwo), "12.50");
  EXPECT_EQ(FormatNumber(Currency::FromDouble(12.5), kTwo), "12.50");
  EXPECT_EQ(ParseNumberField("12.5"), 12.5);
  std::setlocale(LC_ALL, "C");
}

TEST(NumberFormatTest, Counts) {
  EXPECT_EQ(FormatCount(0), "0");
  EXPECT_EQ(FormatCount(-17), "-17");
  EXPECT_EQ(FormatCount(2147483647), "2147483647");
  EXPECT_EQ(FormatCount(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
}

TEST(NumberFormatTest, RightAlignKeepsTheLastCharacters) {
  EXPECT_EQ(RightAlign("1234.50", 11), "    1234.50");
  EXPECT_EQ(RightAlign("123456789.00", 11), "23456789.00");
  EXPECT_EQ(RightAlign("0.0", 5), "  0.0");
  EXPECT_EQ(RightAlign("25.0", 5), " 25.0");
  EXPECT_EQ(RightAlign("abc", 3), "abc");
  EXPECT_EQ(RightAlign("", 2), "  ");
  EXPECT_EQ(RightAlign("abc", 0), "");
}

TEST(NumberFormatTest, DecimalPointReplacesTheFirstCommaOnly) {
  EXPECT_EQ(DecimalPoint("1,5"), "1.5");
  EXPECT_EQ(DecimalPoint("1,234,5"), "1.234,5");
  EXPECT_EQ(DecimalPoint("15"), "15");
  EXPECT_EQ(DecimalPoint("12,50"), "12.50");
  EXPECT_EQ(DecimalPoint(""), "");
}

TEST(NumberFormatTest, ParseNumberFieldReadsLikeVal) {
  EXPECT_EQ(ParseNumberField("    1234.50"), 1234.5);
  EXPECT_EQ(ParseNumberField("  -3"), -3.0);
  EXPECT_EQ(ParseNumberField("+7"), 7.0);
  EXPECT_EQ(ParseNumberField("23456789.00"), 23456789.0);
  EXPECT_EQ(ParseNumberField(" 0.125"), 0.125);
  EXPECT_EQ(ParseNumberField("\t.5"), 0.5);
  EXPECT_EQ(ParseNumberField("5."), 5.0);
  EXPECT_EQ(ParseNumberField("-.25"), -0.25);
  // Blanks inside the number are passed over as well.
  EXPECT_EQ(ParseNumberField(" 1 234.5 6"), 1234.56);
  EXPECT_EQ(ParseNumberField("- 4"), -4.0);
  // Reading stops at the first character that cannot continue the number.
  EXPECT_EQ(ParseNumberField("12.5x7"), 12.5);
  EXPECT_EQ(ParseNumberField("1.2.3"), 1.2);
  EXPECT_EQ(ParseNumberField("12,50"), 12.0);
  EXPECT_EQ(ParseNumberField("3-4"), 3.0);
  EXPECT_EQ(ParseNumberField("--5"), 0.0);
  // Exponents.
  EXPECT_EQ(ParseNumberField("1.5E3"), 1500.0);
  EXPECT_EQ(ParseNumberField("1.5e+3"), 1500.0);
  EXPECT_EQ(ParseNumberField("25E-2"), 0.25);
  EXPECT_EQ(ParseNumberField("7E"), 7.0);
  EXPECT_EQ(ParseNumberField("7E+"), 7.0);
  EXPECT_EQ(ParseNumberField("7Ex"), 7.0);
  // Without digits: zero, and never a negative zero.
  EXPECT_EQ(ParseNumberField(""), 0.0);
  EXPECT_EQ(ParseNumberField("           "), 0.0);
  EXPECT_EQ(ParseNumberField("-"), 0.0);
  EXPECT_EQ(ParseNumberField("."), 0.0);
  EXPECT_EQ(ParseNumberField("abc"), 0.0);
  EXPECT_EQ(ParseNumberField("E5"), 0.0);
  EXPECT_FALSE(std::signbit(ParseNumberField("-0.00")));
  EXPECT_FALSE(std::signbit(ParseNumberField("-")));
}

TEST(NumberFormatTest, ParseNumberFieldAtTheLimitsOfADouble) {
  EXPECT_EQ(ParseNumberField("12345678901234567890"), 12345678901234567890.0);
  EXPECT_EQ(ParseNumberField("0.1"), 0.1);  // correctly rounded
  EXPECT_EQ(ParseNumberField("1e-400"), 0.0);
  EXPECT_EQ(ParseNumberField("-0.0001e-320"), 0.0);
  EXPECT_EQ(ParseNumberField("0.001e310"), 1e307);
  EXPECT_EQ(ParseNumberField("1000e-310"), 1e-307);
  EXPECT_THROW(ParseNumberField("1e400"), ArithmeticError);
  EXPECT_THROW(ParseNumberField("-0.0001e400"), ArithmeticError);
  EXPECT_THROW(ParseNumberField("1e99999999999999999999"), ArithmeticError);
  EXPECT_EQ(ParseNumberField("0e99999999999999999999"), 0.0);
}

}  // namespace
}  // namespace sarvilax
