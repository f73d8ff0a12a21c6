#include "figures/stock_pass.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/error.h"
#include "figures/currency_ops.h"
#include "figures/pass_progress.h"
#include "posdata/record_visit.h"
#include "posdata/stock_walk.h"

namespace sarvilax {
namespace {

// Counts a product with stock (negative stock included) and adds its value.
void AddStock(Currency quantity, Currency unit_cost, int32_t& products, Currency& value) {
  if (quantity.IsZero()) return;
  products = currency_ops::AddOne(products);
  value = currency_ops::Add(value, currency_ops::Multiply(quantity, unit_cost));
}

// What the pass keeps of the index entries, one element per entry.
struct Entries {
  std::vector<int32_t> productRecord;
  std::vector<char> live;
  // The product's stock and cost now, and its newest journal row; the walk
  // turns them into those at the comparison date, kept in yearAgo.
  std::vector<StockAtDateQuery> now;
  std::vector<StockAtDateQuery> yearAgo;
  // Sarvilax.Dat as the pass writes it: code and name of each live entry's
  // product, spaces for the others, zero amounts.
  std::string work;
};

void ReadIndex(DataFiles& files, int32_t count, Entries& entries) {
  std::vector<char> bytes(static_cast<size_t>(count) * index_layout::kLength);
  if (count > 0) files.index().ReadRecords(1, count, bytes.data());
  entries.productRecord.resize(count);
  entries.live.resize(count);
  for (int32_t i = 0; i < count; ++i) {
    const ProductIndexRecord entry =
        DecodeIndexRecord(bytes.data() + ptrdiff_t{i} * index_layout::kLength);
    entries.productRecord[i] = entry.productRecord;
    entries.live[i] = entry.IsLive();
  }
}

// The entries up to the first whose product record number is below 1: the
// pass reads every entry's product record, so that entry ends it.
size_t UsableEntries(const Entries& entries) {
  const auto bad = std::find_if(entries.productRecord.begin(), entries.productRecord.end(),
                                [](int32_t record) { return record < 1; });
  return static_cast<size_t>(bad - entries.productRecord.begin());
}

void ReadProducts(DataFiles& files, size_t usable, Entries& entries) {
  using namespace product_layout;
  entries.now.resize(usable);
  entries.work.assign(usable * stock_work_layout::kLength, '\0');
  std::vector<int32_t> numbers(entries.productRecord.begin(),
                               entries.productRecord.begin() + usable);
  VisitRecords(files.products(), numbers, [&](size_t i, const char* product) {
    char* work = entries.work.data() + i * stock_work_layout::kLength;
    if (entries.live[i]) {
      std::copy_n(product + kCode, ProductCode().size(), work + stock_work_layout::kCode);
      std::copy_n(product + kName, ProductName().size(), work + stock_work_layout::kName);
      entries.now[i] = {LoadField<int32_t>(product + kLastJournalRow),
                        LoadCurrency(product + kStockQuantity), LoadCurrency(product + kUnitCost)};
    } else {
      std::fill_n(work + stock_work_layout::kCode, stock_work_layout::kQuantitySold, ' ');
    }
  });
}

}  // namespace

// The entries are read first, then their product records, then all chains
// are walked together; the figures and the work file are made last, in
// index order, so that they and any error are those of taking the entries
// one at a time.
void RunStockPass(DataFiles& files, StockWorkFile& work_file, Window& window,
                  OleDate comparison_date, StockFigures& stock) {
  window.SetPhase(kStockPassCaption);
  const int32_t count = files.index().CountRecords();
  Entries entries;
  ReadIndex(files, count, entries);
  const size_t usable = UsableEntries(entries);
  ReadProducts(files, usable, entries);
  entries.yearAgo = entries.now;  // entries not live have no chain to walk
  StocksAtDate(files, entries.yearAgo, comparison_date);

  PassProgress progress(window, count);
  for (size_t i = 0; i < usable; ++i) {
    if (entries.live[i]) {
      const StockAtDateQuery& now = entries.now[i];
      const StockAtDateQuery& year_ago = entries.yearAgo[i];
      try {
        AddStock(now.stockQuantity, now.unitCost, stock.stockedProducts, stock.stockValue);
        AddStock(year_ago.stockQuantity, year_ago.unitCost, stock.stockedProductsYearAgo,
                 stock.stockValueYearAgo);
      } catch (const ArithmeticError& error) {
        throw ArithmeticError(std::string(error.what()) + " in the stock value at index entry " +
                              std::to_string(i + 1) + " of " + files.index().path());
      }
    }
    progress.Done(static_cast<int64_t>(i) + 1);
  }
  work_file.AppendRecords(std::move(entries.work));
  work_file.Flush();
  if (usable < entries.productRecord.size()) {
    files.products().CheckRecordNumber(entries.productRecord[usable]);
  }
}

}  // namespace sarvilax
