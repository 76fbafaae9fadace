// The Siemens module's settings: the protocol table, how the numeric settings
// reach their users, the property map and the reload with its request-list seam.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "plc/PluginDM_Settings.h"
#include "settings/moxStringHolder.h"

namespace {

namespace fs = std::filesystem;

TEST(ProtocolTable, IndexesSelectTheDialogsProtocolsAndTheirTransport) {
  EXPECT_STREQ(ProtocolEntry(0).Text, "MPI protocol");
  EXPECT_EQ(ProtocolEntry(4).Protocol, daveProtoPPI);
  EXPECT_EQ(ProtocolEntry(9).Protocol, daveProtoS7Online);
  EXPECT_EQ(ProtocolEntry(9).Transport, TTransportPath::FifoCallbacks);
  EXPECT_STREQ(ProtocolEntry(11).Text, "Deltalogic NetLink-PRO TCP/MPI adapter");
  int listeners = 0;
  for (int32_t index = 0; index < kProtocolCount; ++index) {
    EXPECT_EQ(ProtocolEntry(index).Protocol, static_cast<TNoDaveProtocol>(index));
    listeners += ProtocolEntry(index).Transport == TTransportPath::LoopbackListener;
  }
  EXPECT_EQ(listeners, 5);  // ISO over TCP twice, IBH-Link twice, NetLink-PRO
}

TEST(ProtocolTable, IndexesOutsideTheListSelectTheStep7MpiProtocol) {
  for (int32_t index :
       {12, -1, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    EXPECT_EQ(&ProtocolEntry(index), &ProtocolEntry(2)) << index;
  }
  EXPECT_EQ(ProtocolEntry(2).Protocol, daveProtoMPI3);
}

TEST(NumericSettings, AreTruncatedTowardZeroAndStayInRange) {
  EXPECT_EQ(TruncateSetting(2.9, 7), 2);
  EXPECT_EQ(TruncateSetting(3.99, 7), 3);
  EXPECT_EQ(TruncateSetting(-0.99, 7), 0);
  EXPECT_EQ(TruncateSetting(-2.5, 7), -2);
  EXPECT_EQ(TruncateSetting(1e300, 7), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(TruncateSetting(-INFINITY, 7), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TruncateSetting(std::nan(""), 7), 7);
}

TEST(NumericSettings, AFreshObjectGivesTheDefaultLink) {
  TComponent module;
  auto* settings = new TDataSourceCfg(&module);
  EXPECT_TRUE(settings->ClassInfo().InheritsFrom(TProxyCodeObject::StaticClassInfo()));
  EXPECT_EQ(settings->ClassInfo().ClassName(), "TDataSourceCfg");
  const TLinkSettings link = LinkSettingsOf(*settings);
  EXPECT_EQ(link.Protocol, daveProtoMPI3);
  EXPECT_EQ(link.Transport, TTransportPath::FifoCallbacks);
  EXPECT_EQ(link.CPURack, 0);
  EXPECT_EQ(link.CPUSlot, 2);
  EXPECT_EQ(link.MPILocal, 0);
  EXPECT_EQ(link.MPIRemote, 2);
  EXPECT_EQ(MinIntervalOf(*settings), 0);
  EXPECT_TRUE(settings->lblParams_Caption.empty());
}

TEST(NumericSettings, StoredValuesReachTheLinkTruncatedAndNoNumberFallsBackToTheDefault) {
  TDataSourceCfg settings(nullptr);
  settings.comboProto_ItemIndex = 5;
  settings.spCPUSlot_Value = 2.9;
  settings.spRemoteAddress_Value = 3.99;
  settings.spLocalAddress_Value = std::nan("");
  settings.spCPURack_Value = std::nan("");
  settings.spMinInt_Value = 250.7;
  const TLinkSettings link = LinkSettingsOf(settings);
  EXPECT_EQ(link.Protocol, daveProtoISOTCP);
  EXPECT_EQ(link.Transport, TTransportPath::LoopbackListener);
  EXPECT_EQ(link.CPUSlot, 2);
  EXPECT_EQ(link.MPIRemote, 3);
  EXPECT_EQ(link.MPILocal, 0);
  EXPECT_EQ(link.CPURack, 0);
  EXPECT_EQ(MinIntervalOf(settings), 250);
  settings.spCPUSlot_Value = std::nan("");
  EXPECT_EQ(LinkSettingsOf(settings).CPUSlot, 2);
}

TEST(SettingsMap, IsTheModulesPropertiesComponentWithItsSeventeenLines) {
  TComponent module;
  TmoxStrHolder* map = CreateSettingsMap(&module);
  EXPECT_EQ(map->Owner(), &module);
  EXPECT_EQ(map->Name, "Properties");
  EXPECT_EQ(map->Tag, 9999);
  EXPECT_EQ(map->Capacity(), 28);
  EXPECT_EQ(map->KeyString, "");
  const std::vector<std::string> expected = {"Left,Left",
                                             "Top,Top",
                                             "Height,Height",
                                             "Width,Width",
                                             ";---short---",
                                             "lblParams.Caption,Parser config",
                                             "OpenDialog.FileName,Open files dir",
                                             "SaveDialog.FileName,Save files dir",
                                             "spMinInt.Value,Min interval",
                                             "",
                                             "spLocalAddress.Value,Local address",
                                             "spRemoteAddress.Value,Remote address",
                                             "spCPURack.Value,CPU rack",
                                             "spCPUSlot.Value,CPU slot",
                                             "",
                                             "comboProto.ItemIndex,Proto",
                                             ""};
  EXPECT_EQ(map->Strings(), expected);
}

// A module's reload over an INI file in a fresh folder, with the engines'
// part recorded.
class Reload : public ::testing::Test {
 protected:
  Reload() {
    folder_ =
        fs::temp_directory_path() /
        ("mox-plc-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(folder_);
    location_.IniFile = (folder_ / "settings.ini").string();
    location_.IniSectionPrefix = "Module1";
    hooks_.RebuildRequestLists = [this](const TDataSourceCfg& settings) {
      calls_.push_back("rebuild " + settings.lblParams_Caption);
      if (settings.lblParams_Caption == "<bad") throw std::runtime_error("Unclosed tag");
    };
    hooks_.UpdateEngineTimers = [this] { calls_.push_back("timers"); };
    hooks_.Log = [this](TLogLevel level, const std::string& line) {
      calls_.push_back("log " + std::to_string(static_cast<int>(level)) + " " + line);
    };
  }
  ~Reload() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  void WriteIni(const std::string& content) {
    std::ofstream(location_.IniFile, std::ios::binary) << content;
  }

  fs::path folder_;
  TComponent module_;
  TmoxStrHolder* map_ = CreateSettingsMap(&module_);
  TDataSourceCfg* settings_ = new TDataSourceCfg(&module_);
  TSettingsLocation location_;
  TSettingsReloadHooks hooks_;
  std::vector<std::string> calls_;
};

TEST_F(Reload, LoadsThenRebuildsAndReenablesTimersOnlyWhenAsked) {
  WriteIni("[Module1.Common]\r\nParser config=<r/>\r\nProto=12\r\nCPU slot=4.5\r\n");
  ReloadSettings(location_, *map_, *settings_, false, hooks_);
  EXPECT_EQ(calls_, std::vector<std::string>{"rebuild <r/>"});
  EXPECT_EQ(LinkSettingsOf(*settings_).Protocol, daveProtoMPI3);
  EXPECT_EQ(LinkSettingsOf(*settings_).CPUSlot, 4);
  calls_.clear();
  ReloadSettings(location_, *map_, *settings_, true, hooks_);
  EXPECT_EQ(calls_, (std::vector<std::string>{"rebuild <r/>", "timers"}));
}

TEST_F(Reload, AFailedRebuildIsLoggedAndTheTimersAreStillReenabled) {
  WriteIni("[Module1.Common]\r\nParser config=<bad\r\n");
  ReloadSettings(location_, *map_, *settings_, true, hooks_);
  const std::vector<std::string> expected = {
      "rebuild <bad", "log 0 Error on items formation (Unclosed tag)", "timers"};
  EXPECT_EQ(calls_, expected);
}

TEST_F(Reload, WorksWithoutEnginesAndWithoutStoredValues) {
  ReloadSettings(location_, *map_, *settings_, true, TSettingsReloadHooks{});
  EXPECT_EQ(settings_->comboProto_ItemIndex, 2);
  EXPECT_FALSE(fs::exists(location_.IniFile));
}

TEST_F(Reload, SaveWithoutASettingsObjectWritesNothing) {
  EXPECT_FALSE(SaveSettings(location_, map_, nullptr, hooks_.Log));
  EXPECT_FALSE(fs::exists(location_.IniFile));
  EXPECT_TRUE(SaveSettings(location_, map_, settings_, hooks_.Log));
  EXPECT_TRUE(fs::exists(location_.IniFile));
  EXPECT_TRUE(calls_.empty());
}

}  // namespace
