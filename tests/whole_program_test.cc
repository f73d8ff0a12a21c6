// The real program on a generated shop, under a fixed clock (faketime), with
// the reference relay under PHP's built-in web server on loopback.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/php_relay.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::FindOnPath;
using testing::PhpRelay;
using testing::ProcessResult;
using testing::ReadFile;
using testing::RunProcess;
using testing::TempDir;
using testing::WriteFile;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class WholeProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    faketime_ = FindOnPath("faketime");
    const std::string php = FindOnPath("php");
    if (faketime_.empty() || php.empty()) {
      GTEST_SKIP() << "faketime or php is missing (scripts/install-deps installs them)";
    }
    relay_ = std::make_unique<PhpRelay>(php, std::vector<std::string>{});
    const ProcessResult made = RunProcess(
        {SARVILAX_DEMOSHOP_BINARY, "--seed", "7", "--products", "150", "--years", "2",
         "--receipts-per-day", "30", "--end-date", "2026-12-06", "--config-home", config_home(),
         "--recipient", "Omistaja@Example.com", "--recipient", "kirjanpito@example.com", shop()},
        dir_.path());
    ASSERT_EQ(made.exit_status, 0) << made.err;
  }

  std::string shop() const { return dir_ / "shop"; }
  std::string config_home() const { return dir_ / "config"; }
  std::string settings() const { return config_home() + "/Kvartolin Oy/settings.ini"; }

  ProcessResult Run(const std::string& time, std::vector<std::string> words = {"ajastettu"}) {
    std::vector<std::string> argv = {faketime_, time, SARVILAX_BINARY};
    argv.insert(argv.end(), words.begin(), words.end());
    return RunProcess(argv, shop(),
                      {"XDG_CONFIG_HOME=" + config_home(), "SARVILAX_RELAY_URL=" + relay_->url(),
                       "TZ=Europe/Helsinki", "DISPLAY=", "ASAN_OPTIONS=verify_asan_link_order=0"});
  }

  TempDir dir_;
  std::string faketime_;
  std::unique_ptr<PhpRelay> relay_;
};

TEST_F(WholeProgramTest, FirstStartInAMonthSendsWeeklyThenMonthlyAndStoresTheMonth) {
  ProcessResult run = Run("2026-12-07 06:15:00");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  std::vector<std::string> mails = relay_->Mails();
  ASSERT_EQ(mails.size(), 4u);  // two recipients, weekly then monthly
  EXPECT_TRUE(Contains(mails[0], "To: omistaja@example.com"));
  EXPECT_TRUE(Contains(mails[1], "To: kirjanpito@example.com"));
  // Subjects are "<shop> viikkoraportti" and "<shop> kuukausiraportti", encoded words.
  EXPECT_TRUE(Contains(mails[0], "IHZpaWtrb3JhcG9ydHRp"));
  EXPECT_TRUE(Contains(ReadFile(settings()), "SarvilaxKK=2026-11-30"));
  for (const char* work : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    EXPECT_FALSE(testing::Exists(shop() + "/" + work)) << work;
  }

  // A second start in the same month sends only the weekly report.
  run = Run("2026-12-14 06:15:00");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(relay_->Mails().size(), 6u);
  // The first start of the next month reports November's successor.
  run = Run("2027-01-01 00:30:00");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(relay_->Mails().size(), 10u);
  EXPECT_TRUE(Contains(ReadFile(settings()), "SarvilaxKK=2026-12-31"));
}

TEST_F(WholeProgramTest, WithoutSarvilaxIniNothingHappens) {
  std::filesystem::remove(shop() + "/Sarvilax.ini");
  std::filesystem::remove_all(config_home());
  const ProcessResult run = Run("2026-12-07 06:15:00", {});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out + run.err, "");
  EXPECT_FALSE(testing::Exists(config_home()));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(shop()), {}), 1);  // data/ only
  EXPECT_TRUE(relay_->Mails().empty());
}

TEST_F(WholeProgramTest, AMissingDataFileEndsWithOneLineAndLeavesTheMonthUnreported) {
  std::filesystem::remove(shop() + "/data/VARNU.004");
  const ProcessResult run = Run("2026-12-07 06:15:00");
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_TRUE(Contains(run.err, "VARNU.004")) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_TRUE(relay_->Mails().empty());
  EXPECT_FALSE(Contains(ReadFile(settings()), "SarvilaxKK"));
}

TEST_F(WholeProgramTest, WithoutRecipientsTheMonthIsStillStored) {
  WriteFile(shop() + "/Sarvilax.ini", "Kauppa\r\n");
  const ProcessResult run = Run("2026-12-07 06:15:00", {});
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_TRUE(relay_->Mails().empty());
  EXPECT_TRUE(Contains(ReadFile(settings()), "SarvilaxKK=2026-11-30"));
  // Started by hand without a terminal: the message boxes go to standard output.
  EXPECT_TRUE(Contains(run.out, "Viikkoraportit on l\xC3\xA4hetetty")) << run.out;
  EXPECT_TRUE(Contains(run.out, "Kuukausiraportit on l\xC3\xA4hetetty")) << run.out;
}

}  // namespace
}  // namespace sarvilax
