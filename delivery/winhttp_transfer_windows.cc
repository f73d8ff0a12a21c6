// The relay transfer over WinHTTP: the only file that speaks to WinHTTP.
//
// One session lives as long as the transfer object and keeps the relay
// connection open between requests. Certificates and host names are checked
// against the certificates the system trusts (WinHTTP's default, never
// turned off); redirects are not followed, so a request never lands
// anywhere but the configured relay.
//
// WinHTTP limits each step of a transfer (name lookup, connection, sending,
// each wait for the answer) rather than the whole; the whole is limited here
// by a deadline checked while the reply is read.
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "core/wide_text.h"
#include "delivery/http_transfer.h"

#ifndef SARVILAX_VERSION
#define SARVILAX_VERSION "0"
#endif

namespace sarvilax {

namespace {

constexpr DWORD kHttpOk = 200;

struct InternetCloser {
  void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

int Milliseconds(long seconds) {
  return static_cast<int>(std::clamp<long>(seconds, 1, 86400) * 1000);
}

// WinHTTP's words for its own error codes, which the system table lacks.
std::string WinHttpErrorText(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT:
      return "the relay did not answer in time";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return "the relay's host name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return "could not connect to the relay";
    case ERROR_WINHTTP_CONNECTION_ERROR:
      return "the connection to the relay was broken";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
      return "the relay's certificate is not trusted (WinHTTP error " + std::to_string(error) + ")";
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
      return "no secure connection to the relay (WinHTTP error " + std::to_string(error) +
             "; an untrusted certificate, for one)";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return "the relay's answer was not HTTP";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL:
      return "the relay address is not a valid http(s) address";
    default: {
      const std::string text = WindowsErrorText(error);
      const std::string code = "WinHTTP error " + std::to_string(error);
      return text.starts_with("error ") ? code : code + ": " + text;
    }
  }
}

// The parts of an http(s) address that WinHTTP is given separately.
struct UrlParts {
  bool secure = false;
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring path;  // with the query, if any
};

bool CrackUrl(const std::wstring& url, UrlParts* parts) {
  URL_COMPONENTS components{};
  components.dwStructSize = sizeof components;
  components.dwHostNameLength = static_cast<DWORD>(-1);
  components.dwUrlPathLength = static_cast<DWORD>(-1);
  components.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) return false;
  if (components.nScheme != INTERNET_SCHEME_HTTPS && components.nScheme != INTERNET_SCHEME_HTTP) {
    SetLastError(ERROR_WINHTTP_UNRECOGNIZED_SCHEME);
    return false;
  }
  parts->secure = components.nScheme == INTERNET_SCHEME_HTTPS;
  parts->host.assign(components.lpszHostName, components.dwHostNameLength);
  parts->port = components.nPort;
  parts->path.assign(components.lpszUrlPath, components.dwUrlPathLength);
  if (components.lpszExtraInfo != nullptr) {
    parts->path.append(components.lpszExtraInfo, components.dwExtraInfoLength);
  }
  if (parts->path.empty()) parts->path = L"/";
  return true;
}

class WinHttpTransfer : public ClientTransfer {
 public:
  explicit WinHttpTransfer(const RelayConfig& config) : config_(config) {
    session_.reset(WinHttpOpen(L"Sarvilax/" SARVILAX_VERSION, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                               WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (session_ == nullptr) return;
    const int connect = Milliseconds(config_.connect_timeout_seconds);
    const int whole = Milliseconds(config_.timeout_seconds);
    if (!WinHttpSetTimeouts(session_.get(), connect, connect, whole, whole)) session_.reset();
    AllowCurrentTls();
  }

 private:
  std::string FailsWithLastError() { return Fails(WinHttpErrorText(GetLastError())); }

  std::string Transfer(const std::string& url, const std::string& form_body) override {
    if (session_ == nullptr) return Fails("the HTTPS client could not be set up");
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(config_.timeout_seconds);
    UrlParts parts;
    if (!CrackUrl(WideFromUtf8(url), &parts)) return FailsWithLastError();
    if (!ConnectTo(parts)) return FailsWithLastError();
    const InternetHandle request(WinHttpOpenRequest(
        connection_.get(), L"POST", parts.path.c_str(), nullptr, WINHTTP_NO_REFERER,
        WINHTTP_DEFAULT_ACCEPT_TYPES, parts.secure ? WINHTTP_FLAG_SECURE : 0));
    if (request == nullptr) return FailsWithLastError();
    // The wait for the answer's head has a limit of its own (90 seconds
    // unless set), apart from the receive time-out of the session.
    DWORD no_redirects = WINHTTP_DISABLE_REDIRECTS;
    DWORD answer_wait = Milliseconds(config_.timeout_seconds);
    if (!WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &no_redirects,
                          sizeof no_redirects) ||
        !WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answer_wait,
                          sizeof answer_wait)) {
      return FailsWithLastError();
    }
    static constexpr wchar_t kHeaders[] = L"Content-Type: application/x-www-form-urlencoded\r\n";
    const DWORD length = static_cast<DWORD>(form_body.size());
    if (!WinHttpSendRequest(request.get(), kHeaders, static_cast<DWORD>(-1),
                            const_cast<char*>(form_body.data()), length, length, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
      return FailsWithLastError();
    }
    DWORD status = 0;
    DWORD status_size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &status_size,
                             WINHTTP_NO_HEADER_INDEX) ||
        status != kHttpOk) {
      return Fails("HTTP status " + std::to_string(status));
    }
    return ReadReply(request.get(), deadline);
  }

  // TLS 1.2 and 1.3 where the system has them. Older systems offer only
  // older versions unless told; a system that knows neither flag keeps its
  // own choice.
  void AllowCurrentTls() {
    if (session_ == nullptr) return;
    for (DWORD protocols :
         {DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3},
          DWORD{WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2}}) {
      if (WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                           sizeof protocols)) {
        return;
      }
    }
  }

  // Keeps the connection of the last request when the relay is the same.
  bool ConnectTo(const UrlParts& parts) {
    if (connection_ != nullptr && parts.host == host_ && parts.port == port_) return true;
    connection_.reset(WinHttpConnect(session_.get(), parts.host.c_str(), parts.port, 0));
    host_ = parts.host;
    port_ = parts.port;
    return connection_ != nullptr;
  }

  // The reply body up to kMaxRelayReplyBytes; a reply cut off at the limit still
  // counts, as its beginning is all the caller reads.
  std::string ReadReply(HINTERNET request, std::chrono::steady_clock::time_point deadline) {
    std::string reply;
    char buffer[8192];
    while (reply.size() < kMaxRelayReplyBytes) {
      if (std::chrono::steady_clock::now() > deadline) {
        return Fails("the relay did not answer in time");
      }
      const DWORD wanted =
          static_cast<DWORD>(std::min(sizeof buffer, kMaxRelayReplyBytes - reply.size()));
      DWORD got = 0;
      if (!WinHttpReadData(request, buffer, wanted, &got)) return FailsWithLastError();
      if (got == 0) break;
      reply.append(buffer, got);
    }
    return reply;
  }

  const RelayConfig config_;
  InternetHandle session_;
  // Declared after the session, so it is closed first.
  InternetHandle connection_;
  std::wstring host_;
  INTERNET_PORT port_ = 0;
};

}  // namespace

std::unique_ptr<HttpTransfer> NewHttpsTransfer(const RelayConfig& config) {
  return std::make_unique<WinHttpTransfer>(config);
}

}  // namespace sarvilax
