#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/Charset.h"
#include "settings/TWtranslLngReader.h"

namespace {

struct TRead {
  std::map<std::string, std::string> Pairs;
  TWtranslOptions Options;
};

TRead Read(const std::string& content, const std::string& source = "EN",
           const std::string& target = "DE") {
  TRead read;
  ReadLanguageText(content, source, target, read.Options,
                   [&](const std::string& from, const std::string& to) { read.Pairs[from] = to; });
  return read;
}

TEST(TranslReader, BlocksNeedBothLanguagesAndAClosingEmptyLine) {
  const TRead read = Read(
      "// comment\r\n"
      "EN:>No data for processing\r\n"
      "  DE:>Keine Daten  \r\n"
      "\r\n"
      "EN:>Only English\n"
      "FR:>Seulement\n"
      "\n"
      "EN:>Twice\n"
      "DE:>Erste\n"
      "// a comment inside a block\n"
      "DE:>Zweite\n"
      "\n"
      "EN:>Empty\n"
      "DE:>\n"
      "\n"
      "en:>case counts\n"
      "de:>Gross\n"
      "\n"
      "EN:>At the end\n"
      "DE:>Am Ende");
  const std::map<std::string, std::string> expected{{"No data for processing", "Keine Daten"},
                                                    {"Twice", "Zweite"}};
  EXPECT_EQ(read.Pairs, expected);
}

TEST(TranslReader, DirectivesCountOnlyInTheFirstNineteenLines) {
  std::string content = "//saveuntr\nCharset=windows-1251\nEncoding=UTF-8\nLocale=0x419\n";
  content += "BiDiMode=RightToLeftNoAlign\n//fileappend\n";
  for (int i = 0; i < 20; ++i) content += "\n";
  content += "//saveall\nCharset=shift-jis\nEN:>A\nDE:>B\n\n";
  const TRead read = Read(content);
  EXPECT_EQ(read.Options.CollectMode, TWtranslOptions::CollectUntranslated);
  EXPECT_EQ(read.Options.CollectFileMode, TWtranslOptions::FileAppend);
  EXPECT_EQ(read.Options.CodePage, 1251u);
  EXPECT_EQ(read.Options.FontCharset, 204);
  EXPECT_EQ(read.Options.FileEncoding, TWtranslOptions::EncodingUtf8);
  EXPECT_EQ(read.Options.Locale, 0x419u);
  EXPECT_EQ(read.Options.RightToLeftMode, 2);
  EXPECT_EQ(read.Pairs.at("A"), "B");  // the late "Charset=" line joined the block harmlessly
}

TEST(TranslReader, UnknownOrBrokenDirectiveValuesChangeNothing) {
  const TRead read = Read("Charset=klingon\nLocale=12abc\nLocale=0x\nEncoding=ebcdic\n");
  const TWtranslOptions initial;
  EXPECT_EQ(read.Options.CodePage, initial.CodePage);
  EXPECT_EQ(read.Options.Locale, initial.Locale);
  EXPECT_EQ(read.Options.FileEncoding, initial.FileEncoding);
  EXPECT_EQ(Read("Locale=1049\n").Options.Locale, 1049u);
}

TEST(TranslReader, BrokenBlocksAndBinaryJunkLoseNoGoodEntry) {
  std::string junk = "EN:>Good one\nDE:>Gut\n\n";
  static const char kBroken[] = "\x00\x01\xFF\xFE:>\x80\n:>\n:>:>\nDE:>orphan\n\n";
  junk += std::string(kBroken, sizeof(kBroken) - 1);
  for (int i = 0; i < 256; ++i) junk += static_cast<char>(i);
  junk += "\n\nEN:>Second\nXX\nDE:>Zweiter\n\n\r\r\n\nEN:>Third\r\nDE:>Dritter\r\n\r\n";
  const TRead read = Read(junk);
  EXPECT_EQ(read.Pairs.at("Good one"), "Gut");
  EXPECT_EQ(read.Pairs.at("Second"), "Zweiter");
  EXPECT_EQ(read.Pairs.at("Third"), "Dritter");
  EXPECT_EQ(read.Pairs.size(), 3u);
}

TEST(TranslReader, LanguagesSectionGivesTheDefaultAndWhetherItNamesLanguages) {
  const auto section = ReadLanguagesSection(
      "[Other]\nDefault = XX\n[Languages]\n$EN = English\n"
      "$DE = Deutsch\nDefault = DE\n\nEN:>a\nDE:>b\n\n");
  EXPECT_EQ(section.Default, "DE");
  EXPECT_TRUE(section.NamesLanguages);
  EXPECT_FALSE(ReadLanguagesSection("[Languages]\n$EN =\nDefault = FR\n").NamesLanguages);
}

TEST(TranslCharset, CodePagesDecodeAndInvalidBytesAreReplacedNotDropped) {
  EXPECT_EQ(platform::CodePageToWide(1251, "\xC0\xE1"), u"\u0410\u0431");
  EXPECT_EQ(platform::CodePageToWide(932, "\x82\xA0"), u"\u3042");
  EXPECT_EQ(platform::CodePageToWide(1253, "\xC1"), u"\u0391");
  // A lead byte without its second byte: the text around it survives.
  const std::u16string cut = platform::CodePageToWide(932, "ab\x82");
  ASSERT_GE(cut.size(), 3u);
  EXPECT_EQ(cut.substr(0, 2), u"ab");
  // A code page the system lacks falls back to the system's.
  EXPECT_EQ(platform::CodePageToWide(99999, "abc"), u"abc");
}

TEST(TranslCharset, ThreadLocaleIsPerThreadAndSettable) {
  const uint32_t saved = platform::ThreadLocale();
  EXPECT_TRUE(platform::SetThreadLocale(0x0407));
  EXPECT_EQ(platform::ThreadLocale(), 0x0407u);
  platform::SetThreadLocale(saved);
}

}  // namespace
