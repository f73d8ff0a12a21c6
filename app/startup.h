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
// errors and status 1.
int RunSarvilax(Platform& platform, CommandLine command_line, std::ostream& errors);

}  // namespace sarvilax

#endif  // SARVILAX_APP_STARTUP_H_
