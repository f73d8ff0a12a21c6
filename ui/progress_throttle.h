// Decides when a face redraws its progress bar. A pass sets the bar after
// every record, perhaps millions of times; a redraw is worth its cost only
// when the whole percentage shown changes, and no more often than about 30
// times a second. The clock is read only when the whole percentage changes,
// so a call that changes nothing costs a comparison.
#ifndef SARVILAX_UI_PROGRESS_THROTTLE_H_
#define SARVILAX_UI_PROGRESS_THROTTLE_H_

#include <cstdint>

namespace sarvilax {

class ProgressThrottle {
 public:
  // Milliseconds from any fixed point; must never go backwards.
  using Clock = int64_t (*)();
  static int64_t MonotonicMilliseconds();

  static constexpr int64_t kMinimumRedrawInterval = 33;

  explicit ProgressThrottle(Clock clock = &MonotonicMilliseconds) : clock_(clock) {}

  // Takes a new bar value (clamped to 0 to 100; not a number counts as 0).
  // True when the face should draw the bar now: the whole percentage differs
  // from the one last drawn, and either the last redraw is at least
  // kMinimumRedrawInterval old or the bar has just become full, so that a
  // pass never ends with its bar short of 100.
  bool Update(float percent);

  // The face has drawn the bar with the latest value by other means (a new
  // phase, the window shown): the next redraw waits for the next change.
  void MarkDrawn();

  // The latest value given, for a face that draws the whole window.
  float value() const { return value_; }
  int whole_percent() const { return static_cast<int>(value_); }

 private:
  Clock clock_;
  float value_ = 0;
  int drawn_whole_percent_ = 0;
  bool drawn_once_ = false;
  int64_t drawn_at_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_UI_PROGRESS_THROTTLE_H_
