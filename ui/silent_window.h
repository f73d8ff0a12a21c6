// The face of a run nobody watches (a scheduled run, output into a pipe):
// it draws nothing and writes nothing on standard error. The message box
// still leaves its title and text on standard output, so that a log of the
// run tells where the report went; nothing waits for a person.
#ifndef SARVILAX_UI_SILENT_WINDOW_H_
#define SARVILAX_UI_SILENT_WINDOW_H_

#include <cstdio>
#include <string>

#include "ui/window.h"

namespace sarvilax {

class SilentWindow : public Window {
 public:
  // message_out receives the message boxes; it must outlive the face.
  explicit SilentWindow(std::FILE* message_out = stdout) : message_out_(message_out) {}

  void SetVisible(bool) override {}
  void SetTitle(const std::string&) override {}
  void SetPhase(const std::string&) override {}
  void SetProgress(float) override {}
  void ShowMessageBox(const std::string& title, const std::string& text) override;

 private:
  std::FILE* message_out_;
};

// Writes the message box as ConsoleMessage text to out and flushes it, so the
// text is out before the program goes on. Write errors are ignored: a closed
// standard output must not end a report run.
void WriteConsoleMessage(std::FILE* out, const std::string& title, const std::string& text);

}  // namespace sarvilax

#endif  // SARVILAX_UI_SILENT_WINDOW_H_
