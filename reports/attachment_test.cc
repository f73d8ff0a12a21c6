#include "reports/attachment.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"
#include "core/text_lines.h"
#include "figures/stock_work_file.h"
#include "figures/top_list.h"
#include "reports/report_plan.h"
#include "tests/shop_builder.h"

namespace sarvilax {
namespace {

using testing::C;

const OleDate kRunTime = MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60);

std::string Line(const std::string& code, double quantity, double net, double margin) {
  StockWorkRecord r;
  r.code = PadText<13>(code);
  r.name = PadText<25>("Tuote");
  r.quantitySold = C(quantity);
  r.netSales = C(net);
  r.margin = C(margin);
  return FormatTopListLine(r);
}

TEST(AttachmentTest, FramesTheLinesAndTotalsThem) {
  MemoryEnv env;
  const AttachmentHeading heading =
      WeeklyReportPlan(env, kRunTime, "Kauppa & Kahvila M\xE4kinen Oy, Lappeenranta")
          .attachment_heading();
  const std::vector<std::string> top = {Line("A", 2.5, 100, 20), Line("B", 1.4, 50, 0),
                                        Line("C", -1, -10, -2)};
  const std::vector<std::string> lines = SplitLines(LayOutAttachment(heading, top));
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[1],
            "KAUPPA & KAHVILA M\xC4KINEN OY, LVIIKKORAPORTTI                    07.12.2026");
  EXPECT_EQ(lines[2], "ZORVIK                        MYYNTI TOP 20                     KLO  06:15");
  EXPECT_EQ(lines[5],
            "TUOTEKOODI    TUOTTEEN NIMITYS              M\xC4\xC4R\xC4     MYYNTI     KATE  K-%");
  EXPECT_EQ(lines[8], top[0]);
  // Quantities as shown (3 + 1 - 1), sales 140, costed sales only of lines with a
  // margin (100 - 10), margin 18, 18 / 90 = 20 %.
  EXPECT_EQ(lines[13],
            "YHTEENS\xC4      TOP 20 TUOTTEET                   3     140.00    18.00 20.0");
  for (int i : {1, 2, 4, 5, 6, 12, 13, 14}) EXPECT_EQ(lines[i].size(), 74u) << i;
}

TEST(AttachmentTest, AnEmptyListGivesATotalsLineOfZeros) {
  const std::vector<std::string> lines = SplitLines(LayOutAttachment({"t", "u"}, {}));
  ASSERT_EQ(lines.size(), 12u);
  EXPECT_EQ(lines[10],
            "YHTEENS\xC4      TOP 20 TUOTTEET                   0       0.00     0.00  0.0");
}

TEST(AttachmentTest, ReplacesTheWorkFilesWithTheAttachment) {
  MemoryEnv env;
  std::string work;
  for (int i = 0; i < 25; ++i) work += Line(std::to_string(i), 1, i, 0) + "\r\n";
  env.SetFile(kTopListFileName, work);
  env.SetFile(kStockWorkFileName, "x");
  const std::vector<std::string> chosen = WriteTop20Attachment(env, {"t", "u"});
  ASSERT_EQ(chosen.size(), 20u);
  EXPECT_EQ(chosen[0].substr(0, 2), "24");  // sorted once more
  EXPECT_FALSE(env.HasFile(kStockWorkFileName));
  EXPECT_EQ(SplitLines(env.File(kTopListFileName)).size(), 32u);
}

}  // namespace
}  // namespace sarvilax
