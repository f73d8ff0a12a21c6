#include "core/env.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/error.h"
#include "gtest/gtest.h"

namespace sarvilax {
namespace {

class PosixEnvTest : public ::testing::Test {
 protected:
  PosixEnvTest() {
    std::string name = (std::filesystem::temp_directory_path() / "sarvilax-XXXXXX").string();
    dir_ = mkdtemp(name.data());
  }
  ~PosixEnvTest() override { std::filesystem::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }
  static void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
  }

  Env& env_ = DefaultEnv();
  std::string dir_;
};

TEST_F(PosixEnvTest, WorkFileNeverWritesThroughAPlantedLink) {
  WriteFile(PathOf("victim"), "keep");
  std::filesystem::create_symlink(PathOf("victim"), PathOf("Sarvilax.Dat"));
  std::filesystem::create_symlink(PathOf("absent"), PathOf("Sarvilax.Txt"));

  env_.CreateWorkFile(PathOf("Sarvilax.Dat"))->WriteAt(0, "overwritten");
  env_.WriteWholeFile(PathOf("Sarvilax.Txt"), "text");

  EXPECT_EQ(ReadFile(PathOf("victim")), "keep");
  EXPECT_FALSE(std::filesystem::exists(PathOf("absent")));
  struct stat st;
  ASSERT_EQ(lstat(PathOf("Sarvilax.Dat").c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadFile(PathOf("Sarvilax.Dat")), "overwritten");
  EXPECT_EQ(ReadFile(PathOf("Sarvilax.Txt")), "text");
}

TEST_F(PosixEnvTest, ReadsFollowAFileThatChangesWhileOpen) {
  WriteFile(PathOf("VARNU.004"), std::string(100, 'x'));
  auto file = env_.OpenShared(PathOf("VARNU.004"));
  EXPECT_EQ(file->Length(), 100);

  ASSERT_EQ(truncate(PathOf("VARNU.004").c_str(), 10), 0);
  EXPECT_EQ(file->Length(), 10);
  char buffer[100];
  EXPECT_EQ(file->ReadAt(0, sizeof buffer, buffer), 10u);
  EXPECT_EQ(file->ReadAt(50, 10, buffer), 0u);

  std::ofstream(PathOf("VARNU.004"), std::ios::binary | std::ios::app) << "appended";
  EXPECT_EQ(file->Length(), 18);
  ASSERT_EQ(file->ReadAt(10, 8, buffer), 8u);
  EXPECT_EQ(std::string(buffer, 8), "appended");
}

TEST_F(PosixEnvTest, ErrorsNameTheFile) {
  const auto message_of = [](auto action) -> std::string {
    try {
      action();
    } catch (const Error& error) {
      return error.what();
    }
    return "no error";
  };
  EXPECT_EQ(message_of([&] { env_.OpenShared(PathOf("VARNU.001")); }),
            "cannot open " + PathOf("VARNU.001") + ": No such file or directory");
  EXPECT_EQ(message_of([&] { env_.ReadWholeFile(PathOf("Sarvilax.Tmp")); }),
            "cannot open " + PathOf("Sarvilax.Tmp") + ": No such file or directory");
  WriteFile(PathOf("plain"), "");
  EXPECT_EQ(message_of([&] { env_.CreateWorkFile(PathOf("plain/Sarvilax.Dat")); }),
            "cannot create work file " + PathOf("plain/Sarvilax.Dat") + ": Not a directory");
  env_.DeleteFile(PathOf("plain/missing"));  // ignored
  env_.DeleteFile(PathOf("missing"));
}

TEST_F(PosixEnvTest, NamesAreCodePage1252) {
  env_.WriteWholeFile(PathOf("K\xE4ssa.txt"), "sis\xE4lt\xF6");
  EXPECT_TRUE(std::filesystem::exists(PathOf("K\xC3\xA4ssa.txt")));
  EXPECT_TRUE(env_.IsRegularFile(PathOf("K\xE4ssa.txt")));
  EXPECT_EQ(env_.ReadWholeFile(PathOf("K\xE4ssa.txt")), "sis\xE4lt\xF6");  // contents as they are
  std::filesystem::create_directory(PathOf("folder"));
  EXPECT_TRUE(env_.FileExists(PathOf("folder")));
  EXPECT_FALSE(env_.IsRegularFile(PathOf("folder")));
  EXPECT_FALSE(env_.FileExists(PathOf("none")));
  EXPECT_EQ(env_.ListDirectory(dir_), (std::vector<std::string>{"K\xE4ssa.txt", "folder"}));
  EXPECT_TRUE(env_.ListDirectory(PathOf("none")).empty());
}

TEST_F(PosixEnvTest, ReplaceCreatesFoldersAndLeavesNoTemporaryFile) {
  const std::string target = PathOf("a/b/settings.ini");
  env_.ReplaceFileAtomically(target, "first");
  env_.ReplaceFileAtomically(target, "second");
  EXPECT_EQ(ReadFile(target), "second");
  EXPECT_EQ(env_.ListDirectory(PathOf("a/b")), std::vector<std::string>{"settings.ini"});
  struct stat st;
  ASSERT_EQ(stat(PathOf("a").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// Local wall-clock time of a time_t, as Now() should give it.
OleDate LocalOleDate(time_t t) {
  tm local;
  localtime_r(&t, &local);
  CivilDateTime date_time;
  date_time.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  date_time.hour = local.tm_hour;
  date_time.minute = local.tm_min;
  date_time.second = local.tm_sec;
  return MakeOleDate(date_time);
}

TEST_F(PosixEnvTest, ASecondLockWaitsItsTimeThenFailsAndIsHadOnceReleased) {
  const std::string path = PathOf("Sarvilax.lck");
  std::unique_ptr<FileLock> first = env_.LockExclusively(path, 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(env_.LockExclusively(path, 1), Error);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  first.reset();
  EXPECT_NE(env_.LockExclusively(path, 0), nullptr);
}

TEST(PosixClockTest, NowIsTheLocalTimeTheZoneSays) {
  const char* old_tz = getenv("TZ");
  const std::string saved = old_tz != nullptr ? old_tz : "";

  setenv("TZ", "UTC0", 1);
  tzset();
  const time_t before = time(nullptr);
  const OleDate now = DefaultEnv().Now();
  const time_t after = time(nullptr);
  EXPECT_GE(now, LocalOleDate(before));
  EXPECT_LE(now, LocalOleDate(after));
  // Whole seconds: the time of day is an exact count of seconds.
  const double seconds = (now - static_cast<int64_t>(now)) * 86400.0;
  EXPECT_NEAR(seconds, std::round(seconds), 1e-4);

  setenv("TZ", "EET-3", 1);
  const OleDate east = DefaultEnv().Now();
  EXPECT_NEAR(east - now, 3.0 / 24, 2.0 / 86400);

  if (old_tz != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

}  // namespace
}  // namespace sarvilax
