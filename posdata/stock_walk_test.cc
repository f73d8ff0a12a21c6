#include "posdata/stock_walk.h"

#include <gtest/gtest.h>

#include <random>

#include "core/memory_env.h"
#include "posdata/lookups.h"
#include "tests/shop_builder.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::ShopBuilder;

// Every query of the walk against StockAtDate for the same product.
void ExpectSameAsOneByOne(DataFiles& files, std::vector<StockAtDateQuery> queries, OleDate moment) {
  std::vector<StockAtDateQuery> walked = queries;
  StocksAtDate(files, walked, moment);
  for (size_t q = 0; q < queries.size(); ++q) {
    ProductRecord product;
    product.lastJournalRow = queries[q].lastJournalRow;
    product.stockQuantity = queries[q].stockQuantity;
    product.unitCost = queries[q].unitCost;
    StockAtDate(files, product, moment);
    EXPECT_EQ(walked[q].stockQuantity, product.stockQuantity)
        << "query " << q << " from row " << queries[q].lastJournalRow << " at " << moment;
    EXPECT_EQ(walked[q].unitCost, product.unitCost) << "query " << q;
  }
}

TEST(StocksAtDateTest, GivesWhatStockAtDateGivesForEveryChain) {
  // 400 products over 60 000 rows: the newest parts of the journal are
  // walked by hundreds of chains at once, the oldest by a few.
  std::mt19937 random(7);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution(low, high)(random); };
  ShopBuilder shop;
  constexpr int kProducts = 400;
  for (int p = 0; p < kProducts; ++p) shop.AddProduct("P" + std::to_string(p), "", pick(-3, 30));
  for (int row = 1; row <= 60000; ++row) {
    // Popular products often, the last ones only now and then.
    const int p = pick(0, 9) == 0 ? pick(0, kProducts - 1) : pick(0, 39);
    const char type = "MMMMMMOVvHA"[pick(0, 10)];
    shop.AddRow(type, 1000 + row / 100.0, "P" + std::to_string(p), 0, 1, pick(0, 50),
                pick(100, 900) / 100.0);
  }
  // Chains the point-of-sale program broke: a row linking to itself, to a
  // newer row, past the end; and rows dated out of order.
  shop.Row(59990).previousProductRow = 59990;
  shop.Row(59000).previousProductRow = 59500;
  shop.Row(58000).previousProductRow = 70000;
  shop.Row(20000).date = 1590;
  shop.Row(20001).date = 1100;
  MemoryEnv env;
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");

  std::vector<StockAtDateQuery> queries;
  for (int p = 1; p <= kProducts; ++p) {
    const ProductRecord& product = shop.Product(p);
    queries.push_back({product.lastJournalRow, product.stockQuantity, C(p % 7)});
  }
  // Two index entries of one product walk one chain; newest rows beyond
  // the end of the journal, and none at all.
  queries.push_back(queries[0]);
  queries.push_back({65000, C(4), C(1)});
  queries.push_back({0, C(5), C(1)});
  queries.push_back({-3, C(6), C(1)});
  queries.push_back({59990, C(7), C(1)});
  queries.push_back({59000, C(8), C(1)});
  queries.push_back({58000, C(9), C(1)});
  for (OleDate moment : {0.0, 1000.0, 1150.0, 1199.995, 1400.0, 1590.0, 1595.5, 1600.0, 1700.0}) {
    ExpectSameAsOneByOne(files, queries, moment);
  }
  std::vector<StockAtDateQuery> none;
  StocksAtDate(files, none, 1500);
}

TEST(StocksAtDateTest, TheExamplesOfASingleChain) {
  ShopBuilder shop;
  shop.AddProduct("A", "", 2, 9.00);
  shop.AddRow('M', 10, "A", 0, 1, 1, 1.00);  // row 1, before the moment
  shop.AddRow('V', 30, "A", 0, 1, 9, 3.00);  // row 2, walked through
  shop.AddRow('M', 50, "A", 0, 1, 7, 2.50);  // row 3
  MemoryEnv env;
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  std::vector<StockAtDateQuery> queries = {{3, C(2), C(9)}, {3, C(2), C(9)}};
  StocksAtDate(files, queries, 20);
  EXPECT_EQ(queries[0].stockQuantity, C(7));
  EXPECT_EQ(queries[0].unitCost, C(2.50));
  queries = {{3, C(2), C(9)}};
  StocksAtDate(files, queries, 5);  // the oldest row is after the moment
  EXPECT_EQ(queries[0].stockQuantity, C(0));
  EXPECT_EQ(queries[0].unitCost, C(0));
}

}  // namespace
}  // namespace sarvilax
