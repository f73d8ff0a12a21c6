#include "demoshop/journal_simulation.h"

#include <algorithm>
#include <cmath>

#include "core/error.h"
#include "posdata/records.h"

namespace sarvilax {
namespace {

constexpr uint64_t kDaySalt = 0x444159;  // "DAY"
constexpr int kSecondsPerHour = 3600;
constexpr int kLastSecondOfDay = 86399;
constexpr int kReceivingStart = 6 * kSecondsPerHour;
constexpr int kReceivingSpan = 90 * 60;
constexpr int kMaximumLinesPerReceipt = 40;
constexpr int kProductPickAttempts = 16;
constexpr double kOldTillShare = 0.003;
constexpr double kWasteChecksPerSaleLine = 0.004;
constexpr double kStockCountsPerSaleLine = 0.002;
constexpr int kCycles[] = {7, 14, kLongestDeliveryCycle};

// Monday first; the factors average to 1 over a week and over a year.
constexpr double kWeekdayFactor[7] = {0.90, 0.90, 0.95, 1.05, 1.25, 1.35, 0.60};
constexpr double kMonthFactor[12] = {0.85, 0.88, 0.93, 0.97, 1.02, 1.10,
                                     1.10, 1.02, 0.95, 0.95, 0.98, 1.25};
// Customers by hour of day: a lunch peak and an after-work peak.
constexpr double kHourWeight[24] = {0.3, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3, 0.3, 0.5, 0.7, 0.9, 1.3,
                                    1.3, 1.0, 0.9, 1.1, 1.5, 1.5, 1.1, 0.7, 0.4, 0.3, 0.3, 0.3};

int CycleSlot(int cycle) { return cycle == 7 ? 0 : (cycle == 14 ? 1 : 2); }

int64_t DayInCycle(int64_t day, int cycle) { return day - cycle * FloorDivide(day, cycle); }

double SpecialDayFactor(const CivilDate& date) {
  if (date.month == 12 && date.day >= 18 && date.day <= 23) return 1.3;
  if (date.month == 12 && date.day == 24) return 0.8;
  if (date.month == 12 && date.day == 31) return 1.2;
  if (date.month == 1 && date.day == 1) return 0.5;
  return 1.0;
}

// Half a cent rounds away from zero, as a till rounds a receipt total.
Currency RoundToCents(Currency amount) {
  constexpr int64_t kCent = Currency::kScale / 100;
  const int64_t raw = amount.raw();
  const int64_t half = raw < 0 ? -kCent / 2 : kCent / 2;
  return Currency::FromRaw((raw + half) / kCent * kCent);
}

// How a row moves its product's stock.
Currency StockChange(char row_type, Currency quantity) {
  switch (row_type) {
    case 'O':
      return quantity;
    case 'V':
      return Currency();
    default:  // sale lines, upper or lower case, and waste
      return Currency() - quantity;
  }
}

}  // namespace

JournalSimulation::JournalSimulation(const std::vector<DemoProduct>& products,
                                     const SimulationOptions& options, RecordFileWriter& journal)
    : products_(products), options_(options), journal_(journal), states_(products.size()) {
  double total = 0;
  cumulative_popularity_.reserve(products.size());
  for (const DemoProduct& product : products) {
    total += product.popularity;
    cumulative_popularity_.push_back(total);
  }
  for (int cycle : kCycles) delivery_rounds_[CycleSlot(cycle)].resize(static_cast<size_t>(cycle));
  for (size_t i = 0; i < products.size(); ++i) {
    const DemoProduct& product = products[i];
    delivery_rounds_[CycleSlot(product.delivery_cycle)][static_cast<size_t>(product.delivery_phase)]
        .push_back(static_cast<int>(i));
    if (product.first_day < options.first_simulated_day) {
      states_[i].stock = product.target_stock;
      next_arrival_ = i + 1;
    }
  }
}

void JournalSimulation::SimulateDay(int64_t day, RowOutput output) {
  StartDay(day, output);
  DemoRandom random(HashKeys(options_.seed, kDaySalt, static_cast<uint64_t>(day)));
  const OpeningHours hours = HoursOn(date_, weekday_);
  if (hours.close_second == hours.open_second) return;  // closed; arrivals wait a day
  ReceiveGoods();
  SellReceipts(random, hours);
  CloseDay(random, hours);
}

// Weekdays 8–21, Saturdays 9–18, Sundays and New Year's Day 12–18,
// Christmas Eve 8–12, closed on Christmas Day.
JournalSimulation::OpeningHours JournalSimulation::HoursOn(const CivilDate& date, int weekday) {
  OpeningHours hours;
  if (date.month == 12 && date.day == 25) return hours;
  const bool christmas_eve = date.month == 12 && date.day == 24;
  const bool sunday_hours = weekday == 6 || (date.month == 1 && date.day == 1);
  const bool saturday = weekday == 5 && !sunday_hours;
  hours.open_second = (sunday_hours ? 12 : (saturday ? 9 : 8)) * kSecondsPerHour;
  hours.close_second =
      (christmas_eve ? 12 : (sunday_hours || saturday ? 18 : 21)) * kSecondsPerHour;
  return hours;
}

void JournalSimulation::StartDay(int64_t day, RowOutput output) {
  day_ = day;
  date_ = CivilFromDays(day);
  weekday_ = WeekdayOfDay(day);
  price_week_ = PriceWeekOfDay(day);
  for (Season season : {Season::kAllYear, Season::kSummer, Season::kChristmas}) {
    season_weights_[static_cast<size_t>(season)] = SeasonWeight(season, date_.month, date_.day);
  }
  output_ = output;
  clock_ = 0;
  sale_lines_today_ = 0;
}

// New products first, then the day's delivery rounds, spread over the early
// morning before the doors open.
void JournalSimulation::ReceiveGoods() {
  receiving_.clear();
  while (next_arrival_ < products_.size() && products_[next_arrival_].first_day <= day_) {
    receiving_.push_back(static_cast<int>(next_arrival_++));
  }
  for (int cycle : kCycles) {
    for (int product : delivery_rounds_[CycleSlot(cycle)][DayInCycle(day_, cycle)]) {
      if (products_[product].first_day < day_ && products_[product].IsOnSale(day_)) {
        receiving_.push_back(product);
      }
    }
  }
  const int64_t count = static_cast<int64_t>(receiving_.size());
  for (int64_t i = 0; i < count; ++i) {
    const int product = receiving_[static_cast<size_t>(i)];
    const Currency missing = products_[product].target_stock - states_[product].stock;
    if (missing <= Currency()) continue;
    WriteProductRow('O', product, kReceivingStart + static_cast<int>(i * kReceivingSpan / count),
                    missing);
  }
}

int JournalSimulation::ReceiptCount(DemoRandom& random) const {
  const double expected = options_.receipts_per_day * kWeekdayFactor[weekday_] *
                          kMonthFactor[date_.month - 1] * SpecialDayFactor(date_);
  return static_cast<int>(std::llround(expected * (0.9 + 0.2 * random.Uniform())));
}

// The second of the day at which a share `position` (0 to 1) of the day's
// customers has come, following the hourly customer weights.
int JournalSimulation::SecondOfDay(const OpeningHours& hours, double position) const {
  const int first_hour = hours.open_second / kSecondsPerHour;
  const int end_hour = hours.close_second / kSecondsPerHour;
  double total = 0;
  for (int hour = first_hour; hour < end_hour; ++hour) total += kHourWeight[hour];
  double remaining = position * total;
  for (int hour = first_hour; hour < end_hour; ++hour) {
    if (remaining < kHourWeight[hour]) {
      return hour * kSecondsPerHour +
             static_cast<int>(remaining / kHourWeight[hour] * kSecondsPerHour);
    }
    remaining -= kHourWeight[hour];
  }
  return hours.close_second - 1;
}

void JournalSimulation::SellReceipts(DemoRandom& random, const OpeningHours& hours) {
  const int count = ReceiptCount(random);
  if (count <= 0) return;
  int next = SecondOfDay(hours, random.Uniform() / count);
  for (int i = 0; i < count; ++i) {
    const int start = next;
    next =
        i + 1 < count ? SecondOfDay(hours, (i + 1 + random.Uniform()) / count) : hours.close_second;
    SellReceipt(random, start, next - start);
  }
}

// Receipt lengths follow a geometric distribution with the asked average:
// many one-item receipts, a few long ones.
void JournalSimulation::SellReceipt(DemoRandom& random, int start_second, int seconds_to_next) {
  int lines = 1;
  if (options_.lines_per_receipt > 1) {
    const double draw = std::log1p(-random.Uniform()) / std::log1p(-1 / options_.lines_per_receipt);
    lines = std::min(kMaximumLinesPerReceipt, 1 + static_cast<int>(draw));
  }
  const bool old_till = random.Chance(kOldTillShare);
  const int gap = std::clamp(seconds_to_next / (lines + 1), 0, 3);
  Currency total;
  bool sold = false;
  int second = start_second;
  for (int line = 0; line < lines; ++line, second += gap) {
    const int product = PickProduct(random);
    if (product < 0) continue;
    Currency quantity = LineQuantity(random, products_[product]);
    // A return may not lift the stock above the shelf level, so that each
    // delivery fills the shelf to the same level.
    const bool wants_return = random.Chance(products_[product].return_share);
    const Currency room = products_[product].target_stock - states_[product].stock;
    if (wants_return && quantity <= room) quantity = Currency() - quantity;
    total += CurrentPrice(product).unit_price * quantity;
    WriteProductRow(old_till ? 'm' : 'M', product, second, quantity);
    ++sale_lines_today_;
    sold = true;
  }
  if (sold) WriteCustomerRow(old_till ? 'a' : 'A', second, RoundToCents(total));
}

// After closing: perishables past their date are written off, and a few
// shelves are counted.
void JournalSimulation::CloseDay(DemoRandom& random, const OpeningHours& hours) {
  int second = hours.close_second + 300;
  const int waste_checks =
      static_cast<int>(sale_lines_today_ * kWasteChecksPerSaleLine + random.Uniform());
  for (int i = 0; i < waste_checks; ++i) {
    const int product = PickProduct(random);
    const Currency units = Currency::FromWhole(random.Between(1, 3));
    if (product < 0 || !products_[product].perishable) continue;
    const Currency stock = states_[product].stock;
    if (stock <= Currency()) continue;
    const Currency most = products_[product].weighed ? Currency::FromRaw(5000) : units;
    WriteProductRow('H', product, second, std::min(stock, most));
    second += 20;
  }
  const int counts =
      static_cast<int>(sale_lines_today_ * kStockCountsPerSaleLine + random.Uniform());
  for (int i = 0; i < counts; ++i) {
    const int product = static_cast<int>(random.Below(static_cast<uint32_t>(products_.size())));
    if (!products_[product].IsOnSale(day_) || products_[product].first_day == day_) continue;
    WriteProductRow('V', product, second, states_[product].stock);
    second += 20;
  }
}

int JournalSimulation::PickProduct(DemoRandom& random) const {
  for (int attempt = 0; attempt < kProductPickAttempts; ++attempt) {
    const double target = random.Uniform() * cumulative_popularity_.back();
    const auto found =
        std::upper_bound(cumulative_popularity_.begin(), cumulative_popularity_.end(), target);
    const int product = static_cast<int>(std::min<ptrdiff_t>(
        found - cumulative_popularity_.begin(), static_cast<ptrdiff_t>(products_.size()) - 1));
    if (!products_[product].IsOnSale(day_)) continue;
    const double weight = season_weights_[static_cast<size_t>(products_[product].season)];
    if (weight < 1.0 && !random.Chance(weight)) continue;
    return product;
  }
  return -1;
}

Currency JournalSimulation::LineQuantity(DemoRandom& random, const DemoProduct& product) const {
  if (product.weighed) {
    const int64_t grams = 100 + random.Below(1400);
    return Currency::FromRaw(grams * (Currency::kScale / 1000));
  }
  const double draw = random.Uniform();
  const int pieces = draw < 0.80 ? 1 : (draw < 0.92 ? 2 : (draw < 0.97 ? 3 : 4 + random.Below(3)));
  return Currency::FromWhole(pieces);
}

const PriceOnDay& JournalSimulation::CurrentPrice(int product) {
  ProductState& state = states_[product];
  if (state.price_week != price_week_) {
    state.price = PriceOn(products_[product], options_.seed, day_);
    state.price_week = price_week_;
  }
  return state.price;
}

void JournalSimulation::WriteProductRow(char row_type, int product, int second, Currency quantity) {
  ProductState& state = states_[product];
  const PriceOnDay& price = CurrentPrice(product);
  if (output_ == RowOutput::kWrite) {
    JournalRecord row;
    row.rowType = row_type;
    row.productCode = products_[product].code;
    row.unitPrice = price.unit_price;
    row.quantity = quantity;
    row.stockQuantityBefore = state.stock;
    row.unitCost = price.unit_cost;
    row.vatPercent = products_[product].vat_percent;
    row.previousProductRow = state.last_row;
    row.date = RowDate(second);
    EncodeJournalRecord(row, NewRecord());
    state.last_row = static_cast<int32_t>(journal_.records());
  }
  state.stock = state.stock + StockChange(row_type, quantity);
}

void JournalSimulation::WriteCustomerRow(char row_type, int second, Currency receipt_total) {
  if (output_ != RowOutput::kWrite) return;
  JournalRecord row;
  row.rowType = row_type;
  row.productCode = PadText<13>("");
  row.unitPrice = receipt_total;
  row.quantity = Currency::FromWhole(1);
  row.date = RowDate(second);
  EncodeJournalRecord(row, NewRecord());
}

// Today at second, or at the latest row's time when that is later, so that
// the journal stays in date order.
OleDate JournalSimulation::RowDate(int second) {
  clock_ = std::min(std::max(second, clock_), kLastSecondOfDay);
  return MakeOleDate(date_, clock_);
}

char* JournalSimulation::NewRecord() {
  if (journal_.records() >= std::numeric_limits<int32_t>::max()) {
    Fail("the journal would pass 2147483647 rows; make the shop smaller");
  }
  return journal_.AppendRecord();
}

}  // namespace sarvilax
