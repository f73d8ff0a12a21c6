#include "demoshop/shop_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/error.h"
#include "posdata/records.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::ReadFile;
using testing::TempDir;

struct LoadedShop {
  std::string index_bytes, product_bytes, journal_bytes;
  std::vector<ProductIndexRecord> index;
  std::vector<ProductRecord> products;  // products[n - 1] is record n
  std::vector<JournalRecord> journal;   // journal[n - 1] is row n
};

LoadedShop LoadShop(const std::string& dir) {
  LoadedShop shop;
  shop.index_bytes = ReadFile(dir + "/VARNU.001");
  shop.product_bytes = ReadFile(dir + "/VARNU.002");
  shop.journal_bytes = ReadFile(dir + "/VARNU.004");
  for (size_t at = 0; at + 18 <= shop.index_bytes.size(); at += 18) {
    shop.index.push_back(DecodeIndexRecord(shop.index_bytes.data() + at));
  }
  for (size_t at = 0; at + 356 <= shop.product_bytes.size(); at += 356) {
    shop.products.push_back(DecodeProductRecord(shop.product_bytes.data() + at));
  }
  for (size_t at = 0; at + 104 <= shop.journal_bytes.size(); at += 104) {
    shop.journal.push_back(DecodeJournalRecord(shop.journal_bytes.data() + at));
  }
  return shop;
}

ShopParameters SmallShop() {
  ShopParameters parameters;
  parameters.seed = 7;
  parameters.products = 150;
  parameters.years = 2;
  parameters.receipts_per_day = 30;
  parameters.lines_per_receipt = 3;
  parameters.end_date = CivilDate{2025, 12, 31};
  return parameters;
}

LoadedShop MakeShop(const ShopParameters& parameters, const TempDir& dir) {
  GenerateShop(parameters, dir.path());
  return LoadShop(dir.path());
}

bool IsSale(char type) { return type == 'M' || type == 'm'; }
bool IsCustomer(char type) { return type == 'A' || type == 'a'; }
double SecondOfDay(OleDate date) { return (date - static_cast<int64_t>(date)) * 86400; }

// The stock convention of the journal: a sale line lowers the stock by its
// quantity (a return, with a negative quantity, raises it), receiving "O"
// raises it, waste "H" lowers it and a stock count "V" leaves it.
Currency StockAfter(const JournalRecord& row) {
  if (row.rowType == 'O') return row.stockQuantityBefore + row.quantity;
  if (row.rowType == 'V') return row.stockQuantityBefore;
  return row.stockQuantityBefore - row.quantity;
}

Currency Cents(Currency amount) {
  const int64_t raw = amount.raw();
  return Currency::FromRaw((raw + (raw < 0 ? -50 : 50)) / 100 * 100);
}

TEST(ShopGeneratorTest, JournalHoldsReceiptsInDateOrder) {
  TempDir dir;
  const ShopParameters parameters = SmallShop();
  const LoadedShop shop = MakeShop(parameters, dir);
  ASSERT_GT(shop.journal.size(), 30000u);
  const OleDate first = MakeOleDate(CivilDate{2024, 1, 1});
  const OleDate end = MakeOleDate(CivilDate{2026, 1, 1});
  std::set<char> types;
  int returns = 0;
  int open_lines = 0;
  char open_case = 0;
  OleDate receipt_start = 0;
  Currency receipt_total;
  for (size_t i = 0; i < shop.journal.size(); ++i) {
    const JournalRecord& row = shop.journal[i];
    types.insert(row.rowType);
    ASSERT_GE(row.date, first);
    ASSERT_LT(row.date, end);
    if (i > 0) {
      ASSERT_LE(shop.journal[i - 1].date, row.date) << "row " << i + 1;
    }
    if (IsSale(row.rowType)) {
      if (open_lines == 0) receipt_start = row.date, receipt_total = Currency();
      if (open_lines > 0) {
        ASSERT_EQ(open_case, row.rowType) << "row " << i + 1;
      }
      open_case = row.rowType;
      ++open_lines;
      receipt_total += row.unitPrice * row.quantity;
      if (row.quantity < Currency()) ++returns;
      ASSERT_GE(SecondOfDay(row.date), 8 * 3600 - 1);
      ASSERT_LE(SecondOfDay(row.date), 21 * 3600 + 300);
    } else if (IsCustomer(row.rowType)) {
      ASSERT_GT(open_lines, 0) << "customer row " << i + 1 << " closes no sale";
      EXPECT_EQ(open_case == 'M' ? 'A' : 'a', row.rowType);
      EXPECT_EQ(PadText<13>(""), row.productCode);
      EXPECT_EQ(Currency::FromWhole(1), row.quantity);
      EXPECT_EQ(Cents(receipt_total), row.unitPrice) << "row " << i + 1;
      EXPECT_LE((row.date - receipt_start) * 86400, 3 * 41 + 0.5);
      open_lines = 0;
    } else {
      ASSERT_EQ(0, open_lines) << "row " << i + 1 << " inside a receipt";
      if (row.rowType == 'O') {
        ASSERT_LT(SecondOfDay(row.date), 8 * 3600);
      }
      if (row.rowType == 'H' || row.rowType == 'V') {
        ASSERT_GT(SecondOfDay(row.date), 12 * 3600);
      }
    }
  }
  EXPECT_EQ(0, open_lines);
  EXPECT_EQ((std::set<char>{'A', 'H', 'M', 'O', 'V', 'a', 'm'}), types);
  EXPECT_GT(returns, 10);
}

TEST(ShopGeneratorTest, BusierOnSaturdaysAndInDecember) {
  TempDir dir;
  const LoadedShop shop = MakeShop(SmallShop(), dir);
  int saturdays = 0, sundays = 0, december = 0, february = 0;
  for (const JournalRecord& row : shop.journal) {
    if (!IsCustomer(row.rowType)) continue;
    const CivilDate date = SplitOleDate(row.date).date;
    // 2024-01-06 was a Saturday.
    const int64_t weekday = (DaysFromCivil(date) - DaysFromCivil(CivilDate{2024, 1, 6})) % 7;
    saturdays += weekday == 0;
    sundays += weekday == 1;
    december += date.month == 12;
    february += date.month == 2;
  }
  EXPECT_GT(saturdays, 2 * sundays);
  EXPECT_GT(december * 29, february * 31 * 5 / 4);
}

TEST(ShopGeneratorTest, EveryProductChainWalksItsOwnRowsAndStock) {
  TempDir dir;
  const LoadedShop shop = MakeShop(SmallShop(), dir);
  std::vector<bool> visited(shop.journal.size() + 1, false);
  size_t chained = 0;
  int late_arrivals = 0, uncosted = 0, repriced = 0;
  std::set<int> vat_rates;
  for (const ProductRecord& product : shop.products) {
    std::vector<int32_t> chain;
    for (int32_t link = product.lastJournalRow; link > 0;) {
      ASSERT_LE(link, static_cast<int32_t>(shop.journal.size()));
      ASSERT_FALSE(visited[link]) << "row " << link << " is in two chains";
      visited[link] = true;
      chain.push_back(link);
      const JournalRecord& row = shop.journal[link - 1];
      ASSERT_EQ(product.code, row.productCode) << "row " << link;
      ASSERT_LT(row.previousProductRow, link);
      link = row.previousProductRow;
    }
    chained += chain.size();
    if (chain.empty()) continue;
    std::reverse(chain.begin(), chain.end());
    std::set<int64_t> prices;
    for (size_t k = 0; k < chain.size(); ++k) {
      const JournalRecord& row = shop.journal[chain[k] - 1];
      const Currency after = k + 1 < chain.size()
                                 ? shop.journal[chain[k + 1] - 1].stockQuantityBefore
                                 : product.stockQuantity;
      ASSERT_EQ(StockAfter(row), after) << "row " << chain[k];
      prices.insert(row.unitPrice.raw());
      vat_rates.insert(row.vatPercent);
    }
    const JournalRecord& oldest = shop.journal[chain.front() - 1];
    if (oldest.rowType == 'O' && oldest.stockQuantityBefore.IsZero() &&
        oldest.date > shop.journal.front().date + 1) {
      ++late_arrivals;
    }
    uncosted += product.unitCost.IsZero();
    repriced += prices.size() > 1;
  }
  size_t product_rows = 0;
  for (const JournalRecord& row : shop.journal) product_rows += !IsCustomer(row.rowType);
  EXPECT_EQ(product_rows, chained);
  EXPECT_GT(late_arrivals, 3);
  EXPECT_GT(uncosted, 0);
  EXPECT_GT(repriced, 100);
  EXPECT_EQ((std::set<int>{0, 10, 14, 24}), vat_rates);
}

TEST(ShopGeneratorTest, IndexIsSortedAndEveryEntryPointsAtAProduct) {
  TempDir dir;
  const ShopParameters parameters = SmallShop();
  const LoadedShop shop = MakeShop(parameters, dir);
  ASSERT_EQ(shop.index.size(), shop.products.size());
  int empty = 0, deleted = 0, short_codes = 0, finnish_letters = 0;
  for (size_t i = 0; i < shop.index.size(); ++i) {
    const ProductIndexRecord& entry = shop.index[i];
    if (i > 0) {
      ASSERT_LE(std::memcmp(shop.index[i - 1].code.data(), entry.code.data(), 13), 0);
      if (entry.IsLive()) {
        ASSERT_NE(shop.index[i - 1].code, entry.code);
      }
    }
    ASSERT_GE(entry.productRecord, 1);
    ASSERT_LE(entry.productRecord, static_cast<int32_t>(shop.products.size()));
    const ProductRecord& product = shop.products[entry.productRecord - 1];
    empty += entry.code[0] == '\0';
    deleted += entry.code[0] == '\x01';
    if (entry.code[0] == '\x01') {
      EXPECT_TRUE(std::equal(entry.code.begin() + 1, entry.code.end(), product.code.begin() + 1));
    }
    if (!entry.IsLive()) continue;
    EXPECT_EQ(entry.code, product.code);
    short_codes += entry.code[12] == ' ';
    for (char c : product.name) ASSERT_GE(static_cast<unsigned char>(c), 0x20);
    const std::string name(product.name.begin(), product.name.end());
    finnish_letters += name.find_first_of("\xE4\xF6") != std::string::npos;
  }
  EXPECT_EQ(parameters.products + 2, static_cast<int>(shop.products.size()));
  EXPECT_EQ(2, empty);
  EXPECT_GT(deleted, 0);
  EXPECT_GT(short_codes, 5);
  EXPECT_GT(finnish_letters, 10);
}

// Bytes of each record outside [skip, skip + 4): the row numbers that differ
// between a shop and a shorter one.
std::string WithoutField(const std::string& bytes, size_t length, size_t skip) {
  std::string out;
  for (size_t at = 0; at < bytes.size(); at += length) {
    out.append(bytes, at, skip);
    out.append(bytes, at + skip + 4, length - skip - 4);
  }
  return out;
}

TEST(ShopGeneratorTest, SameSeedGivesSameBytesAndFewerYearsTheSameLastYears) {
  TempDir two_years, again, one_year, other_seed;
  ShopParameters parameters = SmallShop();
  const LoadedShop longer = MakeShop(parameters, two_years);
  const LoadedShop repeated = MakeShop(parameters, again);
  EXPECT_TRUE(longer.journal_bytes == repeated.journal_bytes);
  EXPECT_TRUE(longer.product_bytes == repeated.product_bytes);
  EXPECT_TRUE(longer.index_bytes == repeated.index_bytes);

  parameters.years = 1;
  const LoadedShop shorter = MakeShop(parameters, one_year);
  EXPECT_EQ(longer.index_bytes, shorter.index_bytes);
  EXPECT_TRUE(WithoutField(longer.product_bytes, 356, 113) ==
              WithoutField(shorter.product_bytes, 356, 113));
  ASSERT_LT(shorter.journal_bytes.size(), longer.journal_bytes.size() * 2 / 3);
  const std::string tail =
      longer.journal_bytes.substr(longer.journal_bytes.size() - shorter.journal_bytes.size());
  EXPECT_TRUE(WithoutField(tail, 104, 84) == WithoutField(shorter.journal_bytes, 104, 84));
  EXPECT_EQ(CivilDate({2025, 1, 1}), SplitOleDate(shorter.journal.front().date).date);

  parameters.years = 2;
  parameters.seed = 8;
  EXPECT_FALSE(MakeShop(parameters, other_seed).journal_bytes == longer.journal_bytes);
}

TEST(ShopGeneratorTest, IdleShopStillReceivesGoods) {
  TempDir dir;
  ShopParameters parameters = SmallShop();
  parameters.receipts_per_day = 0;
  parameters.years = 1;
  const LoadedShop shop = MakeShop(parameters, dir);
  ASSERT_FALSE(shop.journal.empty());
  for (const JournalRecord& row : shop.journal) ASSERT_EQ('O', row.rowType);
}

TEST(ShopGeneratorTest, RefusesBadParametersAndMissingFolders) {
  TempDir dir;
  ShopParameters parameters = SmallShop();
  parameters.products = 0;
  EXPECT_THROW(GenerateShop(parameters, dir.path()), Error);
  parameters = SmallShop();
  parameters.lines_per_receipt = 0;
  EXPECT_THROW(GenerateShop(parameters, dir.path()), Error);
  parameters = SmallShop();
  parameters.end_date = CivilDate{2025, 2, 29};
  EXPECT_THROW(GenerateShop(parameters, dir.path()), Error);
  EXPECT_FALSE(testing::Exists(dir / "VARNU.004"));
  try {
    GenerateShop(SmallShop(), dir / "missing");
    FAIL() << "no error for a missing folder";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("missing/VARNU.004"), std::string::npos)
        << error.what();
  }
}

}  // namespace
}  // namespace sarvilax
