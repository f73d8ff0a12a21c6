// The real Env on Windows. Paths are code page 1252 text inside the program
// and UTF-16 for the system; both slashes separate folders.
//
// Files are opened with read, write and delete sharing, so the point-of-sale
// program can always append to, rewrite or replace its data files while a
// run reads them. Letter case in names is not significant on Windows file
// systems, so a data file is found whatever case its name has.
#include <windows.h>
// <windows.h> names DeleteFileA/W through a macro that would rename the Env
// method; the system call is spelled out where it is meant.
#undef DeleteFile

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/env.h"
#include "core/error.h"
#include "core/settings_store.h"
#include "core/wide_text.h"

namespace sarvilax {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile or WriteFile call moves.
constexpr size_t kMaxChunk = size_t{1} << 30;

// "/C:/folder", as a file:// address names a drive, is the path "C:/folder".
std::wstring FsPath(const std::string& path) {
  std::string_view text = path;
  const auto is_letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (text.size() >= 3 && text[0] == '/' && is_letter(text[1]) && text[2] == ':') {
    text.remove_prefix(1);
  }
  return WideFromCp1252(text);
}

[[noreturn]] void FailWithError(const std::string& what, const std::string& path, DWORD error) {
  Fail(what + " " + path + ": " + WindowsErrorText(error));
}

OVERLAPPED At(int64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
  position.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return position;
}

// Writes all of data at offset; returns 0 or the error of the failed write.
DWORD WriteFully(HANDLE file, int64_t offset, std::string_view data) {
  while (!data.empty()) {
    OVERLAPPED position = At(offset);
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(data.size(), kMaxChunk));
    if (!WriteFile(file, data.data(), chunk, &written, &position)) return GetLastError();
    if (written == 0) return ERROR_DISK_FULL;
    data.remove_prefix(written);
    offset += written;
  }
  return 0;
}

// Creates path anew for reading and writing. A file or link already at the
// name is deleted first (a link itself, never what it points to), and
// CREATE_NEW refuses anything planted between the deletion and the creation,
// so the write can never land elsewhere. INVALID_HANDLE_VALUE with the
// error set on failure.
HANDLE CreateFresh(const std::wstring& fs_path) {
  if (!DeleteFileW(fs_path.c_str())) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(fs_path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE OpenForReading(const std::wstring& fs_path) {
  return CreateFileW(fs_path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// An open handle and the name it was opened by, for messages. A file
// opened for reading only is handed out as a ReadableFile, so WriteAt is
// reached only on the work files opened for writing.
class WindowsFile : public WritableFile {
 public:
  WindowsFile(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~WindowsFile() override { CloseHandle(handle_); }
  WindowsFile(const WindowsFile&) = delete;
  WindowsFile& operator=(const WindowsFile&) = delete;

  int64_t Length() override {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) FailWithError("cannot read", path_, GetLastError());
    return size.QuadPart;
  }

  // The file may shrink while it is open: a read past its end returns what
  // is there, possibly nothing.
  size_t ReadAt(int64_t offset, size_t n, char* buffer) override {
    if (offset < 0) FailWithError("cannot read", path_, ERROR_NEGATIVE_SEEK);
    size_t done = 0;
    while (done < n) {
      OVERLAPPED position = At(offset + static_cast<int64_t>(done));
      DWORD got = 0;
      const DWORD chunk = static_cast<DWORD>(std::min(n - done, kMaxChunk));
      if (!ReadFile(handle_, buffer + done, chunk, &got, &position)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;
        FailWithError("cannot read", path_, error);
      }
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void WriteAt(int64_t offset, std::string_view data) override {
    const DWORD error = offset < 0 ? ERROR_NEGATIVE_SEEK : WriteFully(handle_, offset, data);
    if (error != 0) FailWithError("cannot write work file", path_, error);
  }

 private:
  HANDLE handle_;
  std::string path_;
};

class WindowsFileLock : public FileLock {
 public:
  explicit WindowsFileLock(HANDLE handle) : handle_(handle) {}
  ~WindowsFileLock() override { CloseHandle(handle_); }  // closing releases the lock

 private:
  HANDLE handle_;
};

bool IsSeparator(wchar_t c) { return c == L'/' || c == L'\\'; }

// The folder part of a path ("." for a plain name).
std::wstring ParentOf(const std::wstring& fs_path) {
  const size_t slash = fs_path.find_last_of(L"/\\");
  if (slash == std::wstring::npos) return L".";
  if (slash == 0) return fs_path.substr(0, 1);
  return fs_path.substr(0, slash);
}

bool IsFolder(const std::wstring& fs_path) {
  const DWORD attributes = GetFileAttributesW(fs_path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Makes fs_dir and every missing folder above it. Returns 0 or an error.
DWORD MakeFolders(const std::wstring& fs_dir) {
  if (IsFolder(fs_dir)) return 0;
  const std::wstring parent = ParentOf(fs_dir);
  if (parent != fs_dir && parent != L"." && !(parent.size() == 2 && parent[1] == L':')) {
    if (const DWORD error = MakeFolders(parent); error != 0) return error;
  }
  if (!CreateDirectoryW(fs_dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    return GetLastError();
  }
  return IsFolder(fs_dir) ? 0 : ERROR_DIRECTORY;
}

// Writes contents to a new temporary file beside fs_path, flushed to disk,
// and moves it over fs_path in one step. Returns 0 or an error; on failure
// the temporary file is gone and fs_path is as it was.
DWORD WriteAndReplace(const std::wstring& fs_path, std::string_view contents) {
  const std::wstring temp = fs_path + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  const HANDLE file = CreateFresh(temp);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD error = WriteFully(file, 0, contents);
  if (error == 0 && !FlushFileBuffers(file)) error = GetLastError();
  CloseHandle(file);
  if (error == 0 && !MoveFileExW(temp.c_str(), fs_path.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) DeleteFileW(temp.c_str());
  return error;
}

class WindowsEnv : public Env {
 public:
  std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override {
    const HANDLE file = OpenForReading(FsPath(path));
    if (file == INVALID_HANDLE_VALUE) FailWithError("cannot open", path, GetLastError());
    return std::make_unique<WindowsFile>(file, path);
  }

  std::unique_ptr<WritableFile> CreateWorkFile(const std::string& path) override {
    const HANDLE file = CreateFresh(FsPath(path));
    if (file == INVALID_HANDLE_VALUE) {
      FailWithError("cannot create work file", path, GetLastError());
    }
    return std::make_unique<WindowsFile>(file, path);
  }

  std::string ReadWholeFile(const std::string& path) override {
    const HANDLE handle = OpenForReading(FsPath(path));
    if (handle == INVALID_HANDLE_VALUE) FailWithError("cannot open", path, GetLastError());
    WindowsFile file(handle, path);
    return ReadToEnd(file);
  }

  // A write that fails removes the partial file, so no half-written file is
  // ever read back as if it were whole.
  void WriteWholeFile(const std::string& path, std::string_view contents) override {
    const std::wstring fs_path = FsPath(path);
    const HANDLE file = CreateFresh(fs_path);
    if (file == INVALID_HANDLE_VALUE) FailWithError("cannot create", path, GetLastError());
    const DWORD error = WriteFully(file, 0, contents);
    CloseHandle(file);
    if (error != 0) {
      DeleteFileW(fs_path.c_str());
      FailWithError("cannot write", path, error);
    }
  }

  void ReplaceFileAtomically(const std::string& path, std::string_view contents) override {
    const std::wstring fs_path = FsPath(path);
    if (const DWORD error = MakeFolders(ParentOf(fs_path)); error != 0) {
      FailWithError("cannot create the folder of", path, error);
    }
    if (const DWORD error = WriteAndReplace(fs_path, contents); error != 0) {
      FailWithError("cannot write", path, error);
    }
  }

  void DeleteFile(const std::string& path) noexcept override {
    try {
      DeleteFileW(FsPath(path).c_str());
    } catch (...) {
      // Deleting never fails, not even for want of memory.
    }
  }

  std::unique_ptr<FileLock> LockExclusively(const std::string& path, int wait_seconds) override {
    const HANDLE file =
        CreateFileW(FsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      FailWithError("cannot create lock file", path, GetLastError());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wait_seconds);
    for (;;) {
      OVERLAPPED whole_file{};
      if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                     MAXDWORD, &whole_file)) {
        return std::make_unique<WindowsFileLock>(file);
      }
      const DWORD error = GetLastError();
      if (error != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
        CloseHandle(file);
        if (error != ERROR_LOCK_VIOLATION) FailWithError("cannot lock", path, error);
        Fail("another Sarvilax run has held " + path + " for " + std::to_string(wait_seconds) +
             " seconds; this run sends nothing");
      }
      Sleep(100);
    }
  }

  bool FileExists(const std::string& path) override {
    return GetFileAttributesW(FsPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsRegularFile(const std::string& path) override {
    const DWORD attributes = GetFileAttributesW(FsPath(path).c_str());
    constexpr DWORD kNotRegular =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_HIDDEN;
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotRegular) == 0;
  }

  // Sorted, so that the order is the same on every run and every system.
  std::vector<std::string> ListDirectory(const std::string& dir) override {
    std::vector<std::string> names;
    std::wstring pattern = dir.empty() ? L"." : FsPath(dir);
    if (!IsSeparator(pattern.back())) pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring_view name = entry.cFileName;
      if (name != L"." && name != L"..") names.push_back(Cp1252FromWide(name));
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
  }

  OleDate Now() override {
    SYSTEMTIME local;
    GetLocalTime(&local);
    CivilDateTime date_time;
    date_time.date = {local.wYear, local.wMonth, local.wDay};
    date_time.hour = local.wHour;
    date_time.minute = local.wMinute;
    date_time.second = std::min<int>(local.wSecond, 59);
    return MakeOleDate(date_time);
  }

  SettingsStore& Settings() override {
    if (settings_ == nullptr) settings_ = NewRegistrySettingsStore();
    return *settings_;
  }

 private:
  std::unique_ptr<SettingsStore> settings_;
};

}  // namespace

Env& DefaultEnv() {
  static Env* const env = new WindowsEnv;
  return *env;
}

}  // namespace sarvilax
