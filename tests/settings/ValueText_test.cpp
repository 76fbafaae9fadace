#include "settings/TWregValueText.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ValueText, EncodesSpacesEscapesAndNonPrintableBytes) {
  EXPECT_EQ(EncodeValueText("  a b  c%+"), "++a b+ c%%%2B");
  EXPECT_EQ(EncodeValueText("line1\r\nline2\t<x a=\"1\"/>"), "line1%0D%0Aline2%09<x a=\"1\"/>");
  EXPECT_EQ(EncodeValueText("caf\xE9"), "caf%C3%A9");  // system code page to UTF-8
  // A trailing blank is kept as "+", as INI readers trim the plain one away.
  EXPECT_EQ(EncodeValueText("a "), "a+");
  EXPECT_EQ(EncodeValueText(""), "");
}

TEST(ValueText, DecodeReversesEncode) {
  for (const std::string& text :
       std::vector<std::string>{"  a b  c%+", "a ", " ", "100%", "<r a='1'>\r\n</r>", "caf\xE9",
                                std::string("nul\0byte", 8)}) {
    EXPECT_EQ(DecodeValueText(EncodeValueText(text)), text);
  }
}

TEST(ValueText, MalformedEscapesStayLiteral) {
  EXPECT_EQ(DecodeValueText("50%"), "50%");
  EXPECT_EQ(DecodeValueText("%4"), "%4");
  EXPECT_EQ(DecodeValueText("%zz%%%41%e9+"), "%zz%A\xE9 ");  // %e9 alone is no UTF-8
}

TEST(ValueText, TextThatIsNoUtf8IsTakenAsItIs) {
  EXPECT_EQ(DecodeValueText("%C3%28"), "\xC3(");                 // invalid UTF-8 bytes
  EXPECT_EQ(DecodeValueText("%ED%A0%80"), "\xED\xA0\x80");       // a surrogate
  EXPECT_EQ(DecodeValueText("caf\xC3\xA9+x"), "caf\xC3\xA9 x");  // stored high bytes
}

TEST(ValueText, MegabyteValuesPassThrough) {
  std::string text(3 << 20, 'x');
  for (size_t i = 0; i < text.size(); i += 97) text[i] = static_cast<char>(i % 251);
  EXPECT_EQ(DecodeValueText(EncodeValueText(text)), text);
}

}  // namespace
