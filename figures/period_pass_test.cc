#include "figures/period_pass.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/memory_env.h"
#include "figures/stock_pass.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::ShopBuilder;

class PeriodPassTest : public ::testing::Test {
 protected:
  PeriodFigures Pass(int64_t first, int64_t last, StockWorkFile* work_file = nullptr) {
    shop_.WriteTo(env_);
    DataFiles files = DataFiles::Open(env_, "");
    PeriodFigures figures;
    RunPeriodPass(files, window_, "Kuluvan viikon myynti", first, last, figures, work_file);
    return figures;
  }
  PeriodFigures PassAll() { return Pass(1, next_row_ - 1); }
  void Row(char type, double price = 0, double quantity = 0, double cost = 0, int vat = 24,
           const std::string& code = "P") {
    shop_.AddRow(type, next_row_, code, price, quantity, 0, cost, vat);
    ++next_row_;
  }

  MemoryEnv env_;
  ShopBuilder shop_;
  RecordingWindow window_;
  int next_row_ = 1;
};

TEST_F(PeriodPassTest, CountsACustomerAtAnARowThatClosesSales) {
  for (char type : {'M', 'M', 'A', 'A', 'm', 'a', 'X'}) Row(type, 1, 1);
  PeriodFigures f = PassAll();
  EXPECT_EQ(f.customers, 2);  // the second "A" closes no new sale; "m"/"a" count as "M"/"A"
  EXPECT_EQ(f.salesRows, 3);
  EXPECT_EQ(window_.calls.back(), "phase Kuluvan viikon myynti");
  EXPECT_FLOAT_EQ(window_.progress_values.back(), 100.0f);

  // A pass that starts inside a receipt: the "A" before its "M" counts nothing, and
  // the pending sale of the last row is not counted without its "A".
  shop_ = ShopBuilder();
  next_row_ = 1;
  Row('A');
  Row('M', 1, 1);
  f = PassAll();
  EXPECT_EQ(f.customers, 0);
  EXPECT_EQ(f.salesRows, 1);
  EXPECT_EQ(Pass(2, 1).salesRows, 0);  // last below first reads nothing
}

TEST_F(PeriodPassTest, NetSalesWithoutVatAndMarginOnlyForCostedRows) {
  Row('M', 12.40, 2, 6.00, 24);
  PeriodFigures f = PassAll();
  EXPECT_EQ(f.netSales, C(20));
  EXPECT_EQ(f.cost, C(12));
  EXPECT_EQ(f.costedNetSales, C(20));
  EXPECT_EQ(f.margin, C(8));

  Row('M', 12.40, 2, 0, 24);  // uncosted: in net sales only
  Row('M', 10.00, -1, 6, 0);  // a return at VAT 0: net equals gross
  f = PassAll();
  EXPECT_EQ(f.netSales, C(30));
  EXPECT_EQ(f.costedNetSales, C(10));
  EXPECT_EQ(f.margin, C(4));
  EXPECT_EQ(f.cost, C(6));
  EXPECT_EQ(f.salesRows, 3);
}

TEST_F(PeriodPassTest, NetSaleRoundsHalvesToEven) {
  // 0.0062 / 1.24 = 0.005 exactly in decimal, just off it in binary: the double decides.
  JournalRecord row;
  row.unitPrice = C(1);
  row.quantity = C(0.0062);
  row.vatPercent = 24;
  EXPECT_EQ(PriceSaleRow(row).netSale, Currency::FromDouble(0.0062 / 1.24));
  row.unitPrice = C(0.0001);
  row.quantity = C(0.5);  // gross 0.00005 rounds to even: 0.0000
  row.vatPercent = 0;
  EXPECT_EQ(PriceSaleRow(row).netSale, Currency());
}

TEST_F(PeriodPassTest, AVatOfMinusHundredAndOverflowsEndTheRunNamingTheRow) {
  Row('M', 1, 1, 0, 24);
  Row('M', 1, 1, 0, -100);
  try {
    PassAll();
    FAIL() << "a VAT of -100 % was summed";
  } catch (const ArithmeticError& e) {
    EXPECT_NE(std::string(e.what()).find("journal row 2"), std::string::npos) << e.what();
  }
  shop_ = ShopBuilder();
  next_row_ = 1;
  Row('M', 900000000, 900000, 0, 0);  // 8.1e14 fits a Currency; twice it does not
  Row('M', 900000000, 900000, 0, 0);
  Row('M', 900000000, 900000, 0, 0);
  Row('M', 900000000, 900000, 0, 0);
  EXPECT_THROW(PassAll(), ArithmeticError);
}

TEST_F(PeriodPassTest, TheCurrentPeriodAddsEachSaleToItsProductsWorkRecord) {
  shop_.AddProduct("B", "Banaani");
  shop_.AddProduct("A", "Appelsiini");
  Row('M', 12.40, 2, 6.00, 24, "B");
  Row('M', 5.00, 1, 0, 0, "B");    // uncosted: no margin for the product
  Row('M', 3.00, -1, 1, 0, "A");   // a return lowers the quantity sold
  Row('M', 3.00, 1, 1, 0, "ZZZ");  // not in the index: period sums only
  shop_.WriteTo(env_);
  DataFiles files = DataFiles::Open(env_, "");
  StockWorkFile work(env_);
  StockFigures stock;
  RunStockPass(files, work, window_, 0, stock);
  PeriodFigures f;
  RunPeriodPass(files, window_, "x", 1, 4, f, &work);
  EXPECT_EQ(f.netSales, C(25));
  const StockWorkRecord a = work.Read(1), b = work.Read(2);  // index order: A, B
  EXPECT_EQ(a.quantitySold, C(-1));
  EXPECT_EQ(a.netSales, C(-3));
  EXPECT_EQ(a.margin, C(-2));
  EXPECT_EQ(b.quantitySold, C(3));
  EXPECT_EQ(b.netSales, C(25));
  EXPECT_EQ(b.margin, C(8));
}

}  // namespace
}  // namespace sarvilax
