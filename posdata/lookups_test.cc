#include "posdata/lookups.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "core/memory_env.h"
#include "tests/shop_builder.h"

namespace sarvilax {
namespace {

using testing::C;
using testing::ShopBuilder;

TEST(DataFilesTest, CountsRoundHalvesToEvenAndReadsPastTheEndAsZero) {
  MemoryEnv env;
  ShopBuilder shop;
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  EXPECT_EQ(files.index().CountRecords(), 0);
  env.SetFile(kIndexFileName, std::string(18 * 10 + 9, 'x'));
  EXPECT_EQ(files.index().CountRecords(), 10);  // counted afresh, half a record rounds to even
  env.SetFile(kIndexFileName, std::string(18 * 10 + 10, 'x'));
  EXPECT_EQ(files.index().CountRecords(), 11);
  env.SetFile(kIndexFileName, std::string(18 * 11 + 9, 'x'));
  EXPECT_EQ(files.index().CountRecords(), 12);

  // The partial last record reads its missing bytes as zero.
  const ProductIndexRecord last = files.ReadIndexEntry(12);
  EXPECT_EQ(last.code[8], 'x');
  EXPECT_EQ(last.code[9], '\0');
  EXPECT_EQ(last.productRecord, 0);
  EXPECT_EQ(files.ReadIndexEntry(11).productRecord, 0x78787878);
  EXPECT_EQ(files.ReadIndexEntry(1000).productRecord, 0);
  EXPECT_THROW(files.ReadIndexEntry(0), Error);
  EXPECT_THROW(files.ReadProduct(-3), Error);
}

TEST(DataFilesTest, FindsFilesByPrefixWithCaseFallbackAndNamesTheMissingOne) {
  MemoryEnv env;
  ShopBuilder shop;
  shop.WriteTo(env, "data/");
  env.SetFile("data/varnu.004", env.File("data/VARNU.004"));
  env.DeleteFile("data/VARNU.004");
  EXPECT_NO_THROW(DataFiles::Open(env, "data/"));
  // The setting is a plain prefix: without its final slash the names differ.
  try {
    DataFiles::Open(env, "data");
    FAIL() << "opened data files that are not there";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()),
              "data folder data has no VARNU.001: check the Datat setting (section Asiakas, a "
              "folder ending in /) in the settings of Kvartolin Oy");
  }
}

TEST(RecordScannerTest, ReadsEveryRecordOfTheRangeAcrossBlocks) {
  MemoryEnv env;
  ShopBuilder shop;
  for (int i = 0; i < 25000; ++i) shop.AddRow('M', 1000 + i, "1");
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  RecordScanner scanner(files.journal(), 3, 24999);
  int expected = 3;
  for (const char* r = scanner.Next(); r != nullptr; r = scanner.Next(), ++expected) {
    ASSERT_EQ(DecodeJournalDate(r), 1000 + expected - 1);
  }
  EXPECT_EQ(expected, 25000);
  RecordScanner empty(files.journal(), 5, 4);
  EXPECT_EQ(empty.Next(), nullptr);
  EXPECT_THROW(RecordScanner(files.journal(), 0, 3), Error);
}

TEST(FindFirstJournalRowTest, IsALowerBoundOnExactDates) {
  MemoryEnv env;
  ShopBuilder shop;
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  EXPECT_EQ(FindFirstJournalRow(files, 2.0), 1);  // empty journal

  for (double day : {1.0, 2.0, 2.0, 3.0}) shop.AddRow('M', day, "1");
  shop.WriteTo(env);
  EXPECT_EQ(FindFirstJournalRow(files, 2.0), 2);
  EXPECT_EQ(FindFirstJournalRow(files, 2.5), 4);
  EXPECT_EQ(FindFirstJournalRow(files, 0.5), 1);
  EXPECT_EQ(FindFirstJournalRow(files, 3.5), 5);

  // A time of day selects rows by time: 10:00 is after 09:59.
  const CivilDate day{2026, 12, 1};
  ShopBuilder timed;
  timed.AddRow('M', MakeOleDate(day, 10 * 3600), "1");
  timed.WriteTo(env);
  EXPECT_EQ(FindFirstJournalRow(files, MakeOleDate(day, 9 * 3600 + 59 * 60)), 1);
  EXPECT_EQ(FindFirstJournalRow(files, MakeOleDate(day, 10 * 3600 + 1)), 2);
}

TEST(FindProductIndexTest, MatchesWholeCodesByteForByte) {
  MemoryEnv env;
  ShopBuilder shop;
  for (const char* code : {"100", "200", "ABC", "abc", "\xE4pple"}) shop.AddProduct(code, code);
  shop.WriteTo(env);
  DataFiles files = DataFiles::Open(env, "");
  EXPECT_EQ(FindProductIndex(files, PadText<13>("100")), 1);
  EXPECT_EQ(FindProductIndex(files, PadText<13>("ABC")), 3);
  EXPECT_EQ(FindProductIndex(files, PadText<13>("abc")), 4);
  EXPECT_EQ(FindProductIndex(files, PadText<13>("\xE4pple")), 5);  // bytes above 0x7F sort last
  EXPECT_EQ(FindProductIndex(files, PadText<13>("Abc")), 0);
  EXPECT_EQ(FindProductIndex(files, PadText<13>("1000")), 0);
  ProductCode with_tab = PadText<13>("100");
  with_tab[12] = '\t';
  EXPECT_EQ(FindProductIndex(files, with_tab), 0);
}

class StockAtDateTest : public ::testing::Test {
 protected:
  StockAtDateTest() { product_ = shop_.AddProduct("P", "Product", 5, 4.00); }

  ProductRecord Walk(OleDate moment) {
    shop_.WriteTo(env_);
    DataFiles files = DataFiles::Open(env_, "");
    ProductRecord product = files.ReadProduct(product_);
    StockAtDate(files, product, moment);
    return product;
  }

  MemoryEnv env_;
  ShopBuilder shop_;
  int product_;
};

TEST_F(StockAtDateTest, AppliesRowsAfterTheMomentAndSkipsV) {
  shop_.AddRow('M', 30, "P", 0, 1, 11, 3.50);
  shop_.AddRow('V', 40, "P", 0, 1, 9, 3.00);
  shop_.AddRow('M', 50, "P", 0, 1, 7, 2.50);
  const ProductRecord at_35 = Walk(35);
  EXPECT_EQ(at_35.stockQuantity, C(7));
  EXPECT_EQ(at_35.unitCost, C(2.50));
  // A lower-case "v" is not passed over.
  shop_.Row(2).rowType = 'v';
  EXPECT_EQ(Walk(35).stockQuantity, C(9));
  // Newest row older than the moment: values stay as they are.
  EXPECT_EQ(Walk(60).stockQuantity, C(5));
}

TEST_F(StockAtDateTest, AChainThatEndsOrBreaksAfterTheMomentMeansNoStock) {
  shop_.AddRow('M', 40, "P", 0, 1, 9, 3.00);
  shop_.AddRow('M', 50, "P", 0, 1, 7, 2.50);
  const ProductRecord before_first = Walk(35);  // the product was born after the moment
  EXPECT_EQ(before_first.stockQuantity, Currency());
  EXPECT_EQ(before_first.unitCost, Currency());

  // A link to itself or to a newer row ends the walk instead of looping.
  shop_.AddRow('M', 45, "X", 0, 0, 0, 0);
  shop_.Row(2).previousProductRow = 2;
  EXPECT_EQ(Walk(35).stockQuantity, Currency());
  shop_.Row(2).previousProductRow = 3;
  EXPECT_EQ(Walk(35).unitCost, Currency());
  // A link past the end reads a zero row, which is older than any moment.
  shop_.Row(2).previousProductRow = 1;
  shop_.Product(product_).lastJournalRow = 99;
  EXPECT_EQ(Walk(35).stockQuantity, C(5));
  shop_.Product(product_).lastJournalRow = 0;
  EXPECT_EQ(Walk(35).stockQuantity, C(5));
}

}  // namespace
}  // namespace sarvilax
