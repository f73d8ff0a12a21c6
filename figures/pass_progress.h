// The progress bar of a pass over many records. The bar shows whole
// percents, so it is set after every record only when a pass has few; over
// a long pass it is set about 256 times, after evenly spaced records and
// after the last one, and so still shows every whole percent it reaches.
#ifndef SARVILAX_FIGURES_PASS_PROGRESS_H_
#define SARVILAX_FIGURES_PASS_PROGRESS_H_

#include <algorithm>
#include <cstdint>

#include "ui/window.h"

namespace sarvilax {

class PassProgress {
 public:
  static constexpr int64_t kSteps = 256;

  PassProgress(Window& window, int64_t total)
      : window_(window), total_(total), stride_(std::max<int64_t>(1, total / kSteps)) {}

  // After done of the total records.
  void Done(int64_t done) {
    if (done < next_ && done != total_) return;
    window_.SetProgress(ProgressPercent(done, total_));
    next_ = done + stride_;
  }

 private:
  Window& window_;
  int64_t total_;
  int64_t stride_;
  int64_t next_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_FIGURES_PASS_PROGRESS_H_
