#include "delivery/md5.h"

#include <gtest/gtest.h>

#include <string>

#include "delivery/signature.h"

namespace sarvilax {
namespace {

std::string HexOf(std::string_view data) {
  const std::optional<Md5Digest> digest = ComputeMd5(data);
  if (!digest) return "<refused>";
  return HexEncodeText(
      std::string_view(reinterpret_cast<const char*>(digest->data()), digest->size()));
}

// Lengths around the 64-byte block and its 56-byte padding limit, every byte
// value, and an input of many blocks: each platform's library must give the
// same digest as every other.
TEST(Md5Test, SameDigestOnEveryPlatform) {
  EXPECT_EQ(HexOf(std::string(55, 'x')), "04364420E25C512FD958A70738AA8F72");
  EXPECT_EQ(HexOf(std::string(56, 'x')), "668A72D5BA17F08E62DABCAFAD6DB14B");
  EXPECT_EQ(HexOf(std::string(63, 'x')), "7DC2CA208106A2F703567BDFF99D8981");
  EXPECT_EQ(HexOf(std::string(64, 'x')), "C1BB4F81D892B2D57947682AEB252456");
  EXPECT_EQ(HexOf(std::string(65, 'x')), "1BC932052302D074BDEC39795FE00CF6");
  EXPECT_EQ(HexOf(std::string(128, 'x')), "D69CB61A6EE87200676EB0D4B90EDBCB");
  std::string every_byte;
  for (int byte = 0; byte < 256; ++byte) every_byte += static_cast<char>(byte);
  EXPECT_EQ(HexOf(every_byte), "E2C865DB4162BED963BFAA9EF6AC18F0");
  EXPECT_EQ(HexOf(std::string(1000000, 'a')), "7707D6AE4E027C70EEA2A935C2296F21");
}

}  // namespace
}  // namespace sarvilax
