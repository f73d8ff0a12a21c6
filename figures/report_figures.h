// The figures of one report run. A run fills one ReportFigures and passes it
// on explicitly; the weekly and the monthly run each have their own.
#ifndef SARVILAX_FIGURES_REPORT_FIGURES_H_
#define SARVILAX_FIGURES_REPORT_FIGURES_H_

#include <array>
#include <cstdint>

#include "core/currency.h"

namespace sarvilax {

// The stock now and at the run's comparison date.
struct StockFigures {
  int32_t stockedProducts = 0;  // live entries whose stock quantity is not 0
  Currency stockValue;          // sum of quantity × unit cost over them
  int32_t stockedProductsYearAgo = 0;
  Currency stockValueYearAgo;
  friend bool operator==(const StockFigures&, const StockFigures&) = default;
};

// The sums of one period of the journal.
struct PeriodFigures {
  int32_t customers = 0;    // "A" rows closing at least one "M" row
  int32_t salesRows = 0;    // "M" rows
  Currency netSales;        // VAT excluded
  Currency costedNetSales;  // net sales of the rows whose cost is not 0
  Currency margin;          // net sale − cost over those rows
  Currency cost;            // unit cost × quantity over all "M" rows
  friend bool operator==(const PeriodFigures&, const PeriodFigures&) = default;
};

// The four columns of every table of a report, in order.
enum Column { kThisPeriod = 0, kLastYearPeriod = 1, kYearToDate = 2, kLastYearToDate = 3 };
inline constexpr int kColumns = 4;

struct ReportFigures {
  std::array<PeriodFigures, kColumns> periods;
  StockFigures stock;
  // Derived from the sums just before the message is laid out.
  std::array<Currency, kColumns> averagePurchase;
  std::array<Currency, kColumns> marginPercent;
  std::array<int32_t, kColumns> turnoverDays{};
  Currency annualisingFactorYearToDate;
  Currency annualisingFactorLastYearToDate;
};

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_REPORT_FIGURES_H_
