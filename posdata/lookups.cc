#include "posdata/lookups.h"

#include <cstring>

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

namespace {

// The order of an index code against the code searched for: codes compare
// as unsigned bytes, as the index is sorted.
int CompareCodes(const char* entry, const ProductCode& code) {
  return std::memcmp(entry, code.data(), code.size());
}

// One binary search over entries 1..count, each entry's code read by
// code_at(n). Returns the entry found or 0.
template <typename CodeAt>
int32_t SearchIndex(int32_t count, const ProductCode& code, CodeAt code_at) {
  int32_t low = 1;
  int32_t high = count;
  while (low <= high) {
    const int32_t mid = low + (high - low) / 2;
    const int order = CompareCodes(code_at(mid), code);
    if (order == 0) return mid;
    if (order < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
    }
  }
  return 0;
}

// The search through the mapping of the index: the same entries are read,
// without a system call each. False when the index cannot be mapped or was
// shortened under the search; the caller then searches with reads.
bool SearchMappedIndex(RecordFile& index, int32_t count, const ProductCode& code, int32_t* found) {
  FileMapping* mapping = index.mapping();
  if (mapping == nullptr || count <= 0 ||
      !mapping->Cover(static_cast<int64_t>(count) * index_layout::kLength)) {
    return false;
  }
  const char* entries = mapping->data();
  int32_t result = 0;
  auto search = [&] {
    result = SearchIndex(count, code, [entries](int32_t n) {
      return entries + static_cast<int64_t>(n - 1) * index_layout::kLength + index_layout::kCode;
    });
  };
  if (!FileMapping::RunGuarded(search)) return false;
  *found = result;
  return true;
}

}  // namespace

int32_t FindProductIndex(DataFiles& files, const ProductCode& code) {
  constexpr int kAttempts = 4;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    const int32_t count = files.index().CountRecords();
    int32_t found = 0;
    if (!SearchMappedIndex(files.index(), count, code, &found)) {
      char entry[index_layout::kLength];
      found = SearchIndex(count, code, [&](int32_t n) {
        files.index().Read(n, entry);
        return static_cast<const char*>(entry + index_layout::kCode);
      });
    }
    if (found != 0) return found;
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
