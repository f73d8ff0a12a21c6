// The HTTPS transfer of relay requests. The platform's HTTPS client appears
// only behind this interface: libcurl on POSIX systems (curl_transfer_posix.cc),
// WinHTTP on Windows (winhttp_transfer_windows.cc).
#ifndef SARVILAX_DELIVERY_HTTP_TRANSFER_H_
#define SARVILAX_DELIVERY_HTTP_TRANSFER_H_

#include <cstddef>
#include <memory>
#include <string>

namespace sarvilax {

// The relay answers with one word; a transfer keeps at most this much of a
// reply and drops the rest, so a misbehaving server cannot fill the memory.
// Only the start of the reply is ever looked at.
inline constexpr size_t kMaxRelayReplyBytes = size_t{64} * 1024;

// Where and how requests go. Built once per process.
struct RelayConfig {
  std::string base_url;        // scheme and host, e.g. https://relay.example.com
  std::string sender_address;  // the operator's fixed sender address
  std::string ca_file;         // extra PEM certificates to trust; empty for none
  long timeout_seconds = 120;  // one whole transfer
  long connect_timeout_seconds = 30;
  // Set by a file:// relay URL: requests are written into this folder as
  // files instead of being sent (a preview before go-live).
  std::string preview_folder;
};

// The built-in relay and sender, with SARVILAX_RELAY_URL,
// SARVILAX_RELAY_CA and SARVILAX_RELAY_TIMEOUT applied. Throws Error for a
// relay URL that is neither https://, nor http:// to a loopback host, nor
// file:// naming a preview folder.
RelayConfig RelayConfigFromEnvironment();

class HttpTransfer {
 public:
  virtual ~HttpTransfer() = default;
  // POSTs form_body (application/x-www-form-urlencoded) to url and returns
  // the reply body. Any failure (refused connection, TLS, time-out, an HTTP
  // status other than 200) gives the empty reply. Never throws.
  virtual std::string Post(const std::string& url, const std::string& form_body) = 0;
  // Why the last Post gave an empty reply ("Couldn't connect to server",
  // "HTTP status 500"), for the line that tells a recipient was missed.
  virtual std::string LastFailure() const { return ""; }
};

// The shape of the platform's HTTPS clients: Transfer does one request and
// may throw; Post keeps the promise of never throwing, and the reason for an
// empty reply is set with Fails.
class ClientTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string& url, const std::string& form_body) final {
    last_failure_.clear();
    try {
      return Transfer(url, form_body);
    } catch (...) {
      last_failure_ = "the transfer failed";
      return "";
    }
  }
  std::string LastFailure() const final { return last_failure_; }

 protected:
  virtual std::string Transfer(const std::string& url, const std::string& form_body) = 0;
  // Notes why the request failed and gives the empty reply.
  std::string Fails(const std::string& why) {
    last_failure_ = why;
    return "";
  }

 private:
  std::string last_failure_;
};

// The relay over HTTPS (or http:// to this machine): one reused connection
// for all requests of the process; certificates and host names always
// verified; redirects never followed. On Windows the certificates are those
// the system trusts, and ca_file is not used.
std::unique_ptr<HttpTransfer> NewHttpsTransfer(const RelayConfig& config);

// The transfer config asks for: the preview folder when it names one,
// otherwise the relay over HTTPS.
std::unique_ptr<HttpTransfer> NewTransferFor(const RelayConfig& config);

}  // namespace sarvilax

#endif  // SARVILAX_DELIVERY_HTTP_TRANSFER_H_
