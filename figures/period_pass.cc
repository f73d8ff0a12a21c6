#include "figures/period_pass.h"

#include "core/checked_math.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "posdata/lookups.h"

namespace sarvilax {
namespace {

// Adds a sale to the work record of its product, when the product is in
// the index; a sale of an unknown code counts only in the period sums.
void AddToWorkFile(DataFiles& files, StockWorkFile& work_file, const JournalRecord& row,
                   const SaleRow& sale) {
  const int32_t n = FindProductIndex(files, row.productCode);
  if (n <= 0) return;
  StockWorkRecord work = work_file.Read(n);
  work.quantitySold += row.quantity;
  work.netSales += sale.netSale;
  if (!sale.cost.IsZero()) work.margin += sale.margin;
  work_file.Write(n, work);
}

void AddSale(const SaleRow& sale, PeriodFigures& figures) {
  figures.salesRows = AddInt32(figures.salesRows, 1);
  figures.netSales += sale.netSale;
  if (!sale.cost.IsZero()) {
    figures.costedNetSales += sale.netSale;
    figures.margin += sale.margin;
  }
  figures.cost += sale.cost;
}

}  // namespace

SaleRow PriceSaleRow(const JournalRecord& row) {
  const Currency gross = row.unitPrice * row.quantity;
  const double divisor = row.vatPercent / 100.0 + 1;
  SaleRow sale;
  sale.netSale = Currency::FromDouble(Divide(gross.ToDouble(), divisor, "the VAT of a sale row"));
  sale.cost = row.unitCost * row.quantity;
  sale.margin = sale.netSale - sale.cost;
  return sale;
}

void RunPeriodPass(DataFiles& files, Window& window, const std::string& caption, int64_t first,
                   int64_t last, PeriodFigures& figures, StockWorkFile* work_file) {
  window.SetPhase(caption);
  bool sale_pending = false;
  RecordScanner scanner(files.journal(), first, last);
  int64_t k = first;
  try {
    for (const char* bytes = scanner.Next(); bytes != nullptr; bytes = scanner.Next(), ++k) {
      const char type = ToUpperCp1252(bytes[journal_layout::kRowType]);
      if (type == 'A') {
        if (sale_pending) {
          figures.customers = AddInt32(figures.customers, 1);
          sale_pending = false;
        }
      } else if (type == 'M') {
        sale_pending = true;
        const JournalRecord row = DecodeJournalRecord(bytes);
        const SaleRow sale = PriceSaleRow(row);
        AddSale(sale, figures);
        if (work_file != nullptr) AddToWorkFile(files, *work_file, row, sale);
      }
      window.SetProgress(ProgressPercent(k - first + 1, last - first + 1));
    }
  } catch (const ArithmeticError& e) {
    throw ArithmeticError(std::string(e.what()) + " at journal row " + std::to_string(k) + " of " +
                          files.journal().path() + " (" + caption + ")");
  }
}

}  // namespace sarvilax
