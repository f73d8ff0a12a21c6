#include "ui/terminal_window.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace sarvilax {
namespace {

int64_t fake_now = 0;
int64_t FakeNow() { return fake_now; }

// A pseudo-terminal: the face writes to the terminal end, the test reads
// what a terminal would have been sent at the other end.
class PseudoTerminal {
 public:
  explicit PseudoTerminal(int columns) {
    controller_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (controller_ < 0 || grantpt(controller_) != 0 || unlockpt(controller_) != 0) return;
    terminal_ = open(ptsname(controller_), O_RDWR | O_NOCTTY);
    winsize size = {};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(terminal_, TIOCSWINSZ, &size);
  }
  ~PseudoTerminal() {
    if (terminal_ >= 0) close(terminal_);
    if (controller_ >= 0) close(controller_);
  }

  bool ok() const { return terminal_ >= 0; }
  int terminal() const { return terminal_; }

  // Everything sent to the terminal since the last call.
  std::string Output() {
    std::string output;
    pollfd ready = {controller_, POLLIN, 0};
    char buffer[4096];
    while (poll(&ready, 1, 50) > 0 && (ready.revents & POLLIN)) {
      const ssize_t n = read(controller_, buffer, sizeof buffer);
      if (n <= 0) break;
      output.append(buffer, static_cast<size_t>(n));
    }
    return output;
  }

  // Types text at the keyboard of the terminal.
  void Type(const std::string& text) {
    ASSERT_EQ(write(controller_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }

 private:
  int controller_ = -1;
  int terminal_ = -1;
};

std::string ReadAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  return text;
}

// The text after the last carriage return: what stays on the line.
std::string LastDrawing(const std::string& output) {
  const size_t last_return = output.rfind('\r');
  return last_return == std::string::npos ? output : output.substr(last_return + 1);
}

bool OnlyBlanksAndReturns(const std::string& output) {
  return output.find_first_not_of(" \r") == std::string::npos;
}

TEST(TerminalWindowTest, DrawsTitleCaptionAndBarInPlaceWhileVisible) {
  PseudoTerminal pty(80);
  ASSERT_TRUE(pty.ok());
  std::FILE* messages = std::tmpfile();
  fake_now = 0;
  {
    TerminalWindow window(pty.terminal(), messages, messages, &FakeNow);
    // Created hidden: nothing reaches the terminal until the window is shown.
    window.SetPhase("Lasketaan varastot");
    window.SetProgress(50);
    EXPECT_EQ(pty.Output(), "");

    window.SetVisible(true);
    std::string line = pty.Output();
    EXPECT_EQ(line, "\rViikkoraportti: Lasketaan varastot [##########----------]  50%");

    window.SetPhase("L\xE4hetet\xE4\xE4n a@b.fi");
    line = pty.Output();
    EXPECT_EQ(line.front(), '\r');
    EXPECT_NE(line.find("Viikkoraportti: L\u00E4hetet\u00E4\u00E4n a@b.fi [##########"),
              std::string::npos)
        << line;

    fake_now += 100;
    window.SetProgress(42.7f);
    line = pty.Output();
    EXPECT_EQ(LastDrawing(line),
              "Viikkoraportti: L\u00E4hetet\u00E4\u00E4n a@b.fi [########------------]  42%");
    // Same whole percent, or too soon after the last redraw: nothing is sent.
    fake_now += 1;
    window.SetProgress(42.9f);
    fake_now += 1;
    window.SetProgress(43.5f);
    EXPECT_EQ(pty.Output(), "");
    window.SetProgress(100);
    EXPECT_NE(pty.Output().find("[####################] 100%"), std::string::npos);

    window.SetTitle(" Kuukausiraportti");
    EXPECT_NE(pty.Output().find("\rKuukausiraportti: "), std::string::npos);
    // A shorter line is padded over the longer one drawn before.
    window.SetPhase("Summataan luvut");
    EXPECT_EQ(pty.Output(), "\rKuukausiraportti: Summataan luvut [####################] 100%  ");

    // Hiding wipes the line: blanks over it and the cursor back at its start.
    window.SetVisible(false);
    line = pty.Output();
    EXPECT_TRUE(OnlyBlanksAndReturns(line)) << line;
    EXPECT_GE(line.size(), std::string("Kuukausiraportti: ").size());
    EXPECT_EQ(line.back(), '\r');
    window.SetProgress(10);
    window.SetPhase("Summataan luvut");
    window.SetVisible(false);
    EXPECT_EQ(pty.Output(), "");
  }
  EXPECT_EQ(pty.Output(), "");  // no stray newline from a hidden face
  EXPECT_EQ(ReadAll(messages), "");
  std::fclose(messages);
}

TEST(TerminalWindowTest, LineFitsTheTerminalAndCannotBeSteered) {
  PseudoTerminal pty(40);
  ASSERT_TRUE(pty.ok());
  fake_now = 0;
  auto window = std::make_unique<TerminalWindow>(pty.terminal(), stdout, stdin, &FakeNow);
  window->SetVisible(true);
  window->SetPhase("L\xE4hetet\xE4\xE4n hyvin.pitka.osoite\x1B[2J@esimerkki.fi");
  std::string line = LastDrawing(pty.Output());
  // 39 characters: the caption is cut, the bar and percentage stay.
  EXPECT_EQ(line, "Viikkorapor [--------------------]   0%");
  EXPECT_EQ(window->ProgressLine(60),
            "Viikkoraportti: L\xE4hetet\xE4\xE4n hyvi [--------------------]   0%");
  EXPECT_NE(window->ProgressLine(200).find("osoite?[2J@esimerkki.fi ["), std::string::npos);
  EXPECT_EQ(window->ProgressLine(10), "Viikkorap");

  // A run that ends with the window shown (an error) closes the line.
  window.reset();
  EXPECT_EQ(pty.Output(), "\r\n");  // the terminal turns "\n" into CR LF
}

TEST(TerminalWindowTest, MessageBoxGoesToStandardOutputAndWaitsOnlyAtATerminal) {
  PseudoTerminal pty(80);
  ASSERT_TRUE(pty.ok());
  const std::string text =
      "  Viikkoraportit on l\xE4hetetty seuraaviin osoitteisiin:     \r\n  -  a@b.fi";
  const std::string expected =
      " Zorvik\n  Viikkoraportit on l\u00E4hetetty seuraaviin osoitteisiin:     \n  -  a@b.fi\n";

  // Standard input is not a terminal: the text is written and the run goes on.
  std::FILE* out = std::tmpfile();
  std::FILE* not_a_terminal = std::tmpfile();
  TerminalWindow window(pty.terminal(), out, not_a_terminal);
  window.SetVisible(true);
  pty.Output();
  window.ShowMessageBox(" Zorvik", text);
  EXPECT_EQ(ReadAll(out), expected);
  // The progress line steps aside for the message and comes back.
  const std::string around = pty.Output();
  EXPECT_EQ(around.find("OK"), std::string::npos);
  EXPECT_NE(around.find("\rViikkoraportti: "), std::string::npos);

  // At a terminal the box waits for Enter, which the person has pressed.
  std::FILE* keyboard = fdopen(dup(pty.terminal()), "r");
  ASSERT_NE(keyboard, nullptr);
  std::FILE* out2 = std::tmpfile();
  TerminalWindow waiting(pty.terminal(), out2, keyboard);
  pty.Type("\n");
  waiting.ShowMessageBox(" Zorvik", text);
  EXPECT_EQ(ReadAll(out2), expected);
  EXPECT_NE(pty.Output().find("OK (Enter) "), std::string::npos);

  std::fclose(keyboard);
  std::fclose(out);
  std::fclose(out2);
  std::fclose(not_a_terminal);
}

}  // namespace
}  // namespace sarvilax
