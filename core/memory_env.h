// An Env held entirely in memory, for tests: files in a map, a clock that
// tests set, and an in-memory settings store.
#ifndef SARVILAX_CORE_MEMORY_ENV_H_
#define SARVILAX_CORE_MEMORY_ENV_H_

#include <map>
#include <memory>
#include <string>

#include "core/env.h"
#include "core/settings_store.h"

namespace sarvilax {

class MemoryEnv : public Env {
 public:
  MemoryEnv();
  ~MemoryEnv() override;

  // Files are shared with every open handle, so a test can change a file
  // while the program reads it. Paths are used exactly as given.
  std::string& File(const std::string& path) { return *FileRef(path); }
  void SetFile(const std::string& path, std::string contents) {
    *FileRef(path) = std::move(contents);
  }
  bool HasFile(const std::string& path) const { return files_.count(path) != 0; }
  void SetNow(OleDate now) { now_ = now; }
  // Settings are kept as "application/section/key" → value.
  std::map<std::string, std::string>& SettingValues() { return setting_values_; }

  std::unique_ptr<ReadableFile> OpenShared(const std::string& path) override;
  std::unique_ptr<WritableFile> CreateWorkFile(const std::string& path) override;
  std::string ReadWholeFile(const std::string& path) override;
  void WriteWholeFile(const std::string& path, std::string_view contents) override;
  void ReplaceFileAtomically(const std::string& path, std::string_view contents) override;
  void DeleteFile(const std::string& path) noexcept override;
  // Locks are kept by path; a second lock on a held path fails at once.
  std::unique_ptr<FileLock> LockExclusively(const std::string& path, int wait_seconds) override;
  bool FileExists(const std::string& path) override;
  bool IsRegularFile(const std::string& path) override;
  std::vector<std::string> ListDirectory(const std::string& dir) override;
  OleDate Now() override { return now_; }
  SettingsStore& Settings() override { return *settings_; }

 private:
  std::shared_ptr<std::string> FileRef(const std::string& path);

  std::map<std::string, std::shared_ptr<std::string>> files_;
  std::map<std::string, std::string> setting_values_;
  std::shared_ptr<std::map<std::string, bool>> held_locks_ =
      std::make_shared<std::map<std::string, bool>>();
  std::unique_ptr<SettingsStore> settings_;
  OleDate now_ = 0;
};

}  // namespace sarvilax

#endif  // SARVILAX_CORE_MEMORY_ENV_H_
