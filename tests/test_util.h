// Helpers for tests that run the real programs in a temporary folder.
#ifndef SARVILAX_TESTS_TEST_UTIL_H_
#define SARVILAX_TESTS_TEST_UTIL_H_

#include <string>
#include <vector>

namespace sarvilax::testing {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

struct ProcessResult {
  int exit_status = -1;  // -1 when killed by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// Runs argv in working_dir with the extra environment entries
// ("NAME=value") added, standard input from /dev/null, and waits at most
// timeout_seconds (then kills it and reports the signal).
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& working_dir,
                         const std::vector<std::string>& extra_env = {}, int timeout_seconds = 120);

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& contents);
bool Exists(const std::string& path);
// The first executable named program in the folders of PATH, or "".
std::string FindOnPath(const std::string& program);

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_TEST_UTIL_H_
