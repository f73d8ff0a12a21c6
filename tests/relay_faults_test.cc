// A relay that misbehaves: resets the connection mid-reply, shows an expired
// certificate, answers with errors, redirects, floods or never answers. Each
// request is then not accepted; the run goes on to the next recipient, names
// each one missed and ends with status 3, all within a bounded time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "delivery/http_transfer.h"
#include "delivery/relay_request.h"
#include "tests/fault_harness.h"

namespace sarvilax {
namespace {

using testing::HttpsTestServer;
using testing::ProcessResult;
using testing::TestShop;
using Mode = HttpsTestServer::Mode;
using Reply = HttpsTestServer::Reply;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

RelayConfig ConfigFor(const HttpsTestServer& server) {
  RelayConfig config;
  config.base_url = server.url();
  config.sender_address = "raportit@example.com";
  config.ca_file = server.certificate_file();
  config.timeout_seconds = 10;
  config.connect_timeout_seconds = 5;
  return config;
}

bool Accepted(HttpTransfer& transfer, const RelayConfig& config, std::string* failure) {
  return SendReportMail(transfer, config, "Kauppa", "omistaja@example.com", "body", "top", 0,
                        failure);
}

TEST(RelayFaultTest, AConnectionResetMidReplyIsNotAcceptance) {
  HttpsTestServer server;
  const RelayConfig config = ConfigFor(server);
  auto transfer = NewHttpsTransfer(config);
  // The relay had begun to say "True" when the connection broke: whether
  // the mail went is unknown, so the recipient counts as missed.
  server.QueueReplies({{Mode::kResetMidReply, 200, "True"}, {Mode::kResetMidReply, 200, ""}});
  std::string failure;
  EXPECT_FALSE(Accepted(*transfer, config, &failure));
  EXPECT_FALSE(failure.empty());
  EXPECT_FALSE(Accepted(*transfer, config, &failure));
  // The same transfer goes on working afterwards.
  EXPECT_TRUE(Accepted(*transfer, config, &failure));
  EXPECT_EQ(server.requests().size(), 3u);
}

TEST(RelayFaultTest, AnExpiredCertificateIsRefusedEvenWhenTrusted) {
  HttpsTestServer expired("DNS:localhost,IP:127.0.0.1", testing::Validity::kExpired);
  const RelayConfig config = ConfigFor(expired);
  auto transfer = NewHttpsTransfer(config);
  std::string failure;
  EXPECT_FALSE(Accepted(*transfer, config, &failure));
  EXPECT_FALSE(failure.empty());
  EXPECT_TRUE(expired.requests().empty());  // nothing is sent before the handshake
}

class FaultyRelayRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::HaveFaketime()) GTEST_SKIP() << "faketime is missing (scripts/install-deps)";
  }
};

TEST_F(FaultyRelayRunTest, EachRecipientIsAcceptedOrNamedAndTheRunGoesOn) {
  std::vector<std::string> recipients;
  for (int i = 1; i <= 9; ++i) recipients.push_back("r" + std::to_string(i) + "@example.com");
  TestShop shop({20, 2, 2}, recipients);
  HttpsTestServer relay;
  relay.QueueReplies({
      {Mode::kAnswer, 500, "True"},         // r1: a server error
      {Mode::kAnswer, 200, "True"},         // r2: accepted
      {Mode::kResetMidReply, 200, "True"},  // r3: reset mid-reply
      {Mode::kNeverAnswer, 200, ""},        // r4: silent until the time-out
      {Mode::kAnswer, 302, "True"},         // r5: a redirect, never followed
      {Mode::kEndlessReply, 200, ""},       // r6: "True" and many megabytes: accepted
      {Mode::kAnswer, 403, "True"},         // r7: refused by the web server
      {Mode::kAnswer, 200, "False"},        // r8: refused by the relay
      {Mode::kAnswer, 200, "True"},         // r9: accepted
  });
  const auto start = std::chrono::steady_clock::now();
  const ProcessResult run = shop.Run(relay, {"SARVILAX_RELAY_TIMEOUT=2"});
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(run.exit_status, 3) << run.err;
  EXPECT_EQ(run.signal, 0);
  EXPECT_LT(seconds, 30);

  const std::vector<testing::RecordedRequest> requests = relay.requests();
  ASSERT_EQ(requests.size(), 9u);
  for (size_t i = 0; i < requests.size(); ++i) {
    EXPECT_TRUE(Contains(requests[i].body, "&t=r" + std::to_string(i + 1) + "%40example.com&"))
        << i;
  }
  for (int missed : {1, 3, 4, 5, 7, 8}) {
    EXPECT_TRUE(Contains(
        run.err, "the weekly report did not reach r" + std::to_string(missed) + "@example.com: "))
        << missed << ": " << run.err;
  }
  EXPECT_TRUE(Contains(run.err, "HTTP status 500")) << run.err;
  EXPECT_TRUE(Contains(run.err, "HTTP status 302")) << run.err;
  EXPECT_TRUE(Contains(run.err, "\"False\"")) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 6) << run.err;
  for (const char* work : {"Sarvilax.Dat", "Sarvilax.Txt", "Sarvilax.Tmp"}) {
    EXPECT_FALSE(testing::Exists(shop.work() + "/" + work)) << work;
  }
}

TEST_F(FaultyRelayRunTest, ARelayThatRefusesConnectionsMissesEveryRecipient) {
  TestShop shop({20, 2, 2});
  HttpsTestServer unused;
  const std::string closed = "https://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort());
  const ProcessResult run = shop.RunWithRelay(closed, unused.certificate_file());
  EXPECT_EQ(run.exit_status, 3) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
  EXPECT_TRUE(Contains(run.err, "omistaja@example.com")) << run.err;
  EXPECT_TRUE(Contains(run.err, "kirjanpito@example.com")) << run.err;
}

}  // namespace
}  // namespace sarvilax
