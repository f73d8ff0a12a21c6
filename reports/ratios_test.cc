#include "reports/ratios.h"

#include <gtest/gtest.h>

#include "tests/shop_builder.h"

namespace sarvilax {
namespace {

using testing::C;

TEST(RatiosTest, DerivesEachFigureOnlyWhenItsDivisorIsThere) {
  ReportFigures f;
  f.periods[0] = {3, 5, C(100), C(80), C(20), C(60)};
  f.periods[1] = {0, 0, C(50), C(-10), C(5), C(0)};  // no customers, costed sales below zero
  f.periods[2] = {3, 5, C(100), C(80), C(20), C(1000)};
  f.periods[3] = {3, 5, C(100), C(80), C(20), C(1000)};
  f.stock = {10, C(2000), 9, C(0)};
  DeriveRatios(f, {Annualising::ShortPeriod::kWeek, 73.05, 0});
  EXPECT_EQ(f.averagePurchase[0], C(33.3333));
  EXPECT_EQ(f.averagePurchase[1], Currency());
  EXPECT_EQ(f.marginPercent[0], C(25));
  EXPECT_EQ(f.marginPercent[1], Currency());
  // 365.25 / (60 × 52.178 / 2000) = 233.34 → 233
  EXPECT_EQ(f.turnoverDays[0], 233);
  EXPECT_EQ(f.turnoverDays[1], 0);  // no cost and no stock a year ago
  // factor 365.25 / 73.05 = 5; 365.25 / (5 × 1000 / 2000) = 146.1
  EXPECT_EQ(f.annualisingFactorYearToDate, C(5));
  EXPECT_EQ(f.turnoverDays[2], 146);
  // No time since 1 January: no factor, and no division by zero.
  EXPECT_EQ(f.annualisingFactorLastYearToDate, Currency());
  EXPECT_EQ(f.turnoverDays[3], 0);

  DeriveRatios(f, {Annualising::ShortPeriod::kMonth, 73.05, 73.05});
  EXPECT_EQ(f.turnoverDays[0], 1015);  // 365.25 / (60 × 12 / 2000) = 1014.58
}

}  // namespace
}  // namespace sarvilax
