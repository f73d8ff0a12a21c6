#include "core/currency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/checked_math.h"
#include "core/error.h"

namespace sarvilax {
namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

Currency Raw(int64_t raw) { return Currency::FromRaw(raw); }

TEST(CurrencyTest, FromDoubleRoundsHalvesToEven) {
  EXPECT_EQ(Currency::FromDouble(12.5).raw(), 125000);
  EXPECT_EQ(Currency::FromDouble(-0.0).raw(), 0);
  // Odd multiples of 1/32 are exact halves of a count (1/32 = 0.03125).
  EXPECT_EQ(Currency::FromDouble(0.03125).raw(), 312);
  EXPECT_EQ(Currency::FromDouble(0.09375).raw(), 938);
  EXPECT_EQ(Currency::FromDouble(0.15625).raw(), 1562);
  EXPECT_EQ(Currency::FromDouble(-0.03125).raw(), -312);
  EXPECT_EQ(Currency::FromDouble(-0.09375).raw(), -938);
  // Not half: the nearest count wins.
  EXPECT_EQ(Currency::FromDouble(0.00006).raw(), 1);
  EXPECT_EQ(Currency::FromDouble(-0.00004).raw(), 0);
  EXPECT_EQ(Currency::FromDouble(2000.0 / 3.0).raw(), 6666667);
}

TEST(CurrencyTest, FromDoubleRejectsValuesOutOfRange) {
  // The largest double below 2^63 / 10000 fits; 2^63 / 10000 does not.
  EXPECT_EQ(Currency::FromDouble(-922337203685477.5808).raw(), kMin);
  EXPECT_THROW(Currency::FromDouble(922337203685477.5808), ArithmeticError);
  EXPECT_THROW(Currency::FromDouble(1e300), ArithmeticError);
  EXPECT_THROW(Currency::FromDouble(-1e300), ArithmeticError);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::quiet_NaN()), ArithmeticError);
  EXPECT_THROW(Currency::FromDouble(std::numeric_limits<double>::infinity()), ArithmeticError);
}

TEST(CurrencyTest, ToDoubleDividesOnce) {
  EXPECT_EQ(Raw(123456).ToDouble(), 12.3456);
  EXPECT_EQ(Raw(1).ToDouble(), 1 / 10000.0);
  EXPECT_EQ(Raw(-7).ToDouble(), -0.0007);
  // 0.0003 is not 3 * 0.0001 in double precision.
  EXPECT_EQ(Raw(3).ToDouble(), 0.0003);
}

TEST(CurrencyTest, FromWholeScalesAndChecks) {
  EXPECT_EQ(Currency::FromWhole(12).raw(), 120000);
  EXPECT_EQ(Currency::FromWhole(-3).raw(), -30000);
  EXPECT_EQ(Currency::FromWhole(kMax / 10000).raw(), kMax / 10000 * 10000);
  EXPECT_THROW(Currency::FromWhole(kMax / 10000 + 1), ArithmeticError);
  EXPECT_THROW(Currency::FromWhole(kMin / 10000 - 1), ArithmeticError);
}

TEST(CurrencyTest, SumsAreExactAndChecked) {
  EXPECT_EQ((Raw(1) + Raw(2)).raw(), 3);
  EXPECT_EQ((Raw(1) - Raw(2)).raw(), -1);
  Currency total;
  for (int i = 0; i < 10; ++i) total += Currency::FromDouble(0.1);
  EXPECT_EQ(total, Currency::FromWhole(1));
  EXPECT_EQ((Raw(kMax) + Raw(kMin)).raw(), -1);
  EXPECT_EQ((Raw(kMax - 1) + Raw(1)).raw(), kMax);
  EXPECT_THROW(Raw(kMax) + Raw(1), ArithmeticError);
  EXPECT_THROW(Raw(kMin) + Raw(-1), ArithmeticError);
  EXPECT_THROW(Raw(kMin) - Raw(1), ArithmeticError);
  EXPECT_THROW(Raw(0) - Raw(kMin), ArithmeticError);
  Currency running = Raw(kMax);
  EXPECT_THROW(running += Raw(1), ArithmeticError);
  EXPECT_EQ(running.raw(), kMax);  // a failed sum leaves the total as it was
}

TEST(CurrencyTest, ProductsRoundToFourDecimalsHalvesToEven) {
  EXPECT_EQ((Currency::FromWhole(3) * Currency::FromDouble(1.5)).raw(), 45000);
  EXPECT_EQ((Currency::FromDouble(-2) * Currency::FromDouble(1.25)).raw(), -25000);
  // 0.0001 * 0.5 = 0.00005: half a count, to the even 0; 0.0003 * 0.5 to 0.0002.
  EXPECT_EQ((Raw(1) * Raw(5000)).raw(), 0);
  EXPECT_EQ((Raw(3) * Raw(5000)).raw(), 2);
  EXPECT_EQ((Raw(-3) * Raw(5000)).raw(), -2);
  EXPECT_EQ((Raw(-1) * Raw(5000)).raw(), 0);
  EXPECT_EQ((Raw(5) * Raw(5000)).raw(), 2);
  EXPECT_EQ((Raw(7) * Raw(5000)).raw(), 4);
  // Not half: nearest.
  EXPECT_EQ((Raw(1) * Raw(5001)).raw(), 1);
  EXPECT_EQ((Raw(-1) * Raw(4999)).raw(), 0);
  // 52.178 weeks times a large cost: the exact product, no double rounding.
  EXPECT_EQ((Currency::FromDouble(52.178) * Raw(123456789012347)).raw(), 6441728337086242);
}

TEST(CurrencyTest, ProductsBeyondTheRangeThrow) {
  EXPECT_EQ((Raw(kMax) * Currency::FromWhole(1)).raw(), kMax);
  EXPECT_EQ((Raw(kMin) * Currency::FromWhole(1)).raw(), kMin);
  EXPECT_THROW(Raw(kMin) * Currency::FromWhole(-1), ArithmeticError);
  EXPECT_THROW(Raw(kMax) * Raw(kMax), ArithmeticError);
  EXPECT_THROW(Raw(kMin) * Raw(kMin), ArithmeticError);
  EXPECT_THROW(Currency::FromWhole(1000000000) * Currency::FromWhole(1000000000), ArithmeticError);
}

TEST(CurrencyTest, TextShowsTheExactValue) {
  EXPECT_EQ(CurrencyText(Raw(0)), "0.0000");
  EXPECT_EQ(CurrencyText(Raw(-123400)), "-12.3400");
  EXPECT_EQ(CurrencyText(Raw(7)), "0.0007");
  EXPECT_EQ(CurrencyText(Raw(kMin)), "-922337203685477.5808");
  EXPECT_EQ(CurrencyText(Raw(kMax)), "922337203685477.5807");
}

TEST(CheckedMathTest, AddInt32) {
  EXPECT_EQ(AddInt32(2, 3), 5);
  EXPECT_EQ(AddInt32(2147483646, 1), 2147483647);
  EXPECT_EQ(AddInt32(-2147483647 - 1, 2147483647), -1);
  EXPECT_THROW(AddInt32(2147483647, 1), ArithmeticError);
  EXPECT_THROW(AddInt32(-2147483647 - 1, -1), ArithmeticError);
}

TEST(CheckedMathTest, RoundToInt32HalvesToEven) {
  EXPECT_EQ(RoundToInt32(2.5), 2);
  EXPECT_EQ(RoundToInt32(3.5), 4);
  EXPECT_EQ(RoundToInt32(-2.5), -2);
  EXPECT_EQ(RoundToInt32(-3.5), -4);
  EXPECT_EQ(RoundToInt32(0.49999999999999994), 0);
  EXPECT_EQ(RoundToInt32(2.5000000000000004), 3);
  EXPECT_EQ(RoundToInt32(-0.4), 0);
  EXPECT_EQ(RoundToInt32(2147483647.4), 2147483647);
  EXPECT_EQ(RoundToInt32(-2147483648.5), -2147483647 - 1);
  EXPECT_THROW(RoundToInt32(2147483647.5), ArithmeticError);
  EXPECT_THROW(RoundToInt32(-2147483649.0), ArithmeticError);
  EXPECT_THROW(RoundToInt32(std::numeric_limits<double>::quiet_NaN()), ArithmeticError);
  EXPECT_THROW(RoundToInt32(-std::numeric_limits<double>::infinity()), ArithmeticError);
}

TEST(CheckedMathTest, RoundHalfToEvenKeepsLargeAndSpecialValues) {
  EXPECT_EQ(RoundHalfToEven(4503599627370497.0), 4503599627370497.0);  // 2^52 + 1, odd
  EXPECT_EQ(RoundHalfToEven(1e300), 1e300);
  EXPECT_EQ(RoundHalfToEven(-0.5), 0.0);
  EXPECT_TRUE(std::isnan(RoundHalfToEven(std::numeric_limits<double>::quiet_NaN())));
}

TEST(CheckedMathTest, DivideByZeroNamesTheFigure) {
  EXPECT_EQ(Divide(1.0, 4.0, "x"), 0.25);
  try {
    Divide(1.0, 0.0, "the margin percentage");
    FAIL() << "no error";
  } catch (const ArithmeticError& e) {
    EXPECT_STREQ(e.what(), "division by zero in the margin percentage");
  }
  EXPECT_THROW(Divide(0.0, -0.0, "x"), ArithmeticError);
}

}  // namespace
}  // namespace sarvilax
