// The install tree and the Debian package: the program, its manual page, the
// systemd user units, the desktop entry and the relay land where a Debian
// system looks for them, and the launchers name the installed program (not
// the build or staging folder it was installed from).
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::Exists;
using testing::FindOnPath;
using testing::ProcessResult;
using testing::ReadFile;
using testing::RunProcess;
using testing::TempDir;

constexpr char kInstalledProgram[] = "/usr/bin/sarvilax";
constexpr char kService[] = "/usr/lib/systemd/user/sarvilax.service";
constexpr char kTimer[] = "/usr/lib/systemd/user/sarvilax.timer";
constexpr char kDesktopEntry[] = "/usr/share/applications/sarvilax.desktop";
constexpr char kManPage[] = "/usr/share/man/man1/sarvilax.1";

std::string BuildDirectory() {
  return std::filesystem::path(SARVILAX_BINARY).parent_path().string();
}

std::string Describe(const ProcessResult& result) {
  return "exit " + std::to_string(result.exit_status) + ", signal " +
         std::to_string(result.signal) + "\nstdout:\n" + result.out + "\nstderr:\n" + result.err;
}

// Installs the build under the prefix /usr into the staging folder destdir.
void InstallInto(const TempDir& destdir) {
  const ProcessResult result =
      RunProcess({SARVILAX_CMAKE_COMMAND, "--install", BuildDirectory(), "--prefix", "/usr"},
                 destdir.path(), {"DESTDIR=" + destdir.path()});
  ASSERT_EQ(result.exit_status, 0) << Describe(result);
}

// Checks the files a staged or packaged /usr tree under root must hold.
void ExpectInstalledTree(const std::string& root) {
  EXPECT_EQ(access((root + kInstalledProgram).c_str(), X_OK), 0) << root + kInstalledProgram;
  EXPECT_EQ(ReadFile(root + kManPage), ReadFile(SARVILAX_SOURCE_DIR "/doc/sarvilax.1"));
  EXPECT_TRUE(Exists(root + "/usr/share/sarvilax/relay/sendmail.php"));
  EXPECT_TRUE(Exists(root + "/usr/share/sarvilax/relay/config.php"));

  const std::string service = ReadFile(root + kService);
  EXPECT_NE(service.find("\nType=oneshot\n"), std::string::npos) << service;
  EXPECT_NE(service.find("\nWorkingDirectory=%h/sarvilax\n"), std::string::npos) << service;
  EXPECT_NE(service.find("\nExecStart=/usr/bin/sarvilax ajastettu\n"), std::string::npos)
      << service;

  const std::string timer = ReadFile(root + kTimer);
  EXPECT_NE(timer.find("\nOnCalendar=Mon *-*-* 06:00:00\n"), std::string::npos) << timer;
  EXPECT_NE(timer.find("\nPersistent=true\n"), std::string::npos) << timer;
  EXPECT_NE(timer.find("\nWantedBy=timers.target\n"), std::string::npos) << timer;

  // By hand means an empty command line: nothing may follow the program.
  const std::string desktop = ReadFile(root + kDesktopEntry);
  EXPECT_NE(desktop.find("\nExec=sh -c \"cd ~/sarvilax && exec /usr/bin/sarvilax\"\n"),
            std::string::npos)
      << desktop;
  EXPECT_NE(desktop.find("\nTerminal=false\n"), std::string::npos) << desktop;
  for (const std::string& text : {service, desktop}) {
    EXPECT_EQ(text.find('@'), std::string::npos) << "unreplaced placeholder in\n" << text;
  }
}

TEST(InstallTest, InstallsEveryFileWhereADebianSystemLooks) {
  TempDir destdir;
  ASSERT_NO_FATAL_FAILURE(InstallInto(destdir));
  ExpectInstalledTree(destdir.path());
  EXPECT_EQ(Exists(destdir / "usr/share/doc/sarvilax/README.md"),
            Exists(SARVILAX_SOURCE_DIR "/README.md"));

  TempDir work;
  const ProcessResult version =
      RunProcess({destdir / "usr/bin/sarvilax", "--version"}, work.path());
  EXPECT_EQ(version.exit_status, 0) << Describe(version);
  EXPECT_TRUE(version.out.starts_with("sarvilax ")) << version.out;
}

// systemd checks the units as the user's manager would load them: every key
// known, the calendar expression valid, the program executable and the
// manual page of Documentation= present (MANPATH points at the staged one).
TEST(InstallTest, InstalledUnitsPassSystemdVerify) {
  const std::string systemd_analyze = FindOnPath("systemd-analyze");
  if (systemd_analyze.empty()) GTEST_SKIP() << "systemd-analyze is not installed";
  TempDir destdir;
  ASSERT_NO_FATAL_FAILURE(InstallInto(destdir));

  // The service must name an existing program, so the copy checked here
  // points at the staged one instead of /usr/bin.
  TempDir units;
  std::string service = ReadFile(destdir.path() + kService);
  const std::string exec_start = std::string("ExecStart=") + kInstalledProgram;
  const size_t at = service.find(exec_start);
  ASSERT_NE(at, std::string::npos) << service;
  service.replace(at, exec_start.size(), "ExecStart=" + destdir.path() + kInstalledProgram);
  testing::WriteFile(units / "sarvilax.service", service);
  testing::WriteFile(units / "sarvilax.timer", ReadFile(destdir.path() + kTimer));

  TempDir runtime;
  const ProcessResult result = RunProcess(
      {systemd_analyze, "--user", "verify", units / "sarvilax.service", units / "sarvilax.timer"},
      units.path(),
      {"XDG_RUNTIME_DIR=" + runtime.path(), "MANPATH=" + (destdir / "usr/share/man")});
  EXPECT_EQ(result.exit_status, 0) << Describe(result);
  EXPECT_EQ(result.err, "") << Describe(result);
}

// cpack builds the package from the same install rules under its own
// staging folder, which must not leak into the launchers.
TEST(InstallTest, DebianPackageHoldsTheTreeAndItsLibraries) {
  const std::string dpkg_deb = FindOnPath("dpkg-deb");
  if (dpkg_deb.empty() || FindOnPath("dpkg-shlibdeps").empty()) {
    GTEST_SKIP() << "dpkg-deb or dpkg-shlibdeps (package dpkg-dev) is not installed";
  }
  TempDir out;
  const ProcessResult pack = RunProcess({SARVILAX_CPACK_COMMAND, "-G", "DEB", "--config",
                                         BuildDirectory() + "/CPackConfig.cmake", "-B", out.path()},
                                        out.path());
  ASSERT_EQ(pack.exit_status, 0) << Describe(pack);
  std::string deb;
  for (const auto& entry : std::filesystem::directory_iterator(out.path())) {
    if (entry.path().extension() == ".deb") deb = entry.path().string();
  }
  ASSERT_FALSE(deb.empty()) << Describe(pack);

  const ProcessResult fields = RunProcess({dpkg_deb, "-f", deb, "Package", "Depends"}, out.path());
  ASSERT_EQ(fields.exit_status, 0) << Describe(fields);
  EXPECT_NE(fields.out.find("Package: sarvilax\n"), std::string::npos) << fields.out;
  for (const std::string library : {"libc6", "libcurl4", "libfltk1.3", "libssl3", "libstdc++6"}) {
    EXPECT_NE(fields.out.find(library + " "), std::string::npos) << library << " missing from\n"
                                                                 << fields.out;
  }

  TempDir root;
  const ProcessResult unpack = RunProcess({dpkg_deb, "-x", deb, root.path()}, out.path());
  ASSERT_EQ(unpack.exit_status, 0) << Describe(unpack);
  ExpectInstalledTree(root.path());
}

}  // namespace
}  // namespace sarvilax
