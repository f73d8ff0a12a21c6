// A small HTTPS server on 127.0.0.1 for transfer tests. It runs in its own
// thread, serves one request per connection with a certificate made at
// start-up, records what arrives and answers as told. Header-only so that
// any test file can use it.
#ifndef SARVILAX_TESTS_HTTPS_TEST_SERVER_H_
#define SARVILAX_TESTS_HTTPS_TEST_SERVER_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"

namespace sarvilax::testing {

// A port on 127.0.0.1 that nothing listens on (free a moment ago).
inline int UnusedLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("no free loopback port");
  }
  close(fd);
  return ntohs(address.sin_port);
}

// How long a test certificate is valid.
enum class Validity {
  kCurrent,  // from ten years back to forty years ahead, so that runs under a faked clock verify it
  kExpired,  // from twenty years back to a year ago
};

// A self-signed certificate and its key.
class TestCertificate {
 public:
  // subject_alt_names as in OpenSSL configuration, e.g.
  // "DNS:localhost,IP:127.0.0.1".
  explicit TestCertificate(const std::string& subject_alt_names,
                           Validity validity = Validity::kCurrent)
      : key_(EVP_EC_gen("P-256")), certificate_(X509_new()) {
    if (key_ == nullptr || certificate_ == nullptr) throw std::runtime_error("OpenSSL failed");
    constexpr long kYear = 365L * 86400;
    const bool expired = validity == Validity::kExpired;
    X509_set_version(certificate_, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate_), std::random_device()() & 0x7FFFFFFF);
    X509_gmtime_adj(X509_getm_notBefore(certificate_), (expired ? -20 : -10) * kYear);
    X509_gmtime_adj(X509_getm_notAfter(certificate_), expired ? -kYear : 40 * kYear);
    X509_set_pubkey(certificate_, key_);
    X509_NAME* name = X509_get_subject_name(certificate_);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Sarvilax test"), -1, -1, 0);
    X509_set_issuer_name(certificate_, name);
    AddExtension(NID_basic_constraints, "critical,CA:TRUE");
    AddExtension(NID_subject_key_identifier, "hash");
    AddExtension(NID_subject_alt_name, subject_alt_names);
    if (X509_sign(certificate_, key_, EVP_sha256()) == 0) {
      throw std::runtime_error("cannot sign the test certificate");
    }
  }
  ~TestCertificate() {
    X509_free(certificate_);
    EVP_PKEY_free(key_);
  }
  TestCertificate(const TestCertificate&) = delete;
  TestCertificate& operator=(const TestCertificate&) = delete;

  X509* certificate() const { return certificate_; }
  EVP_PKEY* key() const { return key_; }

  std::string Pem() const {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, certificate_);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<size_t>(length));
    BIO_free(bio);
    return pem;
  }

 private:
  void AddExtension(int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate_, certificate_, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr) throw std::runtime_error("bad certificate extension " + value);
    X509_add_ext(certificate_, extension, -1);
    X509_EXTENSION_free(extension);
  }

  EVP_PKEY* key_;
  X509* certificate_;
};

struct RecordedRequest {
  std::string head;  // request line and header lines
  std::string body;
};

class HttpsTestServer {
 public:
  enum class Mode {
    kAnswer,         // the status and body set by SetReply
    kNeverAnswer,    // reads the request and keeps quiet until the client leaves
    kEndlessReply,   // status 200 and a body of many megabytes beginning "True"
    kResetMidReply,  // the head and the start of the reply's body, then a reset
  };

  // How the server answers one request.
  struct Reply {
    Mode mode = Mode::kAnswer;
    int status = 200;
    std::string body = "True";
  };

  explicit HttpsTestServer(const std::string& subject_alt_names = "DNS:localhost,IP:127.0.0.1",
                           Validity validity = Validity::kCurrent)
      : certificate_(subject_alt_names, validity) {
    context_ = SSL_CTX_new(TLS_server_method());
    if (context_ == nullptr || SSL_CTX_use_certificate(context_, certificate_.certificate()) != 1 ||
        SSL_CTX_use_PrivateKey(context_, certificate_.key()) != 1) {
      throw std::runtime_error("cannot set up the TLS server");
    }
    WriteCertificateFile();
    Listen();
    thread_ = std::thread([this] { Run(); });
  }

  ~HttpsTestServer() {
    stop_ = true;
    {
      std::lock_guard<std::mutex> lock(client_mutex_);
      if (client_fd_ >= 0) shutdown(client_fd_, SHUT_RDWR);
    }
    thread_.join();
    close(listen_fd_);
    SSL_CTX_free(context_);
    std::remove(certificate_file_.c_str());
  }

  HttpsTestServer(const HttpsTestServer&) = delete;
  HttpsTestServer& operator=(const HttpsTestServer&) = delete;

  std::string url() const { return "https://127.0.0.1:" + std::to_string(port_); }
  // The certificate in PEM, for the client to trust.
  const std::string& certificate_file() const { return certificate_file_; }

  void SetReply(int status, std::string body) {
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = status;
    reply_ = std::move(body);
  }
  void SetMode(Mode mode) {
    std::lock_guard<std::mutex> lock(mutex_);
    mode_ = mode;
  }
  // The answers to the next requests, one each in order; after them the
  // server answers as SetReply and SetMode say.
  void QueueReplies(std::vector<Reply> replies) {
    std::lock_guard<std::mutex> lock(mutex_);
    queued_.insert(queued_.end(), replies.begin(), replies.end());
  }
  std::vector<RecordedRequest> requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void WriteCertificateFile() {
    std::string pattern = ::testing::TempDir() + "sarvilax_https_test_XXXXXX";
    const int fd = mkstemp(pattern.data());
    const std::string pem = certificate_.Pem();
    const bool written =
        fd >= 0 && write(fd, pem.data(), pem.size()) == static_cast<ssize_t>(pem.size());
    if (fd >= 0) close(fd);
    if (!written) throw std::runtime_error("cannot write " + pattern);
    certificate_file_ = pattern;
  }

  void Listen() {
    listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listen_fd_ < 0 ||
        bind(listen_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listen_fd_, 8) != 0 ||
        getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port_ = ntohs(address.sin_port);
  }

  void Run() {
    // A client that leaves early must not kill the test process: writes to
    // its socket then fail with EPIPE instead of raising SIGPIPE here.
    sigset_t pipe_signal;
    sigemptyset(&pipe_signal);
    sigaddset(&pipe_signal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_signal, nullptr);
    while (!stop_) {
      pollfd listening{listen_fd_, POLLIN, 0};
      if (poll(&listening, 1, 50) <= 0) continue;
      const int fd = accept(listen_fd_, nullptr, nullptr);
      if (fd < 0) continue;
      const timeval limit{5, 0};  // no client can hold the server longer
      setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
      {
        std::lock_guard<std::mutex> lock(client_mutex_);
        client_fd_ = fd;
      }
      Serve(fd);
      std::lock_guard<std::mutex> lock(client_mutex_);
      client_fd_ = -1;
      close(fd);
    }
  }

  void Serve(int fd) {
    SSL* ssl = SSL_new(context_);
    SSL_set_fd(ssl, fd);
    RecordedRequest request;
    if (SSL_accept(ssl) == 1 && ReadRequest(ssl, &request)) {
      std::unique_lock<std::mutex> lock(mutex_);
      requests_.push_back(request);
      Reply reply{mode_, status_, reply_};
      if (!queued_.empty()) {
        reply = queued_.front();
        queued_.erase(queued_.begin());
      }
      const std::string response = "HTTP/1.1 " + std::to_string(reply.status) +
                                   " Status\r\nContent-Type: text/plain\r\nContent-Length: " +
                                   std::to_string(reply.body.size()) +
                                   "\r\nConnection: close\r\n\r\n" + reply.body;
      lock.unlock();
      if (reply.mode == Mode::kAnswer) WriteAll(ssl, response);
      if (reply.mode == Mode::kNeverAnswer) WaitForClientToLeave(ssl, fd);
      if (reply.mode == Mode::kEndlessReply) WriteEndlessReply(ssl);
      if (reply.mode == Mode::kResetMidReply) {
        // Promise more than is sent, then drop the connection with a reset.
        WriteAll(ssl, "HTTP/1.1 " + std::to_string(reply.status) +
                          " Status\r\nContent-Length: 100000\r\n\r\n" + reply.body);
        const linger reset{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
        SSL_free(ssl);
        return;
      }
      SSL_shutdown(ssl);
    }
    SSL_free(ssl);
  }

  static bool ReadRequest(SSL* ssl, RecordedRequest* request) {
    std::string data;
    size_t head_end = std::string::npos;
    size_t body_length = 0;
    char buffer[16384];
    while (head_end == std::string::npos || data.size() < head_end + 4 + body_length) {
      const int n = SSL_read(ssl, buffer, sizeof buffer);
      if (n <= 0) return false;
      data.append(buffer, static_cast<size_t>(n));
      if (head_end == std::string::npos &&
          (head_end = data.find("\r\n\r\n")) != std::string::npos) {
        body_length = ContentLength(data.substr(0, head_end));
      }
    }
    request->head = data.substr(0, head_end);
    request->body = data.substr(head_end + 4, body_length);
    return true;
  }

  static size_t ContentLength(std::string head) {
    std::transform(head.begin(), head.end(), head.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const size_t at = head.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::strtoul(head.c_str() + at + 17, nullptr, 10);
  }

  static bool WriteAll(SSL* ssl, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
      const int n = SSL_write(ssl, data.data() + done, static_cast<int>(data.size() - done));
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  void WaitForClientToLeave(SSL* ssl, int fd) {
    while (!stop_) {
      pollfd client{fd, POLLIN, 0};
      if (poll(&client, 1, 50) <= 0) continue;
      char byte;
      if (SSL_read(ssl, &byte, 1) <= 0) return;
    }
  }

  void WriteEndlessReply(SSL* ssl) {
    constexpr size_t kMegabytes = 64;
    if (!WriteAll(ssl, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kMegabytes << 20) +
                           "\r\n\r\nTrue")) {
      return;
    }
    const std::string chunk(1 << 20, 'x');
    for (size_t i = 0; i < kMegabytes && !stop_; ++i) {
      if (!WriteAll(ssl, i == 0 ? chunk.substr(4) : chunk)) return;
    }
  }

  TestCertificate certificate_;
  SSL_CTX* context_ = nullptr;
  std::string certificate_file_;
  int listen_fd_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex client_mutex_;
  int client_fd_ = -1;
  std::mutex mutex_;
  int status_ = 200;
  std::string reply_ = "True";
  Mode mode_ = Mode::kAnswer;
  std::vector<Reply> queued_;
  std::vector<RecordedRequest> requests_;
  std::thread thread_;
};

}  // namespace sarvilax::testing

#endif  // SARVILAX_TESTS_HTTPS_TEST_SERVER_H_
