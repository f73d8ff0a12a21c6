#include "ui/progress_throttle.h"

#include <gtest/gtest.h>

#include <cmath>

namespace sarvilax {
namespace {

int64_t fake_now = 0;
int64_t FakeNow() { return fake_now; }

TEST(ProgressThrottleTest, RedrawsOnlyWhenTheWholePercentChanges) {
  fake_now = 1000;
  ProgressThrottle throttle(&FakeNow);
  // A face starts with the bar drawn at 0.
  EXPECT_FALSE(throttle.Update(0.0f));
  EXPECT_FALSE(throttle.Update(0.99f));
  fake_now += 100;
  EXPECT_TRUE(throttle.Update(1.0f));
  EXPECT_EQ(throttle.whole_percent(), 1);
  fake_now += 100;
  EXPECT_FALSE(throttle.Update(1.5f));
  EXPECT_FALSE(throttle.Update(1.999f));
  EXPECT_FLOAT_EQ(throttle.value(), 1.999f);  // kept for the next full redraw
  fake_now += 100;
  EXPECT_TRUE(throttle.Update(33.333f));
  EXPECT_EQ(throttle.whole_percent(), 33);

  // Values outside the bar's range are held at its ends.
  fake_now += 100;
  EXPECT_TRUE(throttle.Update(-5.0f));
  EXPECT_EQ(throttle.value(), 0.0f);
  fake_now += 100;
  EXPECT_FALSE(throttle.Update(std::nanf("")));
  EXPECT_EQ(throttle.value(), 0.0f);
  EXPECT_TRUE(throttle.Update(250.0f));
  EXPECT_EQ(throttle.value(), 100.0f);
}

TEST(ProgressThrottleTest, RedrawsAtMostAboutThirtyTimesASecond) {
  fake_now = 5000;
  ProgressThrottle throttle(&FakeNow);
  EXPECT_TRUE(throttle.Update(10.0f));
  // A fast pass: every percent within a few milliseconds.
  fake_now += 1;
  EXPECT_FALSE(throttle.Update(11.0f));
  fake_now += ProgressThrottle::kMinimumRedrawInterval - 2;
  EXPECT_FALSE(throttle.Update(12.0f));
  fake_now += 1;
  EXPECT_TRUE(throttle.Update(13.0f));

  // A million updates over one simulated second: about 30 redraws, and one
  // more for the full bar at the end.
  fake_now = 100000;
  ProgressThrottle fast(&FakeNow);
  int redraws = 0;
  for (int record = 1; record <= 1000000; ++record) {
    if (record % 1000 == 0) ++fake_now;  // one millisecond per thousand records
    if (fast.Update(static_cast<float>(record) / 1000000 * 100)) ++redraws;
  }
  EXPECT_LE(redraws, 1000 / ProgressThrottle::kMinimumRedrawInterval + 2);
  EXPECT_GE(redraws, 20);
}

TEST(ProgressThrottleTest, TheEndOfAPassIsAlwaysDrawnAndAPhaseRedrawCounts) {
  fake_now = 0;
  ProgressThrottle throttle(&FakeNow);
  EXPECT_TRUE(throttle.Update(98.0f));
  fake_now += 1;
  EXPECT_FALSE(throttle.Update(99.0f));
  EXPECT_TRUE(throttle.Update(100.0f));  // full, though only 1 ms later
  EXPECT_FALSE(throttle.Update(100.0f));

  // The face drew the whole window for a new phase: the same value is not
  // drawn again, and the next change waits out the interval.
  fake_now += 1000;
  throttle.Update(7.0f);
  fake_now += 1000;
  throttle.MarkDrawn();
  EXPECT_FALSE(throttle.Update(7.5f));
  fake_now += 1;
  EXPECT_FALSE(throttle.Update(8.0f));
  fake_now += ProgressThrottle::kMinimumRedrawInterval;
  EXPECT_TRUE(throttle.Update(9.0f));
}

}  // namespace
}  // namespace sarvilax
