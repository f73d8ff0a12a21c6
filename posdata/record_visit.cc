#include "posdata/record_visit.h"

#include <algorithm>

#include "posdata/read_ahead.h"

namespace sarvilax {
namespace {

// Records are read in stretches of about 256 kB; a stretch from which only
// a few records are wanted is read a page at a time instead.
constexpr int64_t kStretchBytes = 256 << 10;
constexpr int64_t kPageBytes = 32 << 10;

}  // namespace

void VisitRecords(RecordFile& file, const std::vector<int32_t>& numbers,
                  const std::function<void(size_t i, const char* record)>& visit) {
  if (numbers.empty()) return;
  const int length = file.record_length();
  const int64_t page = std::max<int64_t>(1, kPageBytes / length);
  const int64_t stretch = std::max<int64_t>(1, kStretchBytes / length / page) * page;
  const int64_t pages_per_stretch = stretch / page;
  const int32_t highest = *std::max_element(numbers.begin(), numbers.end());
  const int64_t stretches = (static_cast<int64_t>(highest) - 1) / stretch + 1;

  // One list per stretch, each in ascending order of i.
  std::vector<int64_t> head(stretches, -1);
  std::vector<int64_t> next(numbers.size());
  std::vector<int64_t> size(stretches, 0);
  for (size_t i = numbers.size(); i-- > 0;) {
    const int64_t s = (static_cast<int64_t>(numbers[i]) - 1) / stretch;
    next[i] = head[s];
    head[s] = static_cast<int64_t>(i);
    ++size[s];
  }

  // A stretch from which many records are wanted is read whole; the next
  // such stretch is read on the second thread while this one is visited.
  auto whole = [&](int64_t s) { return size[s] >= pages_per_stretch; };
  auto next_whole = [&](int64_t s) {
    while (++s < stretches && !whole(s)) {
    }
    return s;
  };
  std::vector<char> buffer(stretch * length);
  std::vector<char> next_buffer(next_whole(-1) < stretches ? buffer.size() : 0);
  ReadAhead read_ahead(file);  // after the buffers: ends any read before they go
  int64_t read_ahead_stretch = -1;
  std::vector<bool> loaded(pages_per_stretch);
  for (int64_t s = 0; s < stretches; ++s) {
    if (head[s] < 0) continue;
    const int64_t first = s * stretch + 1;
    if (whole(s)) {
      if (read_ahead_stretch == s) {
        read_ahead.Wait();
        buffer.swap(next_buffer);
      } else {
        file.ReadRecords(first, stretch, buffer.data());
      }
      const int64_t next = next_whole(s);
      if (next < stretches) {
        read_ahead.Start(next * stretch + 1, stretch, next_buffer.data());
        read_ahead_stretch = next;
      }
    }
    std::fill(loaded.begin(), loaded.end(), whole(s));
    for (int64_t i = head[s]; i >= 0; i = next[i]) {
      const int64_t offset = numbers[i] - first;
      const int64_t p = offset / page;
      if (!loaded[p]) {
        file.ReadRecords(first + p * page, page, buffer.data() + p * page * length);
        loaded[p] = true;
      }
      visit(static_cast<size_t>(i), buffer.data() + offset * length);
    }
  }
}

}  // namespace sarvilax
