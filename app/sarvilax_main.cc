// sarvilax: the weekly and monthly sales reports of a shop, read from its
// point-of-sale data files and mailed through the relay.
#include <cstdio>
#include <iostream>
#include <string>

#include "app/startup.h"
#include "delivery/http_transfer.h"
#include "ui/window.h"

namespace {

constexpr char kUsage[] =
    "Usage: sarvilax [WORD...]\n"
    "\n"
    "Run in the folder that holds Sarvilax.ini. Reads the point-of-sale data\n"
    "files of the folder named by the Datat setting, and mails the weekly\n"
    "report (and, once a month, the monthly report) to the recipients listed\n"
    "in Sarvilax.ini.\n"
    "\n"
    "Without words the window shows and each report ends with a message box;\n"
    "with any word (as a scheduler passes) no message box waits.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Environment: SARVILAX_RELAY_URL (https://..., or file:///folder for a\n"
    "preview that writes the requests there), SARVILAX_RELAY_CA, SARVILAX_RELAY_TIMEOUT.\n"
    "\n"
    "Exit status: 0 done, 1 error (one line on standard error), 3 done but a\n"
    "recipient was not reached (a line on standard error names it).\n";

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command_line = JoinArguments(argc, argv);
  if (command_line == "--help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command_line == "--version") {
    std::puts("sarvilax " SARVILAX_VERSION);
    return 0;
  }
  sarvilax::Platform platform{sarvilax::DefaultEnv(), sarvilax::CreateWindowForThisProcess,
                              sarvilax::NewTransferFor, sarvilax::RelayConfigFromEnvironment};
  return sarvilax::RunSarvilax(
      platform,
      command_line.empty() ? sarvilax::CommandLine::kEmpty : sarvilax::CommandLine::kGiven,
      std::cerr);
}
