// Shelf prices and purchase prices of the demo products over time. Prices
// follow the general price level (Finnish inflation, with the jump of
// 2022–2023) but move in steps: a product is repriced at the start of some
// 13-week price periods, at the latest every sixth, and now and then it is on
// campaign for a week at about a fifth off. Purchase prices are revised on
// their own schedule. A price depends only on the product and the day, never
// on what was sold before.
#ifndef SARVILAX_DEMOSHOP_PRICE_LIST_H_
#define SARVILAX_DEMOSHOP_PRICE_LIST_H_

#include <cstdint>

#include "core/currency.h"
#include "demoshop/product_catalog.h"

namespace sarvilax {

struct PriceOnDay {
  Currency unit_price;  // VAT included, whole cents ending in 5 or 9
  Currency unit_cost;   // VAT excluded, four decimals; 0 for uncosted products
};

PriceOnDay PriceOn(const DemoProduct& product, uint64_t seed, int64_t day);

// Prices hold within a Monday-to-Sunday week; this numbers the weeks.
int64_t PriceWeekOfDay(int64_t day);

// The consumer price level on a day, 1.0 on 1 January 2026.
double PriceLevelOn(int64_t day);

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_PRICE_LIST_H_
