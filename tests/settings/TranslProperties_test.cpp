// The translator on properties other than plain strings: string lists, fonts,
// collections and objects handed to adapters.

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "moxShared/Public/Component/moxCollection.h"
#include "moxShared/Public/Component/moxFont.h"
#include "moxShared/Public/Component/moxWideStrings.h"
#include "settings/CustomTextResources.h"
#include "settings/TWtransl.h"
#include "settings/TWtranslAdapters.h"

namespace {

using settings_test::TempFolder;
using settings_test::WriteFile;
using TLines = std::vector<std::string>;

class TColumn : public TComponent {
 public:
  TColumn(std::string name, int32_t tag) {
    Name = std::move(name);
    Tag = tag;
  }
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TColumn", &TComponent::StaticClassInfo(),
        {PublishedField("Caption", &TColumn::Caption), PublishedField("Hint", &TColumn::Hint)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string Caption = "Inputs";
  std::string Hint = "Flags";
};

// An object class no adapter serves.
class TBrush : public TPersistent {
 public:
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info("TBrush", nullptr, {});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

// A component with one property of every kind the translator handles.
class TListView : public TComponent {
 public:
  TListView(TComponent* owner, std::string name, int32_t tag = 0) : TComponent(owner) {
    Name = std::move(name);
    Tag = tag;
  }
  static const TClassInfo& StaticClassInfo() {
    using T = TListView;
    static const TClassInfo info(
        "TListView", &TComponent::StaticClassInfo(),
        {PublishedField("Caption", &T::Caption), PublishedField("Items", &T::Items),
         PublishedObject("Columns", &T::Columns), PublishedObject("Lines", &T::Lines),
         PublishedObject("Brush", &T::Brush), PublishedObject("Texts", &T::Texts),
         PublishedObject("Font", &T::Font), PublishedObject("FocusFont", &T::FocusFont),
         PublishedObject("TitleFont", &T::TitleFont)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string Caption = "Inputs";
  TLines Items;
  TCollection ColumnList;
  TCollection* Columns = &ColumnList;
  TWideStrings LineList;
  TWideStrings* Lines = &LineList;
  TBrush BrushObject;
  TBrush* Brush = &BrushObject;
  TCustomTextResources* Texts = nullptr;
  TFont FontObject, FocusFontObject, TitleFontObject;
  TFont* Font = &FontObject;
  TFont* FocusFont = &FocusFontObject;
  TFont* TitleFont = &TitleFontObject;
};

class TTexts : public TCustomTextResources {
 public:
  explicit TTexts(TComponent* owner) : TCustomTextResources(owner) { RegisterText(Inputs); }
  std::string Inputs = "Inputs";
};

const char kGerman[] =
    "EN:>Inputs\nDE:>Eingaenge\n\n"
    "EN:>Flags\nDE:>&Merker\n\n";

class TranslProperties : public ::testing::Test {
 protected:
  // A translator for the file, with the properties of TListView to translate.
  std::unique_ptr<TWtransl> Translator(const std::string& content) {
    const std::string path = folder_.File("t" + std::to_string(files_++) + ".lng");
    WriteFile(path, content);
    auto translator = std::make_unique<TWtransl>();
    translator->LanguageFile = path;
    translator->ComponentProperties = {"Caption", "Hint",  "Items", "Columns",
                                       "Lines",   "Brush", "Texts"};
    return translator;
  }

  TempFolder folder_;
  int files_ = 0;
};

TEST_F(TranslProperties, StringListLinesAreTranslatedOneByOne) {
  auto translator = Translator(kGerman);
  TListView view(nullptr, "View");
  view.Items = {"Inputs", "&Flags", "Flags", "Not in the file", "", "  inputs  "};
  TListView* excluded = new TListView(&view, "Excluded", 10004);  // the "items" bit
  excluded->Items = {"Inputs"};

  ASSERT_TRUE(translator->Translate("DE", &view));
  EXPECT_EQ(view.Items,
            (TLines{"Eingaenge", "&Merker", "Merker", "Not in the file", "", "Eingaenge"}));
  EXPECT_EQ(excluded->Items, TLines{"Inputs"});
  EXPECT_EQ(excluded->Caption, "Eingaenge");
}

TEST_F(TranslProperties, CollectionItemsAreTranslatedAsComponentsWithTheirTags) {
  auto translator = Translator(kGerman);
  TListView view(nullptr, "View");
  TColumn& plain = view.ColumnList.Add<TColumn>("Plain", 0);
  TColumn& noCaption = view.ColumnList.Add<TColumn>("NoCaption", 10002);  // the "caption" bit
  TColumn& noHint = view.ColumnList.Add<TColumn>("NoHint", 10001);        // the "hint" bit

  ASSERT_TRUE(translator->Translate("DE", &view));
  EXPECT_EQ(plain.Caption, "Eingaenge");
  EXPECT_EQ(plain.Hint, "Merker");
  EXPECT_EQ(noCaption.Caption, "Inputs");
  EXPECT_EQ(noCaption.Hint, "Merker");
  EXPECT_EQ(noHint.Caption, "Eingaenge");
  EXPECT_EQ(noHint.Hint, "Flags");
}

TEST_F(TranslProperties, WideStringListGoesThroughTheAdapterAndStaysWide) {
  auto translator =
      Translator("Encoding=utf-8\n\nEN:>Inputs\nRU:>\xD0\x92\xD1\x85\xD0\xBE\xD0\xB4\xD1\x8B\n\n");
  TListView view(nullptr, "View");
  view.LineList.Lines = {u"Inputs", u"Not in the file", u"", u"\u65E5\u672C"};

  ASSERT_TRUE(translator->Translate("RU", &view));
  EXPECT_EQ(view.LineList.Lines,
            (std::vector<std::u16string>{u"\u0412\u0445\u043E\u0434\u044B", u"Not in the file", u"",
                                         u"\u65E5\u672C"}));
}

TEST_F(TranslProperties, AdaptersServeObjectsOfTheirClassInRegistrationOrder) {
  TWideStrings lines;
  TWtranslatorCustom* wide = FindPropertyAdapter(lines);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->ObjectClass(), &TWideStrings::StaticClassInfo());
  EXPECT_EQ(wide->Marker(), "");
  // A later adapter for the same class never takes over.
  RegisterTranslatorAdapter<TWtranslatorCustom>(&TWideStrings::StaticClassInfo(), "Later");
  EXPECT_EQ(FindPropertyAdapter(lines), wide);

  TBrush brush;
  EXPECT_EQ(FindPropertyAdapter(brush), nullptr);
  // A component a property holds is left to the walk over its owner.
  TTexts texts(nullptr);
  EXPECT_EQ(FindPropertyAdapter(texts), nullptr);
  TWtranslatorCustom* resources = FindComponentAdapter(texts);
  ASSERT_NE(resources, nullptr);
  EXPECT_EQ(resources->Marker(), "*");
  TColumn column("C", 0);
  EXPECT_EQ(FindComponentAdapter(column), nullptr);
}

TEST_F(TranslProperties, UnservedAndNullObjectsAreSkippedAndTheRestTranslated) {
  auto translator = Translator(kGerman);
  TListView view(nullptr, "View");
  TTexts texts(nullptr);
  view.Texts = &texts;  // a component: not translated through the property
  view.Columns = nullptr;
  view.Lines = nullptr;
  view.Font = nullptr;
  view.Items = {"Inputs"};

  ASSERT_TRUE(translator->Translate("DE", &view));
  EXPECT_EQ(texts.Inputs, "Inputs");
  EXPECT_FALSE(texts.Translated());
  EXPECT_EQ(view.Caption, "Eingaenge");
  EXPECT_EQ(view.Items, TLines{"Eingaenge"});
  EXPECT_EQ(view.FocusFontObject.Charset, TFont::kDefaultCharset);
}

TEST_F(TranslProperties, FontCharsetFollowsTheLanguageFileForFontAndFocusFont) {
  auto translator = Translator(std::string("Charset=windows-1251\n\n") + kGerman);
  TListView view(nullptr, "View");
  TListView* owned = new TListView(&view, "Owned");
  view.TitleFontObject.Charset = 0;

  ASSERT_TRUE(translator->Translate("DE", &view));
  EXPECT_EQ(view.FontObject.Charset, 204);
  EXPECT_EQ(view.FocusFontObject.Charset, 204);
  EXPECT_EQ(owned->FontObject.Charset, 204);
  EXPECT_EQ(view.TitleFontObject.Charset, 0);  // not a font the language file sets

  // Without a directive the default charset is applied all the same.
  auto plain = Translator(kGerman);
  ASSERT_TRUE(plain->Translate("DE", &view));
  EXPECT_EQ(view.FontObject.Charset, TFont::kDefaultCharset);
}

TEST_F(TranslProperties, CollectModesTakeStringListLinesOneByOne) {
  auto untranslated = Translator(std::string("//saveuntr\n\n") + kGerman);
  TListView view(nullptr, "View");
  view.Items = {"Inputs", "Unknown line", "12:00", "Other line"};
  view.LineList.Lines = {u"Wide line"};

  ASSERT_TRUE(untranslated->Translate("DE", &view));
  EXPECT_EQ(view.Items, (TLines{"Inputs", "Unknown line", "12:00", "Other line"}));
  EXPECT_EQ(view.Caption, "Inputs");
  EXPECT_EQ(untranslated->CollectedTexts(),
            (std::set<std::string>{"Other line", "Unknown line", "Wide line"}));

  auto withObjects = Translator(std::string("//saveuntrobj\n\n") + kGerman);
  ASSERT_TRUE(withObjects->Translate("DE", &view));
  EXPECT_EQ(withObjects->CollectedTexts().count("[TListView]View.Items=Unknown line"), 1u);
  EXPECT_EQ(withObjects->CollectedTexts().count("[TListView]View.Items=Other line"), 1u);
}

}  // namespace
