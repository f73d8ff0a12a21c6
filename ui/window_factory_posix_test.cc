#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "ui/fltk_window.h"
#include "ui/silent_window.h"
#include "ui/terminal_window.h"
#include "ui/window.h"

namespace sarvilax {
namespace {

std::string ReadUntilClosed(int fd) {
  std::string text;
  char buffer[4096];
  pollfd ready = {fd, POLLIN, 0};
  while (poll(&ready, 1, 10000) > 0) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  return text;
}

struct ChildRun {
  std::string face;    // "desktop", "terminal" or "silent"
  std::string output;  // what the face wrote on standard output
};

// Makes the face in a child process whose DISPLAY is display (unset when
// null) and whose standard error is stderr_fd, puts it through a whole run
// and reports which face it was. A failed display probe must not end the
// child, so a missing report fails the test.
ChildRun FaceOfAChild(const char* display, int stderr_fd) {
  int report[2], output[2];
  if (pipe(report) != 0 || pipe(output) != 0) return {"pipe failed", ""};
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    close(output[0]);
    if (display == nullptr) {
      unsetenv("DISPLAY");
    } else {
      setenv("DISPLAY", display, 1);
    }
    dup2(stderr_fd, STDERR_FILENO);
    dup2(output[1], STDOUT_FILENO);
    const int no_input = open("/dev/null", O_RDONLY);
    dup2(no_input, STDIN_FILENO);
    std::unique_ptr<Window> window = CreateWindowForThisProcess();
    const char* face = dynamic_cast<FltkWindow*>(window.get())       ? "desktop"
                       : dynamic_cast<TerminalWindow*>(window.get()) ? "terminal"
                       : dynamic_cast<SilentWindow*>(window.get())   ? "silent"
                                                                     : "unknown";
    if (dynamic_cast<FltkWindow*>(window.get()) == nullptr) {
      window->SetVisible(true);
      window->SetPhase("L\xE4hetet\xE4\xE4n a@b.fi");
      window->SetProgress(50);
      window->SetVisible(false);
      window->ShowMessageBox(" Zorvik", "  Viikkoraportit\r\n  -  a@b.fi");
    }
    (void)!write(report[1], face, strlen(face));
    _exit(0);
  }
  close(report[1]);
  close(output[1]);
  ChildRun run;
  run.face = ReadUntilClosed(report[0]);
  run.output = ReadUntilClosed(output[0]);
  close(report[0]);
  close(output[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return run;
}

TEST(WindowFactoryTest, SilentWithoutADisplayOrATerminal) {
  int error_pipe[2];
  ASSERT_EQ(pipe(error_pipe), 0);
  ChildRun run = FaceOfAChild(nullptr, error_pipe[1]);
  EXPECT_EQ(run.face, "silent");
  EXPECT_EQ(run.output, " Zorvik\n  Viikkoraportit\n  -  a@b.fi\n");
  // A display that does not answer counts as none, and ends nothing.
  run = FaceOfAChild(":97531", error_pipe[1]);
  EXPECT_EQ(run.face, "silent");
  close(error_pipe[1]);
  // Nothing at all on standard error: a scheduler mails whatever appears there.
  EXPECT_EQ(ReadUntilClosed(error_pipe[0]), "");
  close(error_pipe[0]);
}

TEST(WindowFactoryTest, TerminalWhenStandardErrorIsOne) {
  const int controller = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(controller, 0);
  ASSERT_EQ(grantpt(controller), 0);
  ASSERT_EQ(unlockpt(controller), 0);
  const int terminal = open(ptsname(controller), O_RDWR | O_NOCTTY);
  ASSERT_GE(terminal, 0);
  ChildRun run = FaceOfAChild(nullptr, terminal);
  EXPECT_EQ(run.face, "terminal");
  // Standard input is no terminal, so the message box did not wait.
  EXPECT_EQ(run.output, " Zorvik\n  Viikkoraportit\n  -  a@b.fi\n");
  EXPECT_EQ(FaceOfAChild(":97531", terminal).face, "terminal");
  close(terminal);
  close(controller);
}

}  // namespace
}  // namespace sarvilax
