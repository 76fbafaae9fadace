// The settings store in INI mode, over whole passes as the module runs them.

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"
#include "platform/Locale.h"
#include "settings/TWregistry.h"

namespace {

using namespace settings_test;

class IniMode : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::string ini_ = folder_.File("settings.ini");
};

TEST_F(IniMode, SaveWritesTheMapInItsLayout) {
  TTestSettings settings;
  settings.spMinInt_Value = 2.5;
  settings.lblParams_Caption = "  <r>\r\n 50%</r>";
  auto store = MakeStore(ini_, "Module1");
  EXPECT_TRUE(store->SaveValues(&settings));
  EXPECT_EQ(store->RootObject, nullptr);
  EXPECT_EQ(store->Components, ModuleMap());
  const std::string separator(1, platform::UserDecimalSeparator());
  EXPECT_EQ(ReadFile(ini_),
            "[Module1.Common]\r\nLeft=326\r\nTop=144\r\nHeight=435\r\nWidth=481\r\n"
            "Parser config=++<r>%0D%0A 50%%</r>\r\nOpen files dir=\r\nSave files dir=\r\n"
            "Min interval=2" +
                separator +
                "5\r\nLocal address=0\r\nRemote address=2\r\n"
                "CPU rack=0\r\nCPU slot=2\r\nProto=2\r\n\r\n");
}

TEST_F(IniMode, SectionFollowsPrefixAndSubPath) {
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "Module1/", {"Left,Left"})->SaveValues(&settings));
  EXPECT_TRUE(MakeStore(ini_, "", {"Top,Top"})->SaveValues(&settings));
  EXPECT_TRUE(MakeStore(ini_, "Module1", {"Width,Sub\\\\Dir\\\\Name"})->SaveValues(&settings));
  EXPECT_EQ(ReadFile(ini_),
            "[Module1]\r\nLeft=326\r\n\r\n[Common]\r\nTop=144\r\n\r\n"
            "[Module1.Sub.Dir]\r\nName=481\r\n\r\n");
}

TEST_F(IniMode, SaveThenLoadGivesEqualValues) {
  TTestSettings saved;
  saved.Left = -5;
  saved.Top = 0;
  saved.lblParams_Caption = "<requests>\r\n  <r area=\"DB\" size='4'/>  \r\n</requests>% +caf\xE9 ";
  saved.OpenDialog_FileName = "C:\\Data\\my file.csv";
  saved.spMinInt_Value = 0.1;
  saved.spCPURack_Value = -1e-7;
  saved.spRemoteAddress_Value = 1e20;
  saved.comboProto_ItemIndex = 7;
  EXPECT_TRUE(MakeStore(ini_, "Module1")->SaveValues(&saved));

  TTestSettings loaded;
  EXPECT_TRUE(MakeStore(ini_, "Module1")->LoadValues(&loaded));
  for (const TPropertyInfo* property : loaded.ClassInfo().Properties()) {
    EXPECT_EQ(property->Get(loaded), property->Get(saved)) << property->Name;
  }
}

TEST_F(IniMode, LoadReadsHexIntegersAndEitherDecimalSeparator) {
  WriteFile(ini_, "[Common]\r\nLeft=0x1F\r\nMin interval=2,5\r\nCPU rack=1.25\r\n");
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "")->LoadValues(&settings));
  EXPECT_EQ(settings.Left, 31);
  EXPECT_EQ(settings.spMinInt_Value, 2.5);
  EXPECT_EQ(settings.spCPURack_Value, 1.25);
  EXPECT_EQ(settings.Top, 144);  // absent: unchanged
}

TEST_F(IniMode, OnlyMappedExistingPropertiesAreStored) {
  TTestSettings settings;
  const std::vector<std::string> map = {"Label1.Caption,X", ";Left,Y", "", "*Top,Z", "Version,V"};
  EXPECT_TRUE(MakeStore(ini_, "", map)->SaveValues(&settings));
  EXPECT_EQ(ReadFile(ini_), "[Common]\r\nV=5.0\r\n\r\n");
  WriteFile(ini_, "[Common]\r\nX=1\r\nY=2\r\nZ=3\r\nV=6.0\r\n");
  EXPECT_TRUE(MakeStore(ini_, "", map)->LoadValues(&settings));  // V is present
  EXPECT_EQ(settings.Version(), "5.0");                          // but read-only
  EXPECT_EQ(settings.Left, 326);
  EXPECT_EQ(settings.Top, 144);
}

TEST_F(IniMode, KeepsTheHostsOtherSectionsAndKeys) {
  WriteFile(ini_,
            "; written by the host\r\n[Host]\r\nWindow=3\r\n\r\n[Module1.Common]\r\n"
            "Left=1\r\nHostKey=x\r\n");
  TTestSettings settings;
  EXPECT_TRUE(MakeStore(ini_, "Module1", {"Left,Left", "Top,Top"})->SaveValues(&settings));
  EXPECT_EQ(ReadFile(ini_),
            "; written by the host\r\n\r\n[Host]\r\nWindow=3\r\n\r\n[Module1.Common]\r\n"
            "Left=326\r\nHostKey=x\r\nTop=144\r\n\r\n");
}

TEST_F(IniMode, MissingFileLoadsFromTheRegistryAndTheSaveCreatesIt) {
  TTestSettings settings;
  auto load = MakeStore(ini_, "Module1");
  load->RegistryPath = "\\Software\\MoxSettingsTests\\" + UniqueName();  // exists nowhere
  EXPECT_FALSE(load->LoadValues(&settings));
  EXPECT_EQ(settings.comboProto_ItemIndex, 2);
  EXPECT_EQ(settings.spCPUSlot_Value, 2);
  EXPECT_TRUE(MakeStore(ini_, "Module1")->SaveValues(&settings));
  EXPECT_NE(ReadFile(ini_).find("Proto=2"), std::string::npos);
}

TEST_F(IniMode, CustomModeStoresNothing) {
  TTestSettings settings;
  auto store = MakeStore("$CUSTOM$", "Module1");
  EXPECT_TRUE(store->SaveValues(&settings));
  EXPECT_FALSE(store->LoadValues(&settings));
}

}  // namespace
