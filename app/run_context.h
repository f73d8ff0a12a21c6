// The state of one process, passed explicitly to the report runs: the
// platform seams, the settings loaded at start-up and the command line.
#ifndef SARVILAX_APP_RUN_CONTEXT_H_
#define SARVILAX_APP_RUN_CONTEXT_H_

#include <string>
#include <vector>

#include "core/env.h"
#include "delivery/http_transfer.h"
#include "posdata/data_files.h"
#include "ui/window.h"

namespace sarvilax {

// An empty command line means a person started the program by hand: the
// window shows at start-up and each report ends with a message box.
enum class CommandLine { kEmpty, kGiven };

// Sarvilax.ini: line 1 the shop's name, line 2 unused, lines 3 onward one
// recipient each, all verbatim (blank lines and surrounding spaces kept).
struct Configuration {
  std::string shop_name;
  std::vector<std::string> recipients;
};

struct RunContext {
  Env& env;
  Window& window;
  HttpTransfer& transfer;
  RelayConfig relay;
  Configuration configuration;
  std::string data_directory;  // a plain prefix of the data file names
  CommandLine command_line = CommandLine::kGiven;
};

}  // namespace sarvilax

#endif  // SARVILAX_APP_RUN_CONTEXT_H_
