#include "demoshop/price_list.h"

#include <gtest/gtest.h>

#include <set>

#include "core/ole_date.h"

namespace sarvilax {
namespace {

constexpr uint64_t kSeed = 5;

std::vector<DemoProduct> Catalog() {
  CatalogOptions options;
  options.seed = kSeed;
  options.product_count = 400;
  options.last_day = DaysFromCivil(CivilDate{2026, 3, 15});
  return MakeCatalog(options);
}

TEST(PriceListTest, ShelfPricesEndInFiveOrNineCentsAndCostsFollowTheFlag) {
  const int64_t first = DaysFromCivil(CivilDate{2016, 1, 4});
  for (const DemoProduct& product : Catalog()) {
    for (int64_t day = first; day < first + 3650; day += 7) {
      const PriceOnDay price = PriceOn(product, kSeed, day);
      ASSERT_GT(price.unit_price, Currency());
      ASSERT_EQ(0, price.unit_price.raw() % 100) << "whole cents";
      if (!product.fixed_price) {
        const int64_t last_digit = price.unit_price.raw() / 100 % 10;
        ASSERT_TRUE(last_digit == 5 || last_digit == 9) << CurrencyText(price.unit_price);
      }
      if (product.uncosted) {
        ASSERT_TRUE(price.unit_cost.IsZero());
      } else {
        ASSERT_GT(price.unit_cost, Currency());
        ASSERT_LT(price.unit_cost, price.unit_price + price.unit_price);  // euros, not cents
      }
    }
  }
}

TEST(PriceListTest, PricesHoldForAWeekAndChangeOverYears) {
  const int64_t monday = DaysFromCivil(CivilDate{2024, 5, 6});
  int moving = 0, fixed = 0;
  for (const DemoProduct& product : Catalog()) {
    const PriceOnDay on_monday = PriceOn(product, kSeed, monday);
    const PriceOnDay on_sunday = PriceOn(product, kSeed, monday + 6);
    EXPECT_EQ(on_monday.unit_price, on_sunday.unit_price);
    EXPECT_EQ(on_monday.unit_cost, on_sunday.unit_cost);
    std::set<int64_t> prices;
    for (int64_t week = 0; week < 520; ++week) {
      prices.insert(PriceOn(product, kSeed, monday - 7 * week).unit_price.raw());
    }
    if (product.fixed_price) {
      EXPECT_EQ(1u, prices.size());
      ++fixed;
    } else {
      EXPECT_GE(prices.size(), 4u);
      ++moving;
    }
  }
  EXPECT_GT(moving, 300);
  EXPECT_GT(fixed, 0);
}

TEST(PriceListTest, PriceLevelRisesWithInflation) {
  const int64_t start_of_2026 = DaysFromCivil(CivilDate{2026, 1, 1});
  EXPECT_EQ(1.0, PriceLevelOn(start_of_2026));
  EXPECT_LT(PriceLevelOn(DaysFromCivil(CivilDate{2016, 6, 1})), 0.85);
  EXPECT_LT(PriceLevelOn(DaysFromCivil(CivilDate{2022, 1, 1})),
            PriceLevelOn(DaysFromCivil(CivilDate{2023, 1, 1})) / 1.06);
  EXPECT_GT(PriceLevelOn(DaysFromCivil(CivilDate{2030, 1, 1})), 1.08);
  EXPECT_EQ(PriceWeekOfDay(DaysFromCivil(CivilDate{2026, 3, 9})),
            PriceWeekOfDay(DaysFromCivil(CivilDate{2026, 3, 15})));
  EXPECT_NE(PriceWeekOfDay(DaysFromCivil(CivilDate{2026, 3, 15})),
            PriceWeekOfDay(DaysFromCivil(CivilDate{2026, 3, 16})));
}

}  // namespace
}  // namespace sarvilax
