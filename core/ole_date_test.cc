#include "core/ole_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/error.h"

namespace sarvilax {
namespace {

CivilDateTime At(int year, int month, int day, int hour, int minute, int second) {
  return CivilDateTime{CivilDate{year, month, day}, hour, minute, second};
}

TEST(OleDateTest, DaysCountFromTheEpoch) {
  EXPECT_EQ(DaysFromCivil({1899, 12, 30}), 0);
  EXPECT_EQ(DaysFromCivil({1899, 12, 31}), 1);
  EXPECT_EQ(DaysFromCivil({1899, 12, 29}), -1);
  EXPECT_EQ(DaysFromCivil({1900, 1, 1}), 2);
  EXPECT_EQ(DaysFromCivil({1900, 3, 1}), 61);  // 1900 is no leap year
  EXPECT_EQ(DaysFromCivil({1970, 1, 1}), 25569);
  EXPECT_EQ(DaysFromCivil({2000, 2, 29}), 36585);
  EXPECT_EQ(DaysFromCivil({2026, 12, 7}), 46363);
  EXPECT_EQ(DaysFromCivil({1, 1, 1}), -693593);
  EXPECT_EQ(DaysFromCivil({9999, 12, 31}), 2958465);
  EXPECT_EQ(CivilFromDays(46363), (CivilDate{2026, 12, 7}));
  EXPECT_EQ(CivilFromDays(-693593), (CivilDate{1, 1, 1}));
}

TEST(OleDateTest, DaysRoundTripOverCenturies) {
  CivilDate expected{1600, 1, 1};
  for (int64_t days = DaysFromCivil({1600, 1, 1}); days <= DaysFromCivil({2400, 12, 31}); ++days) {
    const CivilDate date = CivilFromDays(days);
    ASSERT_EQ(date, expected) << days;
    ASSERT_EQ(DaysFromCivil(date), days);
    // The calendar advanced by hand, one day at a time.
    if (++expected.day > DaysInMonth(expected.year, expected.month)) {
      expected.day = 1;
      if (++expected.month > 12) {
        expected.month = 1;
        ++expected.year;
      }
    }
  }
}

TEST(OleDateTest, MakeOleDateIsDaysPlusTheDividedSeconds) {
  EXPECT_EQ(MakeOleDate(CivilDate{1899, 12, 30}), 0.0);
  EXPECT_EQ(MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60), 46363 + 22500 / 86400.0);
  EXPECT_EQ(MakeOleDate(At(2026, 12, 7, 6, 15, 0)), 46363 + 22500 / 86400.0);
  EXPECT_EQ(MakeOleDate(At(1899, 12, 29, 12, 0, 0)), -0.5);
  // Not the same double as the time fraction computed another way.
  EXPECT_EQ(MakeOleDate(At(2024, 1, 1, 0, 0, 1)), 45292 + 1 / 86400.0);
}

TEST(OleDateTest, SplitRoundTripsEverySecond) {
  for (const CivilDate& date :
       {CivilDate{1899, 12, 29}, CivilDate{1899, 12, 30}, CivilDate{2024, 2, 29},
        CivilDate{9999, 12, 31}, CivilDate{1, 1, 1}, CivilDate{1812, 6, 24}}) {
    for (int second = 0; second < 86400; ++second) {
      const CivilDateTime split = SplitOleDate(MakeOleDate(date, second));
      ASSERT_EQ(split.date, date) << second;
      ASSERT_EQ(split.hour * 3600 + split.minute * 60 + split.second, second);
    }
  }
}

TEST(OleDateTest, SplitRoundTripsManyDaysAndTimes) {
  for (int64_t days = DaysFromCivil({1800, 1, 1}); days <= DaysFromCivil({2100, 12, 31}); ++days) {
    const CivilDate date = CivilFromDays(days);
    // A time of day that wanders over the whole day from one date to the next.
    const int second = static_cast<int>((days * 7919) % 86400 + 86400) % 86400;
    for (int s : {0, second, 86399}) {
      const CivilDateTime split = SplitOleDate(MakeOleDate(date, s));
      ASSERT_EQ(split.date, date) << days;
      ASSERT_EQ(split.hour * 3600 + split.minute * 60 + split.second, s) << days;
    }
  }
}

TEST(OleDateTest, SplitRoundsToTheNearestSecond) {
  const double day = MakeOleDate(CivilDate{2026, 12, 7});
  EXPECT_EQ(SplitOleDate(day + 59.4 / 86400), At(2026, 12, 7, 0, 0, 59));
  EXPECT_EQ(SplitOleDate(day + 59.6 / 86400), At(2026, 12, 7, 0, 1, 0));
  // Close enough to midnight: the next day at 00:00, also across a year.
  EXPECT_EQ(SplitOleDate(day + 86399.7 / 86400), At(2026, 12, 8, 0, 0, 0));
  const double new_years_eve = MakeOleDate(CivilDate{2026, 12, 31});
  EXPECT_EQ(SplitOleDate(std::nextafter(new_years_eve + 1, 0.0)), At(2027, 1, 1, 0, 0, 0));
  // Before the epoch the whole days still round down.
  EXPECT_EQ(SplitOleDate(-0.25), At(1899, 12, 29, 18, 0, 0));
  EXPECT_EQ(SplitOleDate(-1.0), At(1899, 12, 29, 0, 0, 0));
  EXPECT_EQ(SplitOleDate(-0.0), At(1899, 12, 30, 0, 0, 0));
}

TEST(OleDateTest, SplitRejectsValuesThatAreNoDate) {
  const double first = MakeOleDate(CivilDate{1, 1, 1});
  const double last = MakeOleDate(CivilDate{9999, 12, 31}, 86399);
  EXPECT_EQ(SplitOleDate(first).date, (CivilDate{1, 1, 1}));
  EXPECT_EQ(SplitOleDate(last), At(9999, 12, 31, 23, 59, 59));
  EXPECT_THROW(SplitOleDate(std::nextafter(first, -1e9)), Error);
  EXPECT_THROW(SplitOleDate(last + 1.0), Error);
  // Rounds up into the year 10000.
  EXPECT_THROW(SplitOleDate(std::nextafter(last + 1.0 / 86400, 0.0)), Error);
  EXPECT_THROW(SplitOleDate(1e300), Error);
  EXPECT_THROW(SplitOleDate(-1e300), Error);
  EXPECT_THROW(SplitOleDate(std::numeric_limits<double>::quiet_NaN()), Error);
  EXPECT_THROW(SplitOleDate(std::numeric_limits<double>::infinity()), Error);
  EXPECT_THROW(FormatDate(std::numeric_limits<double>::quiet_NaN()), Error);
}

TEST(OleDateTest, YearsAndMonths) {
  const double run_time = MakeOleDate(At(2026, 12, 7, 6, 15, 0));
  EXPECT_EQ(YearOf(run_time), 2026);
  EXPECT_EQ(StartOfYear(run_time), MakeOleDate(CivilDate{2026, 1, 1}));
  EXPECT_EQ(YearOf(MakeOleDate(At(2026, 12, 31, 23, 59, 59))), 2026);
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2026, 4), 30);
  EXPECT_EQ(DaysInMonth(2026, 12), 31);
  EXPECT_THROW(DaysInMonth(2026, 13), Error);
  EXPECT_THROW(DaysInMonth(2026, 0), Error);
}

TEST(OleDateTest, Texts) {
  const double run_time = MakeOleDate(At(2026, 12, 7, 6, 15, 0));
  EXPECT_EQ(FormatDate(run_time), "07.12.2026");
  EXPECT_EQ(FormatTime(run_time), "06:15");
  EXPECT_EQ(FormatIsoDate(run_time), "2026-12-07");
  EXPECT_EQ(FormatDate(run_time - 7), "30.11.2026");
  EXPECT_EQ(FormatTime(run_time - 7), "06:15");
  // Seconds are not shown and do not round the minute up.
  EXPECT_EQ(FormatTime(MakeOleDate(At(2026, 1, 2, 23, 59, 59))), "23:59");
  EXPECT_EQ(FormatDate(MakeOleDate(CivilDate{5, 3, 1})), "01.03.0005");
  EXPECT_EQ(FormatIsoDate(MakeOleDate(CivilDate{5, 3, 1})), "0005-03-01");
}

}  // namespace
}  // namespace sarvilax
