#include "ui/silent_window.h"

#include "ui/display_text.h"

namespace sarvilax {

void WriteConsoleMessage(std::FILE* out, const std::string& title, const std::string& text) {
  const std::string message = ConsoleMessage(title, text);
  std::fwrite(message.data(), 1, message.size(), out);
  std::fflush(out);
}

void SilentWindow::ShowMessageBox(const std::string& title, const std::string& text) {
  WriteConsoleMessage(message_out_, title, text);
}

}  // namespace sarvilax
