#include "reports/report_plan.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"

namespace sarvilax {
namespace {

OleDate Day(int y, int m, int d, int seconds = 0) {
  return MakeOleDate(CivilDate{y, m, d}, seconds);
}

TEST(ReportPlanTest, WeeklyPeriodsAreTheWeekAndTheYearToDateAgainstAYearBefore) {
  MemoryEnv env;
  const OleDate run = Day(2027, 1, 3, 6 * 3600);
  const ReportPlan plan = WeeklyReportPlan(env, run, "K");
  EXPECT_EQ(plan.comparison_date, Day(2026, 1, 3, 6 * 3600));
  EXPECT_EQ(plan.periods[0].start, Day(2026, 12, 27, 6 * 3600));  // the week starts last year
  EXPECT_FALSE(plan.periods[0].end.has_value());
  EXPECT_EQ(plan.periods[1].start, Day(2025, 12, 27, 6 * 3600));
  EXPECT_EQ(*plan.periods[1].end, plan.comparison_date);
  EXPECT_EQ(plan.periods[2].start, Day(2027, 1, 1));
  EXPECT_EQ(plan.periods[3].start, Day(2026, 1, 1));
  EXPECT_DOUBLE_EQ(plan.annualising.year_to_date_days, 2.25);
  EXPECT_EQ(plan.periods[1].caption, "Viime vuoden vastaava viikko");
}

TEST(ReportPlanTest, MonthlyDatesAreLastDaysOfThePreviousMonth) {
  MonthlyDates d = MonthlyReportDates(Day(2026, 12, 3, 9 * 3600));
  EXPECT_EQ(FormatIsoDate(d.report_date), "2026-11-30");
  EXPECT_EQ(FormatIsoDate(d.last_year_date), "2025-11-30");
  d = MonthlyReportDates(Day(2027, 1, 1));
  EXPECT_EQ(FormatIsoDate(d.report_date), "2026-12-31");
  d = MonthlyReportDates(Day(2028, 3, 15));
  EXPECT_EQ(FormatIsoDate(d.report_date), "2028-02-29");
  EXPECT_EQ(FormatIsoDate(d.last_year_date), "2027-02-28");
  d = MonthlyReportDates(Day(2029, 3, 1));
  EXPECT_EQ(FormatIsoDate(d.report_date), "2029-02-28");
  EXPECT_EQ(FormatIsoDate(d.last_year_date), "2028-02-29");
}

TEST(ReportPlanTest, MonthlyPeriodsTextsAndAnnualising) {
  MemoryEnv env;
  env.SetNow(Day(2026, 12, 3, 8 * 3600 + 5 * 60));
  ReportPlan plan = MonthlyReportPlan(env, MonthlyReportDates(env.Now()), "Kauppa");
  EXPECT_EQ(plan.periods[0].start, Day(2026, 11, 1));
  EXPECT_EQ(*plan.periods[0].end, Day(2026, 12, 1));  // a row at 00:00 on the 1st is out
  EXPECT_EQ(plan.periods[1].start, Day(2025, 11, 1));
  EXPECT_EQ(*plan.periods[3].end, Day(2025, 12, 1));
  EXPECT_EQ(plan.comparison_date, Day(2025, 11, 30));
  EXPECT_DOUBLE_EQ(plan.annualising.year_to_date_days, 333);
  const MessageTexts texts = plan.message_texts();
  EXPECT_EQ(texts.heading, "T\xE4ss\xE4 on marraskuun 2026 kuukausiraportti");
  EXPECT_EQ(texts.table_headers[0],
            "VOLYYMI            MAR / 2026     MAR / 2025   KERTYM\xC4 2026   KERTYM\xC4 2025");
  EXPECT_EQ(texts.table_headers[1].size(), 74u);
  const AttachmentHeading heading = plan.attachment_heading();
  EXPECT_EQ(heading.title_line,
            "KAUPPA                        MARRASKUU 2026                    03.12.2026");
  EXPECT_EQ(heading.time_line.substr(64), "KLO  08:05");

  plan = MonthlyReportPlan(env, MonthlyReportDates(Day(2027, 1, 1)), "K");
  EXPECT_EQ(plan.message_texts().heading, "T\xE4ss\xE4 on joulun 2026 kuukausiraportti");
  EXPECT_DOUBLE_EQ(plan.annualising.year_to_date_days, 364);
  EXPECT_EQ(plan.attachment_heading().title_line.substr(30, 10), "JOULU 2026");
  plan = MonthlyReportPlan(env, MonthlyReportDates(Day(2027, 2, 1)), "K");
  EXPECT_DOUBLE_EQ(plan.annualising.year_to_date_days, 30);
  EXPECT_EQ(plan.periods[2].start, plan.periods[0].start);  // January: year to date = month
  EXPECT_EQ(plan.message_texts().heading, "T\xE4ss\xE4 on tammikuun 2027 kuukausiraportti");
}

}  // namespace
}  // namespace sarvilax
