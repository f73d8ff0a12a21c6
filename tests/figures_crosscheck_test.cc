// Checks the report figures of whole weekly and monthly runs against a
// second, deliberately plain computation: every journal row is looked at
// and kept or dropped by its date alone, and the stock a year ago is taken
// from each product's rows in date order, without following any chain.
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "app/report_run.h"
#include "core/memory_env.h"
#include "core/number_format.h"
#include "core/text_lines.h"
#include "figures/top_list.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::ShopBuilder;

class NoTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { return ""; }
};

struct Row {
  char type;
  OleDate date;
  int product;  // index into the product list, -1 for none
  double price, quantity, before, cost;
  int vat;
};

const OleDate kRunTime = MakeOleDate(CivilDate{2027, 1, 4}, 6 * 3600 + 15 * 60);

// A random shop whose rows include every period boundary exactly.
class RandomShop {
 public:
  explicit RandomShop(unsigned seed) : random_(seed) {
    for (int p = 0; p < 30; ++p) {
      stock_.push_back(Pick(-5, 40));
      cost_.push_back(Pick(0, 3) == 0 ? 0 : Pick(50, 3000) / 100.0);
      codes_.push_back(std::to_string(6400000 + p * 7));
    }
    const OleDate c = kRunTime - 365;
    std::vector<OleDate> dates = {
        kRunTime - 7,      c, c - 7, StartOfYear(kRunTime), StartOfYear(c), kRunTime,
        kRunTime - 3 * 365};
    for (int i = 0; i < 4000; ++i)
      dates.push_back(kRunTime - 3 * 365 + Pick(0, 3 * 365 * 86400) / 86400.0);
    std::sort(dates.begin(), dates.end());
    for (OleDate d : dates) AddReceipt(d);
  }

  void WriteTo(MemoryEnv& env) {
    ShopBuilder shop;
    for (size_t p = 0; p < codes_.size(); ++p) {
      // Stock before each row is what the rows after it leave, walked from now.
      shop.AddProduct(codes_[p], "Tuote " + codes_[p], stock_[p], cost_[p]);
    }
    for (const Row& r : rows_) {
      shop.AddRow(r.type, r.date, r.product < 0 ? "unknown" : codes_[r.product], r.price,
                  r.quantity, r.before, r.cost, r.vat);
    }
    shop.WriteTo(env, "data/");
  }

  PeriodFigures Sums(OleDate start, std::optional<OleDate> end) const {
    PeriodFigures f;
    bool pending = false;
    for (const Row& r : rows_) {
      if (r.date < start || (end && r.date >= *end)) continue;
      if (r.type == 'A' || r.type == 'a') {
        if (pending) ++f.customers;
        pending = false;
      } else if (r.type == 'M' || r.type == 'm') {
        pending = true;
        ++f.salesRows;
        const Currency net =
            Currency::FromDouble((C(r.price) * C(r.quantity)).ToDouble() / (r.vat / 100.0 + 1));
        const Currency cost = C(r.cost) * C(r.quantity);
        f.netSales += net;
        f.cost += cost;
        if (!cost.IsZero()) {
          f.costedNetSales += net;
          f.margin += net - cost;
        }
      }
    }
    return f;
  }

  // A product's stock at a moment: the values before its oldest applied row at or
  // after the moment; none if its very first row is at or after it.
  StockFigures Stock(OleDate moment) const {
    StockFigures s;
    for (size_t p = 0; p < codes_.size(); ++p) {
      Currency quantity = C(stock_[p]), cost = C(cost_[p]);
      s.stockedProducts += quantity.IsZero() ? 0 : 1;
      s.stockValue += quantity * cost;
      const Row* first = nullptr;
      const Row* oldest_applied = nullptr;
      for (const Row& r : rows_) {
        if (r.product != static_cast<int>(p)) continue;
        if (first == nullptr) first = &r;
        if (r.date >= moment && r.type != 'V' && oldest_applied == nullptr) oldest_applied = &r;
      }
      if (first != nullptr && first->date >= moment) {
        quantity = cost = Currency();
      } else if (oldest_applied != nullptr) {
        quantity = C(oldest_applied->before);
        cost = C(oldest_applied->cost);
      }
      s.stockedProductsYearAgo += quantity.IsZero() ? 0 : 1;
      s.stockValueYearAgo += quantity * cost;
    }
    return s;
  }

  std::map<std::string, Currency> WeekSalesByProduct(OleDate start) const {
    std::map<std::string, Currency> sales;
    for (const Row& r : rows_) {
      if (r.date < start || r.product < 0 || (r.type != 'M' && r.type != 'm')) continue;
      sales[codes_[r.product]] +=
          Currency::FromDouble((C(r.price) * C(r.quantity)).ToDouble() / (r.vat / 100.0 + 1));
    }
    return sales;
  }

 private:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void AddReceipt(OleDate date) {
    static constexpr char kTypes[] = "MMMMMMmVO";
    const int lines = Pick(1, 4);
    for (int i = 0; i < lines; ++i) {
      const int p = Pick(-1, static_cast<int>(codes_.size()) - 1);
      const char type = kTypes[Pick(0, 8)];
      const double quantity = Pick(-2, 6) + (Pick(0, 4) == 0 ? 0.5 : 0);
      const int vat = std::array{24, 14, 10, 0}[Pick(0, 3)];
      rows_.push_back({type, date, p, Pick(10, 5000) / 100.0, quantity, 0, 0, vat});
    }
    rows_.push_back({Pick(0, 9) == 0 ? 'a' : 'A', date, -1, 0, 0, 0, 0, 0});
    if (Pick(0, 5) == 0) rows_.push_back({'A', date, -1, 0, 0, 0, 0, 0});
  }

 public:
  // Fills stock-before and cost of every row backwards from the current stock.
  void LinkStock() {
    std::vector<double> stock = stock_;
    for (auto r = rows_.rbegin(); r != rows_.rend(); ++r) {
      if (r->product < 0) continue;
      if (r->type != 'V') stock[r->product] += r->quantity;
      r->before = stock[r->product];
      r->cost = cost_[r->product] == 0 ? 0 : cost_[r->product] + r->quantity / 10;
    }
  }

 private:
  std::mt19937 random_;
  std::vector<double> stock_, cost_;
  std::vector<std::string> codes_;
  std::vector<Row> rows_;
};

void ExpectSameFigures(const RandomShop& shop, const ReportPlan& plan, const ReportFigures& f) {
  for (int c = 0; c < kColumns; ++c) {
    const PeriodFigures expected = shop.Sums(plan.periods[c].start, plan.periods[c].end);
    EXPECT_EQ(f.periods[c], expected) << "column " << c + 1;
    EXPECT_GT(expected.salesRows, 0) << "column " << c + 1 << " has no rows to check";
  }
  EXPECT_EQ(f.stock, shop.Stock(plan.comparison_date));
}

TEST(FiguresCrossCheckTest, WeeklyAndMonthlyRunsMatchAPlainComputation) {
  for (unsigned seed : {1u, 2u, 3u}) {
    SCOPED_TRACE(seed);
    RandomShop shop(seed);
    shop.LinkStock();
    MemoryEnv env;
    env.SetNow(kRunTime);
    shop.WriteTo(env);
    RecordingWindow window;
    NoTransfer transfer;
    RunContext context{env, window, transfer, RelayConfig(), {}, "data/", CommandLine::kGiven};

    const ReportPlan weekly = WeeklyReportPlan(env, kRunTime, "K");
    ExpectSameFigures(shop, weekly, ComputeReportFigures(context, weekly));

    // The Top-20 work file ranks the products by the week's net sales.
    const std::map<std::string, Currency> week = shop.WeekSalesByProduct(kRunTime - 7);
    for (const std::string& line : SplitLines(env.File(kTopListFileName))) {
      const std::string code = line.substr(0, line.find(' '));
      const auto it = week.find(code);
      const Currency expected = it == week.end() ? Currency() : it->second;
      EXPECT_EQ(line.substr(49, 11),
                RightAlign(DecimalPoint(FormatNumber(expected, NumberPattern::kTwoDecimals)), 11))
          << code;
    }

    const ReportPlan monthly = MonthlyReportPlan(env, MonthlyReportDates(kRunTime), "K");
    ExpectSameFigures(shop, monthly, ComputeReportFigures(context, monthly));
  }
}

}  // namespace
}  // namespace sarvilax
