#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "delivery/http_transfer.h"

namespace sarvilax {
namespace {

// Sets the relay variables for one test and restores them afterwards.
class RelayEnvironment {
 public:
  RelayEnvironment() {
    for (const char* name : kNames) {
      const char* value = getenv(name);
      saved_.push_back(value == nullptr ? std::nullopt : std::optional<std::string>(value));
      unsetenv(name);
    }
  }
  ~RelayEnvironment() {
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (saved_[i]) {
        setenv(kNames[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kNames[i]);
      }
    }
  }
  void Set(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }

 private:
  static constexpr const char* kNames[] = {"SARVILAX_RELAY_URL", "SARVILAX_RELAY_CA",
                                           "SARVILAX_RELAY_TIMEOUT"};
  std::vector<std::optional<std::string>> saved_;
};

std::string BaseUrlFor(const std::string& url) {
  RelayEnvironment environment;
  environment.Set("SARVILAX_RELAY_URL", url);
  return RelayConfigFromEnvironment().base_url;
}

TEST(RelayConfigTest, DefaultsAreTheBuiltInHttpsRelay) {
  RelayEnvironment environment;
  const RelayConfig config = RelayConfigFromEnvironment();
  EXPECT_TRUE(config.base_url.starts_with("https://")) << config.base_url;
  EXPECT_FALSE(config.sender_address.empty());
  EXPECT_EQ(config.ca_file, "");
  EXPECT_EQ(config.timeout_seconds, 120);
  EXPECT_EQ(config.connect_timeout_seconds, 30);
}

TEST(RelayConfigTest, UrlOverrideAllowsPlainHttpOnlyOnThisMachine) {
  EXPECT_EQ(BaseUrlFor("https://staging.example.com:8443/"), "https://staging.example.com:8443");
  EXPECT_EQ(BaseUrlFor("https://relay.example.com/mail//"), "https://relay.example.com/mail");
  EXPECT_EQ(BaseUrlFor("http://127.0.0.1:8080"), "http://127.0.0.1:8080");
  EXPECT_EQ(BaseUrlFor("http://127.5.6.7"), "http://127.5.6.7");
  EXPECT_EQ(BaseUrlFor("http://LocalHost:1/"), "http://LocalHost:1");
  EXPECT_EQ(BaseUrlFor("http://[::1]:8080"), "http://[::1]:8080");
  for (const char* refused : {"http://relay.example.com", "http://128.0.0.1",
                              "http://localhost.example.com", "http://127.0.0.1@relay.example.com",
                              "http://[::2]", "ftp://localhost", "relay.example.com", "https://",
                              "https://relay.example.com:99999", "https://relay.example.com:x",
                              "https://relay.example.com/?a=1", "https://relay .example.com"}) {
    EXPECT_THROW(BaseUrlFor(refused), Error) << refused;
  }
  try {
    BaseUrlFor("http://relay.example.com");
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find("SARVILAX_RELAY_URL"), std::string::npos);
  }
}

TEST(RelayConfigTest, TimeoutIsWholePositiveSeconds) {
  RelayEnvironment environment;
  environment.Set("SARVILAX_RELAY_TIMEOUT", "5");
  const RelayConfig config = RelayConfigFromEnvironment();
  EXPECT_EQ(config.timeout_seconds, 5);
  EXPECT_EQ(config.connect_timeout_seconds, 5);
  for (const char* refused : {"0", "-1", "1.5", "5s", "abc", " 5", "99999999999999999999"}) {
    environment.Set("SARVILAX_RELAY_TIMEOUT", refused);
    EXPECT_THROW(RelayConfigFromEnvironment(), Error) << refused;
  }
}

TEST(RelayConfigTest, CertificateFileMustBeReadable) {
  RelayEnvironment environment;
  const std::string path = ::testing::TempDir() + "relay_config_test_ca.pem";
  std::FILE* file = std::fopen(path.c_str(), "w");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  environment.Set("SARVILAX_RELAY_CA", path);
  EXPECT_EQ(RelayConfigFromEnvironment().ca_file, path);
  std::remove(path.c_str());
  EXPECT_THROW(RelayConfigFromEnvironment(), Error);
}

}  // namespace
}  // namespace sarvilax
