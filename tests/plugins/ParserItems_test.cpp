#include <gtest/gtest.h>

#include "moxShared/Private/Plugins/moxParserItems.h"
#include "moxShared/Private/Plugins/moxPluginCustomCmd.h"

TEST(ParserItems, ParsesAndRendersTheTextForm) {
  TParserItemList items;
  items.Parse("Speed|SPEED|integer|x\r\n\r\nName only|N\r\nBad|B|NoSuchType|", true);
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items.Items(0).ItemType, pitInteger);  // type names match without regard to case
  EXPECT_EQ(items.Items(0).Extra, "x");
  EXPECT_EQ(items.Items(1).ItemType, TParserItem::kParserItemTypeNone);
  EXPECT_EQ(items.Items(1).Extra, "");
  EXPECT_EQ(items.Items(2).ItemType, TParserItem::kParserItemTypeNone);
  // The unspecified type has no name: the line ends in two separators.
  EXPECT_EQ(items.Render(), "Speed|SPEED|Integer|x\r\nName only|N||\r\nBad|B||");
}

TEST(ParserItems, ALineWithOneFieldEndsTheParsingAndKeepsWhatCameBefore) {
  TParserItemList items;
  items.Parse("A|a|String|\nlonely\nB|b|String|", true);
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Items(0).Name, "a");
  items.Parse("C|c", false);
  EXPECT_EQ(items.Count(), 2);
  items.Parse("", true);
  EXPECT_EQ(items.Count(), 0);
  EXPECT_EQ(items.Render(), "");
}

TEST(ParserItems, StandardItemsComeInTableOrder) {
  TParserItemList items;
  items.AddStandard(false);
  ASSERT_EQ(items.Count(), 6);
  EXPECT_EQ(items.Items(0).Name, "FULL_DATA_PACKET");
  EXPECT_EQ(items.Items(2).ItemType, pitDateTime);
  EXPECT_EQ(items.Items(5).Name, "DATA_SOURCE_FULL_NAME");
  items.AddStandard(true);
  EXPECT_EQ(items.Items(12).Name, "CLIENTID");
}

TEST(ParserItems, SetGrowsTheList) {
  TParserItemList items;
  items.Set(2, {"N", "D", pitWord, ""});
  ASSERT_EQ(items.Count(), 3);
  EXPECT_EQ(items.Items(2).Name, "N");
  EXPECT_EQ(items.Items(0).Name, "");
}

TEST(CustomCommands, RoundTripAndFieldRules) {
  TmoxPluginCustomCmdList list;
  list.AddFromText("a|b|c|1\r\na|b|c|1|1|extra\nx|y|z|2|yes\n");
  ASSERT_EQ(list.Count(), 2);  // four fields add nothing; a sixth is ignored
  EXPECT_TRUE(list.Items(0).FlagA);
  EXPECT_TRUE(list.Items(0).FlagB);
  EXPECT_FALSE(list.Items(1).FlagA);  // only "1" is true
  EXPECT_FALSE(list.Items(1).FlagB);
  EXPECT_EQ(list.AsText(), "a|b|c|1|1\r\nx|y|z|0|0\r\n");
  list.AddFromText(list.AsText());
  EXPECT_EQ(list.Count(), 4);
}
