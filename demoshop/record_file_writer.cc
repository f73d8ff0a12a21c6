#include "demoshop/record_file_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/error.h"

namespace sarvilax {
namespace {

constexpr size_t kBufferBytes = 8 << 20;

}  // namespace

RecordFileWriter::RecordFileWriter(std::string path, std::string_view blank_record)
    : path_(std::move(path)), temporary_path_(path_ + ".partial"), blank_record_(blank_record) {
  // Whole records per buffer, so a record never straddles two writes.
  buffer_.resize(kBufferBytes / blank_record_.size() * blank_record_.size());
  fd_ = open(temporary_path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) Fail("cannot create " + temporary_path_ + ": " + ErrnoText(errno));
}

RecordFileWriter::~RecordFileWriter() {
  if (fd_ >= 0) {
    close(fd_);
    unlink(temporary_path_.c_str());
  }
}

char* RecordFileWriter::AppendRecord() {
  if (used_ == buffer_.size()) Flush();
  char* record = buffer_.data() + used_;
  std::memcpy(record, blank_record_.data(), blank_record_.size());
  used_ += blank_record_.size();
  ++records_;
  return record;
}

void RecordFileWriter::Flush() {
  size_t done = 0;
  while (done < used_) {
    const ssize_t n = write(fd_, buffer_.data() + done, used_ - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) FailWrite(n < 0 ? errno : ENOSPC);
    done += static_cast<size_t>(n);
  }
  used_ = 0;
}

void RecordFileWriter::Commit() {
  Flush();
  const int fd = fd_;
  fd_ = -1;
  if (close(fd) != 0) {
    const int error_number = errno;
    unlink(temporary_path_.c_str());
    Fail("cannot write " + path_ + ": " + ErrnoText(error_number));
  }
  if (std::rename(temporary_path_.c_str(), path_.c_str()) != 0) {
    const int error_number = errno;
    unlink(temporary_path_.c_str());
    Fail("cannot replace " + path_ + ": " + ErrnoText(error_number));
  }
}

void RecordFileWriter::FailWrite(int error_number) {
  Fail("cannot write " + path_ + ": " + ErrnoText(error_number));
}

}  // namespace sarvilax
