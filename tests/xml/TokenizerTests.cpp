#include <gtest/gtest.h>

#include <string>

#include "xml/pimXMLTokenizer.h"

namespace {

struct TokenCase {
  const char* title;
  std::string text;
  TpimXMLTokens tokens;
};

class TokenizerTest : public testing::TestWithParam<TokenCase> {};

TEST_P(TokenizerTest, GivesTokens) {
  EXPECT_EQ(pimxml::TokenizeXMLText(GetParam().text), GetParam().tokens);
}

const TokenCase kTokenCases[] = {
    {"Elements",
     "<a><b>1</b><c x='2'/></a>",
     {"OT:a", "OT:b", "TX:1", "CT:b", "ET:c x='2'/", "CT:a"}},
    {"Empty", "", {}},
    {"BlanksOnly", " \t\r\n ", {}},
    {"TextOnly", "  plain ", {"TX:plain"}},
    {"BreakAndTabBecomeSpaces", "<a>  one\n\ttwo  </a>", {"OT:a", "TX:one  two", "CT:a"}},
    {"LoneCarriageReturns", "<a\rx='1'>one\rtwo</a>", {"OT:a x='1'", "TX:one two", "CT:a"}},
    {"HighBytesAreNoBlanks", "<a>\xA0\xE9\xA0</a>", {"OT:a", "TX:\xA0\xE9\xA0", "CT:a"}},
    {"QuotedGreaterThan", "<a x='>' y=\"'>\">t", {"OT:a x='>' y=\"'>\"", "TX:t"}},
    {"EmptyTags", "<>< ></>", {"OT:", "CT:"}},
    {"TagKindIsToldBeforeTrimming", "</a >< /a><a/ ><b/>", {"CT:a", "OT:/a", "OT:a/", "ET:b/"}},
    {"UnterminatedTag", "a<b c", {"TX:a", "TX:b c"}},
    {"UnbalancedQuoteSkipsOnlyTheLessThan", "<a x='1>b</a>", {"TX:a x='1>b", "CT:a"}},
    {"FailedSearchDoesNotHideLaterTag", "<\"x<y>\"", {"TX:\"x", "OT:y", "TX:\""}},
    {"CDataKeepsBlanksAndEntities", "<![CDATA[ &lt;\tx ]]>", {"CD: &lt;\tx "}},
    {"CDataAnyCase", "<![cdata[x]]>", {"CD:x"}},
    {"CDataEscapes", "<![CDATA[x\\n y\\t z]]>", {"CD:x\r\ny\tz"}},
    {"CDataWithoutEnd", "<![CDATA[abc", {"CD:abc\r\n"}},
    {"CommentEscapes", "<!--a\\n b\\t c\\nd-->", {"TX:a\r\nb\tc\\nd"}},
    {"EmptyComment", "<!---->", {"TX:"}},
    {"InstructionUnchanged", "<?xml v='1' ?><a/>", {"TX:xml v='1' ", "ET:a/"}},
    {"EmptyInstruction", "<?\?>", {}},
    {"InstructionAtEnd", "<a/><?", {"ET:a/", "TX:\r\n"}},
};

INSTANTIATE_TEST_SUITE_P(Xml, TokenizerTest, testing::ValuesIn(kTokenCases),
                         [](const testing::TestParamInfo<TokenCase>& info) {
                           return std::string(info.param.title);
                         });

// Every search for a tag end fails here; none may hang or lose text.
TEST(TokenizerTest, ManyUnterminatedTagsKeepTheirText) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "<'";
  EXPECT_EQ(pimxml::TokenizeXMLText(text), TpimXMLTokens(5000, "TX:'"));
}

}  // namespace
