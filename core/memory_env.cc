#include "core/memory_env.h"

#include <algorithm>
#include <set>

#include "core/error.h"

namespace sarvilax {

namespace {

// A handle on one file's content. A file created anew at the same name gets
// new content; handles opened before keep the old, as on a real disk.
class MemoryFile : public WritableFile {
 public:
  MemoryFile(std::shared_ptr<std::string> contents, std::string path)
      : contents_(std::move(contents)), path_(std::move(path)) {}

  int64_t Length() override { return static_cast<int64_t>(contents_->size()); }

  size_t ReadAt(int64_t offset, size_t n, char* buffer) override {
    if (offset < 0) Fail("cannot read " + path_ + ": Invalid argument");
    const auto start = static_cast<uint64_t>(offset);
    if (start >= contents_->size()) return 0;
    const size_t count = std::min<uint64_t>(n, contents_->size() - start);
    std::copy_n(contents_->data() + start, count, buffer);
    return count;
  }

  void WriteAt(int64_t offset, std::string_view data) override {
    if (offset < 0) Fail("cannot write work file " + path_ + ": Invalid argument");
    const auto start = static_cast<size_t>(offset);
    if (contents_->size() < start + data.size()) contents_->resize(start + data.size());
    std::copy(data.begin(), data.end(), contents_->begin() + start);
  }

 private:
  std::shared_ptr<std::string> contents_;
  std::string path_;
};

class MemorySettingsStore : public SettingsStore {
 public:
  explicit MemorySettingsStore(std::map<std::string, std::string>& values) : values_(values) {}

  std::string Read(const std::string& application, const std::string& section,
                   const std::string& key, const std::string& default_value) override {
    const auto found = values_.find(application + "/" + section + "/" + key);
    return found == values_.end() ? default_value : found->second;
  }

  void Write(const std::string& application, const std::string& section, const std::string& key,
             const std::string& value) override {
    values_[application + "/" + section + "/" + key] = value;
  }

  std::string Location(const std::string& application) const override {
    return "the settings of " + application;
  }

 private:
  std::map<std::string, std::string>& values_;
};

[[noreturn]] void FailMissing(const std::string& path) {
  Fail("cannot open " + path + ": No such file or directory");
}

}  // namespace

MemoryEnv::MemoryEnv() : settings_(std::make_unique<MemorySettingsStore>(setting_values_)) {}

MemoryEnv::~MemoryEnv() = default;

std::shared_ptr<std::string> MemoryEnv::FileRef(const std::string& path) {
  std::shared_ptr<std::string>& file = files_[path];
  if (file == nullptr) file = std::make_shared<std::string>();
  return file;
}

std::unique_ptr<ReadableFile> MemoryEnv::OpenShared(const std::string& path) {
  if (!HasFile(path)) FailMissing(path);
  return std::make_unique<MemoryFile>(FileRef(path), path);
}

std::unique_ptr<WritableFile> MemoryEnv::CreateWorkFile(const std::string& path) {
  files_[path] = std::make_shared<std::string>();
  return std::make_unique<MemoryFile>(FileRef(path), path);
}

std::string MemoryEnv::ReadWholeFile(const std::string& path) {
  if (!HasFile(path)) FailMissing(path);
  return *FileRef(path);
}

void MemoryEnv::WriteWholeFile(const std::string& path, std::string_view contents) {
  files_[path] = std::make_shared<std::string>(contents);
}

void MemoryEnv::ReplaceFileAtomically(const std::string& path, std::string_view contents) {
  files_[path] = std::make_shared<std::string>(contents);
}

void MemoryEnv::DeleteFile(const std::string& path) noexcept { files_.erase(path); }

bool MemoryEnv::FileExists(const std::string& path) { return HasFile(path); }

bool MemoryEnv::IsRegularFile(const std::string& path) { return HasFile(path); }

// Folders exist only as the prefixes of file paths: a file "a/b/c" makes "b"
// an entry of "a".
std::vector<std::string> MemoryEnv::ListDirectory(const std::string& dir) {
  std::string prefix = dir;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  std::set<std::string> names;
  for (const auto& [path, contents] : files_) {
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
    const std::string rest = path.substr(prefix.size());
    if (rest[0] != '/') names.insert(rest.substr(0, rest.find('/')));
  }
  return {names.begin(), names.end()};
}

namespace {

class MemoryFileLock : public FileLock {
 public:
  MemoryFileLock(std::shared_ptr<std::map<std::string, bool>> held, std::string path)
      : held_(std::move(held)), path_(std::move(path)) {}
  ~MemoryFileLock() override { held_->erase(path_); }

 private:
  std::shared_ptr<std::map<std::string, bool>> held_;
  std::string path_;
};

}  // namespace

std::unique_ptr<FileLock> MemoryEnv::LockExclusively(const std::string& path, int wait_seconds) {
  if (held_locks_->count(path) != 0) {
    Fail("another Sarvilax run has held " + path + " for " + std::to_string(wait_seconds) +
         " seconds; this run sends nothing");
  }
  (*held_locks_)[path] = true;
  if (!HasFile(path)) SetFile(path, "");
  return std::make_unique<MemoryFileLock>(held_locks_, path);
}

}  // namespace sarvilax
