#include "ui/display_text.h"

#include <gtest/gtest.h>

namespace sarvilax {
namespace {

TEST(DisplayTextTest, FinnishTextBecomesUtf8) {
  EXPECT_EQ(DisplayLine("L\xE4hetet\xE4\xE4n a@b.fi"), "L\u00E4hetet\u00E4\u00E4n a@b.fi");
  EXPECT_EQ(DisplayLine("\x80 \xC5\xD6"), "\u20AC \u00C5\u00D6");
}

TEST(DisplayTextTest, ControlCharactersCannotSteerATerminal) {
  // An escape sequence hidden in a recipient line, a bell, and the bytes the
  // code page leaves open (they would become C1 controls such as OSC).
  EXPECT_EQ(DisplayLine("a\x1B[2Jb\x07"), "a?[2Jb?");
  EXPECT_EQ(DisplayLine("x\x81\x8D\x8F\x90\x9Dy\x7F"), "x?????y?");
  EXPECT_EQ(DisplayLine("one\r\ntwo"), "one??two");
  EXPECT_EQ(WithoutControlBytes("a\tb\xE4"), "a?b\xE4");
}

TEST(DisplayTextTest, LineBreaksOfEveryKindBecomeNewlines) {
  EXPECT_EQ(DisplayLines("a\r\nb\rc\nd\r\n"), "a\nb\nc\nd\n");
  EXPECT_EQ(DisplayLines("\r\r\n"), "\n\n");
  EXPECT_EQ(DisplayLines("\x1B]0;x\x07"), "?]0;x?");
}

TEST(DisplayTextTest, ConsoleMessageHasTitleLineThenText) {
  const std::string text =
      "  Viikkoraportit on l\xE4hetetty seuraaviin osoitteisiin:     \r\n  -  a@b.fi\r\n  -  "
      "c@d.fi";
  EXPECT_EQ(ConsoleMessage(" Zorvik", text),
            " Zorvik\n  Viikkoraportit on l\u00E4hetetty seuraaviin osoitteisiin:     \n"
            "  -  a@b.fi\n  -  c@d.fi\n");
}

}  // namespace
}  // namespace sarvilax
