#include "settings/TWregNumberText.h"

#include <gtest/gtest.h>

namespace {

TEST(NumberText, IntegersAreDecimalOrHexadecimal) {
  EXPECT_EQ(ParseIntegerText("0x1F"), 31);
  EXPECT_EQ(ParseIntegerText("0X1f"), 31);
  EXPECT_EQ(ParseIntegerText("0xFFFFFFFF"), -1);
  EXPECT_EQ(ParseIntegerText("-12"), -12);
  EXPECT_EQ(ParseIntegerText("+7"), 7);
  EXPECT_EQ(ParseIntegerText("-2147483648"), INT32_MIN);
  for (const char* text :
       {"", "abc", "12x", "0x", "0x1G", "--1", "2147483648", "0x100000000", "1.5"}) {
    EXPECT_FALSE(ParseIntegerText(text).has_value()) << text;
  }
}

TEST(NumberText, DoublesTakeCommaOrDotAsSeparator) {
  EXPECT_EQ(ParseDoubleText("2,5"), 2.5);
  EXPECT_EQ(ParseDoubleText("2.5"), 2.5);
  EXPECT_EQ(ParseDoubleText("-1E3"), -1000.0);
  EXPECT_EQ(ParseDoubleText("+0,125"), 0.125);
  for (const char* text : {"", "x", "1.2.3", "1,2.3", "1e", "+-1", "2,5 x"}) {
    EXPECT_FALSE(ParseDoubleText(text).has_value()) << text;
  }
}

TEST(NumberText, DoublesAreWrittenInGeneralFormat) {
  EXPECT_EQ(FormatDoubleText(0, '.'), "0");
  EXPECT_EQ(FormatDoubleText(2.5, ','), "2,5");
  EXPECT_EQ(FormatDoubleText(100, '.'), "100");
  EXPECT_EQ(FormatDoubleText(0.1 + 0.2, '.'), "0.3");
  EXPECT_EQ(FormatDoubleText(1.0 / 3, '.'), "0.333333333333333");
  EXPECT_EQ(FormatDoubleText(123456789012345.0, '.'), "123456789012345");
  EXPECT_EQ(FormatDoubleText(1e15, '.'), "1E15");
  EXPECT_EQ(FormatDoubleText(-1.5e20, '.'), "-1.5E20");
  EXPECT_EQ(FormatDoubleText(1e-5, '.'), "0.00001");
  EXPECT_EQ(FormatDoubleText(1.25e-6, '.'), "1.25E-6");
  // What is written reads back (to 15 digits).
  for (double value : {3.14159265358979, -0.000123, 9.87654321e-12, 4.2e100}) {
    EXPECT_DOUBLE_EQ(*ParseDoubleText(FormatDoubleText(value, ',')), value);
  }
}

}  // namespace
