#include "delivery/signature.h"

#include <gtest/gtest.h>

#include <string>

namespace sarvilax {
namespace {

TEST(HexEncodeTextTest, EveryByteBecomesTwoUpperCaseDigits) {
  EXPECT_EQ(HexEncodeText(""), "");
  EXPECT_EQ(HexEncodeText("abc"), "616263");
  EXPECT_EQ(HexEncodeText("\r\n"), "0D0A");
  EXPECT_EQ(HexEncodeText("\t "), "0920");
  EXPECT_EQ(HexEncodeText("\xC4"), "C4");  // Ä as its one code page 1252 byte
  EXPECT_EQ(HexEncodeText("\xF6\xFF"), "F6FF");
  EXPECT_EQ(HexEncodeText("\x05"), "05");
  EXPECT_EQ(HexEncodeText(std::string("a\0b", 3)), "610062");
}

TEST(Md5HexTest, Rfc1321Suite) {
  EXPECT_EQ(Md5Hex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(Md5Hex("a"), "0CC175B9C0F1B6A831C399E269772661");
  EXPECT_EQ(Md5Hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(Md5Hex("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(Md5Hex("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
  EXPECT_EQ(Md5Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "D174AB98D277D9F5A5611C2C9F419D9F");
  EXPECT_EQ(Md5Hex("1234567890123456789012345678901234567890123456789012345678901234567890"
                   "1234567890"),
            "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5HexTest, DigestsTheSingleByteFormOfText) {
  EXPECT_EQ(Md5Hex("\xE4"), "C15BCC5577F9FADE4B4A3256190A59B0");  // ä
  EXPECT_NE(Md5Hex("\xE4"), Md5Hex("\xC3\xA4"));                  // ä in UTF-8
}

}  // namespace
}  // namespace sarvilax
