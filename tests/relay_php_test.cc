// The reference mail relay (relay/sendmail.php) under PHP's built-in web
// server, fed by the program's own transfer over plain http on loopback.
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "delivery/http_transfer.h"
#include "delivery/relay_request.h"
#include "gtest/gtest.h"
#include "tests/https_test_server.h"
#include "tests/php_relay.h"
#include "tests/test_util.h"

namespace sarvilax {
namespace {

using testing::FindOnPath;
using testing::PhpRelay;

constexpr char kSender[] = "raportit@example.com";

std::string Base64(const std::string& bytes) {
  std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                     reinterpret_cast<const unsigned char*>(bytes.data()),
                                     static_cast<int>(bytes.size()));
  out.resize(static_cast<size_t>(length));
  return out;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class RelayPhpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    php_ = FindOnPath("php");
    if (php_.empty()) GTEST_SKIP() << "php is not installed; the relay script is not tested";
    relay_ = std::make_unique<PhpRelay>(
        php_,
        std::vector<std::string>{"SARVILAX_RELAY_SENDER=" + std::string(kSender),
                                 "SARVILAX_RELAY_SALT=MURKULA", "SARVILAX_RELAY_MAX_BYTES=100000",
                                 "SARVILAX_RELAY_ALLOWED=a+b@example.com, c@example.com"});
    config_.base_url = relay_->url();
    config_.sender_address = kSender;
    config_.timeout_seconds = 30;
    transfer_ = NewHttpsTransfer(config_);
  }

  void TearDown() override {
    if (HasFailure() && relay_ != nullptr) {
      std::cerr << "php log:\n" << testing::ReadFile(relay_->log_file());
    }
  }

  // Posts a form body and returns the reply.
  std::string Post(const std::string& form_body) {
    return transfer_->Post(config_.base_url + "/sendmail.php", form_body);
  }

  std::string php_;
  std::unique_ptr<PhpRelay> relay_;
  RelayConfig config_;
  std::unique_ptr<HttpTransfer> transfer_;
};

TEST_F(RelayPhpTest, SignedRequestBecomesOneMail) {
  const std::string shop = "K&K Kauppa \xC4\xE4";
  const std::string body = "\r\nMyynti 100% + \xE4\r\n";
  const std::string attachment = "1 Kahvi\t10\r\n";
  ASSERT_TRUE(SendReportMail(*transfer_, config_, shop, " a+b@example.com ", body, attachment, 0));
  std::vector<std::string> mails = relay_->Mails();
  ASSERT_EQ(mails.size(), 1u);
  const std::string& mail = mails[0];
  EXPECT_TRUE(Contains(mail, "To: a+b@example.com\r\n")) << mail;
  EXPECT_TRUE(Contains(mail, "From: Zorvik <raportit@example.com>\r\n"));
  EXPECT_TRUE(
      Contains(mail, "Subject: =?windows-1252?B?" + Base64(shop + " viikkoraportti") + "?=\r\n"));
  EXPECT_TRUE(Contains(mail, "charset=windows-1252\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                                 Base64(body) + "\r\n"));
  EXPECT_TRUE(Contains(mail, "filename=\"Top20.txt\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                                 Base64(attachment) + "\r\n"));

  // The query-string form of older clients, with the address text as it is.
  const RelayRequest old_style = BuildRelayRequest(config_, "Kauppa", "c@example.com", "b", "d", 7);
  EXPECT_EQ(transfer_->Post("http://" + RequestAddressText(config_, old_style), ""), "True");
  mails = relay_->Mails();
  ASSERT_EQ(mails.size(), 2u);
  EXPECT_TRUE(Contains(mails[1], "To: c@example.com\r\n")) << "mails sort by arrival";
}

TEST_F(RelayPhpTest, RefusesWhatIsNotASignedRequestOfTheSender) {
  const RelayRequest good = BuildRelayRequest(config_, "Kauppa", "c@example.com", "b", "d", 0);
  auto altered = [&](auto change) {
    RelayRequest request = good;
    change(request);
    return FormBody(request);
  };
  auto signed_body = [&](const std::string& sender, const std::string& recipient,
                         const std::string& body) {
    RelayConfig config = config_;
    config.sender_address = sender;
    return FormBody(BuildRelayRequest(config, "Kauppa", recipient, body, "d", 0));
  };
  const std::string form = FormBody(good);
  const struct {
    const char* what;
    std::string form_body;
  } refused[] = {
      {"wrong signature", altered([](RelayRequest& r) { r.h[0] = r.h[0] == '0' ? '1' : '0'; })},
      {"upper-case signature", altered([](RelayRequest& r) {
         for (char& c : r.h) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
       })},
      {"missing field", form.substr(0, form.find("&l="))},
      {"odd hex", altered([](RelayRequest& r) { r.b += "0"; })},
      {"non-hex", altered([](RelayRequest& r) { r.b = "6G"; })},
      {"other sender", signed_body("muu@example.com", "c@example.com", "b")},
      {"recipient not allowed", signed_body(kSender, "d@example.com", "b")},
      {"header in recipient", signed_body(kSender, "c@example.com\r\nBcc: d@example.com", "b")},
      {"two recipients", signed_body(kSender, "c@example.com, a+b@example.com", "b")},
      {"oversize", signed_body(kSender, "c@example.com", std::string(60000, 'x'))},
      {"empty", ""},
  };
  for (const auto& request : refused) {
    EXPECT_EQ(Post(request.form_body), "False") << request.what;
  }
  EXPECT_TRUE(relay_->Mails().empty());
  EXPECT_EQ(Post(form), "True");  // the same relay still accepts a good one
  EXPECT_EQ(relay_->Mails().size(), 1u);
}

}  // namespace
}  // namespace sarvilax
