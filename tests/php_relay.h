// The reference mail relay under PHP's built-in web server, for tests.
#ifndef SARVILAX_TESTS_PHP_RELAY_H_
#define SARVILAX_TESTS_PHP_RELAY_H_

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/https_test_server.h"
#include "tests/test_util.h"

extern char** environ;

namespace sarvilax::testing {

inline bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

// `php -S` serving the relay folder, with the relay settings in its
// environment and mails written into a temporary folder.
class PhpRelay {
 public:
  PhpRelay(const std::string& php, const std::vector<std::string>& settings)
      : port_(UnusedLoopbackPort()) {
    std::filesystem::create_directory(mail_dir());
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    environment.push_back("SARVILAX_RELAY_MAILDIR=" + mail_dir());
    environment.insert(environment.end(), settings.begin(), settings.end());
    std::vector<std::string> arguments = {php,  "-n",
                                          "-S", "127.0.0.1:" + std::to_string(port_),
                                          "-t", std::string(SARVILAX_SOURCE_DIR) + "/relay"};
    std::vector<char*> envp, argv;
    for (std::string& entry : environment) envp.push_back(entry.data());
    for (std::string& argument : arguments) argv.push_back(argument.data());
    envp.push_back(nullptr);
    argv.push_back(nullptr);
    const int log = open(log_file().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_ = fork();
    if (pid_ == 0) {
      dup2(log, 1);
      dup2(log, 2);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    close(log);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Accepts(port_) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }

  ~PhpRelay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string mail_dir() const { return folder_ / "mail"; }
  std::string log_file() const { return folder_ / "php.log"; }

  // The mails written so far, oldest first; hidden temporary files excluded.
  std::vector<std::string> Mails() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(mail_dir())) {
      const std::string name = entry.path().filename().string();
      if (!name.starts_with(".")) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::vector<std::string> mails;
    mails.reserve(names.size());
    for (const std::string& name : names) mails.push_back(ReadFile(mail_dir() + "/" + name));
    return mails;
  }

 private:
  TempDir folder_;
  int port_;
  pid_t pid_ = -1;
};

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_PHP_RELAY_H_
