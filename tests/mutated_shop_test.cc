// The real program over damaged point-of-sale files: cut to odd lengths,
// random bytes in links and dates, impossible dates, amounts beyond the
// Currency range, a journal out of date order, chains that loop or point
// past the end. Whatever the damage, a run ends with status 0 and a report
// or with status 1 and one clear line, never with a signal or a hang, and
// after an error no request reaches the relay.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <limits>
#include <map>
#include <random>

#include "app/report_run.h"
#include "core/coding.h"
#include "core/memory_env.h"
#include "core/ole_date.h"
#include "core/text_lines.h"
#include "figures/top_list.h"
#include "posdata/records.h"
#include "tests/fault_harness.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::EndedCleanly;
using testing::EndedWithOneClearLine;
using testing::HttpsTestServer;
using testing::ProcessResult;
using testing::Record;
using testing::RecordCount;
using testing::TestShop;

constexpr int kIndexLength = index_layout::kLength;
constexpr int kProductLength = product_layout::kLength;
constexpr int kRowLength = journal_layout::kLength;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// One generated shop whose files each case damages afresh from the
// originals, and the relay that counts what reaches it.
class MutatedShopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing (scripts/install-deps)";
    shop_ = std::make_unique<TestShop>();
    for (const char* name : {kIndexFileName, kProductFileName, kJournalFileName}) {
      originals_[name] = testing::ReadFile(shop_->DataFile(name));
    }
  }

  std::string Original(const char* name) { return originals_[name]; }

  // Puts the original files back, with the given ones replaced.
  void Install(const std::map<std::string, std::string>& changed) {
    for (const auto& [name, bytes] : originals_) {
      const auto replaced = changed.find(name);
      testing::WriteFile(shop_->DataFile(name),
                         replaced == changed.end() ? bytes : replaced->second);
    }
  }

  // Runs the program on the installed files and checks its promise. what
  // names the damage in failure messages.
  ProcessResult RunAndCheck(const std::string& what) {
    const size_t before = relay_.requests().size();
    const auto start = std::chrono::steady_clock::now();
    ProcessResult run = shop_->Run(relay_, {}, testing::kRunTime, 30);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    EXPECT_TRUE(EndedCleanly(run)) << what;
    // The files are about a megabyte: a run that takes long is walking in circles.
    EXPECT_LT(seconds.count(), 20) << what;
    const size_t sent = relay_.requests().size() - before;
    if (run.exit_status == 1) {
      EXPECT_EQ(sent, 0u) << what << ": a request after the error " << run.err;
    } else {
      EXPECT_EQ(sent, 2u) << what << ": the weekly report to both recipients";
    }
    return run;
  }

  ProcessResult RunDamaged(const std::string& what,
                           const std::map<std::string, std::string>& changed) {
    Install(changed);
    return RunAndCheck(what);
  }

  // Row numbers whose dates lie in [from, to).
  std::vector<int64_t> RowsDated(OleDate from, OleDate to) {
    const std::string journal = Original(kJournalFileName);
    std::vector<int64_t> rows;
    for (int64_t n = 1; n <= RecordCount(journal, kRowLength); ++n) {
      const OleDate date = DecodeJournalDate(journal.data() + (n - 1) * kRowLength);
      if (date >= from && date < to) rows.push_back(n);
    }
    return rows;
  }

  HttpsTestServer relay_;
  std::unique_ptr<TestShop> shop_;
  std::map<std::string, std::string> originals_;
  std::mt19937 random_{20261207};
};

OleDate Day(int year, int month, int day) { return MakeOleDate(CivilDate{year, month, day}); }

TEST_F(MutatedShopTest, FilesCutToOddLengths) {
  const std::pair<const char*, int> files[] = {{kIndexFileName, kIndexLength},
                                               {kProductFileName, kProductLength},
                                               {kJournalFileName, kRowLength}};
  for (const auto& [name, length] : files) {
    const std::string original = Original(name);
    const size_t size = original.size();
    // Half a record rounds to an even count, a byte more counts the partial
    // record, whose missing bytes read as zero.
    for (size_t cut : {size_t{0}, size_t{1}, size_t(length / 2 + 1), size - 1, size - length / 2,
                       size - length / 2 - 1, size / 3 | 1}) {
      RunDamaged(std::string(name) + " cut to " + std::to_string(cut),
                 {{name, original.substr(0, cut)}});
    }
  }
}

TEST_F(MutatedShopTest, RandomBytesInLinkFields) {
  const auto random_int32 = [&] { return static_cast<int32_t>(random_()); };
  for (int round = 0; round < 3; ++round) {
    std::string index = Original(kIndexFileName);
    std::string products = Original(kProductFileName);
    std::string journal = Original(kJournalFileName);
    // Live entries keep their product links in the first round, so that
    // the run gets past the stock pass; then every link is fair game.
    for (int64_t n = 1; round > 0 && n <= RecordCount(index, kIndexLength); n += 3) {
      EncodeInt32(Record(index, kIndexLength, n) + index_layout::kProductRecord, random_int32());
    }
    for (int64_t n = 1; n <= RecordCount(products, kProductLength); n += 2) {
      EncodeInt32(Record(products, kProductLength, n) + product_layout::kLastJournalRow,
                  random_int32());
    }
    for (int64_t n = 1; n <= RecordCount(journal, kRowLength); n += 7) {
      EncodeInt32(Record(journal, kRowLength, n) + journal_layout::kPreviousProductRow,
                  random_int32());
    }
    RunDamaged(
        "random links, round " + std::to_string(round),
        {{kIndexFileName, index}, {kProductFileName, products}, {kJournalFileName, journal}});
  }
}

TEST_F(MutatedShopTest, RandomBytesInDateFields) {
  for (int every : {997, 53, 5}) {
    std::string journal = Original(kJournalFileName);
    for (int64_t n = 1 + every / 2; n <= RecordCount(journal, kRowLength); n += every) {
      char* date = Record(journal, kRowLength, n) + journal_layout::kDate;
      for (int b = 0; b < 8; ++b) date[b] = static_cast<char>(random_());
    }
    RunDamaged("random dates in every " + std::to_string(every) + "th row",
               {{kJournalFileName, journal}});
  }
}

TEST_F(MutatedShopTest, NotANumberAndInfiniteDates) {
  const double specials[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::denorm_min(),
                             1e308,
                             -1e308};
  const std::vector<int64_t> this_week = RowsDated(Day(2026, 11, 30), Day(2026, 12, 8));
  ASSERT_FALSE(this_week.empty());
  for (double special : specials) {
    std::string journal = Original(kJournalFileName);
    // In the week, at the start, at the end, and where a binary search looks first.
    const int64_t count = RecordCount(journal, kRowLength);
    for (int64_t n : {this_week[this_week.size() / 2], int64_t{1}, count, count / 2}) {
      EncodeDouble(Record(journal, kRowLength, n) + journal_layout::kDate, special);
    }
    RunDamaged("dates " + std::to_string(special), {{kJournalFileName, journal}});
  }
  std::string journal = Original(kJournalFileName);
  for (int64_t n = 1; n <= RecordCount(journal, kRowLength); ++n) {
    EncodeDouble(Record(journal, kRowLength, n) + journal_layout::kDate,
                 std::numeric_limits<double>::quiet_NaN());
  }
  RunDamaged("every date not a number", {{kJournalFileName, journal}});
}

TEST_F(MutatedShopTest, AProductRecordNumberBelowOneEndsTheRun) {
  for (int32_t link : {0, -1, std::numeric_limits<int32_t>::min()}) {
    std::string index = Original(kIndexFileName);
    EncodeInt32(Record(index, kIndexLength, 2) + index_layout::kProductRecord, link);
    const ProcessResult run =
        RunDamaged("product record " + std::to_string(link), {{kIndexFileName, index}});
    EXPECT_TRUE(EndedWithOneClearLine(run));
    EXPECT_TRUE(Contains(run.err, "VARNU.002")) << run.err;
    EXPECT_TRUE(Contains(run.err, std::to_string(link))) << run.err;
  }
  // Past the end is no error: the record reads as zero bytes.
  std::string index = Original(kIndexFileName);
  EncodeInt32(Record(index, kIndexLength, 2) + index_layout::kProductRecord,
              std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RunDamaged("product record past the end", {{kIndexFileName, index}}).exit_status, 0);
}

TEST_F(MutatedShopTest, AmountsBeyondTheCurrencyRangeEndTheRunNamingTheRow) {
  const std::vector<int64_t> this_week = RowsDated(Day(2026, 11, 30), Day(2026, 12, 8));
  ASSERT_FALSE(this_week.empty());
  const int64_t huge = std::numeric_limits<int64_t>::max();
  // One sale whose price times quantity leaves the range.
  std::string journal = Original(kJournalFileName);
  for (int64_t n : this_week) {
    char* row = Record(journal, kRowLength, n);
    row[journal_layout::kRowType] = 'M';
    EncodeInt64(row + journal_layout::kQuantity, huge / 3);
    EncodeInt64(row + journal_layout::kUnitPrice, int64_t{10000} * 100);
  }
  ProcessResult run = RunDamaged("a huge sale", {{kJournalFileName, journal}});
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "overflow")) << run.err;
  EXPECT_TRUE(Contains(run.err, "journal row")) << run.err;

  // Sales that fit one by one but not summed.
  journal = Original(kJournalFileName);
  for (int64_t n : this_week) {
    char* row = Record(journal, kRowLength, n);
    row[journal_layout::kRowType] = 'M';
    EncodeInt64(row + journal_layout::kQuantity, huge / 2);
    EncodeInt64(row + journal_layout::kUnitPrice, 10000);
    EncodeInt64(row + journal_layout::kUnitCost, 0);
    EncodeInt16(row + journal_layout::kVatPercent, 0);
  }
  run = RunDamaged("sales whose sum overflows", {{kJournalFileName, journal}});
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "VARNU.004")) << run.err;

  // A stock that cannot be valued.
  std::string products = Original(kProductFileName);
  EncodeInt64(Record(products, kProductLength, 1) + product_layout::kStockQuantity, huge);
  EncodeInt64(Record(products, kProductLength, 1) + product_layout::kUnitCost, 20000);
  run = RunDamaged("a huge stock", {{kProductFileName, products}});
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "index entry")) << run.err;

  // A VAT of -100 % leaves no net price.
  journal = Original(kJournalFileName);
  char* row = Record(journal, kRowLength, this_week.front());
  row[journal_layout::kRowType] = 'M';
  EncodeInt16(row + journal_layout::kVatPercent, -100);
  run = RunDamaged("a VAT of -100 %", {{kJournalFileName, journal}});
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "division by zero")) << run.err;

  // Rows no period reads may hold anything.
  journal = Original(kJournalFileName);
  for (int64_t n : RowsDated(Day(2024, 12, 1), Day(2024, 12, 31))) {
    EncodeInt64(Record(journal, kRowLength, n) + journal_layout::kQuantity, huge);
  }
  EXPECT_EQ(RunDamaged("huge rows before every period", {{kJournalFileName, journal}}).exit_status,
            0);
}

TEST_F(MutatedShopTest, AnErrorInTheMonthlyRunComesAfterTheWeeklyWasSentAndStoresNoMonth) {
  // The monthly stock a year ago is valued at the end of November 2025, the
  // weekly one a week later: only the monthly walk reaches these rows.
  std::string journal = Original(kJournalFileName);
  const std::vector<int64_t> rows = RowsDated(Day(2025, 11, 30), Day(2025, 12, 7));
  ASSERT_FALSE(rows.empty());
  for (int64_t n : rows) {
    char* row = Record(journal, kRowLength, n);
    EncodeInt64(row + journal_layout::kStockQuantityBefore, std::numeric_limits<int64_t>::max());
    EncodeInt64(row + journal_layout::kUnitCost, 50000);
  }
  Install({{kJournalFileName, journal}});
  shop_->SetMonthlySetting("");
  const ProcessResult run = shop_->Run(relay_);
  EXPECT_TRUE(EndedWithOneClearLine(run));
  EXPECT_TRUE(Contains(run.err, "stock value")) << run.err;
  EXPECT_EQ(relay_.requests().size(), 2u);  // the weekly report, nothing after the error
  EXPECT_FALSE(Contains(testing::ReadFile(shop_->settings_file()), "SarvilaxKK"));
}

TEST_F(MutatedShopTest, AJournalOutOfDateOrder) {
  std::string journal = Original(kJournalFileName);
  const int64_t count = RecordCount(journal, kRowLength);
  // Dates swapped between rows, the chains kept.
  for (int i = 0; i < 500; ++i) {
    char* a = Record(journal, kRowLength, 1 + random_() % count) + journal_layout::kDate;
    char* b = Record(journal, kRowLength, 1 + random_() % count) + journal_layout::kDate;
    std::swap_ranges(a, a + 8, b);
  }
  RunDamaged("dates swapped between rows", {{kJournalFileName, journal}});

  // The whole journal backwards: every chain now links to newer rows.
  journal = Original(kJournalFileName);
  std::string reversed;
  for (int64_t n = count; n >= 1; --n) reversed.append(Record(journal, kRowLength, n), kRowLength);
  RunDamaged("the journal backwards", {{kJournalFileName, reversed}});

  // Every row at one moment, inside the week.
  for (int64_t n = 1; n <= count; ++n) {
    EncodeDouble(Record(journal, kRowLength, n) + journal_layout::kDate, Day(2026, 12, 3));
  }
  RunDamaged("every row on one day", {{kJournalFileName, journal}});
}

TEST_F(MutatedShopTest, ChainsThatLoopOrPointPastTheEnd) {
  const int64_t count = RecordCount(Original(kJournalFileName), kRowLength);
  const auto set_every_link = [&](const std::function<int32_t(int64_t)>& link) {
    std::string journal = Original(kJournalFileName);
    for (int64_t n = 1; n <= count; ++n) {
      EncodeInt32(Record(journal, kRowLength, n) + journal_layout::kPreviousProductRow, link(n));
    }
    return journal;
  };
  RunDamaged(
      "every row links to itself",
      {{kJournalFileName, set_every_link([](int64_t n) { return static_cast<int32_t>(n); })}});
  RunDamaged(
      "every row links to the next",
      {{kJournalFileName, set_every_link([](int64_t n) { return static_cast<int32_t>(n + 1); })}});
  RunDamaged("every row links past the end", {{kJournalFileName, set_every_link([&](int64_t n) {
                                                 return static_cast<int32_t>(count + n);
                                               })}});
  // Pairs that link to each other.
  RunDamaged("rows linked in pairs", {{kJournalFileName, set_every_link([](int64_t n) {
                                         return static_cast<int32_t>(n % 2 == 0 ? n - 1 : n + 1);
                                       })}});
  RunDamaged(
      "every row links to the last",
      {{kJournalFileName, set_every_link([&](int64_t) { return static_cast<int32_t>(count); })}});

  for (int32_t last : {std::numeric_limits<int32_t>::max(), static_cast<int32_t>(count + 1),
                       static_cast<int32_t>(count), -1}) {
    std::string products = Original(kProductFileName);
    for (int64_t n = 1; n <= RecordCount(products, kProductLength); ++n) {
      EncodeInt32(Record(products, kProductLength, n) + product_layout::kLastJournalRow, last);
    }
    RunDamaged("every product's newest row " + std::to_string(last),
               {{kProductFileName, products}});
  }
}

TEST_F(MutatedShopTest, RandomBytesAnywhere) {
  for (int round = 0; round < 4; ++round) {
    std::map<std::string, std::string> changed;
    for (const char* name : {kIndexFileName, kProductFileName, kJournalFileName}) {
      std::string bytes = Original(name);
      const size_t flips = 1 + bytes.size() / (round == 0 ? 20000 : 500);
      for (size_t i = 0; i < flips && !bytes.empty(); ++i) {
        bytes[random_() % bytes.size()] = static_cast<char>(random_());
      }
      changed[name] = bytes;
    }
    RunDamaged("random bytes, round " + std::to_string(round), changed);
  }
}

class NoTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { return ""; }
};

// A line break byte in a product's name would split its Top-20 line in two:
// the sort would read a sales figure from wherever the pieces put one, and
// the attachment would list and total the pieces (110.00 euros of sales from
// products that sold 30.00). The line keeps the break as a space instead.
TEST(DamagedTextFieldTest, ALineBreakInAProductNameKeepsItsTopListLineWhole) {
  MemoryEnv env;
  testing::ShopBuilder shop;
  const OleDate now = MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600);
  shop.AddProduct("A", "Omena\r\n 9999999.99 x", 1, 1);
  shop.AddProduct("B", "Banaani", 1, 1);
  shop.AddRow('M', now - 1, "A", 12.40, 1, 1, 1);
  shop.AddRow('M', now - 1, "B", 24.80, 1, 1, 1);
  shop.AddRow('A', now - 1, "");
  shop.WriteTo(env, "data/");
  env.SetNow(now);
  RecordingWindow window;
  NoTransfer transfer;
  RunContext context{env, window, transfer, RelayConfig{}, Configuration{"Kauppa", {}}, "data/"};
  const ReportPlan plan = WeeklyReportPlan(env, now, "Kauppa");
  ComputeReportFigures(context, plan);
  const std::vector<std::string> chosen = WriteTop20Attachment(env, plan.attachment_heading());
  ASSERT_EQ(chosen.size(), 2u);
  for (const std::string& line : chosen) EXPECT_EQ(line.size(), 74u) << line;
  EXPECT_TRUE(chosen[0].starts_with("B ")) << chosen[0];
  const std::vector<std::string> attachment = SplitLines(env.File("Sarvilax.Txt"));
  ASSERT_GE(attachment.size(), 2u);
  EXPECT_EQ(attachment[attachment.size() - 2].substr(49, 11), "      30.00");
}

}  // namespace
}  // namespace sarvilax
