#include "posdata/read_ahead.h"

#include <chrono>
#include <utility>

namespace sarvilax {
namespace {

// The value of requested that tells a thread to end.
constexpr uint64_t kStop = ~uint64_t{0};

// A read shorter than this is not shared between the threads.
constexpr int64_t kShareBytes = 128 << 10;

// A side waiting for the other yields its core this many times (some tens
// of microseconds) before it sleeps between looks: the other side mostly
// answers within that. Plain sleeps rather than an atomic wait, which some
// C++ libraries (mingw-w64's under Wine) do not wake reliably.
constexpr int kYieldsBeforeSleep = 100;
constexpr auto kShortSleep = std::chrono::microseconds(20);
constexpr auto kLongSleep = std::chrono::microseconds(500);
constexpr int kShortSleeps = 1000;

// Waits until counter has reached target.
void AwaitCount(const std::atomic<uint64_t>& counter, uint64_t target) {
  for (int looks = 0; counter.load(std::memory_order_acquire) < target; ++looks) {
    if (looks < kYieldsBeforeSleep) {
      std::this_thread::yield();
    } else {
      std::this_thread::sleep_for(looks < kYieldsBeforeSleep + kShortSleeps ? kShortSleep
                                                                            : kLongSleep);
    }
  }
}

}  // namespace

ReadAhead::~ReadAhead() {
  if (busy_) {
    try {
      Wait();
    } catch (...) {
      // The records are no longer wanted, nor is the error of reading them.
    }
  }
  for (Reader& reader : readers_) {
    if (!reader.thread.joinable()) continue;
    reader.requested.store(kStop, std::memory_order_release);
    reader.thread.join();
  }
}

void ReadAhead::Start(int64_t first, int64_t count, char* buffer) {
  const int64_t length = file_.record_length();
  const bool shared = count * length >= kShareBytes;
  const int64_t first_part = shared ? count / 2 : count;
  Post(readers_[0], {first, first_part, buffer});
  if (shared) {
    Post(readers_[1], {first + first_part, count - first_part, buffer + first_part * length});
  }
  busy_ = true;
}

void ReadAhead::Post(Reader& reader, const Job& job) {
  reader.job = job;
  reader.requested.store(++reader.posted, std::memory_order_release);
  // The threads are made at their first read, so that a pass that needs no
  // second read costs no thread.
  if (!reader.thread.joinable()) {
    reader.thread = std::thread(&ReadAhead::Serve, this, std::ref(reader));
  } else {
  }
}

void ReadAhead::Wait() {
  std::exception_ptr error;
  for (Reader& reader : readers_) {
    AwaitCount(reader.completed, reader.posted);
    if (reader.error && !error) error = reader.error;
    reader.error = nullptr;
  }
  busy_ = false;
  if (error) std::rethrow_exception(error);
}

void ReadAhead::Serve(Reader& reader) {
  for (uint64_t next = 1;; ++next) {
    AwaitCount(reader.requested, next);
    if (reader.requested.load(std::memory_order_acquire) == kStop) return;
    try {
      file_.ReadRecords(reader.job.first, reader.job.count, reader.job.buffer);
    } catch (...) {
      reader.error = std::current_exception();
    }
    reader.completed.store(next, std::memory_order_release);
  }
}

}  // namespace sarvilax
