// The ratio figures of a report, derived from its sums just before the
// message is laid out: average purchase, margin percentage, turnover days.
#ifndef SARVILAX_REPORTS_RATIOS_H_
#define SARVILAX_REPORTS_RATIOS_H_

#include "figures/report_figures.h"

namespace sarvilax {

// How a column's cost of sales becomes a year's cost for the turnover days.
struct Annualising {
  // Columns 1 and 2: a week's cost × 52.178, or a month's cost × 12.
  enum class ShortPeriod { kWeek, kMonth } short_period = ShortPeriod::kWeek;
  // Columns 3 and 4: cost × 365.25 / these elapsed days since 1 January.
  // Zero elapsed days (a run at 00:00:00 on 1 January) has no factor: that
  // column's turnover days stay 0.
  double year_to_date_days = 0;
  double last_year_to_date_days = 0;
};

// Fills the derived fields of figures. Throws ArithmeticError when a result
// leaves its type's range.
void DeriveRatios(ReportFigures& figures, const Annualising& annualising);

}  // namespace sarvilax

#endif  // SARVILAX_REPORTS_RATIOS_H_
