// The WinHTTP transfer against a small HTTP server on this machine: the
// wire form of a request, the status and size rules for the reply, a
// refused connection and a time-out. (Certificates are WinHTTP's own
// business and are checked against the system's store.)
#include <winsock2.h>
#include <ws2tcpip.h>
// (the sockets before anything that may bring in <windows.h>)

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "delivery/http_transfer.h"

namespace sarvilax {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

// Serves each request with one fixed answer, on a loopback port, keeping
// connections open between requests; remembers every request it read.
class LoopbackServer {
 public:
  explicit LoopbackServer(std::string answer) : answer_(std::move(answer)) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      ADD_FAILURE() << "no loopback port to listen on: " << WSAGetLastError();
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LoopbackServer() {
    stopping_ = true;
    thread_.join();
    closesocket(listener_);
    WSACleanup();
  }

  std::string base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }
  int connections() const { return connections_; }
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    for (;;) {
      if (!WaitForData(listener_)) return;
      const SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      ++connections_;
      while (ServeOne(client)) {
      }
      closesocket(client);
    }
  }

  // Waits for bytes to read (or a connection to accept, or the end of the
  // connection); false when the server is being stopped. (The client may keep an idle connection
  // open for long, and closing the socket need not wake a blocked recv.)
  bool WaitForData(SOCKET client) {
    while (!stopping_) {
      fd_set readable;
      FD_ZERO(&readable);
      FD_SET(client, &readable);
      timeval pause{0, 20 * 1000};
      if (select(0, &readable, nullptr, nullptr, &pause) != 0) return true;
    }
    return false;
  }

  // Reads one request (head and body) and answers it; false when the
  // connection has ended.
  bool ServeOne(SOCKET client) {
    std::string request;
    size_t head_end = std::string::npos;
    size_t wanted = 0;
    char buffer[4096];
    while (head_end == std::string::npos || request.size() < head_end + 4 + wanted) {
      if (!WaitForData(client)) return false;
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      request.append(buffer, got);
      if (head_end == std::string::npos &&
          (head_end = request.find("\r\n\r\n")) != std::string::npos) {
        const std::string head = Lower(request.substr(0, head_end));
        const size_t length_at = head.find("content-length:");
        if (length_at != std::string::npos) wanted = std::stoul(head.substr(length_at + 15));
      }
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requests_.push_back(request);
    }
    if (answer_.empty()) {  // never answers: the client must give up
      while (!stopping_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
      return false;
    }
    return send(client, answer_.data(), static_cast<int>(answer_.size()), 0) ==
           static_cast<int>(answer_.size());
  }

  std::string answer_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stopping_ = false;
  std::atomic<int> connections_ = 0;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

std::string Answer(const std::string& status, const std::string& body) {
  return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nContent-Type: text/plain\r\n\r\n" + body;
}

RelayConfig ConfigFor(const std::string& base_url) {
  RelayConfig config;
  config.base_url = base_url;
  config.timeout_seconds = 5;
  config.connect_timeout_seconds = 5;
  return config;
}

TEST(WinHttpTransferTest, PostsTheFormAndReusesTheConnection) {
  LoopbackServer server(Answer("200 OK", "True"));
  auto transfer = NewHttpsTransfer(ConfigFor(server.base_url()));
  const std::string body = "f=a%40b.fi&t=x&n=K%E4ssa&s=%26%3D%2B%25&b=0D0A&h=AB&l=L&d=";
  EXPECT_EQ(transfer->Post(server.base_url() + "/sendmail.php", body), "True");
  EXPECT_EQ(transfer->Post(server.base_url() + "/sendmail.php", "f=2"), "True");
  EXPECT_EQ(transfer->LastFailure(), "");

  const std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string& first = requests[0];
  EXPECT_EQ(first.rfind("POST /sendmail.php HTTP/1.1\r\n", 0), 0u) << first;
  const std::string head = Lower(first.substr(0, first.find("\r\n\r\n") + 2));
  EXPECT_NE(head.find("\r\ncontent-type: application/x-www-form-urlencoded\r\n"), std::string::npos)
      << first;
  EXPECT_NE(head.find("\r\nhost: 127.0.0.1:"), std::string::npos) << first;
  EXPECT_EQ(first.substr(first.find("\r\n\r\n") + 4), body);
  EXPECT_EQ(server.connections(), 1);
}

TEST(WinHttpTransferTest, AnythingButStatus200IsAnEmptyReply) {
  LoopbackServer server(Answer("500 Internal Server Error", "True"));
  auto transfer = NewHttpsTransfer(ConfigFor(server.base_url()));
  EXPECT_EQ(transfer->Post(server.base_url() + "/sendmail.php", "f=1"), "");
  EXPECT_EQ(transfer->LastFailure(), "HTTP status 500");

  LoopbackServer moved(Answer("302 Found", ""));
  auto redirected = NewHttpsTransfer(ConfigFor(moved.base_url()));
  EXPECT_EQ(redirected->Post(moved.base_url() + "/sendmail.php", "f=1"), "");
  EXPECT_EQ(redirected->LastFailure(), "HTTP status 302");
}

TEST(WinHttpTransferTest, ALongReplyIsCutAt64KiB) {
  LoopbackServer server(Answer("200 OK", "True" + std::string(100000, 'x')));
  auto transfer = NewHttpsTransfer(ConfigFor(server.base_url()));
  const std::string reply = transfer->Post(server.base_url() + "/sendmail.php", "f=1");
  EXPECT_EQ(reply.size(), 65536u);
  EXPECT_EQ(reply.substr(0, 4), "True");
}

TEST(WinHttpTransferTest, RefusedAndSilentRelaysGiveUp) {
  std::string closed_url;
  {
    LoopbackServer gone(Answer("200 OK", "True"));
    closed_url = gone.base_url();
  }
  auto transfer = NewHttpsTransfer(ConfigFor(closed_url));
  EXPECT_EQ(transfer->Post(closed_url + "/sendmail.php", "f=1"), "");
  EXPECT_NE(transfer->LastFailure(), "");

  LoopbackServer silent("");
  RelayConfig config = ConfigFor(silent.base_url());
  config.timeout_seconds = 1;
  auto impatient = NewHttpsTransfer(config);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(impatient->Post(silent.base_url() + "/sendmail.php", "f=1"), "");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  EXPECT_NE(impatient->LastFailure(), "");
}

}  // namespace
}  // namespace sarvilax
