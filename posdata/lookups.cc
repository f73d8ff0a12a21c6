#include "posdata/lookups.h"

#include <algorithm>

namespace sarvilax {

int32_t FindFirstJournalRow(DataFiles& files, OleDate moment) {
  int32_t low = 1;
  int32_t high = files.journal().CountRecords();
  while (low <= high) {
    const int32_t mid = low + (high - low) / 2;
    if (files.ReadJournalDate(mid) < moment) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return low;
}

int32_t FindProductIndex(DataFiles& files, const ProductCode& code) {
  constexpr int kAttempts = 4;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    int32_t low = 1;
    int32_t high = files.index().CountRecords();
    while (low <= high) {
      const int32_t mid = low + (high - low) / 2;
      const ProductCode entry = files.ReadIndexEntry(mid).code;
      // Codes compare as unsigned bytes, as the index is sorted.
      const int order = std::lexicographical_compare(
                            entry.begin(), entry.end(), code.begin(), code.end(),
                            [](char a, char b) {
                              return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
                            })
                            ? -1
                            : (entry == code ? 0 : 1);
      if (order == 0) return mid;
      if (order < 0) {
        low = mid + 1;
      } else {
        high = mid - 1;
      }
    }
  }
  return 0;
}

void StockAtDate(DataFiles& files, ProductRecord& product, OleDate moment) {
  int32_t link = product.lastJournalRow;
  while (link > 0) {
    const JournalRecord row = files.ReadJournalRow(link);
    if (row.date < moment) return;
    const int32_t previous = row.previousProductRow;
    if (previous >= link || previous < 1) {
      product.stockQuantity = Currency();
      product.unitCost = Currency();
      return;
    }
    if (row.rowType != 'V') {
      product.stockQuantity = row.stockQuantityBefore;
      product.unitCost = row.unitCost;
    }
    link = previous;
  }
}

}  // namespace sarvilax
