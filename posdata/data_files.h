// The three point-of-sale data files of one report run, opened read-only
// and unlocked: the point-of-sale program may append to or rewrite them
// while a run reads them. Nothing read is kept between calls: every count is
// measured anew and every record read anew, so rows appended during a run
// are seen by the steps that follow.
#ifndef SARVILAX_POSDATA_DATA_FILES_H_
#define SARVILAX_POSDATA_DATA_FILES_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/env.h"
#include "posdata/file_mapping.h"
#include "posdata/records.h"

namespace sarvilax {

// The application whose per-user settings name the data folder.
inline constexpr char kSettingsApplicationName[] = "Kvartolin Oy";

class ReadAhead;

// A file of fixed-length records numbered from 1. Its reads may come from a
// second thread (ReadAhead), so the ReadableFile must allow ReadAt calls
// from two threads at once, as a positional read does.
class RecordFile {
 public:
  // mapping, when given, maps the same file for the searches that read a
  // few bytes at many places (see FileMapping).
  RecordFile(std::unique_ptr<ReadableFile> file, int record_length, std::string path,
             std::unique_ptr<FileMapping> mapping = nullptr);

  // The number of records now: the length divided by the record length,
  // rounded to nearest, halves to even (a trailing partial record of more
  // than half a record counts).
  int32_t CountRecords();
  // Reads record n into buffer (record_length() bytes). Bytes past the end
  // of the file read as zero. A record number below 1 throws Error.
  void Read(int64_t n, char* buffer);
  // Reads records first .. first + count - 1 into buffer (count ×
  // record_length() bytes) with one read. Bytes past the end read as zero.
  void ReadRecords(int64_t first, int64_t count, char* buffer);
  // Throws Error when n is below 1, the one record number no file has.
  void CheckRecordNumber(int64_t n) const;

  int record_length() const { return record_length_; }
  const std::string& path() const { return path_; }
  ReadableFile& file() { return *file_; }
  // nullptr when the file is read through ReadableFile only.
  FileMapping* mapping() { return mapping_.get(); }

 private:
  std::unique_ptr<ReadableFile> file_;
  int record_length_;
  std::string path_;
  std::unique_ptr<FileMapping> mapping_;
};

// Reads records first..last in order a block at a time, so that a pass
// costs one read per block rather than one per record; the next block is
// read on a second thread (ReadAhead) while the caller works on the
// present one. Bytes past the end of the file read as zero, as with
// RecordFile::Read.
class RecordScanner {
 public:
  RecordScanner(RecordFile& file, int64_t first, int64_t last);
  ~RecordScanner();
  // The next record, or nullptr after the last one. Valid until the next call.
  const char* Next();
  // The next records, as many as one read brings (at least one), or nullptr
  // after the last one; *count receives how many. Valid until the next call.
  const char* NextBlock(int64_t* count);

 private:
  // Sizes the block from next_ and the buffer it is read into.
  char* SizeNextBlock();

  RecordFile& file_;
  int64_t next_;  // record number the next block starts at
  int64_t last_;
  std::vector<char> buffers_[2];
  // Declared after the buffers, so that a read still running ends before
  // they go.
  std::unique_ptr<ReadAhead> read_ahead_;
  int reading_ = 0;           // the buffer the block from next_ is read into
  int64_t read_records_ = 0;  // records in that block
  // The block Next() hands out records from.
  const char* block_ = nullptr;
  int64_t block_left_ = 0;
};

class DataFiles {
 public:
  // Opens VARNU.001, VARNU.002 and VARNU.004, in that order, at
  // data_directory followed directly by the name (no separator is
  // inserted). When no file of exactly that name exists, a file in the same
  // folder whose name differs only in letter case is used. A file that
  // cannot be opened throws Error naming it. The index is also mapped for
  // its searches when env is the process's own file system (DefaultEnv).
  static DataFiles Open(Env& env, const std::string& data_directory);

  RecordFile& index() { return *index_; }
  RecordFile& products() { return *products_; }
  RecordFile& journal() { return *journal_; }

  ProductIndexRecord ReadIndexEntry(int64_t n);
  ProductRecord ReadProduct(int64_t n);
  JournalRecord ReadJournalRow(int64_t n);
  OleDate ReadJournalDate(int64_t n);

 private:
  std::unique_ptr<RecordFile> index_;
  std::unique_ptr<RecordFile> products_;
  std::unique_ptr<RecordFile> journal_;
};

// The records a file of length bytes holds: length / record_length,
// rounded to nearest, halves to even.
int64_t RecordCountForLength(int64_t length, int record_length);

// data_directory + name, or the same folder's entry whose name equals it
// without regard to letter case when the exact name does not exist.
std::string ResolveDataFilePath(Env& env, const std::string& data_directory,
                                const std::string& name);

}  // namespace sarvilax

#endif  // SARVILAX_POSDATA_DATA_FILES_H_
