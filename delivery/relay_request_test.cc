#include "delivery/relay_request.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace sarvilax {
namespace {

// Records every post and answers with a fixed reply.
class FakeTransfer : public HttpTransfer {
 public:
  explicit FakeTransfer(std::string reply = "True") : reply_(std::move(reply)) {}
  std::string Post(const std::string& url, const std::string& form_body) override {
    urls.push_back(url);
    bodies.push_back(form_body);
    return reply_;
  }
  std::vector<std::string> urls;
  std::vector<std::string> bodies;

 private:
  std::string reply_;
};

class ThrowingTransfer : public HttpTransfer {
 public:
  std::string Post(const std::string&, const std::string&) override {
    throw std::runtime_error("connection lost");
  }
};

RelayConfig TestConfig() {
  RelayConfig config;
  config.base_url = "https://relay.example.com";
  config.sender_address = "raportit@example.com";
  return config;
}

TEST(ReportSubjectTest, SuffixFollowsTheShopNameByKind) {
  EXPECT_EQ(ReportSubject("Kauppa", 0), "Kauppa viikkoraportti");
  EXPECT_EQ(ReportSubject("Kauppa", 1), "Kauppa kuukausiraportti");
  EXPECT_EQ(ReportSubject("Kauppa", 2), "Kauppa puolivuotisraportti");
  EXPECT_EQ(ReportSubject("Kauppa", 3), "Kauppa vuosiraportti");
  EXPECT_EQ(ReportSubject("Kauppa", 7), "Kauppa");
  EXPECT_EQ(ReportSubject("Kauppa", -1), "Kauppa");
  EXPECT_EQ(ReportSubject("", 0), " viikkoraportti");
}

TEST(RelayRequestTest, AddressTextIsTheUnescapedSignedRequest) {
  const RelayConfig config = TestConfig();
  const RelayRequest request =
      BuildRelayRequest(config, "Kauppa", "a@b.fi", "\r\nRivi\r\n", "1 Kahvi\r\n", 0);
  EXPECT_EQ(RequestAddressText(config, request),
            "relay.example.com/sendmail.php?f=raportit@example.com&t=a@b.fi&n=Zorvik"
            "&s=Kauppa viikkoraportti&b=0D0A526976690D0A&h=7e2d0ff58e8cfc2fd6ff62b39767fd31"
            "&l=Top20.txt&d=31204B616876690D0A");
}

TEST(RelayRequestTest, RecipientKeepsItsSpacesAndEmptyValuesKeepTheirKeys) {
  const RelayConfig config = TestConfig();
  const RelayRequest request = BuildRelayRequest(config, "Kauppa", " a@b.fi ", "", "", 1);
  EXPECT_EQ(request.t, " a@b.fi ");
  EXPECT_EQ(request.h, "23c3ef7869c5d2e8ea0107ee828291b1");
  EXPECT_EQ(RequestAddressText(config, request),
            "relay.example.com/sendmail.php?f=raportit@example.com&t= a@b.fi &n=Zorvik"
            "&s=Kauppa kuukausiraportti&b=&h=23c3ef7869c5d2e8ea0107ee828291b1&l=Top20.txt&d=");
  EXPECT_EQ(FormBody(RelayRequest{}), "f=&t=&n=&s=&b=&h=&l=&d=");
}

TEST(RelayRequestTest, FormBodyPercentEncodesEveryReservedByte) {
  RelayRequest request;
  request.f = "Az09-._~";
  request.t = "x+y@z.fi";
  request.n = "100%";
  request.s = "K&K = \xE4";
  request.b = "0D0A";
  request.h = "\x01\xFF";
  EXPECT_EQ(FormBody(request),
            "f=Az09-._~&t=x%2By%40z.fi&n=100%25&s=K%26K%20%3D%20%E4&b=0D0A&h=%01%FF&l=&d=");
}

TEST(SendReportMailTest, PostsTheFormBodyToTheRelayScript) {
  const RelayConfig config = TestConfig();
  FakeTransfer transfer;
  EXPECT_TRUE(SendReportMail(transfer, config, "K&K", "x+y@z.fi", "b", "d", 0));
  ASSERT_EQ(transfer.urls.size(), 1u);
  EXPECT_EQ(transfer.urls[0], "https://relay.example.com/sendmail.php");
  EXPECT_EQ(transfer.bodies[0],
            FormBody(BuildRelayRequest(config, "K&K", "x+y@z.fi", "b", "d", 0)));
}

TEST(SendReportMailTest, BlankRecipientSendsNothing) {
  FakeTransfer transfer;
  EXPECT_FALSE(SendReportMail(transfer, TestConfig(), "Kauppa", "   ", "b", "d", 0));
  EXPECT_FALSE(SendReportMail(transfer, TestConfig(), "Kauppa", "", "b", "d", 0));
  EXPECT_TRUE(transfer.urls.empty());
}

TEST(SendReportMailTest, OnlyAReplyBeginningWithTrueConfirms) {
  const struct {
    const char* reply;
    bool accepted;
  } cases[] = {{"True", true},  {"Truex", true}, {"True\r\n", true},
               {"true", false}, {"TRUE", false}, {" True", false},
               {"Tru", false},  {"", false},     {"False", false}};
  for (const auto& c : cases) {
    FakeTransfer transfer(c.reply);
    EXPECT_EQ(SendReportMail(transfer, TestConfig(), "Kauppa", "a@b.fi", "b", "d", 0), c.accepted)
        << "reply \"" << c.reply << "\"";
  }
  ThrowingTransfer throwing;
  EXPECT_FALSE(SendReportMail(throwing, TestConfig(), "Kauppa", "a@b.fi", "b", "d", 0));
}

}  // namespace
}  // namespace sarvilax
