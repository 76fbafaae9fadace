// The settings object and the module's load and save of it through the
// property map, in INI and registry mode.

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "SettingsTestSupport.h"
#include "platform/Registry.h"
#include "settings/CfgOptionsProxy.h"
#include "settings/moxSettingsStore.h"
#include "settings/moxStringHolder.h"

namespace {

using namespace settings_test;

std::vector<std::pair<std::string, TPropertyValue>> Values(const TComponent& object) {
  std::vector<std::pair<std::string, TPropertyValue>> values;
  for (const TPropertyInfo* property : object.ClassInfo().Properties()) {
    values.emplace_back(property->Name, property->Get(object));
  }
  return values;
}

// Every property a load can change, set away from its initial value.
void FillNonDefault(TProxyCodeObject& settings) {
  settings.Left = -20;
  settings.Top = 0;
  settings.Height = 1000;
  settings.Width = 2147483647;
  settings.lblParams_Caption =
      "<requests>\r\n  <r name=\"50% + x\" area='DB'/>\n\t\xE4\xF6\xFC \xE9t\xE9 \x80 </requests> ";
  settings.OpenDialog_FileName = "C:\\Data\\my  files\\";
  settings.SaveDialog_FileName = "  +%%2B";
  settings.spMinInt_Value = 0.1;
  settings.comboProto_ItemIndex = 11;
  settings.spCPURack_Value = 255;
  settings.spCPUSlot_Value = 2.9;
  settings.spLocalAddress_Value = 1e-7;
  settings.spRemoteAddress_Value = 65535.5;
}

class SettingsObject : public ::testing::Test {
 protected:
  SettingsObject() {
    map_.SetStrings(ModuleMap());
    location_.IniFile = folder_.File("settings.ini");
    location_.IniSectionPrefix = "Module1";
  }

  TSettingsLog Collect() {
    return [this](TLogLevel level, const std::string& line) { log_.emplace_back(level, line); };
  }

  TempFolder folder_;
  TmoxStrHolder map_;
  TSettingsLocation location_;
  std::vector<std::pair<TLogLevel, std::string>> log_;
};

TEST_F(SettingsObject, PublishesThirteenPropertiesInOrderWithTheDialogsInitialValues) {
  TComponent module;
  auto* settings = new TProxyCodeObject(&module);
  EXPECT_EQ(settings->Owner(), &module);
  EXPECT_TRUE(settings->ClassInfo().InheritsFrom(TProxyCodeCustomObject::StaticClassInfo()));
  const auto values = Values(*settings);
  const std::vector<std::pair<std::string, TPropertyValue>> expected = {
      {"Name", std::string()},
      {"Tag", int32_t{0}},
      {"Left", int32_t{326}},
      {"Top", int32_t{144}},
      {"Height", int32_t{435}},
      {"Width", int32_t{481}},
      {"lblParams_Caption", std::string()},
      {"OpenDialog_FileName", std::string()},
      {"SaveDialog_FileName", std::string()},
      {"spMinInt_Value", 0.0},
      {"comboProto_ItemIndex", int32_t{2}},
      {"spCPURack_Value", 0.0},
      {"spCPUSlot_Value", 2.0},
      {"spLocalAddress_Value", 0.0},
      {"spRemoteAddress_Value", 2.0}};
  EXPECT_EQ(values, expected);
}

TEST_F(SettingsObject, CopyingIntoAnotherObjectChangesNothing) {
  TProxyCodeObject source(nullptr), target(nullptr);
  FillNonDefault(source);
  source.AssignTo(target);
  EXPECT_EQ(Values(target), Values(TProxyCodeObject(nullptr)));
}

TEST_F(SettingsObject, SaveWritesTheIniFileInTheMapsLayout) {
  TProxyCodeObject settings(nullptr);
  settings.lblParams_Caption = "<r>\r\n50%+1 \xE9</r>";
  settings.comboProto_ItemIndex = 5;
  EXPECT_TRUE(SaveSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(ReadFile(location_.IniFile),
            "[Module1.Common]\r\nLeft=326\r\nTop=144\r\nHeight=435\r\nWidth=481\r\n"
            "Parser config=<r>%0D%0A50%%%2B1 %C3%A9</r>\r\nOpen files dir=\r\n"
            "Save files dir=\r\nMin interval=0\r\nLocal address=0\r\nRemote address=2\r\n"
            "CPU rack=0\r\nCPU slot=2\r\nProto=5\r\n\r\n");
  EXPECT_TRUE(log_.empty());
}

TEST_F(SettingsObject, LoadReadsTheLayoutBackAndKeepsAbsentValues) {
  WriteFile(location_.IniFile,
            "[Other]\r\nProto=9\r\n\r\n[module1.common]\r\nproto = 7\r\n"
            "Parser config=<a>%0D%0A+%%</a>\r\nCPU slot=3,5\r\n");
  TProxyCodeObject settings(nullptr);
  EXPECT_TRUE(LoadSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(settings.comboProto_ItemIndex, 7);
  EXPECT_EQ(settings.lblParams_Caption, "<a>\r\n %</a>");
  EXPECT_EQ(settings.spCPUSlot_Value, 3.5);
  EXPECT_EQ(settings.Left, 326);
  EXPECT_EQ(settings.spRemoteAddress_Value, 2.0);
}

TEST_F(SettingsObject, LoadFromAnEmptyStoreKeepsEveryInitialValue) {
  TProxyCodeObject settings(nullptr);
  EXPECT_FALSE(LoadSettings(location_, &map_, &settings, Collect()));  // no file: registry
  WriteFile(location_.IniFile, "");
  EXPECT_FALSE(LoadSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(Values(settings), Values(TProxyCodeObject(nullptr)));
  EXPECT_TRUE(log_.empty());
}

TEST_F(SettingsObject, SaveThenLoadIntoAFreshObjectGivesEqualValuesInIniMode) {
  TProxyCodeObject saved(nullptr);
  FillNonDefault(saved);
  EXPECT_TRUE(SaveSettings(location_, &map_, &saved, Collect()));
  TProxyCodeObject loaded(nullptr);
  EXPECT_TRUE(LoadSettings(location_, &map_, &loaded, Collect()));
  EXPECT_EQ(Values(loaded), Values(saved));
}

TEST_F(SettingsObject, SaveThenLoadIntoAFreshObjectGivesEqualValuesInRegistryMode) {
  const std::string path = "Software\\MoxSettingsObjectTests\\" + UniqueName();
  location_.IniFile.clear();
  location_.RegistryPath = "\\" + path;
  TProxyCodeObject saved(nullptr);
  FillNonDefault(saved);
  EXPECT_TRUE(SaveSettings(location_, &map_, &saved, Collect()));
  TProxyCodeObject loaded(nullptr);
  EXPECT_TRUE(LoadSettings(location_, &map_, &loaded, Collect()));
  EXPECT_EQ(Values(loaded), Values(saved));
  for (auto root : {platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser}) {
    platform::DeleteRegistryTree(root, path);
  }
}

TEST_F(SettingsObject, CommentsEmptyLinesAndUnknownControlsStoreNothing) {
  map_.SetStrings({";---short---", "", "Label1.Caption,X", "  ", "Left;Left"});
  TProxyCodeObject settings(nullptr);
  EXPECT_TRUE(SaveSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(ReadFile(location_.IniFile), "[Module1.Common]\r\nLeft=326\r\n\r\n");
  WriteFile(location_.IniFile, "[Module1.Common]\r\nX=1\r\n;---short---=2\r\nLeft=3\r\n");
  EXPECT_TRUE(LoadSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(settings.Left, 3);
}

TEST_F(SettingsObject, WithoutMapOrObjectNothingIsReadOrWritten) {
  TProxyCodeObject settings(nullptr);
  EXPECT_FALSE(SaveSettings(location_, nullptr, &settings, Collect()));
  EXPECT_FALSE(SaveSettings(location_, &map_, nullptr, Collect()));
  EXPECT_FALSE(LoadSettings(location_, nullptr, &settings, Collect()));
  EXPECT_TRUE(ReadFile(location_.IniFile).empty());
  EXPECT_TRUE(log_.empty());
}

TEST_F(SettingsObject, MalformedStoredTextKeepsDefaultsWhereNothingUsableIsFound) {
  WriteFile(location_.IniFile,
            "garbage without equals\r\n[Module1.Common\r\n=no name\r\n[Module1.Common]\r\n"
            "Parser config=50%\r\nOpen files dir=%4\r\nSave files dir=%ZZ%\xFF\r\n"
            "Top\r\n\x01\x02\r\n");
  TProxyCodeObject settings(nullptr);
  EXPECT_TRUE(LoadSettings(location_, &map_, &settings, Collect()));
  EXPECT_EQ(settings.lblParams_Caption, "50%");
  EXPECT_EQ(settings.OpenDialog_FileName, "%4");
  EXPECT_EQ(settings.SaveDialog_FileName, "%ZZ%\xFF");
  EXPECT_EQ(settings.Top, 144);
  EXPECT_EQ(settings.comboProto_ItemIndex, 2);
}

// A settings object whose one property fails with something that is no
// standard exception, which only the module's own guard catches.
class TFailingSettings : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TFailingSettings", &TComponent::StaticClassInfo(),
        {TPropertyInfo{"Left", TPropertyType::Integer,
                       [](const TComponent&) -> TPropertyValue { throw 42; },
                       [](TComponent&, const TPropertyValue&) { throw 42; }}});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};

TEST_F(SettingsObject, APassThatThrowsIsLoggedAsAnErrorAndReportsFailure) {
  WriteFile(location_.IniFile, "[Module1.Common]\r\nLeft=1\r\n");
  TFailingSettings settings;
  EXPECT_FALSE(LoadSettings(location_, &map_, &settings, Collect()));
  EXPECT_FALSE(SaveSettings(location_, &map_, &settings, nullptr));  // no log: still no crash
  const std::vector<std::pair<TLogLevel, std::string>> expected = {
      {TLogLevel::Error, "{LoadSettings} unknown exception"}};
  EXPECT_EQ(log_, expected);
  // The INI lock was released: a following pass works.
  TProxyCodeObject fresh(nullptr);
  EXPECT_TRUE(LoadSettings(location_, &map_, &fresh, Collect()));
  EXPECT_EQ(fresh.Left, 1);
}

}  // namespace
