#include "posdata/data_files.h"

#include <algorithm>
#include <cstring>

#include "core/error.h"
#include "core/settings_store.h"

namespace sarvilax {
namespace {

// About a megabyte of records per read in a pass.
constexpr int64_t kScanBufferBytes = 1 << 20;

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) {
             return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
           };
           return lower(x) == lower(y);
         });
}

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

RecordFile::RecordFile(std::unique_ptr<ReadableFile> file, int record_length, std::string path)
    : file_(std::move(file)), record_length_(record_length), path_(std::move(path)) {}

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

void RecordFile::Read(int64_t n, char* buffer) {
  CheckRecordNumber(n);
  const size_t got = file_->ReadAt((n - 1) * record_length_, record_length_, buffer);
  std::memset(buffer + got, 0, record_length_ - got);
}

RecordScanner::RecordScanner(RecordFile& file, int64_t first, int64_t last)
    : file_(file), next_(first), last_(last) {
  if (first <= last) file_.CheckRecordNumber(first);
}

const char* RecordScanner::Next() {
  if (next_ > last_) return nullptr;
  if (next_ >= buffer_first_ + buffer_records_ || next_ < buffer_first_) Fill();
  const char* record = buffer_.data() + (next_ - buffer_first_) * file_.record_length();
  ++next_;
  return record;
}

void RecordScanner::Fill() {
  const int length = file_.record_length();
  const int64_t records = std::min(kScanBufferBytes / length, last_ - next_ + 1);
  buffer_.resize(records * length);
  const size_t got = file_.file().ReadAt((next_ - 1) * length, buffer_.size(), buffer_.data());
  std::memset(buffer_.data() + got, 0, buffer_.size() - got);
  buffer_first_ = next_;
  buffer_records_ = records;
}

DataFiles DataFiles::Open(Env& env, const std::string& data_directory) {
  auto open = [&](const char* name, int length) {
    const std::string path = ResolveDataFilePath(env, data_directory, name);
    if (!env.FileExists(path)) FailMissingDataFile(env, data_directory, name);
    return std::make_unique<RecordFile>(env.OpenShared(path), length, path);
  };
  DataFiles files;
  files.index_ = open(kIndexFileName, index_layout::kLength);
  files.products_ = open(kProductFileName, product_layout::kLength);
  files.journal_ = open(kJournalFileName, journal_layout::kLength);
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
  const std::string path = data_directory + name;
  if (env.FileExists(path)) return path;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  for (const std::string& entry : env.ListDirectory(folder.empty() ? "" : folder)) {
    if (EqualsIgnoringCase(entry, base)) return folder + entry;
  }
  return path;
}

}  // namespace sarvilax
