#include "demoshop/product_catalog.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/ole_date.h"

namespace sarvilax {
namespace {

CatalogOptions Options(int count) {
  CatalogOptions options;
  options.seed = 3;
  options.product_count = count;
  options.last_day = DaysFromCivil(CivilDate{2026, 3, 15});
  options.sale_lines_per_day = 900;
  return options;
}

// EAN-13 and EAN-8: weights 1 and 3 (EAN-8: 3 and 1) from the left.
bool HasValidCheckDigit(const std::string& digits) {
  int sum = 0;
  for (size_t i = 0; i + 1 < digits.size(); ++i) {
    const bool heavy = digits.size() == 13 ? i % 2 == 1 : i % 2 == 0;
    sum += (digits[i] - '0') * (heavy ? 3 : 1);
  }
  return (10 - sum % 10) % 10 == digits.back() - '0';
}

TEST(ProductCatalogTest, CodesAreDistinctDigitsAndEanCodesCheckOut) {
  const std::vector<DemoProduct> products = MakeCatalog(Options(3000));
  ASSERT_EQ(3000u, products.size());
  std::set<ProductCode> codes;
  int ean13 = 0, ean8 = 0, other = 0;
  for (const DemoProduct& product : products) {
    EXPECT_TRUE(codes.insert(product.code).second);
    const std::string text(product.code.begin(), product.code.end());
    const std::string digits = text.substr(0, text.find(' '));
    ASSERT_EQ(std::string::npos, digits.find_first_not_of("0123456789")) << text;
    ASSERT_EQ(std::string::npos, text.find_first_not_of(' ', digits.size())) << text;
    if (digits.size() == 13 || (digits.size() == 8 && digits.starts_with("64"))) {
      EXPECT_TRUE(HasValidCheckDigit(digits)) << digits;
      (digits.size() == 13 ? ean13 : ean8)++;
    } else {
      ++other;
    }
  }
  EXPECT_GT(ean13, 2000);
  EXPECT_GT(ean8, 50);
  EXPECT_GT(other, 100);
}

TEST(ProductCatalogTest, NamesAndRatesLookLikeAFinnishShop) {
  const std::vector<DemoProduct> products = MakeCatalog(Options(3000));
  std::set<int> rates;
  int finnish_letters = 0, weighed = 0, uncosted = 0, late = 0, discontinued = 0;
  for (size_t i = 0; i < products.size(); ++i) {
    const DemoProduct& product = products[i];
    const std::string name(product.name.begin(), product.name.end());
    ASSERT_NE(' ', name[0]);
    for (char c : name) ASSERT_GE(static_cast<unsigned char>(c), 0x20) << name;
    finnish_letters += name.find_first_of("\xE4\xF6\xC4\xD6") != std::string::npos;
    rates.insert(product.vat_percent);
    weighed += product.weighed;
    uncosted += product.uncosted;
    late += product.first_day > Options(1).last_day - 3650;
    discontinued += product.IsDiscontinued(Options(1).last_day);
    if (i > 0) {
      ASSERT_LE(products[i - 1].first_day, product.first_day);
    }
    EXPECT_LT(product.first_day, product.last_day);
  }
  EXPECT_EQ((std::set<int>{0, 10, 14, 24}), rates);
  EXPECT_GT(finnish_letters, 600);
  EXPECT_GT(weighed, 50);
  EXPECT_GT(uncosted, 30);
  EXPECT_GT(late, 500);
  EXPECT_GT(discontinued, 20);
}

TEST(ProductCatalogTest, DeliveriesComeOnWorkdaysAtLeastEveryFourWeeks) {
  const std::vector<DemoProduct> products = MakeCatalog(Options(5000));
  const int64_t monday = DaysFromCivil(CivilDate{2026, 3, 9});
  std::set<int> cycles;
  for (const DemoProduct& product : products) {
    cycles.insert(product.delivery_cycle);
    EXPECT_GT(product.target_stock, Currency());
    int deliveries = 0;
    for (int64_t day = monday; day < monday + kLongestDeliveryCycle; ++day) {
      if (!product.IsDeliveryDay(day)) continue;
      ++deliveries;
      EXPECT_LT(WeekdayOfDay(day), 5);
    }
    EXPECT_EQ(kLongestDeliveryCycle / product.delivery_cycle, deliveries);
  }
  EXPECT_EQ((std::set<int>{7, 14, 28}), cycles);
}

TEST(ProductCatalogTest, WeekdaysAndSeasons) {
  EXPECT_EQ(6, WeekdayOfDay(DaysFromCivil(CivilDate{2026, 3, 15})));  // a Sunday
  EXPECT_EQ(5, WeekdayOfDay(0));                                      // 1899-12-30
  EXPECT_EQ(0, WeekdayOfDay(-5));                                     // 1899-12-25
  EXPECT_EQ(-1, FloorDivide(-1, 7));
  EXPECT_EQ(1.0, SeasonWeight(Season::kChristmas, 12, 20));
  EXPECT_LT(SeasonWeight(Season::kChristmas, 12, 27), 0.5);
  EXPECT_LT(SeasonWeight(Season::kSummer, 1, 15), SeasonWeight(Season::kSummer, 7, 15));
  EXPECT_EQ(1.0, SeasonWeight(Season::kAllYear, 2, 1));
}

TEST(ProductCatalogTest, SameSeedSameCatalog) {
  const std::vector<DemoProduct> a = MakeCatalog(Options(200));
  const std::vector<DemoProduct> b = MakeCatalog(Options(200));
  CatalogOptions other = Options(200);
  other.seed = 4;
  const std::vector<DemoProduct> c = MakeCatalog(other);
  int same_as_other_seed = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].code, b[i].code);
    EXPECT_EQ(a[i].name, b[i].name);
    EXPECT_EQ(a[i].base_price_cents, b[i].base_price_cents);
    same_as_other_seed += a[i].code == c[i].code;
  }
  EXPECT_LT(same_as_other_seed, 5);
}

}  // namespace
}  // namespace sarvilax
