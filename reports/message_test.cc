#include "reports/message.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"
#include "reports/report_plan.h"
#include "tests/shop_builder.h"

namespace sarvilax {
namespace {

using testing::C;

const OleDate kRunTime = MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60);

ReportFigures SampleFigures() {
  ReportFigures f;
  f.periods[0] = {12, 30, C(1234.56), C(1000), C(-50), C(800)};
  f.periods[1] = {0, 0, C(0), C(0), C(0), C(0)};
  f.periods[2] = {500, 1500, C(1234.56), C(1000), C(250), C(800)};
  f.periods[3] = {400, 1200, C(123456789), C(0), C(0), C(0)};
  f.stock = {120, C(5000.125), 110, C(4000)};
  f.averagePurchase[0] = C(102.88);
  f.marginPercent[0] = C(-5);
  f.turnoverDays = {33, 0, 1827, 0};
  return f;
}

TEST(MessageTest, LaysOutTheWeeklyLetterOnTheGrid) {
  MemoryEnv env;
  env.SetNow(kRunTime);
  const ReportPlan plan = WeeklyReportPlan(env, kRunTime, "Kauppa");
  const std::vector<std::string> lines =
      LayOutMessage(SampleFigures(), plan.message_texts(), "Kauppa");
  ASSERT_EQ(lines.size(), 31u);
  EXPECT_EQ(lines[3],
            "T\xE4ss\xE4 on viikkoraportti ajalta 30.11.2026 KLO 06:15 - 07.12.2026 KLO 06:15");
  EXPECT_EQ(lines[5],
            "VOLYYMI           VIIKKO 2026    VIIKKO 2025   KERTYM\xC4 2026   KERTYM\xC4 2025");
  EXPECT_EQ(lines[6], std::string(74, '-'));
  EXPECT_EQ(lines[7], "- Asiakkaita           12 kpl          0 kpl        500 kpl        400 kpl");
  EXPECT_EQ(lines[9], "- Keskiostos       102.88 eur       0.00 eur       0.00 eur       0.00 eur");
  EXPECT_EQ(lines[13],
            "- Tuotemyynti     1234.56 eur       0.00 eur       1235 eur  123456789 eur");
  EXPECT_EQ(lines[15],
            "- Kateprosentti      -5.0 %          0.0 %          0.0 %          0.0 %  ");
  EXPECT_EQ(lines[20],
            "- P\xE4\xE4oma          5000.13 eur    4000.00 eur       5000 eur       4000 eur");
  EXPECT_EQ(lines[21],
            "- Kiertoaika           33 pv           0 pv        1827 pv           0 pv ");
  EXPECT_EQ(lines[23], "Liitteen\xE4 on top 20 myynti tuotteittain.");
  EXPECT_EQ(lines[27], "Zorvik");
  EXPECT_EQ(lines[29], "Kauppa");
  for (int table_line : {5, 6, 7, 8, 9, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21}) {
    EXPECT_EQ(lines[table_line].size(), 74u) << "line " << table_line + 1;
  }
  for (int empty : {0, 2, 4, 10, 16, 22, 24, 26, 28, 30}) EXPECT_EQ(lines[empty], "");
}

TEST(MessageTest, TheShopNameLineIsLeftAsItIs) {
  MemoryEnv env;
  const std::string long_name(80, 'x');
  const std::vector<std::string> lines = LayOutMessage(
      ReportFigures(), WeeklyReportPlan(env, kRunTime, "").message_texts(), long_name);
  EXPECT_EQ(lines[29], long_name);
}

}  // namespace
}  // namespace sarvilax
