// A day-by-day simulation of the demo shop that writes its journal. Each day
// draws from its own random stream, seeded from the shop seed and the date:
//
//   06:00–07:30  "O" receiving rows: new products arrive, and the products
//                due for delivery are filled up to their shelf level;
//   opening hours  receipts: one or more "M" sale lines (a return is a line
//                with a negative quantity) closed by one "A" customer row,
//                seconds apart; a few receipts of an old till come in lower
//                case ("m", "a");
//   after closing  "H" waste rows for perishables and "V" stock count rows.
//
// Stock convention (the chains are built on it): a sale line of quantity q
// lowers the stock by q (a return, q < 0, raises it); "O" raises it by q;
// "H" lowers it by q; "V" records the counted stock as its quantity and
// leaves the stock as it was. Every product row holds the product's stock
// before the row and its purchase price on that day, and links to the
// product's previous row. "A" rows carry the receipt total as unit price,
// quantity 1 and a blank product code; they belong to no product chain.
//
// Since a delivery fills a shelf to a fixed level, and every product is
// delivered at least once in any kLongestDeliveryCycle days (twice in
// kWarmUpDays, so a delivery day on which the shop is closed does not
// matter), simulating kWarmUpDays before the history begins, without
// writing them, makes the state on any day independent of where the history
// started: a shop with fewer years has exactly the last years of a longer
// one (only the row numbers differ).
#ifndef SARVILAX_DEMOSHOP_JOURNAL_SIMULATION_H_
#define SARVILAX_DEMOSHOP_JOURNAL_SIMULATION_H_

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "core/currency.h"
#include "core/ole_date.h"
#include "demoshop/demo_random.h"
#include "demoshop/price_list.h"
#include "demoshop/product_catalog.h"
#include "demoshop/record_file_writer.h"

namespace sarvilax {

inline constexpr int kWarmUpDays = 2 * kLongestDeliveryCycle;

struct SimulationOptions {
  uint64_t seed = 1;
  double receipts_per_day = 60;  // the yearly average
  double lines_per_receipt = 3;  // the average
  int64_t first_simulated_day = 0;
};

struct ProductState {
  Currency stock;
  int32_t last_row = 0;  // the newest journal row written for the product
  int64_t price_week = std::numeric_limits<int64_t>::min();
  PriceOnDay price;  // valid for price_week
};

enum class RowOutput { kDiscard, kWrite };

class JournalSimulation {
 public:
  // products must outlive the simulation; journal receives the written rows.
  JournalSimulation(const std::vector<DemoProduct>& products, const SimulationOptions& options,
                    RecordFileWriter& journal);

  // Days must come one after another from options.first_simulated_day.
  // Throws Error when the journal would pass the largest row number.
  void SimulateDay(int64_t day, RowOutput output);

  const std::vector<ProductState>& states() const { return states_; }

 private:
  struct OpeningHours {
    int open_second = 0;
    int close_second = 0;  // equal to open_second when closed
  };

  static OpeningHours HoursOn(const CivilDate& date, int weekday);
  void StartDay(int64_t day, RowOutput output);
  void ReceiveGoods();
  void SellReceipts(DemoRandom& random, const OpeningHours& hours);
  void SellReceipt(DemoRandom& random, int start_second, int seconds_to_next);
  void CloseDay(DemoRandom& random, const OpeningHours& hours);
  int ReceiptCount(DemoRandom& random) const;
  int SecondOfDay(const OpeningHours& hours, double position) const;
  // A product on sale today, picked by popularity and season; -1 when
  // repeated picks found none.
  int PickProduct(DemoRandom& random) const;
  Currency LineQuantity(DemoRandom& random, const DemoProduct& product) const;
  const PriceOnDay& CurrentPrice(int product);
  void WriteProductRow(char row_type, int product, int second, Currency quantity);
  void WriteCustomerRow(char row_type, int second, Currency receipt_total);
  OleDate RowDate(int second);
  char* NewRecord();

  const std::vector<DemoProduct>& products_;
  SimulationOptions options_;
  RecordFileWriter& journal_;
  std::vector<ProductState> states_;
  std::vector<double> cumulative_popularity_;
  std::array<std::vector<std::vector<int>>, 3> delivery_rounds_;  // by cycle, then day
  std::vector<int> receiving_;                                    // today's receiving, reused
  size_t next_arrival_ = 0;  // products are ordered by first day

  int64_t day_ = 0;
  CivilDate date_;
  int weekday_ = 0;
  int64_t price_week_ = 0;
  std::array<double, 3> season_weights_{};
  RowOutput output_ = RowOutput::kDiscard;
  int clock_ = 0;  // the second of the latest row of the day
  int sale_lines_today_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_JOURNAL_SIMULATION_H_
