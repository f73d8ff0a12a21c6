#include "ui/fltk_window.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ui/window.h"

namespace sarvilax {
namespace {

using std::chrono::milliseconds;

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  for (std::string dir; std::getline(dirs, dir, ':');) {
    dir += "/";
    dir += program;
    if (access(dir.c_str(), X_OK) == 0) return true;
  }
  return false;
}

// Reads from fd until a newline or the end, for at most timeout.
std::string ReadLine(int fd, milliseconds timeout) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  char c;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd ready = {fd, POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;
    if (read(fd, &c, 1) != 1 || c == '\n') return line;
    line += c;
  }
  return "timed out";
}

// An X server of its own for the test, on a display number it picks.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int number_pipe[2];
    if (pipe(number_pipe) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(number_pipe[0]);
      const int quiet = open("/dev/null", O_WRONLY);
      dup2(quiet, STDOUT_FILENO);
      dup2(quiet, STDERR_FILENO);
      const std::string fd = std::to_string(number_pipe[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "800x600x24", "-nolisten",
             "tcp", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(number_pipe[1]);
    const std::string number = ReadLine(number_pipe[0], milliseconds(20000));
    close(number_pipe[0]);
    if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos) {
      name_ = ":" + number;
    }
  }
  ~VirtualDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }

  // ":N", or empty when the server did not start.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// A child process that runs the given steps one at a time when told, so the
// test can look at the screen between them with the X tools. The toolkit's
// display connection lives only in the child.
class SteppedChild {
 public:
  // A step returns "" when it went well, else what went wrong.
  using Step = std::function<std::string()>;

  explicit SteppedChild(const std::vector<Step>& steps) {
    int go[2], done[2];
    if (pipe(go) != 0 || pipe(done) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(go[1]);
      close(done[0]);
      for (const Step& step : steps) {
        char c;
        if (read(go[0], &c, 1) != 1) _exit(0);
        const std::string result = step() + "\n";
        (void)!write(done[1], result.data(), result.size());
      }
      char c;
      while (read(go[0], &c, 1) == 1) {
      }
      _exit(0);
    }
    close(go[0]);
    close(done[1]);
    go_ = go[1];
    done_ = done[0];
  }
  ~SteppedChild() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    close(go_);
    close(done_);
  }

  void Start() { (void)!write(go_, "g", 1); }
  // The result of the step started last, or "timed out".
  std::string Result(milliseconds timeout) { return ReadLine(done_, timeout); }
  std::string RunNext() {
    Start();
    return Result(milliseconds(20000));
  }

 private:
  pid_t pid_ = -1;
  int go_ = -1;
  int done_ = -1;
};

std::string RunTool(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

// The line of `xwininfo -root -tree` for the window titled title, or "".
std::string WindowLine(const std::string& display, const std::string& title) {
  const std::string tree = RunTool("xwininfo -display " + display + " -root -tree 2>/dev/null");
  const size_t at = tree.find("\"" + title + "\":");
  if (at == std::string::npos) return "";
  const size_t start = tree.rfind('\n', at) + 1;
  return tree.substr(start, tree.find('\n', at) - start);
}

std::string WindowId(const std::string& window_line) {
  std::istringstream words(window_line);
  std::string id;
  words >> id;
  return id;
}

std::string WaitForWindowLine(const std::string& display, const std::string& title) {
  for (int i = 0; i < 100; ++i) {
    std::string line = WindowLine(display, title);
    if (!line.empty()) return line;
    std::this_thread::sleep_for(milliseconds(100));
  }
  return "";
}

TEST(FltkWindowTest, FormOnAVirtualDesktop) {
  for (const char* tool : {"Xvfb", "xwininfo", "xprop", "xwd"}) {
    if (!OnPath(tool)) {
      GTEST_SKIP() << tool << " is not installed (Debian packages xvfb, x11-utils, x11-apps); "
                   << "the desktop window is not tested";
    }
  }
  VirtualDisplay display;
  ASSERT_FALSE(display.name().empty()) << "Xvfb did not start";
  const std::filesystem::path shots =
      std::filesystem::temp_directory_path() / ("sarvilax_ui_" + std::to_string(getpid()));
  std::filesystem::create_directories(shots);

  std::unique_ptr<Window> window;
  const std::string& display_name = display.name();
  SteppedChild child({
      [&] {
        setenv("DISPLAY", display_name.c_str(), 1);
        window = CreateWindowForThisProcess();
        return std::string(dynamic_cast<FltkWindow*>(window.get()) ? "" : "not the desktop face");
      },
      [&] {
        window->SetVisible(true);
        window->SetPhase("L\xE4hetet\xE4\xE4n a@b.fi");
        window->SetProgress(42);
        return std::string();
      },
      [&] {
        window->SetTitle(" Kuukausiraportti");
        return std::string();
      },
      [&] {
        window->SetVisible(false);
        return std::string();
      },
      [&] {
        window->ShowMessageBox(
            " Zorvik",
            "  Viikkoraportit on l\xE4hetetty seuraaviin osoitteisiin:     \r\n  -  a@b.fi");
        return std::string("returned without waiting");
      },
  });

  // Created hidden.
  ASSERT_EQ(child.RunNext(), "");
  EXPECT_EQ(WindowLine(display_name, " Viikkoraportti"), "");

  // Shown: the title, the client area, the class and both icon sizes.
  ASSERT_EQ(child.RunNext(), "");
  const std::string form = WindowLine(display_name, " Viikkoraportti");
  EXPECT_NE(form.find(" 424x78+"), std::string::npos) << form;
  EXPECT_NE(form.find("\"Sarvilax\""), std::string::npos) << form;
  const std::string id = WindowId(form);
  const std::string icon =
      RunTool("xprop -display " + display_name + " -id " + id + " _NET_WM_ICON");
  EXPECT_NE(icon.find("Icon (32 x 32)"), std::string::npos) << icon.substr(0, 200);
  EXPECT_NE(icon.find("Icon (16 x 16)"), std::string::npos);
  const std::string shot = (shots / "form1.xwd").string();
  RunTool("xwd -display " + display_name + " -silent -id " + id + " -out " + shot);
  EXPECT_GE(std::filesystem::file_size(shot), 424u * 78u * 3u);

  // The monthly run renames the window.
  ASSERT_EQ(child.RunNext(), "");
  EXPECT_NE(WindowLine(display_name, " Kuukausiraportti").find(" 424x78+"), std::string::npos);

  // Hidden: no longer on the screen.
  ASSERT_EQ(child.RunNext(), "");
  EXPECT_EQ(RunTool("xwininfo -display " + display_name + " -root -tree").find("Kuukausiraportti"),
            std::string::npos);

  // The message box appears and the program waits for it to be closed.
  child.Start();
  const std::string box = WaitForWindowLine(display_name, " Zorvik");
  ASSERT_NE(box, "") << "no message box appeared";
  RunTool("xwd -display " + display_name + " -silent -id " + WindowId(box) + " -out " +
          (shots / "message.xwd").string());
  EXPECT_GT(std::filesystem::file_size(shots / "message.xwd"), 0u);
  EXPECT_EQ(child.Result(milliseconds(500)), "timed out");

  std::filesystem::remove_all(shots);
}

}  // namespace
}  // namespace sarvilax
