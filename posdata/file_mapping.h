// A read-only shared memory mapping of a data file. Reading through it reads
// the file as it is at that moment (the mapping shows the page cache that
// the point-of-sale program writes into), without a system call per record;
// the binary search of the product index, run once per sale row, relies on
// that.
//
// The point-of-sale program may shorten the file while it is mapped, and
// touching a mapped page that lies wholly past the new end raises SIGBUS.
// Every access to mapped bytes therefore runs inside RunGuarded, which turns
// that signal into a false result; the caller then reads the same records
// with ordinary reads, which see the shortened file.
#ifndef SARVILAX_POSDATA_FILE_MAPPING_H_
#define SARVILAX_POSDATA_FILE_MAPPING_H_

#include <cstdint>
#include <memory>
#include <string>

namespace sarvilax {

class FileMapping {
 public:
  // Opens the file at fs_path (a file-system path) read-only. nullptr when
  // it cannot be opened: the caller reads without a mapping then.
  static std::unique_ptr<FileMapping> Open(const std::string& fs_path);
  ~FileMapping();
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  // Makes bytes 0 .. bytes - 1 addressable through data(), mapping the file
  // anew when it has grown past the mapped part. Bytes past the end of the
  // file within its last page read as zero; pages wholly past it raise
  // SIGBUS. False when the file cannot be mapped (bytes 0 included).
  bool Cover(int64_t bytes);
  const char* data() const { return data_; }
  int64_t mapped_bytes() const { return mapped_bytes_; }
  // Runs fn(), which reads mapped bytes and keeps its results in objects
  // that need no destructor, until it returns true. Returns false when fn
  // touched a page past the end of the file: fn was cut short and whatever
  // it wrote is incomplete. Exceptions pass through. Guards nest.
  template <typename Fn>
  static bool RunGuarded(Fn& fn) {
    return RunGuardedCall([](void* f) { (*static_cast<Fn*>(f))(); }, &fn);
  }

 private:
  explicit FileMapping(int fd) : fd_(fd) {}
  static bool RunGuardedCall(void (*call)(void*), void* context);
  void Unmap();

  int fd_;
  char* data_ = nullptr;
  int64_t mapped_bytes_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_FILE_MAPPING_H_
