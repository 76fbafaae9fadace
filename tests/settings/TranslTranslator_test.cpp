#include <gtest/gtest.h>

#include <string>

#include "SettingsTestSupport.h"
#include "platform/Charset.h"
#include "platform/Sync.h"
#include "settings/CustomTextResources.h"
#include "settings/TWtransl.h"
#include "settings/TWtranslModuleSetup.h"
#include "threads/Thread_ProcessData.h"
#include "threads/moxTimerEx.h"

namespace {

using settings_test::ReadFile;
using settings_test::TempFolder;
using settings_test::WriteFile;

class TLabel : public TComponent {
 public:
  TLabel(TComponent* owner, std::string name, int32_t tag = 0) : TComponent(owner) {
    Name = std::move(name);
    Tag = tag;
  }
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TLabel", &TComponent::StaticClassInfo(),
        {PublishedField("Caption", &TLabel::Caption), PublishedField("Hint", &TLabel::Hint),
         PublishedField("BiDiMode", &TLabel::BiDiMode)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  std::string Caption = "Inputs";
  std::string Hint = "Flags";
  int32_t BiDiMode = 0;
};

class TTexts : public TCustomTextResources {
 public:
  explicit TTexts(TComponent* owner) : TCustomTextResources(owner) {
    RegisterText(Inputs);
    RegisterText(Unknown);
  }
  std::string Inputs = "Inputs";
  std::string Unknown = "Not in the file";
};

const char kGerman[] =
    "[Languages]\n$EN = English\n$DE = Deutsch\nDefault = DE\n\n"
    "EN:>Inputs\nDE:>Eingaenge\n\n"
    "EN:>Flags\nDE:>Merker\n\n";

class TranslTranslator : public ::testing::Test {
 protected:
  std::string Lng(const std::string& name, const std::string& content) {
    std::string path = folder_.File(name);
    WriteFile(path, content);
    return path;
  }
  TempFolder folder_;
};

TEST_F(TranslTranslator, WalkFollowsTagAndNameRules) {
  TWtransl translator;
  translator.LanguageFile = Lng("a.lng", kGerman);
  TLabel form(nullptr, "Form", 9999);  // the component handed over is translated all the same
  TLabel* skipAll = new TLabel(&form, "SkipAll", 9999);
  TLabel* underSkipAll = new TLabel(skipAll, "Child");
  TLabel* skipSelf = new TLabel(&form, "SkipSelf", 9998);
  TLabel* underSkipSelf = new TLabel(skipSelf, "Child");
  TLabel* hook = new TLabel(&form, "Hook", 9997);
  TLabel* underHook = new TLabel(hook, "Child");
  TLabel* hidden = new TLabel(&form, "__Hidden");
  TLabel* underHidden = new TLabel(hidden, "Child");
  TLabel* shallow = new TLabel(&form, "_Shallow");
  TLabel* underShallow = new TLabel(shallow, "Child");
  TLabel* noCaption = new TLabel(&form, "NoCaption", 10002);

  ASSERT_TRUE(translator.Translate("DE", &form));
  EXPECT_EQ(form.Caption, "Eingaenge");
  EXPECT_EQ(form.Hint, "Merker");
  for (TLabel* untouched :
       {skipAll, underSkipAll, skipSelf, hook, hidden, underHidden, underShallow}) {
    EXPECT_EQ(untouched->Caption, "Inputs") << untouched->Name;
  }
  for (TLabel* translated : {underSkipSelf, underHook, shallow}) {
    EXPECT_EQ(translated->Caption, "Eingaenge") << translated->Name;
  }
  EXPECT_EQ(noCaption->Caption, "Inputs");
  EXPECT_EQ(noCaption->Hint, "Merker");

  TLabel root(nullptr, "Root", 9998);
  TLabel* child = new TLabel(&root, "Child");
  translator.Translate("DE", &root);
  EXPECT_EQ(root.Caption, "Inputs");
  EXPECT_EQ(child->Caption, "Eingaenge");
}

TEST_F(TranslTranslator, TextResourcesTranslateOnceWhenHandedOverNotInTheWalk) {
  TWtransl translator;
  translator.LanguageFile = Lng("a.lng", kGerman);
  TLabel module(nullptr, "Module");
  TTexts* texts = new TTexts(&module);
  translator.Translate("DE", &module);
  EXPECT_EQ(texts->Inputs, "Inputs");
  translator.Translate("DE", texts);
  EXPECT_EQ(texts->Inputs, "Eingaenge");
  EXPECT_EQ(texts->Unknown, "Not in the file");
  EXPECT_TRUE(texts->Translated());
  texts->Inputs = "Flags";
  translator.Translate("DE", texts);
  EXPECT_EQ(texts->Inputs, "Flags");
}

TEST_F(TranslTranslator, MissingFilesMeanNoPassAndEntriesOfEveryFileCount) {
  TWtransl translator;
  translator.LanguageFile = folder_.File("missing.lng");
  TLabel label(nullptr, "L");
  EXPECT_FALSE(translator.Translate("DE", &label));
  EXPECT_EQ(translator.LoadedCount(), -1);

  TWtransl twoFiles;
  twoFiles.LanguageFile = Lng("a.lng", kGerman) + "||" + Lng("empty.lng", "");
  EXPECT_TRUE(twoFiles.Translate("DE", &label));
  EXPECT_EQ(twoFiles.LoadedCount(), 2);
  EXPECT_EQ(label.Caption, "Eingaenge");
}

TEST_F(TranslTranslator, CharsetAndEncodingDecideHowTranslationsDecode) {
  TWtransl translator;
  translator.LanguageFile = Lng("ru.lng", "Charset=windows-1251\n\nEN:>Inputs\nRU:>\xC2\xF5\n\n") +
                            "|" + Lng("x.lng", "EN:>Flags\nRU:>\xCC\n\n");
  std::u16string text = u"Inputs";
  ASSERT_TRUE(translator.Translate("RU", nullptr, &text));
  EXPECT_EQ(text, u"\u0412\u0445");
  text = u"Flags";  // the directive holds for the files read after it
  translator.Translate("RU", nullptr, &text);
  EXPECT_EQ(text, u"\u041C");
  EXPECT_EQ(translator.Options().FontCharset, 204);

  translator.LanguageFile = Lng("u.lng",
                                "Encoding=utf-8\n\nEN:>Inputs\nJA:>\xE5\x85\xA5\xFF\xC3\n\n"
                                "EN:>Flags\nJA:>\xE3\x83\x95\n\n");
  text = u"Inputs";
  translator.Translate("JA", nullptr, &text);
  EXPECT_EQ(text.substr(0, 1), u"\u5165");  // invalid bytes replaced, the rest kept
  EXPECT_GE(text.size(), 2u);
  text = u"Flags";
  translator.Translate("JA", nullptr, &text);
  EXPECT_EQ(text, u"\u30D5");
}

TEST_F(TranslTranslator, DirectivesAreResetForEachLoadAndLocaleIsRestored) {
  const uint32_t before = platform::ThreadLocale();
  TWtransl translator;
  translator.LanguageFile =
      Lng("a.lng", "Locale=1049\nBiDiMode=righttoleft\n\nEN:>Inputs\nDE:>E\n\n");
  TLabel label(nullptr, "L");
  translator.Translate("DE", &label);
  EXPECT_EQ(platform::ThreadLocale(), 1049u);
  EXPECT_EQ(label.BiDiMode, 1);
  translator.LanguageFile = Lng("b.lng", kGerman);
  translator.Translate("FR", &label);
  EXPECT_EQ(platform::ThreadLocale(), before);
  EXPECT_EQ(translator.Options().RightToLeftMode, 0);
}

TEST_F(TranslTranslator, SaveUntranslatedCollectsInsteadOfTranslatingAndWritesAFreeName) {
  const std::string path = Lng("c.lng", std::string("//saveuntr\n//filenew\n\n") + kGerman);
  WriteFile(path + ".new", "taken");
  {
    TWtransl translator;
    translator.LanguageFile = path;
    TLabel label(nullptr, "L");
    label.Caption = "&Unknown\ttext";
    TLabel* other = new TLabel(&label, "O");
    other->Caption = "12:00";  // no letter: not collected
    EXPECT_TRUE(translator.Translate("DE", &label));
    EXPECT_EQ(label.Hint, "Flags");
    const std::set<std::string> expected{"&Unknown%09text"};
    EXPECT_EQ(translator.CollectedTexts(), expected);
  }
  EXPECT_EQ(ReadFile(path + ".new"), "taken");
  EXPECT_EQ(ReadFile(folder_.File("c.lng.1.new")),
            "[Languages]\r\n$EN = #1\r\n$DE = #2 (Default)\r\nDefault = DE\r\n\r\n"
            "EN:>&Unknown%09text\r\nDE:>\r\n\r\n\r\n");
}

TEST_F(TranslTranslator, SaveUnusedKeepsWhatWasNeverMetAcrossAReleaseAndAppends) {
  const std::string path = Lng("u.lng", std::string("//saveunused\n//fileappend\n\n") + kGerman);
  WriteFile(path + ".unused", "old\r\n");
  {
    TWtransl translator;
    translator.LanguageFile = path;
    TLabel label(nullptr, "L");
    label.Hint = "";
    translator.Translate("DE", &label);  // meets "Inputs"
    const std::set<std::string> unused{"Flags"};
    EXPECT_EQ(translator.CollectedTexts(), unused);
    TWtranslLanguagesList reloaded;
    translator.LoadDictionary(path, "EN", reloaded, "DE");
    EXPECT_EQ(translator.CollectedTexts(), unused);
  }
  EXPECT_EQ(ReadFile(path + ".unused"), "old\r\nEN:>Flags\r\nDE:>\r\n\r\n\r\n");
}

TEST_F(TranslTranslator, SaveWithObjectsNamesTheOwnerPath) {
  TWtransl translator;
  translator.LanguageFile = Lng("o.lng", std::string("//saveuntrobj\n\n") + kGerman);
  TLabel form(nullptr, "Form");
  TLabel* button = new TLabel(&form, "Button");
  button->Caption = "Go";
  translator.Translate("DE", &form);
  EXPECT_EQ(translator.CollectedTexts().count("[TLabel]Form -> [TLabel]Button.Caption=Go"), 1u);
  translator.LanguageFile = folder_.File("no-such-dir/o.lng");  // nothing written, no failure
}

TEST_F(TranslTranslator, ReleaseTimerFreesTheDictionaryAfterTheLastTranslation) {
  TWtransl translator;
  translator.LanguageFile = Lng("a.lng", kGerman);
  translator.ReleaseInterval = 20;
  TLabel label(nullptr, "L");
  ASSERT_TRUE(translator.Translate("DE", &label));
  EXPECT_TRUE(translator.HasDictionary());
  TmoxTimeout bound;
  bound.StartTimeout(10000);
  while (translator.HasDictionary() && !bound.Expired()) {
    platform::MsgWaitForAny(nullptr, 0, 50);
    ProcessMessages(0);
  }
  EXPECT_FALSE(translator.HasDictionary());
  EXPECT_EQ(translator.LoadedCount(), 0);
  TLabel again(nullptr, "L2");
  EXPECT_TRUE(translator.Translate("DE", &again));  // loads anew
  EXPECT_EQ(again.Caption, "Eingaenge");
}

TEST_F(TranslTranslator, DefaultLanguageComesFromTheFirstFileNamingLanguages) {
  TWtransl translator;
  translator.LanguageFile = Lng("host.lng", "[Languages]\nDefault = FR\n") + "|" +
                            Lng("own.lng", kGerman) + "|" +
                            Lng("late.lng", "[Languages]\n$IT = x\nDefault = IT\n");
  EXPECT_EQ(translator.ReadDefaultLanguage(), "DE");
  TLabel label(nullptr, "L");
  EXPECT_TRUE(translator.Translate("", &label));
  EXPECT_EQ(label.Caption, "Eingaenge");
}

TEST_F(TranslTranslator, ModuleWithoutItsOwnFileNeverTranslates) {
  Lng("plugins.lng", kGerman);
  TWtransl translator;
  const std::string host = folder_.File("");
  EXPECT_EQ(SetUpModuleTranslator(translator, host, folder_.File("simatic.dll")), "EN");
  EXPECT_TRUE(translator.LanguageFile.empty());
  TLabel label(nullptr, "L");
  EXPECT_FALSE(translator.Translate("DE", &label));
  EXPECT_EQ(label.Caption, "Inputs");

  Lng("simatic.lng", "[Languages]\n$EN = English\nDefault = EN\n");
  TWtransl withOwnFile;
  // "plugins.lng" names its languages first, so its default wins.
  EXPECT_EQ(SetUpModuleTranslator(withOwnFile, host, folder_.File("simatic.dll")), "DE");
  EXPECT_EQ(withOwnFile.LanguageFile, host + "plugins.lng|" + folder_.File("simatic.lng"));
  EXPECT_TRUE(withOwnFile.Translate("DE", &label));
  EXPECT_EQ(label.Caption, "Eingaenge");
}

}  // namespace
