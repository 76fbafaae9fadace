#include <gtest/gtest.h>

#include <string>

#include "xml/pimXMLBuilder.h"
#include "xml/pimXMLTree.h"

namespace {

// A compact picture of a subtree: name{attributes}"text"(children), CDATA text as [text].
std::string Dump(const TpimXMLNode& node) {
  std::string out = node.Name();
  if (node.AttributeCount() > 0) {
    out += '{';
    for (size_t i = 0; i < node.AttributeCount(); ++i) {
      out += (i > 0 ? " " : "") + node.Attribute(i).Name + "=" + node.Attribute(i).Value;
    }
    out += '}';
  }
  if (!node.Text().empty())
    out += node.IsCData() ? "[" + node.Text() + "]" : '"' + node.Text() + '"';
  if (node.ChildCount() > 0) {
    out += '(';
    for (size_t i = 0; i < node.ChildCount(); ++i) out += (i > 0 ? " " : "") + Dump(node.Child(i));
    out += ')';
  }
  return out;
}

std::string Parse(const std::string& text) {
  TpimXMLTree tree;
  tree.ParseText(text);
  return Dump(tree);
}

struct TreeCase {
  const char* title;
  std::string text;
  std::string tree;
};

class TreeTest : public testing::TestWithParam<TreeCase> {};

TEST_P(TreeTest, GivesTree) { EXPECT_EQ(Parse(GetParam().text), GetParam().tree); }

const TreeCase kTreeCases[] = {
    {"Elements", "<a><b>1</b><c x='2'/></a>", "root(a(b\"1\" c{x=2}))"},
    {"EmptyText", "", ""},
    {"SlashKeptInName", "<a/>", "root(a/)"},
    {"SpaceBeforeSlash", "<a />", "root(a)"},
    {"AttributeOfEmptyTag", "<a x='1'/>", "root(a{x=1})"},
    {"LaterTextReplaces", "<a>x<b/>y</a>", "root(a\"y\"(b/))"},
    {"CDataThenText", "<a><![CDATA[c]]>t</a>", "root(a\"t\")"},
    {"TextThenCData", "<a>t<![CDATA[&lt;x\\n y]]></a>", "root(a[&lt;x\r\ny])"},
    {"EntitiesAnyCaseDecodedInOrder", "<a>&AMP;lt; &Gt;&apos;&quot; &amp;amp; &#60;</a>",
     "root(a\"< >'\" &amp; &#60;\")"},
    {"AttributeEntities", "<a x='&lt;&amp;gt;'/>", "root(a{x=<>})"},
    {"LeadingInstruction", "<?xml version=\"1.0\"?><a/>", "root\"xml version=\"1.0\"\"(a/)"},
    {"OpenElementsEndWithText", "<a><b>t", "root(a(b\"t\"))"},
    {"CloseTagNameIgnored", "<a><b></x>c</y>", "root(a\"c\"(b))"},
    {"ExtraCloseTagAtEnd", "<a/></x>", "root(a/)"},
    {"MixedQuotes", "<a x=\"it's\" y='say \"hi\"'/>", "root(a{x=it's y=say \"hi\"})"},
    {"ValueWithoutQuotesTakesNextQuoted", "<a x=1 y='2'/>", "root(a{x=2})"},
    {"NameWithoutValue", "<a x y='1' z/>", "root(a{x y=1})"},
    {"NoQuoteAfterEquals", "<a x='1' y=2/>", "root(a{x=1})"},
    {"UnclosedValueQuote", "<a x='1' 'y=' z>", "root(a{x=1})"},
    {"EmptyAttributeName", "<a ='1'/>", "root(a{=1})"},
};

INSTANTIATE_TEST_SUITE_P(Xml, TreeTest, testing::ValuesIn(kTreeCases),
                         [](const testing::TestParamInfo<TreeCase>& info) {
                           return std::string(info.param.title);
                         });

TEST(TreeTest, CloseTagOfRootFollowedByTokenFails) {
  for (const char* text : {"</x><a/>", "<a></a></a>text", "</x><?pi?>"}) {
    TpimXMLTree tree;
    EXPECT_THROW(tree.ParseText(text), EpimXMLError) << text;
  }
}

TEST(TreeTest, ErrorNamesTheOffendingToken) {
  TpimXMLTree tree;
  try {
    tree.ParseText("<a/></b></c>text");
    FAIL() << "no error";
  } catch (const EpimXMLError& error) {
    EXPECT_NE(std::string(error.what()).find("\"CT:c\""), std::string::npos) << error.what();
  }
}

TEST(TreeTest, UnknownTokenKindFails) {
  TpimXMLTree tree;
  EXPECT_THROW(pimxml::BuildXMLTree({"OT:a", "XX"}, tree), EpimXMLError);
}

TEST(TreeTest, ParseReplacesEverythingOfTheLastParse) {
  TpimXMLTree tree;
  tree.ParseText("<?pi?><a x='1'><b/></a>");
  tree.ParseText("<c/>");
  EXPECT_EQ(Dump(tree), "root(c/)");
  EXPECT_EQ(tree.Tokens(), TpimXMLTokens{"ET:c/"});
  tree.ParseText(" ");
  EXPECT_EQ(Dump(tree), "");
}

TEST(TreeTest, ParentsLinkBack) {
  TpimXMLTree tree;
  tree.ParseText("<a><b/></a>");
  const TpimXMLNode& a = tree.Child(0);
  EXPECT_EQ(tree.Parent(), nullptr);
  EXPECT_EQ(a.Parent(), &tree);
  EXPECT_EQ(a.Child(0).Parent(), &a);
  EXPECT_THROW(a.Child(1), std::out_of_range);
}

TEST(TreeTest, FindNodeSearchesDescendantsInDocumentOrderIgnoringCase) {
  TpimXMLTree tree;
  tree.ParseText("<A id='outer'><x><a id='inner'/></x><a id='sibling'/></A><a id='last'/>");
  const TpimXMLNode* outer = tree.FindNode("a");
  ASSERT_NE(outer, nullptr);
  EXPECT_EQ(*outer->AttributeValue("id"), "outer");
  const TpimXMLNode* inner = outer->FindNode("a");
  ASSERT_NE(inner, nullptr);
  EXPECT_EQ(*inner->AttributeValue("id"), "inner");
  EXPECT_EQ(inner->FindNode("a"), nullptr);
  EXPECT_EQ(tree.FindNode("root"), nullptr);
}

TEST(TreeTest, AttributeLookupIsExactAndTakesTheFirst) {
  TpimXMLTree tree;
  tree.ParseText("<a Caption='one' Caption='two'/>");
  const TpimXMLNode& a = tree.Child(0);
  ASSERT_NE(a.AttributeValue("Caption"), nullptr);
  EXPECT_EQ(*a.AttributeValue("Caption"), "one");
  EXPECT_EQ(a.AttributeValue("caption"), nullptr);
}

// Nesting depth is bounded by the input alone: building, searching and freeing
// must not recurse per level.
TEST(TreeTest, DeepNestingNeedsNoDeepStack) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "<a>";
  TpimXMLTree tree;
  tree.ParseText(text + "<b>");
  EXPECT_NE(tree.FindNode("B"), nullptr);
  EXPECT_EQ(tree.FindNode("c"), nullptr);
}

}  // namespace
