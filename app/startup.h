// Start-up and the run sequence of the process: find and load Sarvilax.ini,
// read the data folder setting, run the weekly report and then the monthly
// one, and turn any error into one line and an exit status.
#ifndef SARVILAX_APP_STARTUP_H_
#define SARVILAX_APP_STARTUP_H_

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "app/run_context.h"

namespace sarvilax {

inline constexpr char kConfigurationFileName[] = "Sarvilax.ini";
// Held by a run from before its first work file until its end, so that a
// scheduled start and a start by hand in one folder never share work files.
inline constexpr char kLockFileName[] = "Sarvilax.lck";
inline constexpr int kLockWaitSeconds = 60;

// Exit statuses.
inline constexpr int kExitDone = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitRecipientMissed = 3;  // finished, but a recipient was not accepted

// The platform pieces a process runs on; tests put in their own.
struct Platform {
  Env& env;
  std::function<std::unique_ptr<Window>()> make_window;
  std::function<std::unique_ptr<HttpTransfer>(const RelayConfig&)> make_transfer;
  std::function<RelayConfig()> relay_config;
};

// The working directory's ordinary file named Sarvilax.ini without regard
// to letter case, or nothing.
std::optional<std::string> FindConfigurationFile(Env& env);

// Line 1 is the shop name, line 2 is skipped, every further line is a
// recipient, all verbatim.
Configuration ParseConfiguration(std::string_view text);

// The whole process: returns its exit status. Without Sarvilax.ini it ends
// at once with 0, touching nothing. An error ends it with one line on
// errors and status 1. Each recipient a report did not reach gets a line on
// errors, and the status is then 3.
int RunSarvilax(Platform& platform, CommandLine command_line, std::ostream& errors);

}  // namespace sarvilax

#endif  // SARVILAX_APP_STARTUP_H_
