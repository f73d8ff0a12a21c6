#include "app/report_run.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/startup.h"
#include "core/error.h"
#include "core/memory_env.h"
#include "core/settings_store.h"
#include "tests/shop_builder.h"
#include "ui/recording_window.h"

namespace sarvilax {
namespace {

using testing::ShopBuilder;

const std::string kMonthKey = "Kvartolin Oy/Tilasto/SarvilaxKK";

class AcceptingTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string& url, const std::string& body) override {
    posts.push_back(url + "?" + body);
    return reply;
  }
  std::vector<std::string> posts;
  std::string reply = "True";
};

class ReportRunTest : public ::testing::Test {
 protected:
  ReportRunTest() {
    env_.SetNow(MakeOleDate(CivilDate{2026, 12, 7}, 6 * 3600 + 15 * 60));
    shop_.AddProduct("6410000000001", "Ruisleip\xE4", 10, 1.20);
    shop_.AddRow('M', env_.Now() - 1, "6410000000001", 2.48, 2, 12, 1.20, 14);
    shop_.AddRow('A', env_.Now() - 1, "");
    shop_.WriteTo(env_, "data/");
    env_.SettingValues()["Kvartolin Oy/Asiakas/Datat"] = "data/";
  }

  RunContext Context(std::vector<std::string> recipients, CommandLine command_line) {
    RelayConfig relay;
    relay.base_url = "https://relay.example.com";
    relay.sender_address = "raportit@example.com";
    return RunContext{env_,    window_,     transfer_, relay, {"Kauppa", std::move(recipients)},
                      "data/", command_line};
  }

  MemoryEnv env_;
  ShopBuilder shop_;
  RecordingWindow window_;
  AcceptingTransfer transfer_;
};

TEST_F(ReportRunTest, AWeeklyRunShowsItsPhasesSendsAndCleansUp) {
  RunContext context =
      Context({"Omistaja@Example.com", "  ", "kirjanpito@example.com"}, CommandLine::kEmpty);
  transfer_.reply = "True";
  const DispatchResult result = RunWeeklyReport(context);
  const std::string confirmation =
      "message  Zorvik|  Viikkoraportit on l\xE4hetetty seuraaviin osoitteisiin:     "
      "\r\n  -  omistaja@example.com\r\n  -  kirjanpito@example.com";
  const std::vector<std::string> expected = {"visible 1",
                                             "phase Lasketaan varastot",
                                             "phase Kuluvan viikon myynti",
                                             "phase Viime vuoden vastaava viikko",
                                             "phase Kumulatiivinen myynti",
                                             "phase Viime vuoden kumulatiivinen",
                                             "phase Summataan luvut",
                                             "phase L\xE4hetet\xE4\xE4n omistaja@example.com",
                                             "phase L\xE4hetet\xE4\xE4n   ",
                                             "phase L\xE4hetet\xE4\xE4n kirjanpito@example.com",
                                             "visible 0",
                                             confirmation};
  EXPECT_EQ(window_.calls, expected);
  EXPECT_EQ(transfer_.posts.size(), 2u);  // the blank recipient is skipped
  EXPECT_EQ(result.accepted.size(), 2u);
  EXPECT_FLOAT_EQ(window_.progress_values.back(), 100.0f);
  for (const char* work : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    EXPECT_FALSE(env_.HasFile(work)) << work;
  }
}

TEST_F(ReportRunTest, WithACommandLineNoMessageBoxAndRefusedAddressesAreLeftOut) {
  RunContext context = Context({"a@example.com"}, CommandLine::kGiven);
  transfer_.reply = "False";
  const DispatchResult result = RunWeeklyReport(context);
  EXPECT_TRUE(result.accepted.empty());
  ASSERT_EQ(result.refused.size(), 1u);
  EXPECT_EQ(result.refused[0].address, "a@example.com");
  EXPECT_EQ(result.refused[0].reason, "the relay answered \"False\"");
  EXPECT_EQ(window_.calls.back(), "visible 0");
}

TEST_F(ReportRunTest, TheMonthlyRunReportsEachMonthOnce) {
  RunContext context = Context({"a@example.com"}, CommandLine::kGiven);
  ASSERT_TRUE(RunMonthlyReport(context).has_value());
  EXPECT_EQ(env_.SettingValues()[kMonthKey], "2026-11-30");
  EXPECT_EQ(window_.calls[0], "visible 1");
  EXPECT_EQ(window_.calls[1], "title  Kuukausiraportti");
  EXPECT_EQ(window_.calls[3], "phase Kuluvan kuukauden myynti");
  EXPECT_NE(transfer_.posts[0].find("kuukausiraportti"), std::string::npos);

  // A second start in the same month touches nothing.
  window_.calls.clear();
  transfer_.posts.clear();
  EXPECT_FALSE(RunMonthlyReport(context).has_value());
  EXPECT_TRUE(window_.calls.empty());
  EXPECT_TRUE(transfer_.posts.empty());

  // Only the exact text suppresses it: a later value or another form is due again.
  for (const char* stored : {"2026-12-31", "30.11.2026", "2026-11-30 "}) {
    env_.SettingValues()[kMonthKey] = stored;
    EXPECT_TRUE(RunMonthlyReport(context).has_value()) << stored;
  }
}

TEST_F(ReportRunTest, AMonthTakesItsLastSecondButNotTheNextMidnight) {
  ShopBuilder shop;
  shop.AddProduct("6410000000001", "Ruisleip\xE4", 10, 1.20);
  shop.AddRow('M', MakeOleDate(CivilDate{2026, 10, 31}, 86399), "6410000000001", 1, 1, 0, 0, 0);
  shop.AddRow('M', MakeOleDate(CivilDate{2026, 11, 30}, 86399), "6410000000001", 2, 1, 0, 0, 0);
  shop.AddRow('M', MakeOleDate(CivilDate{2026, 12, 1}), "6410000000001", 4, 1, 0, 0, 0);
  shop.WriteTo(env_, "data/");
  RunContext context = Context({}, CommandLine::kGiven);
  const ReportFigures f = ComputeReportFigures(
      context, MonthlyReportPlan(env_, MonthlyReportDates(env_.Now()), "Kauppa"));
  EXPECT_EQ(f.periods[kThisPeriod].salesRows, 1);
  EXPECT_EQ(f.periods[kThisPeriod].netSales, testing::C(2));
  EXPECT_EQ(f.periods[kYearToDate].netSales, testing::C(3));
}

TEST_F(ReportRunTest, AMonthWithoutJournalRowsIsStillReportedAndSent) {
  ShopBuilder empty;
  empty.AddProduct("6410000000001", "Ruisleip\xE4", 10, 1.20);
  empty.WriteTo(env_, "data/");
  RunContext context = Context({"a@example.com"}, CommandLine::kGiven);
  ASSERT_TRUE(RunMonthlyReport(context).has_value());
  ASSERT_EQ(transfer_.posts.size(), 1u);
  // The Top-20 still lists the product, with zero sales.
  EXPECT_NE(transfer_.posts[0].find("d="), std::string::npos);
  EXPECT_EQ(env_.SettingValues()[kMonthKey], "2026-11-30");
}

TEST_F(ReportRunTest, AMonthWithoutRecipientsIsStoredButOneThatFailsIsNot) {
  RunContext context = Context({}, CommandLine::kGiven);
  ASSERT_TRUE(RunMonthlyReport(context).has_value());
  EXPECT_EQ(env_.SettingValues()[kMonthKey], "2026-11-30");

  env_.SettingValues().erase(kMonthKey);
  env_.DeleteFile("data/VARNU.004");
  EXPECT_THROW(RunMonthlyReport(context), Error);
  EXPECT_EQ(env_.SettingValues().count(kMonthKey), 0u);
}

TEST_F(ReportRunTest, APreviewNeverStoresTheMonth) {
  RunContext context = Context({"a@example.com"}, CommandLine::kGiven);
  context.relay.preview_folder = "preview/";
  ASSERT_TRUE(RunMonthlyReport(context).has_value());
  EXPECT_EQ(env_.SettingValues().count(kMonthKey), 0u);
}

class StartupRunTest : public ReportRunTest {
 protected:
  int Run(std::ostringstream& errors) {
    Platform platform{env_, [] { return std::make_unique<RecordingWindow>(); },
                      [this](const RelayConfig&) {
                        auto transfer = std::make_unique<AcceptingTransfer>();
                        transfer->reply = reply_;
                        return transfer;
                      },
                      [] { return RelayConfig(); }};
    return RunSarvilax(platform, CommandLine::kGiven, errors);
  }
  std::string reply_ = "True";
};

TEST_F(StartupRunTest, AMissedRecipientIsNamedAndEndsWithStatusThree) {
  env_.SetFile("Sarvilax.ini", "Kauppa\r\n\r\nA@example.com\r\n   \r\n");
  std::ostringstream errors;
  EXPECT_EQ(Run(errors), kExitDone);
  EXPECT_EQ(errors.str(), "");

  reply_ = "";
  env_.SettingValues().erase(kMonthKey);
  EXPECT_EQ(Run(errors), kExitRecipientMissed);
  EXPECT_EQ(errors.str(),
            "sarvilax: the weekly report did not reach a@example.com: the relay gave an empty "
            "reply\nsarvilax: the monthly report did not reach a@example.com: the relay gave an "
            "empty reply\n");
}

TEST_F(StartupRunTest, ASecondRunInTheSameFolderWaitsThenSendsNothing) {
  env_.SetFile("Sarvilax.ini", "Kauppa\r\n\r\na@example.com\r\n");
  const std::unique_ptr<FileLock> first = env_.LockExclusively(kLockFileName, 0);
  std::ostringstream errors;
  EXPECT_EQ(Run(errors), kExitError);
  EXPECT_NE(errors.str().find("another Sarvilax run"), std::string::npos) << errors.str();
  EXPECT_FALSE(env_.HasFile("Sarvilax.Dat"));
}

TEST(StartupTest, ReadsTheConfigurationVerbatim) {
  Configuration c = ParseConfiguration("Kauppa \r\nignored\r\n\r\n a@b.fi \rC@D.FI\nlast");
  EXPECT_EQ(c.shop_name, "Kauppa ");
  EXPECT_EQ(c.recipients, (std::vector<std::string>{"", " a@b.fi ", "C@D.FI", "last"}));
  EXPECT_EQ(ParseConfiguration("").shop_name, "");
  EXPECT_TRUE(ParseConfiguration("Only\r\n").recipients.empty());

  MemoryEnv env;
  EXPECT_FALSE(FindConfigurationFile(env).has_value());
  env.SetFile("SARVILAX.INI", "x");
  EXPECT_EQ(FindConfigurationFile(env), "SARVILAX.INI");
}

TEST(StartupTest, WithoutConfigurationNothingIsReadOrShown) {
  MemoryEnv env;
  bool touched = false;
  Platform platform{env,
                    [&] {
                      touched = true;
                      return std::make_unique<RecordingWindow>();
                    },
                    nullptr,
                    [&] {
                      touched = true;
                      return RelayConfig();
                    }};
  std::ostringstream errors;
  EXPECT_EQ(RunSarvilax(platform, CommandLine::kEmpty, errors), 0);
  EXPECT_FALSE(touched);
  EXPECT_TRUE(errors.str().empty());
}

}  // namespace
}  // namespace sarvilax
