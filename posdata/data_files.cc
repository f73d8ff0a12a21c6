#include "posdata/data_files.h"

#include <algorithm>
#include <cstring>

#include "core/cp1252.h"
#include "core/error.h"
#include "core/settings_store.h"
#include "posdata/read_ahead.h"

namespace sarvilax {
namespace {

// About a megabyte of records per read in a pass.
constexpr int64_t kScanBufferBytes = 1 << 20;

// The point-of-sale program's settings name the data folder; a missing file
// is most often a wrong or unfinished Datat value.
[[noreturn]] void FailMissingDataFile(Env& env, const std::string& data_directory,
                                      const std::string& name) {
  const std::string where =
      data_directory.empty() ? "the working folder" : "data folder " + data_directory;
  Fail(where + " has no " + name + ": check the Datat setting (section Asiakas, a folder " +
       "ending in /) in " + env.Settings().Location(kSettingsApplicationName));
}

}  // namespace

RecordFile::RecordFile(std::unique_ptr<ReadableFile> file, int record_length, std::string path,
                       std::unique_ptr<FileMapping> mapping)
    : file_(std::move(file)),
      record_length_(record_length),
      path_(std::move(path)),
      mapping_(std::move(mapping)) {}

int64_t RecordCountForLength(int64_t length, int record_length) {
  int64_t count = length / record_length;
  const int64_t twice_rest = 2 * (length % record_length);
  if (twice_rest > record_length || (twice_rest == record_length && count % 2 == 1)) ++count;
  return count;
}

int32_t RecordFile::CountRecords() {
  const int64_t count = RecordCountForLength(file_->Length(), record_length_);
  if (count > INT32_MAX) Fail("data file " + path_ + " holds more records than a report can count");
  return static_cast<int32_t>(count);
}

void RecordFile::CheckRecordNumber(int64_t n) const {
  if (n < 1) Fail("record number " + std::to_string(n) + " read from " + path_ + " is below 1");
}

void RecordFile::Read(int64_t n, char* buffer) { ReadRecords(n, 1, buffer); }

void RecordFile::ReadRecords(int64_t first, int64_t count, char* buffer) {
  CheckRecordNumber(first);
  const size_t bytes = static_cast<size_t>(count) * record_length_;
  const size_t got = file_->ReadAt((first - 1) * record_length_, bytes, buffer);
  std::memset(buffer + got, 0, bytes - got);
}

RecordScanner::RecordScanner(RecordFile& file, int64_t first, int64_t last)
    : file_(file), next_(first), last_(last) {
  if (first <= last) file_.CheckRecordNumber(first);
}

RecordScanner::~RecordScanner() = default;

char* RecordScanner::SizeNextBlock() {
  const int length = file_.record_length();
  read_records_ = std::min(kScanBufferBytes / length, last_ - next_ + 1);
  std::vector<char>& buffer = buffers_[reading_];
  buffer.resize(read_records_ * length);
  return buffer.data();
}

const char* RecordScanner::NextBlock(int64_t* count) {
  if (next_ > last_) return nullptr;
  if (read_ahead_ && read_ahead_->busy()) {
    read_ahead_->Wait();
  } else {
    char* buffer = SizeNextBlock();
    file_.ReadRecords(next_, read_records_, buffer);
  }
  const char* records = buffers_[reading_].data();
  *count = read_records_;
  next_ += read_records_;
  reading_ = 1 - reading_;
  if (next_ <= last_) {
    char* buffer = SizeNextBlock();
    if (!read_ahead_) read_ahead_ = std::make_unique<ReadAhead>(file_);
    read_ahead_->Start(next_, read_records_, buffer);
  }
  return records;
}

const char* RecordScanner::Next() {
  if (block_left_ == 0) {
    block_ = NextBlock(&block_left_);
    if (block_ == nullptr) return nullptr;
  }
  const char* record = block_;
  block_ += file_.record_length();
  --block_left_;
  return record;
}

DataFiles DataFiles::Open(Env& env, const std::string& data_directory) {
  // The index is searched once per sale row of a period: it is mapped when
  // it is a file of the process's own file system.
  const bool mappable = &env == &DefaultEnv();
  enum class Mapped { kNo, kYes };
  auto open = [&](const char* name, int length, Mapped mapped) {
    const std::string path = ResolveDataFilePath(env, data_directory, name);
    if (!env.FileExists(path)) FailMissingDataFile(env, data_directory, name);
    std::unique_ptr<ReadableFile> file = env.OpenShared(path);
    std::unique_ptr<FileMapping> mapping =
        mapped == Mapped::kYes && mappable ? FileMapping::Open(Cp1252ToUtf8(path)) : nullptr;
    return std::make_unique<RecordFile>(std::move(file), length, path, std::move(mapping));
  };
  DataFiles files;
  files.index_ = open(kIndexFileName, index_layout::kLength, Mapped::kYes);
  files.products_ = open(kProductFileName, product_layout::kLength, Mapped::kNo);
  files.journal_ = open(kJournalFileName, journal_layout::kLength, Mapped::kNo);
  return files;
}

ProductIndexRecord DataFiles::ReadIndexEntry(int64_t n) {
  char buffer[index_layout::kLength];
  index_->Read(n, buffer);
  return DecodeIndexRecord(buffer);
}

ProductRecord DataFiles::ReadProduct(int64_t n) {
  char buffer[product_layout::kLength];
  products_->Read(n, buffer);
  return DecodeProductRecord(buffer);
}

JournalRecord DataFiles::ReadJournalRow(int64_t n) {
  char buffer[journal_layout::kLength];
  journal_->Read(n, buffer);
  return DecodeJournalRecord(buffer);
}

OleDate DataFiles::ReadJournalDate(int64_t n) {
  char buffer[journal_layout::kLength];
  journal_->Read(n, buffer);
  return DecodeJournalDate(buffer);
}

std::string ResolveDataFilePath(Env& env, const std::string& data_directory,
                                const std::string& name) {
  std::string path = data_directory + name;
  if (env.FileExists(path)) return path;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  for (const std::string& entry : env.ListDirectory(folder.empty() ? "" : folder)) {
    if (EqualsIgnoringAsciiCase(entry, base)) return folder + entry;
  }
  return path;
}

}  // namespace sarvilax
