// Env: the program's one seam to the operating system for files, the clock
// and the per-user settings store (in the manner of leveldb's Env). The real
// implementation is PosixEnv (env_posix.cc); tests use MemoryEnv
// (memory_env.h) or wrap either to inject faults.
//
// Paths are code page 1252 text, as the program holds all text; the real
// implementation converts them to the file system's UTF-8. A plain name is
// relative to the working directory.
#ifndef SARVILAX_CORE_ENV_H_
#define SARVILAX_CORE_ENV_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ole_date.h"

namespace sarvilax {

class SettingsStore;

// Random read access to a file that another program may append to or
// rewrite meanwhile. Every call looks at the file as it is now.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  // The current length in bytes. Throws Error naming the file on failure.
  virtual int64_t Length() = 0;
  // Reads up to n bytes at offset into buffer and returns how many were read:
  // fewer than n only at the end of the file. Throws Error on a failed read.
  virtual size_t ReadAt(int64_t offset, size_t n, char* buffer) = 0;
};

// All of file, read from its start a block at a time until a read comes
// back empty. Throws Error on a failed read.
std::string ReadToEnd(ReadableFile& file);

// A work file of the run, open for reading and writing.
class WritableFile : public ReadableFile {
 public:
  // Writes all of data at offset, growing the file as needed. Throws Error
  // naming the file when the write fails (a full disk included).
  virtual void WriteAt(int64_t offset, std::string_view data) = 0;
};

// An exclusive lock held until the object goes.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

class Env {
 public:
  virtual ~Env() = default;

  // Opens a file read-only without locking it, so that the point-of-sale
  // program can go on writing it. Throws Error naming the path.
  virtual std::unique_ptr<ReadableFile> OpenShared(const std::string& path) = 0;
  // Creates path anew (empty), readable and writable only by the user, and
  // never through a symbolic link. Throws Error naming the path.
  virtual std::unique_ptr<WritableFile> CreateWorkFile(const std::string& path) = 0;

  // The whole content of path. Throws Error naming the path.
  virtual std::string ReadWholeFile(const std::string& path) = 0;
  // Replaces path by a new file holding contents, created as CreateWorkFile
  // does. Throws Error naming the path.
  virtual void WriteWholeFile(const std::string& path, std::string_view contents) = 0;
  // Replaces path by contents so that a crash or a full disk leaves either
  // the old or the new whole file (temporary file in the same folder, flushed
  // to disk, renamed over the old one). Creates missing folders. Throws Error.
  virtual void ReplaceFileAtomically(const std::string& path, std::string_view contents) = 0;
  // Deletes path; every failure (missing, in use, not permitted) is ignored.
  virtual void DeleteFile(const std::string& path) noexcept = 0;

  // Takes an exclusive lock on path (created when missing, never through a
  // symbolic link), waiting up to wait_seconds while another process holds
  // it. Throws Error when it is not had by then.
  virtual std::unique_ptr<FileLock> LockExclusively(const std::string& path, int wait_seconds) = 0;

  virtual bool FileExists(const std::string& path) = 0;
  // True for an ordinary file (not a folder, device or hidden file).
  virtual bool IsRegularFile(const std::string& path) = 0;
  // Names of the entries of folder dir ("" is the working directory); an
  // unreadable folder gives an empty list.
  virtual std::vector<std::string> ListDirectory(const std::string& dir) = 0;

  // The local wall-clock date and time, truncated to whole seconds.
  virtual OleDate Now() = 0;

  // The per-user settings store.
  virtual SettingsStore& Settings() = 0;
};

// Deletes a work file of the run; a missing or undeletable file is passed
// over without a word.
inline void DeleteWorkFile(Env& env, const std::string& name) { env.DeleteFile(name); }

// The process's real environment. Lives as long as the process.
Env& DefaultEnv();

}  // namespace sarvilax

#endif  // SARVILAX_CORE_ENV_H_
