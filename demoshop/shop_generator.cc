#include "demoshop/shop_generator.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>
#include <vector>

#include "core/error.h"
#include "demoshop/journal_simulation.h"
#include "demoshop/price_list.h"
#include "demoshop/product_catalog.h"
#include "demoshop/record_file_writer.h"
#include "posdata/records.h"

namespace sarvilax {
namespace {

constexpr int kMaximumProducts = 5'000'000;
constexpr int kMaximumYears = 50;
constexpr int kMaximumReceiptsPerDay = 1'000'000;
constexpr int kMaximumLinesPerReceipt = 40;

using TextFields = std::initializer_list<std::pair<int, int>>;  // offset, width

// A record of zero bytes with its text fields filled with spaces, as the
// point-of-sale program leaves the fields it does not use.
std::string BlankRecord(int length, TextFields text_fields) {
  std::string record(static_cast<size_t>(length), '\0');
  for (const auto& [offset, width] : text_fields) {
    record.replace(static_cast<size_t>(offset), static_cast<size_t>(width),
                   static_cast<size_t>(width), ' ');
  }
  return record;
}

const TextFields kIndexText = {{0, 13}, {17, 1}};
const TextFields kProductText = {{0, 13},  {13, 25}, {38, 3},  {79, 1},   {108, 2},
                                 {110, 3}, {123, 3}, {126, 6}, {132, 200}};
const TextFields kJournalText = {{0, 1},  {1, 6},  {7, 3},   {18, 2},
                                 {20, 2}, {22, 3}, {29, 13}, {88, 6}};

std::string PathIn(const std::string& dir, const char* name) {
  if (dir.empty()) return name;
  return dir.back() == '/' ? dir + name : dir + "/" + name;
}

CivilDate FirstDateOfHistory(const CivilDate& end_date, int years) {
  const int year = end_date.year - years;
  const CivilDate year_before{year, end_date.month,
                              std::min(end_date.day, DaysInMonth(year, end_date.month))};
  return CivilFromDays(DaysFromCivil(year_before) + 1);
}

// A few index slots were never used: code bytes 0x00, each pointing at a
// blank product record of its own after the real ones.
int EmptySlotCount(int products) { return 2 + products / 1000; }

void WriteProductFile(const std::vector<DemoProduct>& products,
                      const std::vector<ProductState>& states, const ShopParameters& parameters,
                      int64_t last_day, RecordFileWriter& file) {
  for (size_t i = 0; i < products.size(); ++i) {
    ProductRecord record;
    record.code = products[i].code;
    record.name = products[i].name;
    record.stockQuantity = states[i].stock;
    record.unitCost = PriceOn(products[i], parameters.seed, last_day).unit_cost;
    record.lastJournalRow = states[i].last_row;
    EncodeProductRecord(record, file.AppendRecord());
  }
  for (int i = 0; i < EmptySlotCount(static_cast<int>(products.size())); ++i) {
    ProductRecord blank;
    blank.name = PadText<25>("");
    EncodeProductRecord(blank, file.AppendRecord());
  }
}

// Entries ordered by code as unsigned bytes, as the binary search expects.
// The slots of discontinued products are marked deleted (first byte 0x01);
// they and the empty slots sort before every live code.
void WriteIndexFile(const std::vector<DemoProduct>& products, int64_t last_day,
                    RecordFileWriter& file) {
  const int empty_slots = EmptySlotCount(static_cast<int>(products.size()));
  std::vector<ProductIndexRecord> entries;
  entries.reserve(products.size() + static_cast<size_t>(empty_slots));
  for (size_t i = 0; i < products.size(); ++i) {
    ProductIndexRecord entry;
    entry.code = products[i].code;
    if (products[i].IsDiscontinued(last_day)) entry.code[0] = '\x01';
    entry.productRecord = static_cast<int32_t>(i + 1);
    entries.push_back(entry);
  }
  for (int i = 0; i < empty_slots; ++i) {
    ProductIndexRecord empty;  // code of zero bytes
    empty.productRecord = static_cast<int32_t>(products.size()) + i + 1;
    entries.push_back(empty);
  }
  std::sort(entries.begin(), entries.end(),
            [](const ProductIndexRecord& a, const ProductIndexRecord& b) {
              const int order = std::memcmp(a.code.data(), b.code.data(), a.code.size());
              return order != 0 ? order < 0 : a.productRecord < b.productRecord;
            });
  for (const ProductIndexRecord& entry : entries) EncodeIndexRecord(entry, file.AppendRecord());
}

void CheckRange(const char* name, int64_t value, int64_t low, int64_t high) {
  if (value < low || value > high) {
    Fail(std::string(name) + " must be from " + std::to_string(low) + " to " +
         std::to_string(high) + ", not " + std::to_string(value));
  }
}

}  // namespace

void CheckShopParameters(const ShopParameters& parameters) {
  CheckRange("the number of products", parameters.products, 1, kMaximumProducts);
  CheckRange("the years of history", parameters.years, 1, kMaximumYears);
  CheckRange("the receipts per day", parameters.receipts_per_day, 0, kMaximumReceiptsPerDay);
  CheckRange("the lines per receipt", parameters.lines_per_receipt, 1, kMaximumLinesPerReceipt);
  const CivilDate& end = parameters.end_date;
  CheckRange("the year of the end date", end.year, 1950, 9000);
  CheckRange("the month of the end date", end.month, 1, 12);
  CheckRange("the day of the end date", end.day, 1, DaysInMonth(end.year, end.month));
}

ShopSummary GenerateShop(const ShopParameters& parameters, const std::string& data_dir) {
  CheckShopParameters(parameters);
  const int64_t last_day = DaysFromCivil(parameters.end_date);
  ShopSummary summary;
  summary.first_date = FirstDateOfHistory(parameters.end_date, parameters.years);
  const int64_t first_day = DaysFromCivil(summary.first_date);

  CatalogOptions catalog_options;
  catalog_options.seed = parameters.seed;
  catalog_options.product_count = parameters.products;
  catalog_options.last_day = last_day;
  catalog_options.sale_lines_per_day =
      static_cast<double>(parameters.receipts_per_day) * parameters.lines_per_receipt;
  const std::vector<DemoProduct> products = MakeCatalog(catalog_options);

  RecordFileWriter journal(PathIn(data_dir, kJournalFileName),
                           BlankRecord(journal_layout::kLength, kJournalText));
  SimulationOptions simulation_options;
  simulation_options.seed = parameters.seed;
  simulation_options.receipts_per_day = parameters.receipts_per_day;
  simulation_options.lines_per_receipt = parameters.lines_per_receipt;
  simulation_options.first_simulated_day = first_day - kWarmUpDays;
  JournalSimulation simulation(products, simulation_options, journal);
  for (int64_t day = simulation_options.first_simulated_day; day <= last_day; ++day) {
    simulation.SimulateDay(day, day < first_day ? RowOutput::kDiscard : RowOutput::kWrite);
  }

  RecordFileWriter product_file(PathIn(data_dir, kProductFileName),
                                BlankRecord(product_layout::kLength, kProductText));
  WriteProductFile(products, simulation.states(), parameters, last_day, product_file);
  RecordFileWriter index_file(PathIn(data_dir, kIndexFileName),
                              BlankRecord(index_layout::kLength, kIndexText));
  WriteIndexFile(products, last_day, index_file);

  journal.Commit();
  product_file.Commit();
  index_file.Commit();
  summary.products = static_cast<int>(product_file.records());
  summary.index_entries = static_cast<int>(index_file.records());
  summary.journal_rows = journal.records();
  summary.bytes = journal.bytes() + product_file.bytes() + index_file.bytes();
  return summary;
}

}  // namespace sarvilax
