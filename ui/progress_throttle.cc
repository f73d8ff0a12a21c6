#include "ui/progress_throttle.h"

#include <time.h>

namespace sarvilax {

namespace {

float ClampPercent(float percent) {
  if (!(percent > 0)) return 0;  // also not a number
  if (percent > 100) return 100;
  return percent;
}

}  // namespace

int64_t ProgressThrottle::MonotonicMilliseconds() {
  // The coarse clock is read without a system call and is exact enough for
  // a pace of 30 redraws a second.
  timespec now;
  clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
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
