#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/CodePage.h"
#include "platform/OleAuto.h"

namespace {

TEST(OleAutoBStr, LengthPrefixedAndZeroTerminated) {
  platform::BStr text = platform::AllocBStr(u"ab\0c", 4);
  uint32_t byteLength;
  std::memcpy(&byteLength, reinterpret_cast<const char*>(text) - 4, sizeof(byteLength));
  EXPECT_EQ(byteLength, 8u);
  EXPECT_EQ(platform::BStrLength(text), 4u);
  EXPECT_EQ(text[4], u'\0');
  EXPECT_EQ(text[2], u'\0');  // embedded zeros are kept
  platform::FreeBStr(text);
  platform::BStr empty = platform::AllocBStr(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(platform::BStrLength(empty), 0u);
  platform::FreeBStr(empty);
  platform::FreeBStr(nullptr);
  EXPECT_EQ(platform::BStrLength(nullptr), 0u);
}

TEST(OleAutoGuid, RegistryFormAndUniqueness) {
  const platform::Guid known = {
      0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB1}};
  EXPECT_EQ(platform::GuidToString(known), "{33316D29-0F86-41C4-8DB4-3FE9756158B1}");
  EXPECT_NE(platform::CreateGuid(), platform::CreateGuid());
}

TEST(CodePage, WindowsLatinOneRoundTrips) {
  const std::string ansi = "A\x80\x8A\x9F\xC4\xFF";
  const std::u16string wide = u"A\u20AC\u0160\u0178\u00C4\u00FF";
  EXPECT_EQ(platform::AnsiToWide(ansi), wide);
  EXPECT_EQ(platform::WideToAnsi(wide), ansi);
  EXPECT_EQ(platform::WideToAnsi(u"\u4E2D"), "?");
}

TEST(CodePage, Utf8BothWays) {
  const std::u16string wide = u"a\u00C4\u20AC\U0001F600";
  const std::string utf8 = "a\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80";
  EXPECT_EQ(platform::WideToUtf8(wide), utf8);
  EXPECT_EQ(platform::Utf8ToWide(utf8), wide);
  EXPECT_EQ(platform::Utf8ToWide("\xC3"), u"\uFFFD");
}

TEST(CodePage, AnsiLowerCase) {
  std::string text = "AZaz\xC0\xD6\xD7\xD8\xDE\xDF\x8A\x8C\x8E\x9F@[";
  platform::AnsiLowerBuffer(text.data(), text.size());
  EXPECT_EQ(text, "azaz\xE0\xF6\xD7\xF8\xFE\xDF\x9A\x9C\x9E\xFF@[");
}

}  // namespace
