// Where relay requests go: the relay and sender built into the program, with
// the environment overrides for staging relays and tests. A plain http://
// relay is accepted only on this machine, so report contents and signatures
// never cross a network unencrypted.
#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/error.h"
#include "delivery/http_transfer.h"
#include "delivery/loopback_address.h"

namespace sarvilax {

namespace {

constexpr long kDefaultTimeoutSeconds = 120;
constexpr long kDefaultConnectTimeoutSeconds = 30;
constexpr long kLongestTimeoutSeconds = 86400;

// The value of an environment variable; unset and empty are the same.
std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool IsLoopbackHost(const std::string& host) {
  return AsciiLower(host) == "localhost" || IsLoopbackAddress(host);
}

bool IsValidPort(std::string_view port) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  return error == std::errc() && end == port.data() + port.size() && value >= 1 && value <= 65535;
}

// The host of authority ("host", "host:port", "[v6]" or "[v6]:port"), or
// the empty text when authority is malformed.
std::string HostOfAuthority(std::string_view authority) {
  std::string_view host = authority;
  std::string_view rest;
  if (authority.starts_with('[')) {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return "";
    host = authority.substr(1, close - 1);
    rest = authority.substr(close + 1);
    if (!rest.empty() && !rest.starts_with(':')) return "";
  } else if (const size_t colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    rest = authority.substr(colon);
  }
  if (!rest.empty() && !IsValidPort(rest.substr(1))) return "";
  return std::string(host);
}

// Checks base_url and returns it without trailing slashes. origin names the
// setting in the message of the Error thrown for an unusable address.
std::string CheckedBaseUrl(std::string base_url, const std::string& origin) {
  while (base_url.ends_with('/')) base_url.pop_back();
  auto refuse = [&](const std::string& why) { Fail(origin + ": \"" + base_url + "\" " + why); };
  if (std::any_of(base_url.begin(), base_url.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == '?' || c == '#' || c == '@' ||
               c == '\x7F';
      })) {
    refuse("is not a plain relay address (scheme, host and optional port and path)");
  }
  const size_t scheme_end = base_url.find("://");
  const std::string scheme =
      scheme_end == std::string::npos ? "" : AsciiLower(base_url.substr(0, scheme_end));
  if (scheme != "https" && scheme != "http") refuse("does not begin with https://");
  const size_t authority_start = scheme_end + 3;
  const size_t path_start = std::min(base_url.find('/', authority_start), base_url.size());
  const std::string host = HostOfAuthority(
      std::string_view(base_url).substr(authority_start, path_start - authority_start));
  if (host.empty()) refuse("has no valid host name or port");
  if (scheme == "http" && !IsLoopbackHost(host)) {
    refuse("uses http://, which is allowed only for this machine (localhost, 127.x.x.x, ::1)");
  }
  return base_url;
}

long CheckedTimeout(const std::string& text) {
  long seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds < 1 ||
      seconds > kLongestTimeoutSeconds) {
    Fail("SARVILAX_RELAY_TIMEOUT: \"" + text + "\" is not a whole number of seconds from 1 to " +
         std::to_string(kLongestTimeoutSeconds));
  }
  return seconds;
}

// A certificate file that cannot be read would make every transfer fail
// quietly, so it ends the run with its name instead.
void CheckReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) Fail("SARVILAX_RELAY_CA: cannot read " + path + ": " + ErrnoText(errno));
  std::fclose(file);
}

constexpr char kPreviewScheme[] = "file://";

}  // namespace

RelayConfig RelayConfigFromEnvironment() {
  RelayConfig config;
  const std::string url = EnvironmentValue("SARVILAX_RELAY_URL");
  if (url.starts_with(kPreviewScheme)) {
    config.preview_folder = url.substr(std::string_view(kPreviewScheme).size());
    if (config.preview_folder.empty()) Fail("SARVILAX_RELAY_URL: file:// names no folder");
    config.base_url = url;
    config.sender_address = SARVILAX_DEFAULT_SENDER;
    return config;
  }
  config.base_url = url.empty() ? CheckedBaseUrl(SARVILAX_DEFAULT_RELAY_URL, "built-in relay URL")
                                : CheckedBaseUrl(url, "SARVILAX_RELAY_URL");
  config.sender_address = SARVILAX_DEFAULT_SENDER;
  config.ca_file = EnvironmentValue("SARVILAX_RELAY_CA");
  if (!config.ca_file.empty()) CheckReadable(config.ca_file);
  const std::string timeout = EnvironmentValue("SARVILAX_RELAY_TIMEOUT");
  config.timeout_seconds = timeout.empty() ? kDefaultTimeoutSeconds : CheckedTimeout(timeout);
  config.connect_timeout_seconds = std::min(kDefaultConnectTimeoutSeconds, config.timeout_seconds);
  return config;
}

}  // namespace sarvilax
