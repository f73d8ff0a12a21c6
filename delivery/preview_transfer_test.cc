#include "delivery/preview_transfer.h"

#include <gtest/gtest.h>

#include "core/memory_env.h"
#include "delivery/relay_request.h"

namespace sarvilax {
namespace {

TEST(PreviewTransferTest, WritesEachRequestReadablyInSendingOrder) {
  MemoryEnv env;
  env.SetFile("preview/001 old.txt", "");
  const std::unique_ptr<HttpTransfer> transfer = NewPreviewTransfer(env, "preview");
  RelayConfig config;
  config.base_url = "file://preview";
  config.sender_address = "raportit@example.com";
  for (const char* to : {"b+c@example.com", "a@example.com"}) {
    EXPECT_TRUE(SendReportMail(*transfer, config, "Kauppa & Kahvila M\xE4kinen", to, "\r\nHei,\r\n",
                               "T\xC4RKE\xC4", 0));
  }
  ASSERT_TRUE(env.HasFile("preview/002 b_c@example.com.txt"));
  const std::string text = env.File("preview/003 a@example.com.txt");
  EXPECT_NE(
      text.find("To: a@example.com\nSubject: Kauppa & Kahvila M\xC3\xA4kinen viikkoraportti\n"),
      std::string::npos)
      << text;
  EXPECT_NE(text.find("\r\nHei,\r\n\n--- Top20.txt ---\nT\xC3\x84RKE\xC3\x84\n"),
            std::string::npos);
  EXPECT_NE(text.find("--- form body ---\nf=raportit%40example.com&t=a%40example.com&n=Zorvik"),
            std::string::npos);
}

TEST(PreviewTransferTest, DecodesFormValuesByteForByte) {
  EXPECT_EQ(DecodeFormValue("a%26b%2Bc+d%E4%zz%4"), "a&b+c d\xE4%zz%4");
}

}  // namespace
}  // namespace sarvilax
