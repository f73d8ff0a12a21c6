// The period passes over the journal: each sums one period's customers,
// sale rows, net sales, cost and margin.
#ifndef SARVILAX_FIGURES_PERIOD_PASS_H_
#define SARVILAX_FIGURES_PERIOD_PASS_H_

#include <cstdint>
#include <string>

#include "core/ole_date.h"
#include "figures/report_figures.h"
#include "figures/stock_work_file.h"
#include "posdata/data_files.h"
#include "posdata/records.h"
#include "ui/window.h"

namespace sarvilax {

// The net sale of a sale row and its cost, as the period sums take them.
struct SaleRow {
  Currency netSale;  // unit price × quantity without VAT
  Currency cost;     // unit cost × quantity
  Currency margin;   // net sale − cost
};

// net sale = unit price × quantity / (VAT / 100 + 1) in double precision,
// converted to Currency. A VAT of −100 % has no divisor: ArithmeticError.
SaleRow PriceSaleRow(const JournalRecord& row);

// Sums journal records first..last (inclusive; nothing when last < first)
// into figures, under the window caption. When work_file is given, every
// sale row is also added to its product's StockWorkRecord, found through
// the index; the changed work records are written when the pass ends.
// Throws ArithmeticError (naming the row) on an overflow or a VAT of −100 %.
void RunPeriodPass(DataFiles& files, Window& window, const std::string& caption, int64_t first,
                   int64_t last, PeriodFigures& figures, StockWorkFile* work_file);

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_PERIOD_PASS_H_
