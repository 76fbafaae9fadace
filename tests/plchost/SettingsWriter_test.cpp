#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "HostSetup.h"
#include "PlchostTestSupport.h"
#include "RequestPlan.h"
#include "SettingsWriter.h"
#include "settings/moxStringHolder.h"

// The settings plchost writes must be what the plug-in's own load pass reads.

namespace {

using plchost::ESettings;
using plchost_test::TTestFolder;

// UTF-8 in the file; line breaks, "%" and non-ASCII text must survive.
const std::string kTree =
    "<MODBUSRTUQUERY>\r\n"
    "  <Request caption=\"\xC3\x96l 50%\"><Enabled>1</Enabled><Area>5</Area>"
    "<Datablock>10</Datablock><Size>6</Size><RequestMethod><MethodPoll>1</MethodPoll>"
    "<PollInterval>2</PollInterval><PollUnits>S</PollUnits></RequestMethod>"
    "<Response><Item><Name>V</Name><Count>3</Count><DataType>D16</DataType></Item></Response>"
    "</Request>\r\n"
    "  <Request><Enabled>0</Enabled></Request>\r\n"
    "</MODBUSRTUQUERY>\r\n";

// What the plug-in loads from the location, through its own map and store.
std::unique_ptr<TDataSourceCfg> PluginLoad(const TSettingsLocation& location) {
  auto settings = std::make_unique<TDataSourceCfg>(nullptr);
  std::unique_ptr<TmoxStrHolder> map(CreateSettingsMap(nullptr));
  EXPECT_TRUE(LoadSettings(location, map.get(), settings.get(), {}));
  return settings;
}

plchost::TSettingsValues AllValues(const std::string& treeFile) {
  plchost::TSettingsValues values;
  values.Protocol = 5;
  values.CPURack = 1;
  values.CPUSlot = 3;
  values.LocalAddress = 0;
  values.RemoteAddress = 4;
  values.MinInterval = 250;
  values.RequestTreeFile = treeFile;
  return values;
}

TEST(PlchostSettings, WritesAnIniThePluginReadsBackEqual) {
  TTestFolder folder;
  TSettingsLocation location;
  location.IniFile = folder.File("plc.ini");
  TDataSourceCfg written(nullptr);
  plchost::WriteSettings(location, AllValues(folder.Write("tree.xml", "\xEF\xBB\xBF" + kTree)),
                         written);

  const auto loaded = PluginLoad(location);
  EXPECT_EQ(loaded->comboProto_ItemIndex, 5);
  EXPECT_EQ(loaded->spCPURack_Value, 1.0);
  EXPECT_EQ(loaded->spCPUSlot_Value, 3.0);
  EXPECT_EQ(loaded->spLocalAddress_Value, 0.0);
  EXPECT_EQ(loaded->spRemoteAddress_Value, 4.0);
  EXPECT_EQ(loaded->spMinInt_Value, 250.0);
  // The plug-in keeps text in the system code page: Windows-1252 "Ö".
  std::string expected = kTree;
  expected.replace(expected.find("\xC3\x96"), 2, "\xD6");
  EXPECT_EQ(loaded->lblParams_Caption, expected);
  EXPECT_EQ(loaded->lblParams_Caption, written.lblParams_Caption);
  EXPECT_EQ(loaded->Left, 326);

  const std::string ini = folder.Read("plc.ini");
  EXPECT_EQ(ini.rfind("[Common]", 0), 0u) << ini;
  EXPECT_NE(ini.find("Proto=5"), std::string::npos) << ini;
  EXPECT_NE(ini.find("CPU slot=3"), std::string::npos) << ini;
}

TEST(PlchostSettings, KeepsStoredValuesThatAreNotGivenAndUsesTheSectionPrefix) {
  TTestFolder folder;
  TSettingsLocation location;
  location.IniFile = folder.File("plc.ini");
  location.IniSectionPrefix = "Module1";
  folder.Write("plc.ini", "[Other]\nKeep=1\n");
  TDataSourceCfg first(nullptr);
  plchost::WriteSettings(location, AllValues(folder.Write("tree.xml", kTree)), first);

  plchost::TSettingsValues slotOnly;
  slotOnly.CPUSlot = 7;
  TDataSourceCfg second(nullptr);
  plchost::WriteSettings(location, slotOnly, second);

  const auto loaded = PluginLoad(location);
  EXPECT_EQ(loaded->spCPUSlot_Value, 7.0);
  EXPECT_EQ(loaded->comboProto_ItemIndex, 5);
  EXPECT_EQ(loaded->lblParams_Caption, first.lblParams_Caption);
  const std::string ini = folder.Read("plc.ini");
  EXPECT_NE(ini.find("[Other]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("Keep=1"), std::string::npos) << ini;
  EXPECT_NE(ini.find("[Module1.Common]"), std::string::npos) << ini;
}

TEST(PlchostSettings, ReadsAnIniAsItStandsAndRefusesAMissingOne) {
  TTestFolder folder;
  TSettingsLocation location;
  location.IniFile = folder.File("missing.ini");
  TDataSourceCfg settings(nullptr);
  EXPECT_THROW(plchost::ReadSettings(location, settings), ESettings);
  location.IniFile = folder.Write("empty.ini", "[Elsewhere]\nProto=1\n");
  EXPECT_THROW(plchost::ReadSettings(location, settings), ESettings);
  location.IniFile = folder.Write("plc.ini", "[Common]\nProto=6\nCPU slot=1\n");
  plchost::ReadSettings(location, settings);
  EXPECT_EQ(settings.comboProto_ItemIndex, 6);
  EXPECT_EQ(settings.spCPUSlot_Value, 1.0);
}

TEST(PlchostSettings, AMissingRequestTreeFileIsAnError) {
  TTestFolder folder;
  TSettingsLocation location;
  location.IniFile = folder.File("plc.ini");
  TDataSourceCfg settings(nullptr);
  EXPECT_THROW(plchost::WriteSettings(location, AllValues(folder.File("none.xml")), settings),
               ESettings);
}

TEST(PlchostRequestPlan, NamesTheRequestsAndTheirValues) {
  TDataSourceCfg settings(nullptr);
  settings.lblParams_Caption = kTree;
  const auto requests = plchost::PlanRequests(settings, {});
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Name, "\xC3\x96l 50%");
  EXPECT_TRUE(requests[0].Enabled);
  EXPECT_TRUE(requests[0].Poll);
  EXPECT_EQ(requests[0].PollInterval, 2000);
  EXPECT_EQ(requests[0].DBNumber, 10);
  EXPECT_EQ(requests[0].ValueNames, (std::vector<std::string>{"V0", "V1", "V2"}));
  EXPECT_EQ(requests[1].Name, "Request #2");
  EXPECT_FALSE(requests[1].Enabled);
}

TEST(PlchostRequestPlan, RefusesUnusableTreesWithAClearMessage) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "the request tree is empty"},
      {"<Requests><Request/></Requests>", "the request tree has no MODBUSRTUQUERY element"},
      {"<MODBUSRTUQUERY></MODBUSRTUQUERY></MODBUSRTUQUERY><Request/>",
       "the request tree is malformed"},
      {"<MODBUSRTUQUERY></MODBUSRTUQUERY>", "the request tree holds no request"},
      {"<MODBUSRTUQUERY><Request/><Request><Enabled>0</Enabled></Request></MODBUSRTUQUERY>",
       "the request tree holds no enabled request"},
  };
  for (const auto& [tree, expected] : cases) {
    TDataSourceCfg settings(nullptr);
    settings.lblParams_Caption = tree;
    try {
      plchost::PlanRequests(settings, {});
      ADD_FAILURE() << "accepted: " << tree;
    } catch (const ESettings& error) {
      EXPECT_EQ(std::string(error.what()).rfind(expected, 0), 0u) << error.what();
    }
  }
}

TEST(PlchostRequestPlan, WarnsWhenTheProtocolDoesNotSuitTheChannel) {
  EXPECT_NE(plchost::ChannelMismatch(5, plchost::TChannelKind::Serial), "");
  EXPECT_NE(plchost::ChannelMismatch(0, plchost::TChannelKind::Tcp), "");
  EXPECT_EQ(plchost::ChannelMismatch(0, plchost::TChannelKind::SerialTcp), "");
  EXPECT_EQ(plchost::ChannelMismatch(5, plchost::TChannelKind::Tcp), "");
  EXPECT_EQ(plchost::ChannelMismatch(4, plchost::TChannelKind::Serial), "");
  EXPECT_NE(plchost::ChannelMismatch(99, plchost::TChannelKind::Tcp), "") << "index 99 is mpi3";
  EXPECT_EQ(plchost::ChannelMismatch(9, plchost::TChannelKind::None), "");
  EXPECT_NE(plchost::ChannelMismatch(9, plchost::TChannelKind::SerialTcp), "") << "not used";
}

}  // namespace
