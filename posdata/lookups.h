// Searches over the open data files, by record number, without any index or
// cache in memory: the point-of-sale program may change the files between
// two calls.
#ifndef SARVILAX_POSDATA_LOOKUPS_H_
#define SARVILAX_POSDATA_LOOKUPS_H_

#include <cstdint>

#include "core/ole_date.h"
#include "posdata/data_files.h"
#include "posdata/records.h"

namespace sarvilax {

// The first journal row dated at or after moment: 1 .. record count + 1
// (count + 1 when every row is older, 1 for an empty journal). The journal
// is ordered by date, so this is a lower-bound binary search on exact doubles.
int32_t FindFirstJournalRow(DataFiles& files, OleDate moment);

// The index entry whose code equals code byte for byte (trailing spaces
// included, live or not), or 0 when there is none. The index is searched up
// to four times, its count measured anew each time, since the point-of-sale
// program may be rewriting it.
int32_t FindProductIndex(DataFiles& files, const ProductCode& code);

// Replaces product's stockQuantity and unitCost by their values as they
// stood at moment, walking the product's journal chain from its newest row
// backwards. "V" rows are walked through without being applied. A chain that
// ends (or links to a row that is not older) while still at or after moment
// means the product had no stock and no cost then: both become 0. Since every
// step must go to a strictly older row, the walk always ends.
void StockAtDate(DataFiles& files, ProductRecord& product, OleDate moment);

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_LOOKUPS_H_
