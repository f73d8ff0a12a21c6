#include "app/startup.h"

#include <algorithm>
#include <new>

#include "app/report_run.h"
#include "core/cp1252.h"
#include "core/error.h"
#include "core/settings_store.h"
#include "core/text_lines.h"

namespace sarvilax {
namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return ToLowerCp1252(x) == ToLowerCp1252(y);
         });
}

// One line per recipient a report did not reach, for a scheduler's journal.
bool ReportMissedRecipients(const char* report, const DispatchResult& result,
                            std::ostream& errors) {
  for (const Refusal& refusal : result.refused) {
    errors << "sarvilax: the " << report << " report did not reach "
           << Cp1252ToUtf8(refusal.address) << ": " << Cp1252ToUtf8(refusal.reason) << "\n";
  }
  return !result.refused.empty();
}

// Returns true when every report reached every non-blank recipient.
bool RunReports(Platform& platform, CommandLine command_line, const std::string& ini_path,
                std::ostream& errors) {
  Env& env = platform.env;
  Configuration configuration = ParseConfiguration(env.ReadWholeFile(ini_path));
  std::string data_directory =
      env.Settings().Read(kSettingsApplicationName, "Asiakas", "Datat", "");
  const RelayConfig relay = platform.relay_config();
  std::unique_ptr<Window> window = platform.make_window();
  std::unique_ptr<HttpTransfer> transfer = platform.make_transfer(relay);
  RunContext context{
      env,         *window, *transfer, relay, std::move(configuration), std::move(data_directory),
      command_line};
  if (command_line == CommandLine::kEmpty) window->SetVisible(true);
  const std::unique_ptr<FileLock> lock = env.LockExclusively(kLockFileName, kLockWaitSeconds);
  bool missed = ReportMissedRecipients("weekly", RunWeeklyReport(context), errors);
  if (const auto monthly = RunMonthlyReport(context)) {
    missed = ReportMissedRecipients("monthly", *monthly, errors) || missed;
  }
  return !missed;
}

}  // namespace

std::optional<std::string> FindConfigurationFile(Env& env) {
  for (const std::string& name : env.ListDirectory("")) {
    if (SameNameIgnoringCase(name, kConfigurationFileName) && env.IsRegularFile(name)) return name;
  }
  return std::nullopt;
}

Configuration ParseConfiguration(std::string_view text) {
  Configuration configuration;
  const std::vector<std::string> lines = SplitLines(text);
  if (!lines.empty()) configuration.shop_name = lines[0];
  if (lines.size() > 2) configuration.recipients.assign(lines.begin() + 2, lines.end());
  return configuration;
}

int RunSarvilax(Platform& platform, CommandLine command_line, std::ostream& errors) {
  const std::optional<std::string> ini_path = FindConfigurationFile(platform.env);
  if (!ini_path) return kExitDone;
  try {
    return RunReports(platform, command_line, *ini_path, errors) ? kExitDone : kExitRecipientMissed;
  } catch (const Error& e) {
    errors << "sarvilax: " << Cp1252ToUtf8(e.what()) << "\n";
  } catch (const std::bad_alloc&) {
    errors << "sarvilax: out of memory\n";
  } catch (const std::exception& e) {
    errors << "sarvilax: " << e.what() << "\n";
  }
  return kExitError;
}

}  // namespace sarvilax
