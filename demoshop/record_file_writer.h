// Writes a fixed-length record file front to back through a large buffer,
// into a temporary file beside the final one. Commit() renames it into
// place, so an interrupted or failed run never leaves a half-written file
// under the real name; a writer destroyed without Commit() deletes its
// temporary file.
#ifndef SARVILAX_DEMOSHOP_RECORD_FILE_WRITER_H_
#define SARVILAX_DEMOSHOP_RECORD_FILE_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sarvilax {

class RecordFileWriter {
 public:
  // path is a file system path (UTF-8). blank_record is the content every
  // new record starts from; its length is the record length. Throws Error
  // naming the file when it cannot be created.
  RecordFileWriter(std::string path, std::string_view blank_record);
  ~RecordFileWriter();
  RecordFileWriter(const RecordFileWriter&) = delete;
  RecordFileWriter& operator=(const RecordFileWriter&) = delete;

  // A new record at the end of the file, filled with the blank record. The
  // pointer is valid until the next call. Throws Error on a failed write.
  char* AppendRecord();
  // Writes what is buffered and renames the file into place. Throws Error.
  void Commit();

  int64_t records() const { return records_; }
  int64_t bytes() const { return records_ * static_cast<int64_t>(blank_record_.size()); }

 private:
  void Flush();
  [[noreturn]] void FailWrite(int error_number);

  std::string path_;
  std::string temporary_path_;
  std::string blank_record_;
  std::vector<char> buffer_;
  size_t used_ = 0;
  int64_t records_ = 0;
  int fd_ = -1;
};

}  // namespace sarvilax

#endif  // SARVILAX_DEMOSHOP_RECORD_FILE_WRITER_H_
