// The relay transfer over libcurl: the only file that speaks to libcurl.
//
// One easy handle lives as long as the transfer object, so consecutive
// requests reuse the relay connection. Certificates and host names are
// always verified; only http and https are spoken and redirects are not
// followed, so a request never lands anywhere but the configured relay.
#include <curl/curl.h>

#include <memory>
#include <mutex>
#include <string>

#include "delivery/http_transfer.h"

#ifndef SARVILAX_VERSION
#define SARVILAX_VERSION "0"
#endif

namespace sarvilax {

namespace {

constexpr long kHttpOk = 200;

struct ReplyBuffer {
  std::string text;
  bool capped = false;
};

// Returning fewer bytes than offered ends the transfer. No exception may
// cross libcurl, so a failed allocation ends it too.
size_t CollectReply(char* data, size_t size, size_t count, void* user) noexcept {
  try {
    auto* reply = static_cast<ReplyBuffer*>(user);
    const size_t bytes = size * count;
    const size_t room = kMaxRelayReplyBytes - reply->text.size();
    if (bytes > room) {
      reply->text.append(data, room);
      reply->capped = true;
      return 0;  // the rest is not wanted
    }
    reply->text.append(data, bytes);
    return bytes;
  } catch (...) {
    return 0;
  }
}

bool GlobalInitOnce() {
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return initialised;
}

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

class CurlTransfer : public ClientTransfer {
 public:
  explicit CurlTransfer(const RelayConfig& config) : config_(config) {
    if (!GlobalInitOnce()) return;
    // "Expect:" drops the 100-continue round trip before a large body.
    curl_slist* headers = nullptr;
    for (const char* header : {"Content-Type: application/x-www-form-urlencoded", "Expect:"}) {
      curl_slist* grown = curl_slist_append(headers, header);
      if (grown == nullptr) {
        curl_slist_free_all(headers);
        return;
      }
      headers = grown;
    }
    headers_.reset(headers);
    handle_.reset(curl_easy_init());
    if (handle_ != nullptr && !SetFixedOptions()) handle_.reset();
  }

 private:
  std::string Transfer(const std::string& url, const std::string& form_body) override {
    if (handle_ == nullptr) return Fails("the HTTPS client could not be set up");
    ReplyBuffer reply;
    CURL* h = handle_.get();
    const bool set = curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
                     curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                                      static_cast<curl_off_t>(form_body.size())) == CURLE_OK &&
                     curl_easy_setopt(h, CURLOPT_POSTFIELDS, form_body.data()) == CURLE_OK &&
                     curl_easy_setopt(h, CURLOPT_WRITEDATA, &reply) == CURLE_OK;
    if (!set) return Fails("the request could not be prepared");
    const CURLcode result = curl_easy_perform(h);
    // The handle must not keep pointers into this call's body and reply.
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t{0});
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
    // A reply cut off at the limit still counts: its beginning is all the
    // caller reads.
    const bool complete = result == CURLE_OK || (result == CURLE_WRITE_ERROR && reply.capped);
    long status = 0;
    if (!complete) return Fails(curl_easy_strerror(result));
    if (curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK || status != kHttpOk) {
      return Fails("HTTP status " + std::to_string(status));
    }
    return reply.text;
  }

  bool SetFixedOptions() {
    CURL* h = handle_.get();
    bool ok =
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_POST, 1L) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers_.get()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_USERAGENT, "Sarvilax/" SARVILAX_VERSION) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, CollectReply) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, config_.connect_timeout_seconds) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_TIMEOUT, config_.timeout_seconds) == CURLE_OK;
    if (ok && !config_.ca_file.empty()) {
      ok = curl_easy_setopt(h, CURLOPT_CAINFO, config_.ca_file.c_str()) == CURLE_OK;
    }
    return ok;
  }

  const RelayConfig config_;
  // Declared before the handle, which points to it, so it is freed after.
  std::unique_ptr<curl_slist, ListDeleter> headers_;
  std::unique_ptr<CURL, EasyDeleter> handle_;
};

}  // namespace

std::unique_ptr<HttpTransfer> NewHttpsTransfer(const RelayConfig& config) {
  return std::make_unique<CurlTransfer>(config);
}

}  // namespace sarvilax
