#include "figures/pass_progress.h"

#include <gtest/gtest.h>

#include <set>

#include "ui/recording_window.h"

namespace sarvilax {
namespace {

TEST(PassProgressTest, SetsTheBarOftenEnoughToShowEveryWholePercent) {
  RecordingWindow few;
  PassProgress three(few, 3);
  for (int done = 1; done <= 3; ++done) three.Done(done);
  EXPECT_EQ(few.progress_values, (std::vector<float>{100.0f / 3, 200.0f / 3, 100.0f}));

  RecordingWindow many;
  constexpr int64_t kRecords = 1234567;
  PassProgress progress(many, kRecords);
  for (int64_t done = 1; done <= kRecords; ++done) progress.Done(done);
  EXPECT_LE(many.progress_values.size(), 2u * PassProgress::kSteps);
  EXPECT_FLOAT_EQ(many.progress_values.back(), 100.0f);
  std::set<int> shown;
  for (float value : many.progress_values) shown.insert(static_cast<int>(value));
  EXPECT_EQ(shown.size(), 101u);  // 0 % to 100 %
}

}  // namespace
}  // namespace sarvilax
