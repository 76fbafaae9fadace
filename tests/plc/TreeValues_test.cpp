// How the request tree stores integers, texts, floats and check boxes, and
// where a value of a request or response item is found.

#include <gtest/gtest.h>

#include <string>

#include "plc/PluginDM_TreeValues.h"

namespace {

// The first element of the parsed text: the scope of the readers.
class TreeValuesTest : public testing::Test {
 protected:
  const TpimXMLNode& Scope(const std::string& text) {
    tree_.ParseText(text);
    return tree_.Child(0);
  }

 private:
  TpimXMLTree tree_;
};

TEST_F(TreeValuesTest, IntegersTakeDecimalAndBothHexadecimalForms) {
  EXPECT_EQ(ParseTreeInteger("42"), 42);
  EXPECT_EQ(ParseTreeInteger("-0"), 0);
  EXPECT_EQ(ParseTreeInteger("$1F"), 31);
  EXPECT_EQ(ParseTreeInteger("-$10"), -16);
  EXPECT_EQ(ParseTreeInteger("0x10"), 16);
  EXPECT_EQ(ParseTreeInteger("$FFFFFFFF"), -1);
  for (const char* bad : {"", "$", "1.5", "12a", "2147483648", "--1", "$-1"}) {
    EXPECT_FALSE(ParseTreeInteger(bad).has_value()) << bad;
  }
}

TEST_F(TreeValuesTest, InvalidOrMissingIntegersGiveTheDefault) {
  const TpimXMLNode& scope = Scope("<r><A>x</A><B></B><C> 7 </C></r>");
  EXPECT_EQ(ReadInteger(scope, "A", 5), 5);
  EXPECT_EQ(ReadInteger(scope, "B", 5), 5);
  EXPECT_EQ(ReadInteger(scope, "C", 5), 7);  // the reader trims the text
  EXPECT_EQ(ReadInteger(scope, "D", 5), 5);
}

TEST_F(TreeValuesTest, APresentTextElementGivesItsTextEvenWhenEmpty) {
  const TpimXMLNode& scope = Scope("<r><Name></Name><Default>a &amp; b</Default></r>");
  EXPECT_EQ(ReadText(scope, "Name", "ITEM"), "");
  EXPECT_EQ(ReadText(scope, "Default", "0"), "a & b");
  EXPECT_EQ(ReadText(scope, "DataType", "D16"), "D16");
}

TEST_F(TreeValuesTest, FloatsTakeCommaAndPointAsDecimalSeparator) {
  EXPECT_EQ(ReadFloat(Scope("<r><Scale>0,5</Scale></r>"), "Scale", 1), 0.5L);
  EXPECT_EQ(ReadFloat(Scope("<r><Scale>0.5</Scale></r>"), "Scale", 1), 0.5L);
  EXPECT_EQ(ReadFloat(Scope("<r><Scale>-2,25</Scale></r>"), "Scale", 1), -2.25L);
  for (const char* bad :
       {"<r><Scale/></r>", "<r><Scale>abc</Scale></r>", "<r><Scale>1,000.5</Scale></r>", "<r/>"}) {
    EXPECT_EQ(ReadFloat(Scope(bad), "Scale", 1), 1.0L) << bad;
  }
}

TEST_F(TreeValuesTest, CheckBoxesReadTextFirstThenTheCheckAttribute) {
  struct Case {
    const char* text;
    bool expected;  // with the default false; "default" cases are checked both ways
    bool isDefault;
  };
  const Case cases[] = {
      {"<r><E>1</E></r>", true, false},
      {"<r><E>true</E></r>", false, false},
      {"<r><E>0</E></r>", false, false},
      {"<r><E check=\"2\"/></r>", true, false},
      {"<r><E check=\"0\"/></r>", false, false},
      {"<r><E check=\"1\"/></r>", false, false},
      {"<r><E check=\"3\"/></r>", false, false},
      {"<r><E check=\"5\"/></r>", false, false},
      {"<r><E check=\"4\"/></r>", false, true},
      {"<r><E check=\"9\"/></r>", false, true},
      {"<r><E check=\"-1\"/></r>", false, true},
      {"<r><E check=\"x\"/></r>", false, true},
      {"<r><E/></r>", false, true},
      {"<r><E check=\"2\">0</E></r>", false, false},  // text wins
      {"<r/>", false, true},
  };
  for (const Case& c : cases) {
    const TpimXMLNode& scope = Scope(c.text);
    if (c.isDefault) {
      EXPECT_TRUE(ReadCheck(scope, "E", true)) << c.text;
      EXPECT_FALSE(ReadCheck(scope, "E", false)) << c.text;
    } else {
      EXPECT_EQ(ReadCheck(scope, "E", !c.expected), c.expected) << c.text;
    }
  }
}

TEST_F(TreeValuesTest, LookupTestsTheScopeFirstThenWalksPreOrderInAnyCase) {
  const TpimXMLNode& scope = Scope(
      "<offset><a><OFFSET>1</OFFSET></a><Offset>2</Offset><deep><x><enabled>1</enabled>"
      "</x></deep></offset>");
  EXPECT_EQ(FindValueNode(scope, "Offset"), &scope);
  const TpimXMLNode& inner = scope.Child(0);
  EXPECT_EQ(ReadInteger(inner, "Offset", 0), 1);
  EXPECT_TRUE(ReadCheck(scope, "Enabled", false));
  EXPECT_EQ(ReadInteger(scope.Child(1), "offset", 0), 2);
}

}  // namespace
