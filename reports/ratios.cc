#include "reports/ratios.h"

#include "core/checked_math.h"

namespace sarvilax {
namespace {

constexpr double kDaysInYear = 365.25;
constexpr double kWeeksInYear = 52.178;

Currency AnnualisingFactor(double elapsed_days) {
  if (elapsed_days == 0) return Currency();
  return Currency::FromDouble(kDaysInYear / elapsed_days);
}

double ShortPeriodAnnualCost(Currency cost, Annualising::ShortPeriod period) {
  if (period == Annualising::ShortPeriod::kWeek) return cost.ToDouble() * kWeeksInYear;
  return (cost * Currency::FromWhole(12)).ToDouble();
}

// 365.25 / (annual cost / stock value), or 0 when a figure is missing.
int32_t TurnoverDays(double annual_cost, Currency cost, Currency stock_value) {
  if (cost.IsZero() || stock_value.IsZero() || annual_cost == 0) return 0;
  return RoundToInt32(kDaysInYear / (annual_cost / stock_value.ToDouble()));
}

}  // namespace

void DeriveRatios(ReportFigures& f, const Annualising& annualising) {
  f.annualisingFactorYearToDate = AnnualisingFactor(annualising.year_to_date_days);
  f.annualisingFactorLastYearToDate = AnnualisingFactor(annualising.last_year_to_date_days);
  for (int c = 0; c < kColumns; ++c) {
    const PeriodFigures& p = f.periods[c];
    if (p.customers > 0) {
      f.averagePurchase[c] = Currency::FromDouble(p.netSales.ToDouble() / p.customers);
    }
    if (p.costedNetSales > Currency()) {
      f.marginPercent[c] =
          Currency::FromDouble(p.margin.ToDouble() / p.costedNetSales.ToDouble() * 100);
    }
  }
  const Currency now = f.stock.stockValue;
  const Currency year_ago = f.stock.stockValueYearAgo;
  const auto& p = f.periods;
  f.turnoverDays[kThisPeriod] =
      TurnoverDays(ShortPeriodAnnualCost(p[kThisPeriod].cost, annualising.short_period),
                   p[kThisPeriod].cost, now);
  f.turnoverDays[kLastYearPeriod] =
      TurnoverDays(ShortPeriodAnnualCost(p[kLastYearPeriod].cost, annualising.short_period),
                   p[kLastYearPeriod].cost, year_ago);
  f.turnoverDays[kYearToDate] = TurnoverDays(
      (f.annualisingFactorYearToDate * p[kYearToDate].cost).ToDouble(), p[kYearToDate].cost, now);
  f.turnoverDays[kLastYearToDate] =
      TurnoverDays((f.annualisingFactorLastYearToDate * p[kLastYearToDate].cost).ToDouble(),
                   p[kLastYearToDate].cost, year_ago);
}

}  // namespace sarvilax
