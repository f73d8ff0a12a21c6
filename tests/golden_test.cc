// Golden reports: the real program on two generated shops at two fixed
// clocks (a December Monday, and the first week of January, whose week
// starts in the old year), with the preview relay writing its requests to a
// folder. The body and attachment decoded from each request are compared
// byte for byte with tests/golden/*.txt (code page 1252, CR LF).
//
// How the golden files were made: written once by this test with
// SARVILAX_UPDATE_GOLDEN=1, then read line by line against the report's
// rules (texts, widths, patterns, rounding), and their volume and sales
// figures checked against PlainSums below — every journal row of the shop
// kept or dropped by its date alone, with no binary search, no chain and no
// shared pass. That check runs on every test run, so a golden file can not
// silently take over a wrong figure.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "core/currency.h"
#include "core/memory_env.h"
#include "core/number_format.h"
#include "core/text_lines.h"
#include "delivery/preview_transfer.h"
#include "posdata/records.h"
#include "reports/report_plan.h"
#include "tests/php_relay.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::ProcessResult;
using testing::ReadFile;
using testing::RunProcess;
using testing::TempDir;

struct GoldenCase {
  const char* name;
  std::vector<std::string> shop_options;
  const char* clock;  // local time, Europe/Helsinki
  CivilDateTime run_time;
};

const GoldenCase kCases[] = {
    {"december",
     {"--seed", "7", "--products", "150", "--years", "2", "--receipts-per-day", "30", "--end-date",
      "2026-12-06"},
     "2026-12-07 06:15:00",
     {{2026, 12, 7}, 6, 15, 0}},
    {"january",
     {"--seed", "11", "--products", "400", "--years", "3", "--receipts-per-day", "50", "--end-date",
      "2027-01-04"},
     "2027-01-05 06:15:00",
     {{2027, 1, 5}, 6, 15, 0}},
};

std::string HexToBytes(std::string_view hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
  }
  return bytes;
}

// The body and attachment of a preview file, as the relay would decode them.
std::pair<std::string, std::string> DecodedDocuments(const std::string& preview_text) {
  const std::string marker = "--- form body ---\n";
  std::string form = preview_text.substr(preview_text.find(marker) + marker.size());
  form = form.substr(0, form.find('\n'));
  std::map<std::string, std::string> fields;
  for (size_t start = 0; start <= form.size();) {
    const size_t end = std::min(form.find('&', start), form.size());
    const std::string pair = form.substr(start, end - start);
    fields[pair.substr(0, pair.find('='))] = DecodeFormValue(pair.substr(pair.find('=') + 1));
    start = end + 1;
  }
  return {HexToBytes(fields["b"]), HexToBytes(fields["d"])};
}

std::vector<JournalRecord> ReadJournal(const std::string& path) {
  const std::string bytes = ReadFile(path);
  std::vector<JournalRecord> rows;
  for (size_t at = 0; at + journal_layout::kLength <= bytes.size(); at += journal_layout::kLength) {
    rows.push_back(DecodeJournalRecord(bytes.data() + at));
  }
  return rows;
}

struct PlainSums {
  int customers = 0, rows = 0;
  Currency net;
};

PlainSums SumByDate(const std::vector<JournalRecord>& journal, const PeriodPlan& period) {
  PlainSums sums;
  bool pending = false;
  for (const JournalRecord& r : journal) {
    if (r.date < period.start || (period.end && r.date >= *period.end)) continue;
    const char type = static_cast<char>(std::toupper(static_cast<unsigned char>(r.rowType)));
    if (type == 'A' && pending) ++sums.customers, pending = false;
    if (type != 'M') continue;
    pending = true;
    ++sums.rows;
    sums.net +=
        Currency::FromDouble((r.unitPrice * r.quantity).ToDouble() / (r.vatPercent / 100.0 + 1));
  }
  return sums;
}

// Column c's value of a figure row (label of 14 characters).
std::string Field(const std::string& line, int c) {
  std::string field = line.substr(14 + 15 * c, 11);
  return field.substr(field.find_first_not_of(' '));
}

void ExpectTableFiguresMatchPlainSums(const std::string& message, const ReportPlan& plan,
                                      const std::vector<JournalRecord>& journal) {
  const std::vector<std::string> lines = SplitLines(message);
  ASSERT_EQ(lines.size(), 31u);
  for (int c = 0; c < 4; ++c) {
    const PlainSums sums = SumByDate(journal, plan.periods[c]);
    const NumberPattern pattern = c < 2 ? NumberPattern::kTwoDecimals : NumberPattern::kWhole;
    EXPECT_EQ(Field(lines[7], c), std::to_string(sums.customers)) << "column " << c + 1;
    EXPECT_EQ(Field(lines[8], c), std::to_string(sums.rows)) << "column " << c + 1;
    EXPECT_EQ(Field(lines[13], c), FormatNumber(sums.net, pattern)) << "column " << c + 1;
  }
}

void CompareWithGolden(const std::string& name, const std::string& actual) {
  const std::string path = std::string(SARVILAX_SOURCE_DIR) + "/tests/golden/" + name;
  if (std::getenv("SARVILAX_UPDATE_GOLDEN") != nullptr) testing::WriteFile(path, actual);
  EXPECT_EQ(ReadFile(path), actual) << name << " differs from its golden file";
}

TEST(GoldenTest, WeeklyAndMonthlyDocumentsOfTwoShops) {
  const std::string faketime = testing::FindOnPath("faketime");
  if (faketime.empty()) GTEST_SKIP() << "faketime is missing (scripts/install-deps installs it)";
  for (const GoldenCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::vector<std::string> make = {SARVILAX_DEMOSHOP_BINARY, "--config-home", dir / "config",
                                     "--recipient", "omistaja@example.com"};
    make.insert(make.end(), c.shop_options.begin(), c.shop_options.end());
    make.push_back(dir / "shop");
    ASSERT_EQ(RunProcess(make, dir.path()).exit_status, 0);
    std::filesystem::create_directory(dir / "preview");
    const ProcessResult run = RunProcess(
        {faketime, c.clock, SARVILAX_BINARY, "ajastettu"}, dir / "shop",
        {"XDG_CONFIG_HOME=" + (dir / "config"), "SARVILAX_RELAY_URL=file://" + (dir / "preview"),
         "TZ=Europe/Helsinki", "DISPLAY=", "ASAN_OPTIONS=verify_asan_link_order=0"});
    ASSERT_EQ(run.exit_status, 0) << run.err;

    const auto weekly = DecodedDocuments(ReadFile(dir / "preview/001 omistaja@example.com.txt"));
    const auto monthly = DecodedDocuments(ReadFile(dir / "preview/002 omistaja@example.com.txt"));
    CompareWithGolden(std::string(c.name) + "-weekly-message.txt", weekly.first);
    CompareWithGolden(std::string(c.name) + "-weekly-attachment.txt", weekly.second);
    CompareWithGolden(std::string(c.name) + "-monthly-message.txt", monthly.first);
    CompareWithGolden(std::string(c.name) + "-monthly-attachment.txt", monthly.second);

    const std::vector<JournalRecord> journal = ReadJournal(dir / "shop/data/VARNU.004");
    const OleDate run_time = MakeOleDate(c.run_time);
    MemoryEnv env;
    ExpectTableFiguresMatchPlainSums(weekly.first, WeeklyReportPlan(env, run_time, ""), journal);
    ExpectTableFiguresMatchPlainSums(
        monthly.first, MonthlyReportPlan(env, MonthlyReportDates(run_time), ""), journal);
  }
}

}  // namespace
}  // namespace sarvilax
