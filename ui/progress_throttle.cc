#include "ui/progress_throttle.h"

#include <chrono>

namespace sarvilax {

namespace {

float ClampPercent(float percent) {
  if (!(percent > 0)) return 0;  // also not a number
  if (percent > 100) return 100;
  return percent;
}

}  // namespace

int64_t ProgressThrottle::MonotonicMilliseconds() {
  // Read only when the whole percentage changes, so its cost does not count.
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

bool ProgressThrottle::Update(float percent) {
  value_ = ClampPercent(percent);
  const int whole = whole_percent();
  if (whole == drawn_whole_percent_) return false;
  const int64_t now = clock_();
  if (drawn_once_ && whole != 100 && now - drawn_at_ < kMinimumRedrawInterval) return false;
  drawn_whole_percent_ = whole;
  drawn_at_ = now;
  drawn_once_ = true;
  return true;
}

void ProgressThrottle::MarkDrawn() {
  drawn_whole_percent_ = whole_percent();
  drawn_at_ = clock_();
  drawn_once_ = true;
}

}  // namespace sarvilax
