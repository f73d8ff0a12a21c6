// The demo shop's assortment: what a Finnish corner shop with a small café
// sells, made up deterministically from a seed. Each product gets a code, a
// code page 1252 name, a VAT rate by category, a shelf price, a margin, a
// lifetime and its place in the delivery rhythm.
//
// Everything that depends on time is given as absolute day numbers (days
// since 1899-12-30), so two shops made with the same seed and last day
// have the same products whatever the length of their history.
#ifndef SARVILAX_DEMOSHOP_PRODUCT_CATALOG_H_
#define SARVILAX_DEMOSHOP_PRODUCT_CATALOG_H_

#include <cstdint>
#include <limits>
#include <vector>

#include "core/currency.h"
#include "posdata/records.h"

namespace sarvilax {

enum class Season { kAllYear, kSummer, kChristmas };

// Every product on sale is delivered at least once in any this many
// consecutive days, and a delivery fills its shelf to a fixed level.
inline constexpr int kLongestDeliveryCycle = 28;

struct DemoProduct {
  uint32_t id = 0;  // stable key of the product's own random draws
  ProductCode code{};
  ProductName name{};
  int16_t vat_percent = 24;
  Season season = Season::kAllYear;
  bool weighed = false;            // sold by the kilogram, quantities with decimals
  bool perishable = false;         // now and then written off as waste
  bool uncosted = false;           // no purchase price recorded: unit cost 0
  bool fixed_price = false;        // deposits, stamps, gift cards: price never moves
  double return_share = 0.01;      // share of its sale lines that are returns
  int64_t base_price_cents = 100;  // shelf price at the price level of 2026
  int margin_permille = 300;       // of the price without VAT
  int64_t first_day = 0;           // the day it arrives (a receiving row)
  int64_t last_day = std::numeric_limits<int64_t>::max();  // discontinued after
  double popularity = 1;   // relative weight of being picked on a line
  int delivery_cycle = 7;  // days between deliveries: 7, 14 or 28
  int delivery_phase = 0;  // delivered on days d with d % cycle == phase
  Currency target_stock;   // each delivery fills the shelf up to this

  bool IsDiscontinued(int64_t day) const { return last_day < day; }
  bool IsOnSale(int64_t day) const { return first_day <= day && day <= last_day; }
  bool IsDeliveryDay(int64_t day) const;
};

struct CatalogOptions {
  uint64_t seed = 1;
  int product_count = 300;
  int64_t last_day = 0;             // the shop's last day of history
  double sale_lines_per_day = 180;  // sizes the shelves and the delivery rhythm
};

// product_count products with distinct codes, in the order of their first
// day (the order of the product file), earliest first.
std::vector<DemoProduct> MakeCatalog(const CatalogOptions& options);

// Monday = 0 … Sunday = 6.
int WeekdayOfDay(int64_t day);
// Floor division for day arithmetic that may reach before 1899-12-30.
int64_t FloorDivide(int64_t value, int64_t divisor);

// How much more (or less) a season's products sell in a month than usual.
double SeasonWeight(Season season, int month, int day_of_month);

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_PRODUCT_CATALOG_H_
