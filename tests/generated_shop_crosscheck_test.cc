// The report run's passes on a generated shop, read from real files as the
// program reads them (block reads on a second thread, the mapped index, all
// chains walked together), against a plain record-by-record reading of the
// same files: the figures and the Top-20 work file must be the same, with
// period boundaries falling exactly on journal rows.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/report_run.h"
#include "core/env.h"
#include "demoshop/shop_generator.h"
#include "figures/top_list.h"
#include "tests/record_by_record.h"
#include "tests/test_util.h"
#include "ui/silent_window.h"

namespace sarvilax {
namespace {

using testing::ReadFile;
using testing::TempDir;

class NoTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override { return ""; }
};

// The process's working folder moved to folder while the object lives: the
// report run keeps its work files in the working folder.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
  }
  ~WorkingFolder() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};

class GeneratedShopCrossCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directory(dir_ / "data");
    std::filesystem::create_directory(dir_ / "work");
    ShopParameters shop;
    shop.seed = 5;
    shop.products = 700;
    shop.years = 2;
    shop.receipts_per_day = 70;
    shop.end_date = CivilDate{2026, 3, 15};
    GenerateShop(shop, dir_ / "data");
  }

  // The newest sale row dated at least days before the end of the journal.
  JournalRecord SaleRowBeforeTheEnd(double days) {
    DataFiles files = DataFiles::Open(DefaultEnv(), data());
    const int64_t count = files.journal().CountRecords();
    const OleDate last = files.ReadJournalDate(count);
    for (int64_t n = FindFirstJournalRow(files, last - days); n > 0; --n) {
      const JournalRecord row = files.ReadJournalRow(n);
      if (row.rowType == 'M' && row.date <= last - days) return row;
    }
    ADD_FAILURE() << "no sale row " << days << " days before the end";
    return JournalRecord();
  }

  void ExpectSameAsRecordByRecord(const ReportPlan& plan, const std::string& what) {
    SCOPED_TRACE(what);
    SilentWindow window;
    NoTransfer transfer;
    RunContext context{DefaultEnv(),           window, transfer, RelayConfig(),
                       Configuration{"K", {}}, data()};
    ReportFigures figures;
    {
      const WorkingFolder work(dir_ / "work");
      figures = ComputeReportFigures(context, plan);
    }
    const testing::RecordByRecordResult plain =
        testing::ComputeRecordByRecord(DefaultEnv(), data(), plan);
    for (int c = 0; c < kColumns; ++c) {
      EXPECT_EQ(figures.periods[c], plain.figures.periods[c]) << "column " << c + 1;
      EXPECT_GT(plain.figures.periods[c].salesRows, 0) << "column " << c + 1;
    }
    EXPECT_EQ(figures.stock, plain.figures.stock);
    const std::string top_list = ReadFile(dir_ / ("work/" + std::string(kTopListFileName)));
    EXPECT_EQ(top_list, plain.top_list);
    EXPECT_GT(top_list.size(), 600u * 76);
  }

  std::string data() const { return dir_ / "data/"; }

  TempDir dir_;
};

TEST_F(GeneratedShopCrossCheckTest, FiguresAndTopListEqualARecordByRecordReading) {
  // The journal spans tens of read blocks and walk groups.
  ASSERT_GT(std::filesystem::file_size(dir_ / "data/VARNU.004"), 20u << 20);

  // A sale row exactly at the start of the week: it belongs to the week.
  const JournalRecord week_start = SaleRowBeforeTheEnd(30);
  const OleDate week_run = week_start.date + 7;
  ASSERT_EQ(week_run - 7, week_start.date);
  ExpectSameAsRecordByRecord(WeeklyReportPlan(DefaultEnv(), week_run, "K"), "week starts at a row");

  // A sale row exactly at the comparison date: it belongs to neither period
  // a year ago, and the stock walk applies it.
  const JournalRecord compared = SaleRowBeforeTheEnd(400);
  const OleDate year_run = compared.date + 365;
  ASSERT_EQ(year_run - 365, compared.date);
  ExpectSameAsRecordByRecord(WeeklyReportPlan(DefaultEnv(), year_run, "K"),
                             "comparison date at a row");

  // Early in a year, and the monthly reports of the previous months.
  const OleDate january = MakeOleDate(CivilDate{2026, 1, 3}, 10 * 3600);
  ExpectSameAsRecordByRecord(WeeklyReportPlan(DefaultEnv(), january, "K"), "3 January");
  ExpectSameAsRecordByRecord(MonthlyReportPlan(DefaultEnv(), MonthlyReportDates(january), "K"),
                             "December's report");
  ExpectSameAsRecordByRecord(MonthlyReportPlan(DefaultEnv(), MonthlyReportDates(year_run), "K"),
                             "a monthly report");
}

}  // namespace
}  // namespace sarvilax
