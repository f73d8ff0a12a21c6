#include "posdata/file_mapping.h"

#include <fcntl.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

namespace sarvilax {
namespace {

// The innermost guard of this thread, or nullptr outside RunGuarded.
thread_local sigjmp_buf* t_bus_guard = nullptr;
struct sigaction g_previous_bus_action;

void OnBusError(int, siginfo_t*, void*) {
  if (sigjmp_buf* guard = t_bus_guard) siglongjmp(*guard, 1);
  // Not a guarded read: give the signal back to whoever had it before. The
  // faulting instruction runs again on return and meets that handling.
  sigaction(SIGBUS, &g_previous_bus_action, nullptr);
}

void InstallBusHandlerOnce() {
  static const bool installed = [] {
    struct sigaction action = {};
    action.sa_sigaction = OnBusError;
    // SA_NODEFER: the jump out of the handler leaves SIGBUS unblocked, so
    // the next guarded fault is caught too (the jump does not restore the
    // signal mask, which saves a system call per guard).
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGBUS, &action, &g_previous_bus_action) == 0;
  }();
  (void)installed;
}

}  // namespace

std::unique_ptr<FileMapping> FileMapping::Open(const std::string& fs_path) {
  const int fd = open(fs_path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  InstallBusHandlerOnce();
  return std::unique_ptr<FileMapping>(new FileMapping(fd));
}

FileMapping::~FileMapping() {
  Unmap();
  close(fd_);
}

void FileMapping::Unmap() {
  if (data_ != nullptr) munmap(data_, static_cast<size_t>(mapped_bytes_));
  data_ = nullptr;
  mapped_bytes_ = 0;
}

bool FileMapping::Cover(int64_t bytes) {
  if (bytes <= mapped_bytes_) return true;
  struct stat st;
  if (fstat(fd_, &st) != 0) return false;
  // Map all there is now, so that a growing file is mapped anew seldom.
  const int64_t length = std::max<int64_t>(bytes, st.st_size);
  Unmap();
  void* data = mmap(nullptr, static_cast<size_t>(length), PROT_READ, MAP_SHARED, fd_, 0);
  if (data == MAP_FAILED) return false;
  data_ = static_cast<char*>(data);
  mapped_bytes_ = length;
  return true;
}

bool FileMapping::RunGuardedCall(void (*call)(void*), void* context) {
  sigjmp_buf here;
  sigjmp_buf* const outer = t_bus_guard;
  if (sigsetjmp(here, 0) != 0) {
    t_bus_guard = outer;
    return false;
  }
  t_bus_guard = &here;
  // Keep the compiler from moving mapped reads out of the guarded stretch.
  std::atomic_signal_fence(std::memory_order_seq_cst);
  try {
    call(context);
  } catch (...) {
    t_bus_guard = outer;
    throw;
  }
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_bus_guard = outer;
  return true;
}

}  // namespace sarvilax
