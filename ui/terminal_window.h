// The face for a person at a terminal without a desktop: one line on the
// terminal (standard error) that shows the window title, the phase caption
// and a progress bar with its percentage, redrawn in place:
//
//   Viikkoraportti: Lasketaan varastot [########------------]  42%
//
// The line is cut to the terminal's width so that it never wraps, and it is
// wiped when the window is hidden. The message box goes to standard output
// and waits for Enter when standard input is a terminal.
#ifndef SARVILAX_UI_TERMINAL_WINDOW_H_
#define SARVILAX_UI_TERMINAL_WINDOW_H_

#include <cstdio>
#include <string>

#include "ui/progress_throttle.h"
#include "ui/window.h"

namespace sarvilax {

class TerminalWindow : public Window {
 public:
  // terminal_fd receives the progress line; message_out the message boxes;
  // message_in is read for the Enter that closes a message box when it is a
  // terminal. All must outlive the face.
  explicit TerminalWindow(int terminal_fd, std::FILE* message_out = stdout,
                          std::FILE* message_in = stdin,
                          ProgressThrottle::Clock clock = &ProgressThrottle::MonotonicMilliseconds);
  // A line still shown (the run ended by an error) is left standing and
  // closed with a newline, so the error message starts on a line of its own.
  ~TerminalWindow() override;

  void SetVisible(bool visible) override;
  void SetTitle(const std::string& title) override;
  void SetPhase(const std::string& caption) override;
  void SetProgress(float percent) override;
  void ShowMessageBox(const std::string& title, const std::string& text) override;

  // The line as drawn for a terminal of the given width in characters
  // (code page 1252, one byte a character), never longer than width - 1.
  std::string ProgressLine(int width) const;

 private:
  static constexpr int kBarWidth = 20;
  static constexpr int kDefaultTerminalWidth = 80;

  int TerminalWidth() const;
  void Draw();
  void Clear();
  void WriteToTerminal(const std::string& bytes);
  void WaitForEnter();

  int terminal_fd_;
  std::FILE* message_out_;
  std::FILE* message_in_;
  bool visible_ = false;
  std::string title_ = kWeeklyWindowTitle;
  std::string caption_ = kInitialPhaseCaption;
  ProgressThrottle throttle_;
  int drawn_length_ = 0;  // characters of the line on the terminal now
};

}  // namespace sarvilax

#endif  // SARVILAX_UI_TERMINAL_WINDOW_H_
