#include "figures/stock_pass.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/memory_env.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::ShopBuilder;

StockFigures RunOn(MemoryEnv& env, const ShopBuilder& shop, OleDate comparison,
                   RecordingWindow& window) {
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  StockWorkFile work(env);
  StockFigures stock;
  RunStockPass(files, work, window, comparison, stock);
  return stock;
}

TEST(StockPassTest, ValuesStockNowAndAtTheComparisonDate) {
  MemoryEnv env;
  RecordingWindow window;
  ShopBuilder shop;
  shop.AddProduct("A", "Negative", -3, 2.00);  // negative stock counts and lowers the value
  shop.AddProduct("B", "Old", 4, 1.50);        // no row after the comparison date: same both
  shop.AddProduct("C", "Newborn", 2, 10.00);   // first row after the date: nothing a year ago
  shop.AddProduct("D", "Sold out", 0, 5.00);   // nothing now, 3 × 4.00 a year ago
  shop.AddFreeSlot('\x01', 2);                 // a free slot adds nothing
  shop.AddRow('M', 50, "B", 0, 1, 5, 1.50);
  shop.AddRow('M', 100, "D", 0, 1, 9, 9.99);
  shop.AddRow('O', 150, "C", 0, -2, 0, 10.00);
  shop.AddRow('M', 160, "D", 0, 3, 3, 4.00);
  const StockFigures s = RunOn(env, shop, 120, window);
  EXPECT_EQ(s.stockedProducts, 3);
  EXPECT_EQ(s.stockValue, C(-6 + 6 + 20));
  EXPECT_EQ(s.stockedProductsYearAgo, 3);
  EXPECT_EQ(s.stockValueYearAgo, C(-6 + 6 + 12));
  EXPECT_EQ(window.calls.front(), "phase Lasketaan varastot");
  EXPECT_EQ(env.File(kStockWorkFileName).size(), 5u * 62);
}

TEST(StockPassTest, WritesOneRecordPerEntryAndDuplicateEntriesCountTwice) {
  MemoryEnv env;
  RecordingWindow window;
  ShopBuilder shop;
  shop.AddProduct("A", "Kahvi", 2, 3.00);
  shop.AddFreeSlot('\0', 1);
  shop.WriteTo(env);
  // A second index entry for the same product.
  env.File(kIndexFileName) += env.File(kIndexFileName).substr(18, 18);
  DataFiles files = DataFiles::Open(env, "");
  StockWorkFile work(env);
  StockFigures stock;
  RunStockPass(files, work, window, 0, stock);
  EXPECT_EQ(stock.stockedProducts, 2);
  EXPECT_EQ(stock.stockValue, C(12));
  ASSERT_EQ(work.CountRecords(), 3);
  EXPECT_EQ(work.Read(1).code, PadText<13>(""));
  EXPECT_EQ(work.Read(2).name, PadText<25>("Kahvi"));
  EXPECT_EQ(work.Read(3).code, PadText<13>("A"));
  EXPECT_EQ(window.progress_values, (std::vector<float>{100.0f / 3, 200.0f / 3, 100.0f}));
}

TEST(StockPassTest, AProductRecordNumberBelowOneEndsTheRunEvenForAFreeSlot) {
  MemoryEnv env;
  RecordingWindow window;
  ShopBuilder shop;
  shop.AddProduct("A", "Kahvi", 2, 3.00);
  shop.AddFreeSlot('\x01', 0);
  EXPECT_THROW(RunOn(env, shop, 0, window), Error);
}

}  // namespace
}  // namespace sarvilax
