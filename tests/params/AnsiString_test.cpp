#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "moxShared/Public/Common/moxAnsiString.h"

namespace {

int32_t HeaderField(const char* handle, int offset) {
  int32_t value;
  std::memcpy(&value, handle + offset, sizeof(value));
  return value;
}

TEST(AnsiString, LaysOutCountAndLengthBeforeZeroTerminatedText) {
  const TAnsiString text("abc");
  ASSERT_NE(text.Handle(), nullptr);
  EXPECT_EQ(HeaderField(text.Handle(), -8), 1);
  EXPECT_EQ(HeaderField(text.Handle(), -4), 3);
  EXPECT_STREQ(text.Handle(), "abc");
}

TEST(AnsiString, EmptyTextHasNoHandle) {
  EXPECT_EQ(TAnsiString("").Handle(), nullptr);
  EXPECT_EQ(TAnsiString::ViewOf(nullptr), "");
}

TEST(AnsiString, CopiesShareTheTextAndCountReferences) {
  TAnsiString original("name");
  {
    const TAnsiString copy = original;  // NOLINT(performance-unnecessary-copy-initialization)
    EXPECT_EQ(copy.Handle(), original.Handle());
    EXPECT_EQ(original.RefCount(), 2);
  }
  EXPECT_EQ(original.RefCount(), 1);
  const TAnsiString moved = std::move(original);
  EXPECT_EQ(moved.RefCount(), 1);
  EXPECT_EQ(moved.View(), "name");
}

TEST(AnsiString, ViewUsesTheLengthSoEmbeddedZerosSurvive) {
  const TAnsiString text(std::string_view("a\0b", 3));
  EXPECT_EQ(TAnsiString::ViewOf(text.Handle()).size(), 3u);
}

TEST(AnsiString, NegativeLengthFromAHostIsRefused) {
  // A foreign block whose length field is nonsense.
  alignas(4) char block[12] = {};
  const int32_t length = -5;
  std::memcpy(block + 4, &length, sizeof(length));
  EXPECT_THROW(TAnsiString::ViewOf(block + 8), std::invalid_argument);
}

}  // namespace
