#include "core/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace sarvilax {
namespace {

TEST(Cp1252Test, EveryByteSurvivesTheTripThroughUtf8) {
  std::string all_bytes;
  for (int i = 0; i < 256; ++i) all_bytes += static_cast<char>(i);
  const std::string utf8 = Cp1252ToUtf8(all_bytes);
  EXPECT_EQ(Utf8ToCp1252(utf8), all_bytes);
  for (int i = 0; i < 256; ++i) {
    const std::string one(1, static_cast<char>(i));
    ASSERT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << i;
  }
}

TEST(Cp1252Test, PublishedCodePoints) {
  EXPECT_EQ(Cp1252ToUtf8("abc"), "abc");
  EXPECT_EQ(Cp1252ToUtf8("T\xE4ss\xE4 \xC4\xD6\xE5"), "T\u00E4ss\u00E4 \u00C4\u00D6\u00E5");
  EXPECT_EQ(Cp1252ToUtf8("\x80"), "\u20AC");
  EXPECT_EQ(Cp1252ToUtf8("\x8A\x9A\x8E\x9E\x9F"), "\u0160\u0161\u017D\u017E\u0178");
  EXPECT_EQ(Cp1252ToUtf8("\x93x\x94\x96\x85\x99"), "\u201Cx\u201D\u2013\u2026\u2122");
  EXPECT_EQ(Cp1252ToUtf8("\xA0\xFF"), "\u00A0\u00FF");
  // Bytes the code page leaves open stand for the control characters of their number.
  EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Cp1252Test, Utf8WithoutACodePageByte) {
  EXPECT_EQ(Utf8ToCp1252("\u20AC 5"), "\x80 5");
  EXPECT_EQ(Utf8ToCp1252("\u0100\u4E2D\U0001F600x"), "???x");
  // U+0080 has no byte: 0x80 is the euro sign.
  EXPECT_EQ(Utf8ToCp1252("\u0080"), "?");
}

TEST(Cp1252Test, MalformedUtf8KeepsItsBytes) {
  // Text that already is code page 1252 comes through unchanged.
  EXPECT_EQ(Utf8ToCp1252("K\xE4ytt\xE4j\xE4"), "K\xE4ytt\xE4j\xE4");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "\xC3");                          // cut at the end
  EXPECT_EQ(Utf8ToCp1252("\xC3x"), "\xC3x");                        // cut in the middle
  EXPECT_EQ(Utf8ToCp1252("\x80\xBF"), "\x80\xBF");                  // stray continuation bytes
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "\xC0\xAF");                  // overlong "/"
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "\xED\xA0\x80");          // a surrogate
  EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "\xF4\x90\x80\x80");  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToCp1252("\xE2\x82"), "\xE2\x82");
  EXPECT_EQ(Utf8ToCp1252(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252Test, LetterCase) {
  EXPECT_EQ(ToUpperCp1252('\xE4'), '\xC4');  // ä Ä
  EXPECT_EQ(ToLowerCp1252('\xC4'), '\xE4');
  EXPECT_EQ(ToUpperCp1252("Kvartolin Oy: \xE4\xF6\xE5 \x9A\x9C\x9E\xFF"),
            "KVARTOLIN OY: \xC4\xD6\xC5 \x8A\x8C\x8E\x9F");
  EXPECT_EQ(ToLowerCp1252("KVARTOLIN OY: \xC4\xD6\xC5 \x8A\x8C\x8E\x9F"),
            "kvartolin oy: \xE4\xF6\xE5 \x9A\x9C\x9E\xFF");
  // ß and µ have no single-byte capital; × and ÷ are no letters.
  EXPECT_EQ(ToUpperCp1252("\xDF\xB5\xF7\xD7"), "\xDF\xB5\xF7\xD7");
  EXPECT_EQ(ToLowerCp1252("\xDF\xB5\xF7\xD7"), "\xDF\xB5\xF7\xD7");
  EXPECT_EQ(ToUpperCp1252("09@[`{\x80\xA0"), "09@[`{\x80\xA0");
  // Names of files and settings fold A-Z only.
  EXPECT_TRUE(EqualsIgnoringAsciiCase("varnu.004", "VARNU.004"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xE4", "\xC4"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("@[", "`{"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("VARNU.004", "VARNU.004 "));

  // Every byte: the two directions agree, and the case of a letter returns.
  for (int i = 0; i < 256; ++i) {
    const char c = static_cast<char>(i);
    const char upper = ToUpperCp1252(c);
    const char lower = ToLowerCp1252(c);
    ASSERT_TRUE(upper == c || lower == c) << i;
    if (upper != c) {
      ASSERT_EQ(ToLowerCp1252(upper), c) << i;
    }
    if (lower != c) {
      ASSERT_EQ(ToUpperCp1252(lower), c) << i;
    }
  }
}

}  // namespace
}  // namespace sarvilax
