// A generated shop in a temporary folder and the real program run on it
// against a recording HTTPS relay, for tests that provoke faults and check
// what the program promises: it ends with status 0 and a report, 3 with a
// line per missed recipient, or 1 with one clear line and nothing sent;
// never with a signal, never hung.
#ifndef SARVILAX_TESTS_FAULT_HARNESS_H_
#define SARVILAX_TESTS_FAULT_HARNESS_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "posdata/records.h"
#include "tests/https_test_server.h"
#include "tests/php_relay.h"
#include "tests/test_util.h"

namespace sarvilax::testing {

// The clock of every run: a Monday morning in December, a week after the
// last day of the generated history.
inline constexpr char kRunTime[] = "2026-12-07 06:15:00";
// The monthly setting that makes the November report already sent.
inline constexpr char kNovemberReported[] = "2026-11-30";

struct ShopSize {
  int products = 30;
  int years = 2;
  int receipts_per_day = 3;
};

// <folder>/work holds Sarvilax.ini, <folder>/data the three data files and
// <folder>/config the settings file naming the data folder.
class TestShop {
 public:
  explicit TestShop(const ShopSize& size = {},
                    const std::vector<std::string>& recipients = {"omistaja@example.com",
                                                                  "kirjanpito@example.com"}) {
    std::vector<std::string> argv = {SARVILAX_DEMOSHOP_BINARY,
                                     "--seed",
                                     "11",
                                     "--products",
                                     std::to_string(size.products),
                                     "--years",
                                     std::to_string(size.years),
                                     "--receipts-per-day",
                                     std::to_string(size.receipts_per_day),
                                     "--end-date",
                                     "2026-12-06",
                                     "--config-home",
                                     config_home(),
                                     work()};
    for (const std::string& recipient : recipients) {
      argv.insert(argv.end() - 1, {"--recipient", recipient});
    }
    const ProcessResult made = RunProcess(argv, folder_.path());
    if (made.exit_status != 0) throw std::runtime_error("sarvilax-demoshop failed: " + made.err);
    std::filesystem::rename(work() + "/data", data());
    SetMonthlySetting(kNovemberReported);
  }

  std::string work() const { return folder_ / "work"; }
  std::string data() const { return folder_ / "data"; }
  std::string config_home() const { return folder_ / "config"; }
  std::string settings_file() const { return config_home() + "/Kvartolin Oy/settings.ini"; }
  std::string DataFile(const std::string& name) const { return data() + "/" + name; }
  std::string folder() const { return folder_.path(); }

  // A command the program is started through, under the clock (for example
  // prlimit with a limit for the program alone).
  std::vector<std::string> wrapper;

  // The settings file naming the data folder, with the last month reported
  // ("" for none, so that a run sends the monthly report too).
  void SetMonthlySetting(const std::string& month) {
    std::string text = "; Kvartolin Oy\n[Asiakas]\nDatat=" + data() + "/\n";
    if (!month.empty()) text += "[Tilasto]\nSarvilaxKK=" + month + "\n";
    WriteFile(settings_file(), text);
  }

  // The real program in the working folder under a fixed clock, posting to
  // relay. extra_env entries come first, so they win over the defaults.
  ProcessResult Run(const HttpsTestServer& relay, std::vector<std::string> extra_env = {},
                    const std::string& clock = kRunTime, int timeout_seconds = 60) const {
    return RunWithRelay(relay.url(), relay.certificate_file(), std::move(extra_env), clock,
                        timeout_seconds);
  }

  ProcessResult RunWithRelay(const std::string& url, const std::string& ca_file,
                             std::vector<std::string> extra_env = {},
                             const std::string& clock = kRunTime, int timeout_seconds = 60) const {
    const std::string faketime = FindOnPath("faketime");
    std::vector<std::string> environment = std::move(extra_env);
    environment.insert(environment.end(),
                       {"XDG_CONFIG_HOME=" + config_home(), "SARVILAX_RELAY_URL=" + url,
                        "SARVILAX_RELAY_CA=" + ca_file, "TZ=Europe/Helsinki",
                        "ASAN_OPTIONS=verify_asan_link_order=0"});
    // "@<date> <time> x<rate>" starts the clock there and runs it faster.
    std::vector<std::string> argv = {faketime, clock};
    if (clock.starts_with("@")) argv.insert(argv.begin() + 1, "-f");
    argv.insert(argv.end(), wrapper.begin(), wrapper.end());
    argv.insert(argv.end(), {SARVILAX_BINARY, "ajastettu"});
    return RunProcess(argv, work(), WithoutDisplay(environment), timeout_seconds);
  }

 private:
  // No window: the runs are scheduled ones, and the test's own DISPLAY is
  // left out of the child's environment by naming it empty first.
  static std::vector<std::string> WithoutDisplay(std::vector<std::string> environment) {
    environment.insert(environment.begin(), "DISPLAY=");
    return environment;
  }

  TempDir folder_;
};

// Whether the tools the whole-program fault tests need are here.
inline bool HaveFaketime() { return !FindOnPath("faketime").empty(); }

// The program ended on its own with status 1 and said why in one line.
inline ::testing::AssertionResult EndedWithOneClearLine(const ProcessResult& run) {
  const std::string& err = run.err;
  if (run.signal != 0) {
    return ::testing::AssertionFailure() << "killed by signal " << run.signal << ": " << err;
  }
  if (run.exit_status != 1) {
    return ::testing::AssertionFailure() << "status " << run.exit_status << ": " << err;
  }
  if (std::count(err.begin(), err.end(), '\n') != 1 || !err.ends_with('\n') ||
      !err.starts_with("sarvilax: ") || err.size() > 400) {
    return ::testing::AssertionFailure() << "not one clear line: " << err;
  }
  return ::testing::AssertionSuccess();
}

// The program ended on its own: with a report (0), a report some recipient
// missed (3), or one clear line (1).
inline ::testing::AssertionResult EndedCleanly(const ProcessResult& run) {
  if (run.signal == 0 && run.exit_status == 0 && run.err.empty()) {
    return ::testing::AssertionSuccess();
  }
  if (run.signal == 0 && run.exit_status == 3) return ::testing::AssertionSuccess();
  return EndedWithOneClearLine(run);
}

inline std::string FileText(const std::string& path) { return ReadFile(path); }

// Record n (1-based) of a record file's bytes.
inline char* Record(std::string& file, int length, int64_t n) {
  return file.data() + (n - 1) * length;
}

inline int64_t RecordCount(const std::string& file, int length) {
  return static_cast<int64_t>(file.size()) / length;
}

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_FAULT_HARNESS_H_
