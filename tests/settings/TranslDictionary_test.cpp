#include <gtest/gtest.h>

#include "settings/TWtranslDictionary.h"

namespace {

class TranslDictionary : public ::testing::Test {
 protected:
  std::u16string T(const std::u16string& text) { return TranslateText(text, dictionary_); }
  TWtranslLanguagesList dictionary_;
};

TEST_F(TranslDictionary, ExactThenLowerCaseMapAndTrimming) {
  dictionary_.Add("No data for processing", u"Keine Daten");
  dictionary_.Add("open", u"\u00f6ffnen");
  EXPECT_EQ(T(u"No data for processing"), u"Keine Daten");
  EXPECT_EQ(T(u"  no DATA for processing\t"), u"Keine Daten");
  // An entry written in lower case still serves other cases.
  EXPECT_EQ(T(u"OPEN"), u"\u00f6ffnen");
  EXPECT_EQ(T(u"Unknown"), u"Unknown");
  EXPECT_EQ(T(u" \t "), u" \t ");
}

TEST_F(TranslDictionary, AcceleratorsFollowTheText) {
  dictionary_.Add("Open", u"&\u00d6ffnen");
  dictionary_.Add("Save", u"&Speichern && Schlie\u00dfen");
  // Found through the plain key: the translation keeps its mark.
  EXPECT_EQ(T(u"&Open"), u"&\u00d6ffnen");
  // No accelerator in the text: single "&" goes, "&&" stays.
  EXPECT_EQ(T(u"Open"), u"\u00d6ffnen");
  EXPECT_EQ(T(u"Save"), u"Speichern && Schlie\u00dfen");
}

TEST_F(TranslDictionary, PlainKeyKeepsEverythingFromTheFirstDoubleAmpersand) {
  const TWtranslKeys keys = MakeKeys("&Copy && &Paste");
  EXPECT_EQ(keys.Plain, "Copy && &Paste");
  EXPECT_TRUE(keys.HadAccelerator);
  EXPECT_FALSE(MakeKeys("A && B").HadAccelerator);
}

TEST_F(TranslDictionary, ControlCharactersTravelEscaped) {
  dictionary_.Add("Line one%0D%0ALine two", u"Zeile eins%0D%0AZeile zwei 100%");
  const TWtranslKeys keys = MakeKeys("a\r\nb");
  EXPECT_EQ(keys.Escaped, "a%0D%0Ab");
  EXPECT_TRUE(keys.HadControls);
  EXPECT_EQ(T(u"Line one\r\nLine two"), u"Zeile eins\r\nZeile zwei 100%");
}

TEST_F(TranslDictionary, LaterEntryReplacesEarlierAndClearEmptiesBothMaps) {
  dictionary_.Add("Flags", u"Merker");
  dictionary_.Add("Flags", u"Flaggen");
  EXPECT_EQ(T(u"flags"), u"Flaggen");
  dictionary_.Clear();
  EXPECT_EQ(dictionary_.Count(), 0u);
  EXPECT_EQ(T(u"flags"), u"flags");
}

}  // namespace
