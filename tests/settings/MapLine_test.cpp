#include "settings/TWregMapLine.h"

#include <gtest/gtest.h>

namespace {

void ExpectLine(const char* text, const std::string& property, const std::string& subPath,
                const std::string& valueName) {
  SCOPED_TRACE(text);
  const auto line = ParseMapLine(text);
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->PropertyName, property);
  EXPECT_EQ(line->SubPath, subPath);
  EXPECT_EQ(line->ValueName, valueName);
}

TEST(MapLine, SplitsAtTheFirstCommaOrElseTheFirstSemicolon) {
  ExpectLine("spMinInt.Value,Min interval", "spMinInt_Value", "", "Min interval");
  ExpectLine(" \t Left;Left \r\n", "Left", "", "Left");
  ExpectLine("Left,Left ;note", "Left", "", "Left ");  // blanks before the comment stay
  ExpectLine("a.b.c , x,y", "a_b_c", "", "x,y");
}

TEST(MapLine, SkipsCommentsEmptyPartsAndStarredPaths) {
  for (const char* text : {"", "  \t", ";---short---", "  ;x,y", "Left", "Left,", ",Left",
                           "Left, ;comment", "*Left,Left"}) {
    EXPECT_FALSE(ParseMapLine(text).has_value()) << text;
  }
}

TEST(MapLine, DoubledBackslashesSeparateTheSubPathFromTheValueName) {
  ExpectLine("Left,Sub\\\\Dir\\\\Name", "Left", "Sub\\Dir", "Name");
  ExpectLine("Left,\\Name", "Left", "", "Name");
  ExpectLine("Left,\\\\Sub\\Name", "Left", "Sub", "Name");
}

}  // namespace
