#include "settings/TWregIniFile.h"

#include <gtest/gtest.h>

#include "settings/TWregIniStorage.h"

namespace {

TEST(IniSection, PrefixAndSubPathFormTheSectionName) {
  EXPECT_EQ(IniSectionName("Module1", ""), "Module1.Common");
  EXPECT_EQ(IniSectionName("", ""), "Common");
  EXPECT_EQ(IniSectionName("Module1/", ""), "Module1");
  EXPECT_EQ(IniSectionName("Module1\\", ""), "Module1");
  EXPECT_EQ(IniSectionName("Module1", "Sub\\Dir"), "Module1.Sub.Dir");
  EXPECT_EQ(IniSectionName("Host\\Module1/", "Sub"), "Host.Module1.Sub");
  EXPECT_EQ(IniSectionName("", "Sub"), "Sub");
}

TEST(IniFile, WritesSectionsInOrderEachClosedByAnEmptyLine) {
  TWregIniFile ini;
  EXPECT_TRUE(ini.Set("A", "x", "1"));
  EXPECT_TRUE(ini.Set("B", "y", "2"));
  EXPECT_TRUE(ini.Set("a", "X", "3"));  // same key: rewritten in place
  EXPECT_FALSE(ini.Set("A", "x", "3"));
  EXPECT_TRUE(ini.Set("A", "z", ""));
  EXPECT_EQ(ini.Text(), "[A]\r\nx=3\r\nz=\r\n\r\n[B]\r\ny=2\r\n\r\n");
}

TEST(IniFile, ReadsTrimmedNamesAndValuesWithoutRegardToCase) {
  TWregIniFile ini;
  ini.Parse(" [ Module1.Common ] \n Left = 12 \r\nTop=a=b\rEmpty=\n[other]\r\n");
  ASSERT_NE(ini.Find("module1.COMMON", "left"), nullptr);
  EXPECT_EQ(*ini.Find("Module1.Common", "Left"), "12");
  EXPECT_EQ(*ini.Find("Module1.Common", "Top"), "a=b");
  EXPECT_EQ(*ini.Find("Module1.Common", "Empty"), "");
  EXPECT_EQ(ini.Find("Module1.Common", "Width"), nullptr);
  EXPECT_EQ(ini.Find("Nothing", "Left"), nullptr);
  EXPECT_EQ(*ini.Find("Module1.Common", "Left "), "12");  // names are taken trimmed
}

TEST(IniFile, KeepsCommentsStrayLinesAndRepeatedSectionsOnRewrite) {
  TWregIniFile ini;
  ini.Parse("; host notes\r\n[S]\r\n;comment\r\nstray\r\nk=1\r\n\r\n[T]\r\n[s]\r\nm=2\r\n");
  EXPECT_EQ(*ini.Find("S", "m"), "2");
  ini.Set("S", "k", "5");
  EXPECT_EQ(ini.Text(), "; host notes\r\n\r\n[S]\r\n;comment\r\nstray\r\nk=5\r\nm=2\r\n\r\n");
}

}  // namespace
