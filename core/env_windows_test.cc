#include <windows.h>
#undef DeleteFile

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/env.h"
#include "core/error.h"

namespace sarvilax {
namespace {

class WindowsEnvTest : public ::testing::Test {
 protected:
  WindowsEnvTest() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("sarvilax-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_));
    std::filesystem::create_directories(folder);
    dir_ = folder.string();
  }
  ~WindowsEnvTest() override { std::filesystem::remove_all(dir_); }

  // Plain ASCII test folders, so the narrow path is the code page 1252 path.
  std::string PathOf(const std::string& name) const { return dir_ + "\\" + name; }
  std::wstring WidePathOf(const std::wstring& name) const {
    return std::filesystem::path(dir_).wstring() + L"\\" + name;
  }

  // The handle another program would open.
  static HANDLE OpenAs(const std::wstring& path, DWORD access, DWORD sharing) {
    return CreateFileW(path.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }

  static std::string MessageOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Error& error) {
      return error.what();
    }
    return "no error";
  }

  Env& env_ = DefaultEnv();
  std::string dir_;
  static inline int count_ = 0;
};

TEST_F(WindowsEnvTest, ThePointOfSaleProgramIsNeverBlocked) {
  env_.WriteWholeFile(PathOf("VARNU.004"), std::string(100, 'x'));
  auto file = env_.OpenShared(PathOf("VARNU.004"));
  EXPECT_EQ(file->Length(), 100);

  // It can open the file for writing without sharing writes, cut it short
  // and write to it, and delete it, all while the run reads.
  HANDLE writer = OpenAs(WidePathOf(L"VARNU.004"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE) << GetLastError();
  LARGE_INTEGER ten;
  ten.QuadPart = 10;
  ASSERT_TRUE(SetFilePointerEx(writer, ten, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(writer));
  EXPECT_EQ(file->Length(), 10);
  char buffer[100];
  EXPECT_EQ(file->ReadAt(0, sizeof buffer, buffer), 10u);
  EXPECT_EQ(file->ReadAt(50, 10, buffer), 0u);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(writer, "appended", 8, &written, nullptr));
  CloseHandle(writer);
  ASSERT_EQ(file->ReadAt(10, 8, buffer), 8u);
  EXPECT_EQ(std::string(buffer, 8), "appended");

  EXPECT_TRUE(DeleteFileW(WidePathOf(L"VARNU.004").c_str())) << GetLastError();
  EXPECT_EQ(file->ReadAt(0, 4, buffer), 4u);  // what was opened is still read
}

TEST_F(WindowsEnvTest, NamesAreFoundWithoutRegardToLetterCase) {
  env_.WriteWholeFile(PathOf("VARNU.001"), "index");
  EXPECT_TRUE(env_.FileExists(PathOf("varnu.001")));
  EXPECT_TRUE(env_.IsRegularFile(PathOf("Varnu.001")));
  EXPECT_EQ(env_.ReadWholeFile(PathOf("varnu.001")), "index");
  EXPECT_EQ(env_.OpenShared(PathOf("vArNu.001"))->Length(), 5);
  EXPECT_EQ(env_.ListDirectory(dir_), std::vector<std::string>{"VARNU.001"});
}

TEST_F(WindowsEnvTest, WorkFilesAreMadeAnew) {
  env_.WriteWholeFile(PathOf("Sarvilax.Dat"), "left by a failed run");
  auto work = env_.CreateWorkFile(PathOf("Sarvilax.Dat"));
  EXPECT_EQ(work->Length(), 0);
  work->WriteAt(5, "tail");
  work->WriteAt(0, "head!");
  char buffer[16];
  ASSERT_EQ(work->ReadAt(0, sizeof buffer, buffer), 9u);
  EXPECT_EQ(std::string(buffer, 9), "head!tail");
  // The run reads its own work file through a second handle meanwhile.
  EXPECT_EQ(env_.ReadWholeFile(PathOf("Sarvilax.Dat")), "head!tail");
  work.reset();
  env_.DeleteFile(PathOf("Sarvilax.Dat"));
  env_.DeleteFile(PathOf("Sarvilax.Dat"));  // a missing file is passed over
  EXPECT_FALSE(env_.FileExists(PathOf("Sarvilax.Dat")));
}

TEST_F(WindowsEnvTest, NamesAreCodePage1252) {
  env_.WriteWholeFile(PathOf("K\xE4ssa.txt"), "sis\xE4lt\xF6");
  EXPECT_NE(GetFileAttributesW(WidePathOf(L"K\u00E4ssa.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(env_.ReadWholeFile(PathOf("K\xE4ssa.txt")), "sis\xE4lt\xF6");  // contents as they are
  std::filesystem::create_directory(WidePathOf(L"folder"));
  EXPECT_TRUE(env_.FileExists(PathOf("folder")));
  EXPECT_FALSE(env_.IsRegularFile(PathOf("folder")));
  EXPECT_FALSE(env_.FileExists(PathOf("none")));
  EXPECT_EQ(env_.ListDirectory(dir_), (std::vector<std::string>{"K\xE4ssa.txt", "folder"}));
  EXPECT_TRUE(env_.ListDirectory(PathOf("none")).empty());
  // Both slashes separate folders, and "/C:/..." (from a file:// address)
  // names the drive.
  std::string slashed = "/" + PathOf("K\xE4ssa.txt");
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  EXPECT_EQ(env_.ReadWholeFile(slashed), "sis\xE4lt\xF6");
}

TEST_F(WindowsEnvTest, HiddenFilesAreNotRegular) {
  env_.WriteWholeFile(PathOf("Sarvilax.ini"), "Kauppa\r\n");
  ASSERT_TRUE(SetFileAttributesW(WidePathOf(L"Sarvilax.ini").c_str(), FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(env_.FileExists(PathOf("Sarvilax.ini")));
  EXPECT_FALSE(env_.IsRegularFile(PathOf("Sarvilax.ini")));
  SetFileAttributesW(WidePathOf(L"Sarvilax.ini").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsEnvTest, ReplaceCreatesFoldersAndLeavesNoTemporaryFile) {
  const std::string target = PathOf("a/b/settings.ini");
  env_.ReplaceFileAtomically(target, "first");
  env_.ReplaceFileAtomically(target, "second");
  EXPECT_EQ(env_.ReadWholeFile(target), "second");
  EXPECT_EQ(env_.ListDirectory(PathOf("a\\b")), std::vector<std::string>{"settings.ini"});
  // A file stands where a folder is needed.
  EXPECT_NE(MessageOf([&] { env_.ReplaceFileAtomically(PathOf("a/b/settings.ini/x"), "x"); }),
            "no error");
  EXPECT_EQ(env_.ReadWholeFile(target), "second");
}

TEST_F(WindowsEnvTest, ErrorsNameTheFile) {
  const std::string missing = MessageOf([&] { env_.OpenShared(PathOf("VARNU.001")); });
  EXPECT_EQ(missing.rfind("cannot open " + PathOf("VARNU.001") + ": ", 0), 0u) << missing;
  EXPECT_GT(missing.size(), ("cannot open " + PathOf("VARNU.001") + ": ").size());
  const std::string unread = MessageOf([&] { env_.ReadWholeFile(PathOf("Sarvilax.Tmp")); });
  EXPECT_EQ(unread.rfind("cannot open " + PathOf("Sarvilax.Tmp") + ": ", 0), 0u) << unread;
  const std::string uncreated =
      MessageOf([&] { env_.CreateWorkFile(PathOf("no folder\\Sarvilax.Dat")); });
  EXPECT_EQ(uncreated.rfind("cannot create work file " + PathOf("no folder\\Sarvilax.Dat"), 0), 0u)
      << uncreated;
}

TEST_F(WindowsEnvTest, ALockIsHeldUntilItGoes) {
  const std::string path = PathOf("Sarvilax.lck");
  auto held = env_.LockExclusively(path, 0);
  EXPECT_NE(MessageOf([&] { env_.LockExclusively(path, 0); }).find("another Sarvilax run"),
            std::string::npos);
  held.reset();
  EXPECT_NE(env_.LockExclusively(path, 0), nullptr);
}

TEST(WindowsClockTest, NowIsTheLocalTimeOfTheSystem) {
  SYSTEMTIME before;
  GetLocalTime(&before);
  const OleDate now = DefaultEnv().Now();
  SYSTEMTIME after;
  GetLocalTime(&after);
  const auto ole = [](const SYSTEMTIME& t) {
    return MakeOleDate(CivilDateTime{{t.wYear, t.wMonth, t.wDay}, t.wHour, t.wMinute, t.wSecond});
  };
  EXPECT_GE(now, ole(before));
  EXPECT_LE(now, ole(after));
  // Whole seconds, made by the one formula: splitting and making again
  // gives the same double.
  EXPECT_EQ(MakeOleDate(SplitOleDate(now)), now);
}

}  // namespace
}  // namespace sarvilax
