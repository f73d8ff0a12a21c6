#include "ui/terminal_window.h"

#include <errno.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "core/cp1252.h"
#include "ui/display_text.h"
#include "ui/silent_window.h"

namespace sarvilax {

namespace {

// " [########------------]  42%"
std::string BarText(int whole_percent, int bar_width) {
  const int filled = whole_percent * bar_width / 100;
  std::string percent = std::to_string(whole_percent);
  percent.insert(0, 3 - std::min<size_t>(3, percent.size()), ' ');
  return " [" + std::string(filled, '#') + std::string(bar_width - filled, '-') + "] " + percent +
         "%";
}

// The window title without the leading blank that sets it off in a title bar.
std::string_view TrimmedTitle(std::string_view title) {
  const size_t first = title.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string_view() : title.substr(first);
}

}  // namespace

TerminalWindow::TerminalWindow(int terminal_fd, std::FILE* message_out, std::FILE* message_in,
                               ProgressThrottle::Clock clock)
    : terminal_fd_(terminal_fd),
      message_out_(message_out),
      message_in_(message_in),
      throttle_(clock) {}

TerminalWindow::~TerminalWindow() {
  if (visible_ && drawn_length_ > 0) WriteToTerminal("\n");
}

void TerminalWindow::SetVisible(bool visible) {
  if (visible) {
    visible_ = true;
    Draw();
    throttle_.MarkDrawn();
  } else if (visible_) {
    Clear();
    visible_ = false;
  }
}

void TerminalWindow::SetTitle(const std::string& title) {
  title_ = title;
  if (visible_) Draw();
}

void TerminalWindow::SetPhase(const std::string& caption) {
  caption_ = caption;
  if (!visible_) return;
  Draw();
  throttle_.MarkDrawn();
}

void TerminalWindow::SetProgress(float percent) {
  if (throttle_.Update(percent) && visible_) Draw();
}

void TerminalWindow::ShowMessageBox(const std::string& title, const std::string& text) {
  if (visible_) Clear();
  WriteConsoleMessage(message_out_, title, text);
  if (isatty(fileno(message_in_))) WaitForEnter();
  if (visible_) Draw();
}

std::string TerminalWindow::ProgressLine(int width) const {
  const size_t room = width > 1 ? static_cast<size_t>(width - 1) : 0;
  const std::string head = WithoutControlBytes(std::string(TrimmedTitle(title_)) + ": " + caption_);
  const std::string tail = BarText(throttle_.whole_percent(), kBarWidth);
  if (head.size() + tail.size() <= room) return head + tail;
  if (room > tail.size()) return head.substr(0, room - tail.size()) + tail;
  return (head + tail).substr(0, room);
}

int TerminalWindow::TerminalWidth() const {
  winsize size = {};
  if (ioctl(terminal_fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultTerminalWidth;
}

void TerminalWindow::Draw() {
  const std::string line = ProgressLine(TerminalWidth());
  const int length = static_cast<int>(line.size());
  // Blanks wipe what is left of a longer line drawn before.
  const std::string wipe(std::max(0, drawn_length_ - length), ' ');
  WriteToTerminal("\r" + Cp1252ToUtf8(line) + wipe);
  drawn_length_ = length;
}

void TerminalWindow::Clear() {
  const int blanks = std::min(drawn_length_, TerminalWidth() - 1);
  WriteToTerminal("\r" + std::string(std::max(0, blanks), ' ') + "\r");
  drawn_length_ = 0;
}

void TerminalWindow::WriteToTerminal(const std::string& bytes) {
  // A terminal that went away must not end a report run: errors are dropped.
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(terminal_fd_, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    written += static_cast<size_t>(n);
  }
}

void TerminalWindow::WaitForEnter() {
  WriteToTerminal("OK (Enter) ");
  int c;
  do {
    c = std::getc(message_in_);
  } while (c != '\n' && c != EOF);
}

}  // namespace sarvilax
