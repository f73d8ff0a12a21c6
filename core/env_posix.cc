// The real Env on a POSIX system. Paths and names are converted between the
// program's code page 1252 and the file system's UTF-8 here and nowhere else.
#include "core/env.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/settings_store.h"

namespace sarvilax {

namespace {

std::string FsPath(const std::string& path) { return Cp1252ToUtf8(path); }

[[noreturn]] void FailWithErrno(const std::string& what, const std::string& path, int error) {
  Fail(what + " " + path + ": " + ErrnoText(error));
}

// Writes all of data at offset; returns 0 or the errno of the failed write.
int WriteFully(int fd, int64_t offset, std::string_view data) {
  while (!data.empty()) {
    const ssize_t written = pwrite(fd, data.data(), data.size(), offset);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    if (written == 0) return ENOSPC;
    data.remove_prefix(written);
    offset += written;
  }
  return 0;
}

// Creates path anew for reading and writing by the user only. A file or a
// symbolic link already at the name is removed first, and O_EXCL refuses
// anything planted between the removal and the creation, so the write can
// never land elsewhere. Returns the descriptor or -1 with errno set.
int CreateFresh(const std::string& fs_path) {
  if (unlink(fs_path.c_str()) != 0 && errno != ENOENT) return -1;
  return open(fs_path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

// An open descriptor and the name it was opened by, for messages. A file
// opened for reading only is handed out as a ReadableFile, so WriteAt is
// reached only on the work files opened for writing.
class PosixFile : public WritableFile {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override { close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  int64_t Length() override {
    struct stat st;
    if (fstat(fd_, &st) != 0) FailWithErrno("cannot read", path_, errno);
    return st.st_size;
  }

  // The file may shrink while it is open: a read past its end returns what
  // is there, possibly nothing.
  size_t ReadAt(int64_t offset, size_t n, char* buffer) override {
    if (offset < 0) FailWithErrno("cannot read", path_, EINVAL);
    size_t done = 0;
    while (done < n) {
      const ssize_t got = pread(fd_, buffer + done, n - done, offset + done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) FailWithErrno("cannot read", path_, errno);
      if (got == 0) break;
      done += got;
    }
    return done;
  }

  void WriteAt(int64_t offset, std::string_view data) override {
    const int error = offset < 0 ? EINVAL : WriteFully(fd_, offset, data);
    if (error != 0) FailWithErrno("cannot write work file", path_, error);
  }

 private:
  int fd_;
  std::string path_;
};

// The folder part of a file system path ("." for a plain name).
std::string ParentOf(const std::string& fs_path) {
  const size_t slash = fs_path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return fs_path.substr(0, slash);
}

// mkdir -p with mode 0700 for the folders it makes. Returns 0 or an errno.
int MakeFolders(const std::string& fs_dir) {
  struct stat st;
  if (stat(fs_dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (errno != ENOENT) return errno;
  const std::string parent = ParentOf(fs_dir);
  if (parent != fs_dir) {
    if (const int error = MakeFolders(parent); error != 0) return error;
  }
  if (mkdir(fs_dir.c_str(), 0700) != 0 && errno != EEXIST) return errno;
  return 0;
}

// Best effort: some file systems cannot flush a folder, and the rename has
// already taken place by then.
void SyncFolder(const std::string& fs_dir) {
  const int fd = open(fs_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);
  close(fd);
}

// Writes contents to a new temporary file in fs_dir, flushed to disk, and
// renames it to fs_path. Returns 0 or an errno; on failure the temporary file
// is gone and fs_path is as it was.
int WriteAndRename(const std::string& fs_dir, const std::string& fs_path,
                   std::string_view contents) {
  std::string temp = fs_path + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return errno;
  int error = WriteFully(fd, 0, contents);
  if (error == 0 && fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temp.c_str(), fs_path.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temp.c_str());
    return error;
  }
  SyncFolder(fs_dir);
  return 0;
}

class PosixFileLock : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { close(fd_); }  // closing releases the lock

 private:
  int fd_;
};

class PosixEnv : public Env {
 public:
  std::unique_ptr<FileLock> LockExclusively(const std::string& path, int wait_seconds) override {
    const int fd = open(FsPath(path).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) FailWithErrno("cannot create lock file", path, errno);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(wait_seconds);
    while (flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      if ((error != EWOULDBLOCK && error != EINTR) ||
          std::chrono::steady_clock::now() >= deadline) {
        close(fd);
        if (error != EWOULDBLOCK && error != EINTR) FailWithErrno("cannot lock", path, error);
        Fail("another Sarvilax run has held " + path + " for " + std::to_string(wait_seconds) +
             " seconds; this run sends nothing");
      }
      usleep(100 * 1000);
    }
    return std::make_unique<PosixFileLock>(fd);
  }

  std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override {
    const int fd = open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) FailWithErrno("cannot open", path, errno);
    return std::make_unique<PosixFile>(fd, path);
  }

  std::unique_ptr<WritableFile> CreateWorkFile(const std::string& path) override {
    const int fd = CreateFresh(FsPath(path));
    if (fd < 0) FailWithErrno("cannot create work file", path, errno);
    return std::make_unique<PosixFile>(fd, path);
  }

  std::string ReadWholeFile(const std::string& path) override {
    const int fd = open(FsPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) FailWithErrno("cannot open", path, errno);
    PosixFile file(fd, path);
    return ReadToEnd(file);
  }

  // A write that fails removes the partial file, so no half-written file is
  // ever read back as if it were whole.
  void WriteWholeFile(const std::string& path, std::string_view contents) override {
    const std::string fs_path = FsPath(path);
    const int fd = CreateFresh(fs_path);
    if (fd < 0) FailWithErrno("cannot create", path, errno);
    int error = WriteFully(fd, 0, contents);
    if (close(fd) != 0 && error == 0) error = errno;
    if (error != 0) {
      unlink(fs_path.c_str());
      FailWithErrno("cannot write", path, error);
    }
  }

  void ReplaceFileAtomically(const std::string& path, std::string_view contents) override {
    const std::string fs_path = FsPath(path);
    const std::string fs_dir = ParentOf(fs_path);
    if (const int error = MakeFolders(fs_dir); error != 0) {
      FailWithErrno("cannot create the folder of", path, error);
    }
    if (const int error = WriteAndRename(fs_dir, fs_path, contents); error != 0) {
      FailWithErrno("cannot write", path, error);
    }
  }

  void DeleteFile(const std::string& path) noexcept override {
    try {
      unlink(FsPath(path).c_str());
    } catch (...) {
      // Deleting never fails, not even for want of memory.
    }
  }

  bool FileExists(const std::string& path) override {
    struct stat st;
    return stat(FsPath(path).c_str(), &st) == 0;
  }

  bool IsRegularFile(const std::string& path) override {
    struct stat st;
    return stat(FsPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }

  // Sorted, so that a choice among names that differ only in letter case is
  // the same on every run.
  std::vector<std::string> ListDirectory(const std::string& dir) override {
    std::vector<std::string> names;
    DIR* folder = opendir(dir.empty() ? "." : FsPath(dir).c_str());
    if (folder == nullptr) return names;
    while (const dirent* entry = readdir(folder)) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") names.push_back(Utf8ToCp1252(name));
    }
    closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
  }

  OleDate Now() override {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    tzset();  // the zone is whatever TZ says now
    tm local;
    if (localtime_r(&now.tv_sec, &local) == nullptr) Fail("cannot read the local time");
    CivilDateTime date_time;
    date_time.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
    date_time.hour = local.tm_hour;
    date_time.minute = local.tm_min;
    date_time.second = std::min(local.tm_sec, 59);  // a leap second counts as :59
    return MakeOleDate(date_time);
  }

  SettingsStore& Settings() override {
    if (settings_ == nullptr) settings_ = NewIniSettingsStore(*this, DefaultConfigHome());
    return *settings_;
  }

 private:
  std::unique_ptr<SettingsStore> settings_;
};

}  // namespace

Env& DefaultEnv() {
  static Env* const env = new PosixEnv;
  return *env;
}

}  // namespace sarvilax
