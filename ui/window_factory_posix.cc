#include <unistd.h>

#include "ui/fltk_window.h"
#include "ui/silent_window.h"
#include "ui/terminal_window.h"
#include "ui/window.h"

namespace sarvilax {

std::unique_ptr<Window> CreateWindowForThisProcess() {
  if (auto desktop = CreateDesktopWindowIfDisplayOpens()) return desktop;
  if (isatty(STDERR_FILENO)) return std::make_unique<TerminalWindow>(STDERR_FILENO);
  return std::make_unique<SilentWindow>();
}

}  // namespace sarvilax
