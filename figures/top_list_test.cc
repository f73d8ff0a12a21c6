#include "figures/top_list.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"
#include "core/text_lines.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::C;

StockWorkRecord Work(const std::string& code, double quantity, double net, double margin) {
  StockWorkRecord r;
  r.code = PadText<13>(code);
  r.name = PadText<25>("Ruisleip\xE4");
  r.quantitySold = C(quantity);
  r.netSales = C(net);
  r.margin = C(margin);
  return r;
}

TEST(TopListLineTest, LaysOutTheFieldsOn74Characters) {
  const std::string line = FormatTopListLine(Work("6410000000001", 2.5, 1234.5, 50));
  ASSERT_EQ(line.size(), 74u);
  EXPECT_EQ(line.substr(0, 14), "6410000000001 ");
  EXPECT_EQ(line.substr(14, 25), "Ruisleip\xE4                ");
  EXPECT_EQ(line.substr(39, 10), "         3");  // halves away from zero
  EXPECT_EQ(line.substr(49, 11), "    1234.50");
  EXPECT_EQ(line.substr(60, 9), "    50.00");
  EXPECT_EQ(line.substr(69, 5), "  4.1");
  EXPECT_EQ(FormatTopListLine(Work("1", -2.5, 0, 0)).substr(39),
            "        -3       0.00     0.00  0.0");
  EXPECT_EQ(FormatTopListLine(Work("1", 0, 200, 50)).substr(69), " 25.0");
  // A value too wide for its field loses its leftmost characters.
  EXPECT_EQ(FormatTopListLine(Work("1", 0, 123456789, 0)).substr(49, 11), "23456789.00");
}

TEST(TopListTest, SortsByNetSalesLargestFirstKeepingTiesInOrder) {
  MemoryEnv env;
  RecordingWindow window;
  StockWorkFile work(env);
  const std::vector<StockWorkRecord> records = {
      Work("A", 1, 0, 0), Work("", 0, 0, 0),    Work("B", 1, -5, 0),   Work("C", 1, 100, 1),
      Work("D", 1, 0, 0), Work("E", 1, 100, 2), Work("F", 1, 99.99, 0)};
  for (const StockWorkRecord& r : records) work.Append(r);
  const std::vector<std::string> top = BuildTopList(env, work, window);
  std::string order;
  for (const std::string& line : top) order += line[0];
  EXPECT_EQ(order, "CEFADB");  // blank code skipped; equal values keep index order
  const std::string file = env.File(kTopListFileName);
  EXPECT_EQ(file.size(), 6u * 76);
  EXPECT_EQ(file.substr(74, 2), "\r\n");
  EXPECT_EQ(window.calls.front(), "phase Summataan luvut");
}

TEST(TopListTest, ListsTheFirstTwentyLines) {
  MemoryEnv env;
  RecordingWindow window;
  StockWorkFile work(env);
  for (int i = 0; i < 35; ++i) work.Append(Work(std::to_string(i), 1, i, 0));
  const std::vector<std::string> top = BuildTopList(env, work, window);
  ASSERT_EQ(top.size(), 20u);
  EXPECT_EQ(top.front().substr(0, 2), "34");
  EXPECT_EQ(SplitLines(env.File(kTopListFileName)).size(), 35u);
}

// The list is sorted before it is first written; it must be the file that
// writing it in index order and then sorting it gives, whatever the names.
// G returned as much as it sold: amounts on its line, but no net sales.
TEST(TopListTest, IsTheFileThatSortingTheWrittenListGives) {
  std::vector<StockWorkRecord> records = {
      Work("A", 1, 5, 1), Work("B", 2, -3, 0), Work("C", 0, 0, 0), Work("D", 3, 12, 2),
      Work("E", 1, 5, 0), Work("F", 0, 0, 0),  Work("G", 2, 0, -1)};
  for (bool line_break_in_a_name : {false, true}) {
    SCOPED_TRACE(line_break_in_a_name);
    if (line_break_in_a_name) records[2].name[3] = '\n';
    MemoryEnv env;
    RecordingWindow window;
    StockWorkFile work(env);
    std::string unsorted;
    for (const StockWorkRecord& r : records) {
      work.Append(r);
      unsorted += FormatTopListLine(r) + "\r\n";
    }
    const std::vector<std::string> top = BuildTopList(env, work, window);
    const std::string built = env.File(kTopListFileName);
    env.File(kTopListFileName) = unsorted;
    SortTopList(env);
    EXPECT_EQ(built, env.File(kTopListFileName));
    EXPECT_EQ(top, SplitLines(built));
    // Sorting a sorted list changes nothing.
    SortTopList(env);
    EXPECT_EQ(built, env.File(kTopListFileName));
  }
}

}  // namespace
}  // namespace sarvilax
