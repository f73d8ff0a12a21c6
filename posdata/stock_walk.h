// The stock of many products at one moment, each exactly as StockAtDate
// (lookups.h) finds it, in one walk down the journal.
#ifndef SARVILAX_POSDATA_STOCK_WALK_H_
#define SARVILAX_POSDATA_STOCK_WALK_H_

#include <cstdint>
#include <vector>

#include "core/currency.h"
#include "core/ole_date.h"
#include "posdata/data_files.h"

namespace sarvilax {

// One product's chain start and its values; the walk replaces the values
// by those at the moment.
struct StockAtDateQuery {
  int32_t lastJournalRow = 0;
  Currency stockQuantity;
  Currency unitCost;
};

// Does StockAtDate for every query. A chain only ever steps to an older
// (lower-numbered) row, so all chains are followed together from the
// newest row down: every step waits in a bucket of its row until the walk
// comes down to that part of the journal, which is then read once for all
// the chains that pass through it. Each journal row is read from the file
// as it is at that moment, as the single walk reads it.
void StocksAtDate(DataFiles& files, std::vector<StockAtDateQuery>& queries, OleDate moment);

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_STOCK_WALK_H_
