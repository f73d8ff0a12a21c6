#include "posdata/stock_walk.h"

#include <algorithm>
#include <array>
#include <bit>
#include <utility>

#include "core/error.h"
#include "posdata/read_ahead.h"
#include "posdata/records.h"

namespace sarvilax {
namespace {

// The journal is walked a group of rows at a time (about 850 kB). A group
// that many chains enter is read whole, and the group below it meanwhile on
// a second thread. From a group that few enter (the chains of slow sellers
// reach back far, one row each) a page of 16 rows is read as a chain comes
// to it: reading a page costs about what 200th of a group does.
constexpr int64_t kGroupRows = 8192;
constexpr int64_t kPageRows = 16;
constexpr int kPagesPerGroup = kGroupRows / kPageRows;
constexpr size_t kWholeGroupWalkers = 200;
constexpr int kWordsPerGroup = kGroupRows / 64;
constexpr int64_t kPrefetchRows = 16;

// A chain on its way down: the query it answers, the row it is at, and the
// values found so far. The walker travels with its values, from bucket to
// bucket, so that a step touches only memory the walk goes through in
// order; the queries are written once, when their chains end.
struct Walker {
  int32_t query;
  int32_t link;
  Currency quantity;
  Currency cost;
};

class ChainWalk {
 public:
  ChainWalk(RecordFile& journal, std::vector<StockAtDateQuery>& queries, OleDate moment)
      : journal_(journal), queries_(queries), moment_(moment), read_ahead_(journal) {}

  void Run() {
    int32_t highest = 0;
    for (const StockAtDateQuery& q : queries_) highest = std::max(highest, q.lastJournalRow);
    if (highest <= 0) return;
    groups_.resize((highest - 1) / kGroupRows + 1);
    for (size_t q = 0; q < queries_.size(); ++q) {
      const StockAtDateQuery& query = queries_[q];
      if (query.lastJournalRow > 0) {
        WaitInGroup(
            {static_cast<int32_t>(q), query.lastJournalRow, query.stockQuantity, query.unitCost});
      }
    }
    at_row_.resize(kGroupRows);
    other_head_.assign(kGroupRows, -1);
    rows_.resize(kGroupRows * journal_layout::kLength);
    next_rows_.resize(rows_.size());
    for (int64_t g = static_cast<int64_t>(groups_.size()) - 1; g >= 0; --g) {
      if (!groups_[g].empty()) WalkGroup(g);
    }
  }

 private:
  // A second walker at a row that has one already: two index entries of one
  // product walk the same chain.
  struct Another {
    Walker walker;
    int32_t next;
  };

  void WaitInGroup(const Walker& walker) {
    groups_[(static_cast<int64_t>(walker.link) - 1) / kGroupRows].push_back(walker);
  }

  void WaitAtRow(const Walker& walker) {
    const int64_t offset = walker.link - group_first_;
    uint64_t& word = row_bits_[offset / 64];
    const uint64_t bit = uint64_t{1} << (offset % 64);
    if ((word & bit) == 0) {
      word |= bit;
      at_row_[offset] = walker;
    } else {
      others_.push_back({walker, other_head_[offset]});
      other_head_[offset] = static_cast<int32_t>(others_.size() - 1);
    }
  }

  // One walker's step at row, and where it waits next.
  void Take(Walker walker, const char* row) {
    if (!Step(walker, row)) {
      queries_[walker.query].stockQuantity = walker.quantity;
      queries_[walker.query].unitCost = walker.cost;
    } else if (walker.link >= group_first_) {
      WaitAtRow(walker);  // an older row of this group
    } else {
      WaitInGroup(walker);
    }
  }

  // Takes every chain step into the group's rows, newest row first; a step
  // to an older group waits there.
  void WalkGroup(int64_t g) {
    group_first_ = g * kGroupRows + 1;
    others_.clear();
    for (const Walker& walker : groups_[g]) WaitAtRow(walker);
    const bool dense = groups_[g].size() >= kWholeGroupWalkers;
    std::vector<Walker>().swap(groups_[g]);
    whole_ = ReadGroup(g, dense);
    loaded_pages_.fill(whole_ ? ~uint64_t{0} : 0);
    // The chains go on into the groups below: while this one is walked, the
    // next is read on the second thread.
    if (dense && g > 0) {
      read_ahead_.Start((g - 1) * kGroupRows + 1, kGroupRows, next_rows_.data());
      read_ahead_group_ = g - 1;
    }
    for (int w = kWordsPerGroup - 1; w >= 0; --w) {
      while (row_bits_[w] != 0) {
        const int bit = 63 - std::countl_zero(row_bits_[w]);
        row_bits_[w] &= ~(uint64_t{1} << bit);
        const int64_t offset = int64_t{w} * 64 + bit;
        const char* row = Row(offset);
        // Most rows of a group read whole are walked through, newest first:
        // fetch the rows a little further down into the cache meanwhile.
        if (offset >= kPrefetchRows && whole_) {
          const char* ahead = row - kPrefetchRows * journal_layout::kLength;
          __builtin_prefetch(ahead);
          __builtin_prefetch(ahead + 64);
        }
        Take(at_row_[offset], row);
        for (int32_t at = std::exchange(other_head_[offset], -1); at >= 0; at = others_[at].next) {
          Take(others_[at].walker, row);
        }
      }
    }
  }

  // Reads group g whole into rows_ when it is dense or was read ahead; true
  // when it is read. A group read ahead but not walked is dropped.
  bool ReadGroup(int64_t g, bool dense) {
    if (read_ahead_.busy()) {
      if (read_ahead_group_ == g) {
        read_ahead_.Wait();
        rows_.swap(next_rows_);
        return true;
      }
      try {
        read_ahead_.Wait();
      } catch (const Error&) {
        // Rows never walked: the error of reading them is no error of the walk.
      }
    }
    if (dense) journal_.ReadRecords(group_first_, kGroupRows, rows_.data());
    return dense;
  }

  const char* Row(int64_t offset) {
    const int64_t page = offset / kPageRows;
    uint64_t& loaded = loaded_pages_[page / 64];
    const uint64_t bit = uint64_t{1} << (page % 64);
    if ((loaded & bit) == 0) {
      journal_.ReadRecords(group_first_ + page * kPageRows, kPageRows,
                           rows_.data() + page * kPageRows * journal_layout::kLength);
      loaded |= bit;
    }
    return rows_.data() + offset * journal_layout::kLength;
  }

  // One step of StockAtDate at the walker's row: false when the chain ends
  // there, otherwise the walker moves on to the older row.
  bool Step(Walker& walker, const char* row) const {
    using namespace journal_layout;
    if (LoadField<double>(row + kDate) < moment_) return false;
    const int32_t previous = LoadField<int32_t>(row + kPreviousProductRow);
    if (previous >= walker.link || previous < 1) {
      walker.quantity = Currency();
      walker.cost = Currency();
      return false;
    }
    if (row[kRowType] != 'V') {
      walker.quantity = LoadCurrency(row + kStockQuantityBefore);
      walker.cost = LoadCurrency(row + kUnitCost);
    }
    walker.link = previous;
    return true;
  }

  RecordFile& journal_;
  std::vector<StockAtDateQuery>& queries_;
  const OleDate moment_;
  std::vector<std::vector<Walker>> groups_;  // walkers waiting for each group
  // The group being walked: its walkers, one per row in at_row_ and any more
  // listed from other_head_, the rows that have any, and the rows read so far.
  std::vector<Walker> at_row_;
  std::vector<Another> others_;
  std::vector<int32_t> other_head_;
  std::array<uint64_t, kWordsPerGroup> row_bits_{};
  std::vector<char> rows_;
  std::array<uint64_t, kPagesPerGroup / 64> loaded_pages_{};
  int64_t group_first_ = 0;  // the row number of rows_[0]
  bool whole_ = false;       // rows_ holds the whole group
  // The group below, read on the second thread into next_rows_ (declared
  // first, so that it outlives a read still running).
  std::vector<char> next_rows_;
  ReadAhead read_ahead_;
  int64_t read_ahead_group_ = -1;
};

}  // namespace

void StocksAtDate(DataFiles& files, std::vector<StockAtDateQuery>& queries, OleDate moment) {
  ChainWalk(files.journal(), queries, moment).Run();
}

}  // namespace sarvilax
