// The stock valuation pass: one pass over the product index that values the
// stock now and at the comparison date, and writes one StockWorkRecord per
// index entry.
#ifndef SARVILAX_FIGURES_STOCK_PASS_H_
#define SARVILAX_FIGURES_STOCK_PASS_H_

#include "core/ole_date.h"
#include "figures/report_figures.h"
#include "figures/stock_work_file.h"
#include "posdata/data_files.h"
#include "ui/window.h"

namespace sarvilax {

inline constexpr char kStockPassCaption[] = "Lasketaan varastot";

// REQUIRES: work_file is empty. Adds into stock (which starts at zero for
// each run). The product record of every entry is read, live or not, so an
// entry whose product record number is below 1 throws Error; an overflow of
// a count or a value throws ArithmeticError.
void RunStockPass(DataFiles& files, StockWorkFile& work_file, Window& window,
                  OleDate comparison_date, StockFigures& stock);

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_STOCK_PASS_H_
