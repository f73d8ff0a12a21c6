#include "posdata/read_ahead.h"

#include <utility>

namespace sarvilax {
namespace {

// The value of requested that tells a thread to end.
constexpr uint64_t kStop = ~uint64_t{0};

// A side waiting for the other yields its core this many times (up to about
// a millisecond) before it sleeps: in a pass the other side mostly answers
// within that, and a sleeper is woken some tens of microseconds late, once
// per block (100 yields measured 6 % slower on the large shop's weekly run).
constexpr int kYieldsBeforeSleep = 2000;

// Waits until counter has reached target; changed is notified (under mutex)
// whenever counter is raised.
void AwaitCount(const std::atomic<uint64_t>& counter, uint64_t target, std::mutex& mutex,
                std::condition_variable& changed) {
  for (int yields = 0; yields < kYieldsBeforeSleep; ++yields) {
    if (counter.load(std::memory_order_acquire) >= target) return;
    std::this_thread::yield();
  }
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [&] { return counter.load(std::memory_order_acquire) >= target; });
}

// Raises counter to value and wakes a side sleeping on it. Taking the mutex
// between the store and the notification keeps a side that has just found
// the old value from missing the wake-up.
void RaiseCount(std::atomic<uint64_t>& counter, uint64_t value, std::mutex& mutex,
                std::condition_variable& changed) {
  counter.store(value, std::memory_order_release);
  { const std::lock_guard<std::mutex> lock(mutex); }
  changed.notify_one();
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
  if (thread_.joinable()) {
    RaiseCount(requested_, kStop, mutex_, requested_changed_);
    thread_.join();
  }
}

void ReadAhead::Start(int64_t first, int64_t count, char* buffer) {
  job_ = {first, count, buffer};
  RaiseCount(requested_, ++posted_, mutex_, requested_changed_);
  busy_ = true;
  // The thread is made at the first read, so that a pass that needs no
  // second read costs no thread.
  if (!thread_.joinable()) thread_ = std::thread(&ReadAhead::Serve, this);
}

void ReadAhead::Wait() {
  AwaitCount(completed_, posted_, mutex_, completed_changed_);
  busy_ = false;
  if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
}

void ReadAhead::Serve() {
  for (uint64_t next = 1;; ++next) {
    AwaitCount(requested_, next, mutex_, requested_changed_);
    if (requested_.load(std::memory_order_acquire) == kStop) return;
    try {
      file_.ReadRecords(job_.first, job_.count, job_.buffer);
    } catch (...) {
      error_ = std::current_exception();
    }
    RaiseCount(completed_, next, mutex_, completed_changed_);
  }
}

}  // namespace sarvilax
