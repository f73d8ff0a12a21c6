#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "delivery/http_transfer.h"
#include "delivery/relay_request.h"
#include "tests/https_test_server.h"

namespace sarvilax {
namespace {

using testing::HttpsTestServer;

using Form = std::vector<std::pair<std::string, std::string>>;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// What any standard form decoder makes of a form body.
std::string FormDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out.push_back(' ');
    } else if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

Form DecodeForm(const std::string& body) {
  Form form;
  size_t start = 0;
  while (start <= body.size()) {
    size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string pair = body.substr(start, end - start);
    const size_t equals = pair.find('=');
    form.emplace_back(FormDecode(pair.substr(0, equals)),
                      equals == std::string::npos ? "" : FormDecode(pair.substr(equals + 1)));
    start = end + 1;
  }
  return form;
}

RelayConfig ConfigFor(const HttpsTestServer& server) {
  RelayConfig config;
  config.base_url = server.url();
  config.sender_address = "raportit@example.com";
  config.ca_file = server.certificate_file();
  config.timeout_seconds = 20;
  config.connect_timeout_seconds = 10;
  return config;
}

TEST(CurlTransferTest, FieldsArriveByteForByteAndTheReplyPassesThrough) {
  HttpsTestServer server;
  const RelayConfig config = ConfigFor(server);
  auto transfer = NewHttpsTransfer(config);
  const std::string shop = "K&K = 100% + \xE4\xF6";
  const std::string recipient = " a+b@example.com ";
  const std::string body = "\r\nMyynti \xC4\r\n";
  const std::string attachment("1\t\x05\0\xFF", 5);
  ASSERT_TRUE(SendReportMail(*transfer, config, shop, recipient, body, attachment, 0));

  const std::vector<testing::RecordedRequest> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_TRUE(requests[0].head.starts_with("POST /sendmail.php HTTP/1.1\r\n")) << requests[0].head;
  EXPECT_NE(requests[0].head.find("\r\nContent-Type: application/x-www-form-urlencoded"),
            std::string::npos);
  const RelayRequest sent = BuildRelayRequest(config, shop, recipient, body, attachment, 0);
  const Form expected = {{"f", sent.f}, {"t", sent.t}, {"n", sent.n}, {"s", sent.s},
                         {"b", sent.b}, {"h", sent.h}, {"l", sent.l}, {"d", sent.d}};
  EXPECT_EQ(DecodeForm(requests[0].body), expected);

  server.SetReply(200, "True\r\nmore");
  EXPECT_EQ(transfer->Post(config.base_url + "/sendmail.php", "f=1"), "True\r\nmore");
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST(CurlTransferTest, StatusOtherThanOkGivesEmptyReply) {
  HttpsTestServer server;
  auto transfer = NewHttpsTransfer(ConfigFor(server));
  server.SetReply(500, "True");
  EXPECT_EQ(transfer->Post(server.url() + "/sendmail.php", "f=1"), "");
  EXPECT_EQ(transfer->LastFailure(), "HTTP status 500");
  server.SetReply(302, "True");
  EXPECT_EQ(transfer->Post(server.url() + "/sendmail.php", "f=1"), "");
  server.SetReply(200, "True");
  EXPECT_EQ(transfer->Post(server.url() + "/sendmail.php", "f=1"), "True");
}

TEST(CurlTransferTest, UnreachableOrUnverifiedRelayGivesEmptyReply) {
  RelayConfig closed;
  closed.base_url = "https://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort());
  auto refused = NewHttpsTransfer(closed);
  EXPECT_EQ(refused->Post(closed.base_url + "/sendmail.php", "f=1"), "");
  EXPECT_FALSE(refused->LastFailure().empty());

  HttpsTestServer server;
  RelayConfig untrusted = ConfigFor(server);
  untrusted.ca_file.clear();  // the system's certificates only
  EXPECT_EQ(NewHttpsTransfer(untrusted)->Post(server.url() + "/sendmail.php", "f=1"), "");

  HttpsTestServer elsewhere("DNS:relay.example.com");  // trusted, but not this host
  EXPECT_EQ(NewHttpsTransfer(ConfigFor(elsewhere))->Post(elsewhere.url() + "/sendmail.php", "f=1"),
            "");
  EXPECT_TRUE(server.requests().empty());
  EXPECT_TRUE(elsewhere.requests().empty());
}

TEST(CurlTransferTest, SilentServerTimesOut) {
  HttpsTestServer server;
  server.SetMode(HttpsTestServer::Mode::kNeverAnswer);
  RelayConfig config = ConfigFor(server);
  config.timeout_seconds = 2;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(NewHttpsTransfer(config)->Post(server.url() + "/sendmail.php", "f=1"), "");
  // Far above the time-out: only a transfer that hangs fails this.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST(CurlTransferTest, HugeReplyIsCutShort) {
  HttpsTestServer server;
  server.SetMode(HttpsTestServer::Mode::kEndlessReply);
  const std::string reply =
      NewHttpsTransfer(ConfigFor(server))->Post(server.url() + "/sendmail.php", "f=1");
  EXPECT_TRUE(reply.starts_with("True"));
  EXPECT_LT(reply.size(), 1u << 20);
}

}  // namespace
}  // namespace sarvilax
