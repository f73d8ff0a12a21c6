// Sarvilax.Dat: one 62-byte StockWorkRecord per entry of the product index,
// in index order. The stock pass writes it, the current period's pass adds
// each product's sales into it, and the Top-20 list is built from it.
#ifndef SARVILAX_FIGURES_STOCK_WORK_FILE_H_
#define SARVILAX_FIGURES_STOCK_WORK_FILE_H_

#include <cstdint>
#include <memory>
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

class StockWorkFile {
 public:
  // Deletes any Sarvilax.Dat left by an earlier run and creates it empty.
  // Throws Error when it cannot be created.
  explicit StockWorkFile(Env& env);
  ~StockWorkFile();

  // Appends the next record; appends are buffered until Flush().
  void Append(const StockWorkRecord& record);
  void Flush();
  // Record n (1-based); bytes past the end read as zero.
  StockWorkRecord Read(int64_t n);
  void Write(int64_t n, const StockWorkRecord& record);
  // The length / 62, rounded to nearest, halves to even.
  int32_t CountRecords();

 private:
  std::unique_ptr<WritableFile> file_;
  std::string pending_;
  int64_t flushed_length_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_STOCK_WORK_FILE_H_
