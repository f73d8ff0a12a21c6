#include "figures/stock_pass.h"

#include "core/checked_math.h"
#include "core/error.h"
#include "posdata/lookups.h"

namespace sarvilax {
namespace {

// Counts a product with stock (negative stock included) and adds its value.
void AddStock(const ProductRecord& product, int32_t& products, Currency& value) {
  if (product.stockQuantity.IsZero()) return;
  products = AddInt32(products, 1);
  value += product.stockQuantity * product.unitCost;
}

}  // namespace

void RunStockPass(DataFiles& files, StockWorkFile& work_file, Window& window,
                  OleDate comparison_date, StockFigures& stock) {
  window.SetPhase(kStockPassCaption);
  const int32_t count = files.index().CountRecords();
  for (int32_t i = 1; i <= count; ++i) {
    StockWorkRecord work;
    const ProductIndexRecord entry = files.ReadIndexEntry(i);
    ProductRecord product = files.ReadProduct(entry.productRecord);
    if (entry.IsLive()) {
      work.code = product.code;
      work.name = product.name;
      try {
        AddStock(product, stock.stockedProducts, stock.stockValue);
        StockAtDate(files, product, comparison_date);
        AddStock(product, stock.stockedProductsYearAgo, stock.stockValueYearAgo);
      } catch (const ArithmeticError& e) {
        throw ArithmeticError(std::string(e.what()) + " in the stock value at index entry " +
                              std::to_string(i) + " of " + files.index().path());
      }
    }
    work_file.Append(work);
    window.SetProgress(ProgressPercent(i, count));
  }
  work_file.Flush();
}

}  // namespace sarvilax
