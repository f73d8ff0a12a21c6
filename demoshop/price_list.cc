#include "demoshop/price_list.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "core/ole_date.h"
#include "demoshop/demo_random.h"

namespace sarvilax {
namespace {

constexpr int kFirstTableYear = 1900;
constexpr int kLastTableYear = 2200;
constexpr int kReferenceYear = 2026;
constexpr int64_t kWeeksPerPeriod = 13;
constexpr int64_t kLongestPeriodsWithoutRevision = 6;
constexpr uint64_t kPriceSalt = 0x5052;     // "PR"
constexpr uint64_t kCostSalt = 0x434F;      // "CO"
constexpr uint64_t kCampaignSalt = 0x4341;  // "CA"

// Yearly consumer price inflation in Finland; 2 % in the other years.
struct YearlyInflation {
  int year;
  double rate;
};
constexpr YearlyInflation kInflation[] = {{2008, 0.039}, {2009, 0.0},    {2011, 0.034},
                                          {2012, 0.028}, {2015, -0.002}, {2016, 0.004},
                                          {2022, 0.071}, {2023, 0.063},  {2024, 0.016}};

double InflationOf(int year) {
  for (const YearlyInflation& known : kInflation) {
    if (known.year == year) return known.rate;
  }
  return 0.02;
}

// The level on 1 January of each year of the table.
const std::array<double, kLastTableYear - kFirstTableYear + 2>& LevelsByYear() {
  static const auto levels = [] {
    std::array<double, kLastTableYear - kFirstTableYear + 2> table{};
    table[kReferenceYear - kFirstTableYear] = 1.0;
    for (int year = kReferenceYear; year <= kLastTableYear; ++year) {
      table[year + 1 - kFirstTableYear] = table[year - kFirstTableYear] * (1 + InflationOf(year));
    }
    for (int year = kReferenceYear - 1; year >= kFirstTableYear; --year) {
      table[year - kFirstTableYear] = table[year + 1 - kFirstTableYear] / (1 + InflationOf(year));
    }
    return table;
  }();
  return levels;
}

int64_t FirstDayOfPeriod(int64_t period) { return 2 + 7 * kWeeksPerPeriod * period; }

// The newest price period at or before period in which the product was
// repriced (or its purchase price revised, by salt).
int64_t LastRevision(const DemoProduct& product, uint64_t seed, int64_t period, uint64_t salt) {
  for (int64_t back = 0;; ++back) {
    const int64_t candidate = period - back;
    const int64_t turn = candidate + product.id + static_cast<int64_t>(salt);
    const bool scheduled =
        turn == kLongestPeriodsWithoutRevision * FloorDivide(turn, kLongestPeriodsWithoutRevision);
    if (scheduled || HashKeys(seed, product.id, static_cast<uint64_t>(candidate), salt) % 4 == 0) {
      return candidate;
    }
  }
}

// Shelf prices end in 5 or 9 cents.
int64_t ShelfCents(double cents) {
  int64_t rounded = std::max<int64_t>(5, 5 * std::llround(cents / 5.0));
  if (rounded % 10 == 0) rounded -= 1;
  return rounded;
}

double RevisedLevel(const DemoProduct& product, uint64_t seed, int64_t period, uint64_t salt,
                    double spread) {
  const int64_t revision = LastRevision(product, seed, period, salt);
  const double noise =
      UnitFromHash(HashKeys(seed, product.id, static_cast<uint64_t>(revision), salt + 1));
  return PriceLevelOn(FirstDayOfPeriod(revision)) * (1 - spread / 2 + spread * noise);
}

}  // namespace

int64_t PriceWeekOfDay(int64_t day) { return FloorDivide(day - 2, 7); }

double PriceLevelOn(int64_t day) {
  const CivilDate date = CivilFromDays(day);
  const int year = std::clamp(date.year, kFirstTableYear, kLastTableYear);
  const auto& levels = LevelsByYear();
  const double start = levels[year - kFirstTableYear];
  const double end = levels[year + 1 - kFirstTableYear];
  const int64_t first = DaysFromCivil(CivilDate{year, 1, 1});
  const int64_t next = DaysFromCivil(CivilDate{year + 1, 1, 1});
  const double fraction = std::clamp(static_cast<double>(day - first) / (next - first), 0.0, 1.0);
  return start + (end - start) * fraction;
}

PriceOnDay PriceOn(const DemoProduct& product, uint64_t seed, int64_t day) {
  PriceOnDay result;
  if (product.fixed_price) {
    result.unit_price = Currency::FromRaw(product.base_price_cents * 100);
    return result;
  }
  const int64_t week = PriceWeekOfDay(day);
  const int64_t period = FloorDivide(week, kWeeksPerPeriod);
  double shelf = product.base_price_cents * RevisedLevel(product, seed, period, kPriceSalt, 0.08);
  const bool campaign =
      HashKeys(seed, product.id, static_cast<uint64_t>(week), kCampaignSalt) % 1000 < 12;
  if (campaign) shelf *= 0.8;
  result.unit_price = Currency::FromRaw(ShelfCents(shelf) * 100);
  if (!product.uncosted) {
    const double list_price = product.base_price_cents / 100.0 / (1 + product.vat_percent / 100.0) *
                              (1 - product.margin_permille / 1000.0);
    result.unit_cost =
        Currency::FromDouble(list_price * RevisedLevel(product, seed, period, kCostSalt, 0.1));
  }
  return result;
}

}  // namespace sarvilax
