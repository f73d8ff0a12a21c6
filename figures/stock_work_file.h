// Sarvilax.Dat: one 62-byte StockWorkRecord per entry of the product index,
// in index order. The stock pass writes it, the current period's pass adds
// each product's sales into it, and the Top-20 list is built from it.
#ifndef SARVILAX_FIGURES_STOCK_WORK_FILE_H_
#define SARVILAX_FIGURES_STOCK_WORK_FILE_H_

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "core/currency.h"
#include "core/env.h"
#include "posdata/records.h"

namespace sarvilax {

inline constexpr char kStockWorkFileName[] = "Sarvilax.Dat";

namespace stock_work_layout {
inline constexpr int kLength = 62;
inline constexpr int kCode = 0;           // Text(13)
inline constexpr int kName = 13;          // Text(25)
inline constexpr int kQuantitySold = 38;  // Currency
inline constexpr int kNetSales = 46;      // Currency
inline constexpr int kMargin = 54;        // Currency
}  // namespace stock_work_layout

struct StockWorkRecord {
  ProductCode code = PadText<13>("");
  ProductName name = PadText<25>("");
  Currency quantitySold;
  Currency netSales;
  Currency margin;
};

void EncodeStockWorkRecord(const StockWorkRecord& record, char* bytes);
StockWorkRecord DecodeStockWorkRecord(const char* bytes);

// The file is kept in memory as well, as this object has written it: it is
// the program's own work file, which nothing else writes. Reads come from
// memory; changes are written to the file by Flush() (appends also a
// megabyte at a time), so that the current period's pass, which adds each
// sale row to its product's record, writes the records it changed in one go.
class StockWorkFile {
 public:
  // Deletes any Sarvilax.Dat left by an earlier run and creates it empty.
  // Throws Error when it cannot be created.
  explicit StockWorkFile(Env& env);
  ~StockWorkFile();

  // Appends the next record.
  void Append(const StockWorkRecord& record);
  // Appends the next records, given as their bytes (62 each).
  void AppendRecords(std::string_view records);
  // The same, taking over the bytes of the first records.
  void AppendRecords(std::string&& records);
  // Writes every change not yet written. Throws Error when the write fails.
  void Flush();
  // Record n (1-based); bytes past the end read as zero.
  StockWorkRecord Read(int64_t n);
  // Writes record n at once, growing the file with zero bytes as needed.
  void Write(int64_t n, const StockWorkRecord& record);
  // Adds a sale to record n as Read, adding to quantitySold, netSales and
  // (when given) margin in that order, and Write would, but written only by
  // the next Flush(). An overflow throws ArithmeticError and leaves the
  // record as it was.
  void AddSale(int64_t n, Currency quantity, Currency net_sale, std::optional<Currency> margin);
  // The length / 62, rounded to nearest, halves to even.
  int32_t CountRecords();
  // The bytes of records 1..count (fewer when the file holds fewer) after a
  // Flush(). Valid until the next change.
  std::string_view Records(int32_t count);

 private:
  // Record n in image_, grown with zero bytes when the file is shorter.
  char* RecordAt(int64_t n);
  void MarkChanged(size_t begin, size_t end);

  std::unique_ptr<WritableFile> file_;
  std::string image_;  // the file's bytes as this object has made them
  // The bytes of image_ not yet written: [changed_begin_, changed_end_).
  size_t changed_begin_ = 0;
  size_t changed_end_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_STOCK_WORK_FILE_H_
