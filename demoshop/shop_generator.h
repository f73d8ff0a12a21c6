// The demo shop generator: writes a point-of-sale data folder (VARNU.001,
// VARNU.002, VARNU.004) that looks like a Finnish small shop's, for tests,
// demonstrations and benchmarks. The same parameters always give the same
// bytes. A shop with fewer years and the same seed and last day holds the
// same rows as the last years of a longer one; only the row numbers (the
// chain links) differ.
#ifndef SARVILAX_DEMOSHOP_SHOP_GENERATOR_H_
#define SARVILAX_DEMOSHOP_SHOP_GENERATOR_H_

#include <cstdint>
#include <string>

#include "core/ole_date.h"

namespace sarvilax {

struct ShopParameters {
  uint64_t seed = 1;
  int products = 300;
  int years = 2;                    // of journal history, ending on end_date
  int receipts_per_day = 60;        // the yearly average
  int lines_per_receipt = 3;        // the average
  CivilDate end_date{2026, 1, 31};  // the last day of the history; the tool gives today
};

struct ShopSummary {
  int products = 0;  // product records, the blank ones of empty slots included
  int index_entries = 0;
  int64_t journal_rows = 0;
  int64_t bytes = 0;     // of the three files together
  CivilDate first_date;  // the first day of the history
};

// Checks the parameters; throws Error naming the first one out of range.
void CheckShopParameters(const ShopParameters& parameters);

// Writes the three data files into the existing folder data_dir (a file
// system path), replacing any there. Each file is written under a temporary
// name and renamed into place once complete. Throws Error naming the file
// on a failed write.
ShopSummary GenerateShop(const ShopParameters& parameters, const std::string& data_dir);

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_SHOP_GENERATOR_H_
