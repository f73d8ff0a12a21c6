// The figures of a report run and its Top-20 work file as the plainest
// reading of the data files gives them: every index entry, product record
// and chain row read on its own, every journal row of every period read on
// its own, Currency's own arithmetic, the work records updated sale by sale,
// and every line of the list sorted with one stable sort. The report run's
// passes read in blocks, walk all chains together and keep the work file in
// memory; their results must be exactly these.
#ifndef SARVILAX_TESTS_RECORD_BY_RECORD_H_
#define SARVILAX_TESTS_RECORD_BY_RECORD_H_

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/checked_math.h"
#include "core/cp1252.h"
#include "core/number_format.h"
#include "figures/report_figures.h"
#include "figures/stock_work_file.h"
#include "posdata/data_files.h"
#include "posdata/lookups.h"
#include "reports/report_plan.h"

namespace sarvilax::testing {

struct RecordByRecordResult {
  ReportFigures figures;  // the four periods and the stock; no ratios
  std::string top_list;   // Sarvilax.Txt, sorted
};

namespace record_by_record {

inline int32_t FindIndexEntry(DataFiles& files, const ProductCode& code) {
  for (int attempt = 0; attempt < 4; ++attempt) {
    int32_t low = 1, high = files.index().CountRecords();
    while (low <= high) {
      const int32_t mid = low + (high - low) / 2;
      const ProductCode entry = files.ReadIndexEntry(mid).code;
      const int order = std::lexicographical_compare(
                            entry.begin(), entry.end(), code.begin(), code.end(),
                            [](char a, char b) {
                              return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
                            })
                            ? -1
                            : (entry == code ? 0 : 1);
      if (order == 0) return mid;
      if (order < 0) {
        low = mid + 1;
      } else {
        high = mid - 1;
      }
    }
  }
  return 0;
}

inline void AddStock(const ProductRecord& p, int32_t& products, Currency& value) {
  if (p.stockQuantity.IsZero()) return;
  products = AddInt32(products, 1);
  value += p.stockQuantity * p.unitCost;
}

inline void Pass(DataFiles& files, int64_t first, int64_t last, PeriodFigures& f,
                 std::vector<StockWorkRecord>* work) {
  bool pending = false;
  for (int64_t k = first; k <= last; ++k) {
    const JournalRecord row = files.ReadJournalRow(k);
    const char type = ToUpperCp1252(row.rowType);
    if (type == 'A') {
      if (pending) f.customers = AddInt32(f.customers, 1);
      pending = false;
    } else if (type == 'M') {
      pending = true;
      const Currency gross = row.unitPrice * row.quantity;
      const Currency net = Currency::FromDouble(
          Divide(gross.ToDouble(), row.vatPercent / 100.0 + 1, "the VAT of a sale row"));
      const Currency cost = row.unitCost * row.quantity;
      const Currency margin = net - cost;
      f.salesRows = AddInt32(f.salesRows, 1);
      f.netSales += net;
      if (!cost.IsZero()) {
        f.costedNetSales += net;
        f.margin += margin;
      }
      f.cost += cost;
      if (work == nullptr) continue;
      const int32_t n = FindIndexEntry(files, row.productCode);
      if (n <= 0) continue;
      if (static_cast<size_t>(n) > work->size()) {
        // A record past the end of the work file reads as zero bytes.
        StockWorkRecord zero;
        zero.code.fill('\0');
        zero.name.fill('\0');
        work->resize(n, zero);
      }
      StockWorkRecord& record = (*work)[n - 1];
      record.quantitySold += row.quantity;
      record.netSales += net;
      if (!cost.IsZero()) record.margin += margin;
    }
  }
}

inline std::string TopListLine(const StockWorkRecord& r) {
  std::string line(r.code.begin(), r.code.end());
  line += ' ';
  line.append(r.name.begin(), r.name.end());
  line += RightAlign(FormatNumber(r.quantitySold, NumberPattern::kWhole), 10);
  line += RightAlign(DecimalPoint(FormatNumber(r.netSales, NumberPattern::kTwoDecimals)), 11);
  line += RightAlign(DecimalPoint(FormatNumber(r.margin, NumberPattern::kTwoDecimals)), 9);
  line +=
      r.netSales.IsZero()
          ? RightAlign("0.0", 5)
          : RightAlign(DecimalPoint(FormatNumber(r.margin.ToDouble() / r.netSales.ToDouble() * 100,
                                                 NumberPattern::kOneDecimal)),
                       5);
  return line;
}

inline std::string SortedTopList(const std::vector<StockWorkRecord>& work) {
  std::vector<std::pair<double, std::string>> lines;
  for (const StockWorkRecord& r : work) {
    if (std::all_of(r.code.begin(), r.code.end(), [](char c) { return c == ' ' || c == '\0'; })) {
      continue;
    }
    const std::string line = TopListLine(r);
    lines.emplace_back(ParseNumberField(std::string_view(line).substr(49, 11)), line);
  }
  std::stable_sort(lines.begin(), lines.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::string text;
  for (const auto& line : lines) text += line.second + "\r\n";
  return text;
}

}  // namespace record_by_record

// The figures of plan over the data files at data_directory, opened through
// env (a product name holding a line break is not expected here).
inline RecordByRecordResult ComputeRecordByRecord(Env& env, const std::string& data_directory,
                                                  const ReportPlan& plan) {
  using namespace record_by_record;
  RecordByRecordResult result;
  DataFiles files = DataFiles::Open(env, data_directory);
  StockFigures& stock = result.figures.stock;
  std::vector<StockWorkRecord> work;
  const int32_t count = files.index().CountRecords();
  for (int32_t i = 1; i <= count; ++i) {
    StockWorkRecord record;
    const ProductIndexRecord entry = files.ReadIndexEntry(i);
    ProductRecord product = files.ReadProduct(entry.productRecord);
    if (entry.IsLive()) {
      record.code = product.code;
      record.name = product.name;
      AddStock(product, stock.stockedProducts, stock.stockValue);
      StockAtDate(files, product, plan.comparison_date);
      AddStock(product, stock.stockedProductsYearAgo, stock.stockValueYearAgo);
    }
    work.push_back(record);
  }
  for (int c = 0; c < kColumns; ++c) {
    const PeriodPlan& period = plan.periods[c];
    const int64_t first = FindFirstJournalRow(files, period.start);
    const int64_t last =
        period.end ? FindFirstJournalRow(files, *period.end) - 1 : files.journal().CountRecords();
    Pass(files, first, last, result.figures.periods[c], c == kThisPeriod ? &work : nullptr);
  }
  result.top_list = SortedTopList(work);
  return result;
}

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_RECORD_BY_RECORD_H_
