// The module's dispatch where a concrete module takes part through its hooks.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "PluginTestSupport.h"

namespace {

class THookedModule : public TmoxPlugin {
 public:
  using TmoxPlugin::TmoxPlugin;
  std::vector<std::string> Calls;
  bool ThrowInHooks = false;

 protected:
  void DoCreate() override {
    LogTitle = "Test";
    auto note = [this](const std::string& what) {
      Calls.push_back(what);
      if (ThrowInHooks) throw std::runtime_error(what + " failed");
    };
    OnLoad = [note](TmoxPlugin&, const TPluginCall&, int32_t&) { note("load"); };
    OnUnload = [note](TmoxPlugin&, const TPluginCall&, int32_t&) { note("unload"); };
    OnSaveSettingsNow = [note](TmoxPlugin&) { note("save"); };
    OnLoadSettingsNow = [note](TmoxPlugin&) { note("loadnow"); };
    OnBeforeGetParserItems = [note](TmoxPlugin&) { note("items"); };
    OnChangeState = [note](TmoxPlugin&, uint8_t) { note("state"); };
    OnEvent = [note](TmoxPlugin&, const std::string& type, const TPluginCall&, int32_t& result) {
      note("event " + type);
      result = 7;
    };
    OnCommand = [note](TmoxPlugin&, const std::string& command, const TPluginCall&,
                       int32_t& result) {
      note("command " + command);
      result = 5;
    };
  }
};

std::unique_ptr<THookedModule> MakeModule() {
  std::unique_ptr<TmoxPlugin> module = TmoxPlugin::Create<THookedModule>(nullptr, 0);
  return std::unique_ptr<THookedModule>(static_cast<THookedModule*>(module.release()));
}

}  // namespace

TEST(ModuleHooks, LoadCountingCallsTheHooksOnceEachWay) {
  auto module = MakeModule();
  TTestCall call;
  EXPECT_EQ(call.Run(*module, "LOAD"), 0);
  EXPECT_EQ(call.Run(*module, "LOAD"), 0);
  EXPECT_EQ(call.Run(*module, "UNLOAD"), 0);
  EXPECT_FALSE(module->Unloaded);
  EXPECT_EQ(call.Run(*module, "UNLOAD"), 0);
  EXPECT_TRUE(module->Unloaded);
  EXPECT_EQ(call.Run(*module, "UNLOAD"), 0);
  EXPECT_EQ(module->LoadCount, 0);
  // "INI-FILE" equal to the current one (both empty) saves nothing.
  EXPECT_EQ(module->Calls, (std::vector<std::string>{"load", "unload"}));
}

TEST(ModuleHooks, UnloadWithAnotherIniFileSavesAndIgnoresHookFailures) {
  auto module = MakeModule();
  TTestCall load;
  load.Run(*module, "LOAD");
  module->ThrowInHooks = true;
  TTestCall unload;
  unload.Set("INI-FILE", "other.ini");
  EXPECT_EQ(unload.Run(*module, "UNLOAD"), 0);
  EXPECT_EQ(module->IniFile, "other.ini");
  EXPECT_EQ(module->Calls, (std::vector<std::string>{"load", "save", "unload"}));
}

TEST(ModuleHooks, AThrowingHookGivesMinusThreeAndANamedLogLine) {
  auto module = MakeModule();
  module->ThrowInHooks = true;
  TTestCall call;
  EXPECT_EQ(call.Run(*module, "LOAD"), -3);
  call.Set("EVENT-TYPE", "PORT-OPEN");
  EXPECT_EQ(call.Run(*module, "EVENT"), -3);
  EXPECT_EQ(call.Run(*module, "MY-COMMAND"), -3);
  EXPECT_EQ(FetchLog(*module),
            "\x01Test. {LOAD} load failed\r\n"
            "\x01Test. {EVENT} event PORT-OPEN failed\r\n"
            "\x01Test. {MY-COMMAND} command MY-COMMAND failed\r\n");
}

TEST(ModuleHooks, CommandsAreCaseSensitiveAndUnknownOnesGoToTheHook) {
  auto module = MakeModule();
  TTestCall call;
  EXPECT_EQ(call.Run(*module, "load"), 5);
  EXPECT_EQ(module->LoadCount, 0);
  call.Set("EVENT-TYPE", "PORT-OPEN");
  EXPECT_EQ(call.Run(*module, "EVENT"), 7);
  EXPECT_EQ(module->Calls, (std::vector<std::string>{"command load", "event PORT-OPEN"}));
}

TEST(ModuleHooks, NestedCommandsOnOneThreadAreRefused) {
  auto module = MakeModule();
  int32_t inner = 0;
  bool refused = false;
  module->OnCommand = [&](TmoxPlugin& self, const std::string&, const TPluginCall&,
                          int32_t& result) {
    TTestCall nested;
    try {
      inner = nested.Run(self, "ITEMS");
    } catch (const EPluginAssertion& e) {
      refused = std::string(e.what()).find("Nested plugin commands are not allowed") == 0;
    }
    result = 0;
  };
  TTestCall call;
  EXPECT_EQ(call.Run(*module, "OUTER"), 0);
  EXPECT_TRUE(refused);
  EXPECT_EQ(inner, 0);
  // The depth is back to zero: the next command runs.
  call.Set("RESULT", "");
  EXPECT_EQ(call.Run(*module, "ITEMS"), 0);
}

TEST(ModuleHooks, SettingsCommandsSaveUnlessNoSaveSaysOtherwise) {
  auto module = MakeModule();
  module->IniFile = "own.ini";
  std::string savedInto;
  module->OnSaveSettingsNow = [&](TmoxPlugin& self) { savedInto = self.IniFile; };
  TTestCall save;
  save.Set("INI-FILE", "there.ini");
  EXPECT_EQ(save.Run(*module, "SAVE-SETTINGS-NOW"), -2);
  EXPECT_EQ(savedInto, "there.ini");
  EXPECT_EQ(module->IniFile, "own.ini");

  savedInto.clear();
  TTestCall noSave;
  noSave.Set("NO-SAVE", TVariant::OfI4(0));
  EXPECT_EQ(noSave.Run(*module, "SAVE-SETTINGS-NOW"), -2);
  EXPECT_EQ(savedInto, "");

  TTestCall load;
  load.Set("INI-FILE", "there.ini").Set("NO-SAVE", "1");
  EXPECT_EQ(load.Run(*module, "LOAD-SETTINGS-NOW"), -2);
  EXPECT_EQ(savedInto, "own.ini");  // loads from there, saves into its own file
  EXPECT_EQ(module->Calls, (std::vector<std::string>{"loadnow"}));
}

TEST(ModuleHooks, SetStateReadsSourcesAndStateBits) {
  auto module = MakeModule();
  TTestCall call;
  call.Set("DATA-SOURCES-IN-CFG", "abc;X;Y\r\n5;Name;Full\r\n7\r\n")
      .Set("DATA-SOURCE-LOAD", "5;Name;Full")
      .Set("RESULT", TVariant::OfI4(1));
  call.Record().DataFlags = 0x03;
  EXPECT_EQ(call.Run(*module, "SET-STATE"), 0);
  ASSERT_EQ(module->DataSources.size(), 2u);
  EXPECT_EQ(module->DataSources[0].Id, 5);
  EXPECT_EQ(module->DataSources[0].Name, "Name");
  EXPECT_EQ(module->DataSources[0].FullName, "Full");
  EXPECT_EQ(module->DataSources[1].Name, "");
  EXPECT_EQ(module->DataSourceLoad, "5;Name;Full");
  EXPECT_TRUE(module->State(0));
  EXPECT_TRUE(module->State(1));
  EXPECT_FALSE(module->State(2));

  TTestCall off;
  off.Set("RESULT", TVariant::OfI4(0));
  off.Record().DataFlags = 0x01;
  EXPECT_EQ(off.Run(*module, "SET-STATE"), 0);
  EXPECT_FALSE(module->State(0));
  EXPECT_TRUE(module->State(1));

  TTestCall none;
  EXPECT_EQ(none.Run(*module, "SET-STATE"), -1);
}

TEST(ModuleHooks, ItemsNeedsAResultItemBeforeTheHookRuns) {
  auto module = MakeModule();
  TTestCall call;
  EXPECT_EQ(call.Run(*module, "ITEMS"), -1);
  EXPECT_TRUE(module->Calls.empty());
  TTestCall set;
  set.Set("ITEMS", TVariant::OfI4(3));
  EXPECT_EQ(set.Run(*module, "SET-ITEMS"), -1);  // not a string
}

TEST(ModuleHooks, ALanguageTranslatesAgainAndTellsTheModule) {
  auto module = MakeModule();
  int changed = 0;
  module->OnLanguageChanged = [&](TmoxPlugin&) { ++changed; };
  TTestCall none;
  none.Run(*module, "LOAD");
  EXPECT_EQ(changed, 0);
  TTestCall same;
  same.Set("LANGUAGE", module->Language);
  same.Run(*module, "LOAD");
  EXPECT_EQ(changed, 1);
  TTestCall other;
  other.Set("LANGUAGE", "DE");
  other.Run(*module, "LOAD");
  EXPECT_EQ(changed, 2);
  EXPECT_EQ(module->Language, "DE");
}

// Engine threads log while host commands change the message window, the log
// title and the load state: each line carries one whole title.
TEST(ModuleThreads, LinesLoggedBesideCommandsCarryAWholeTitle) {
  auto module = MakeModule();
  std::atomic<bool> done{false};
  std::atomic<int> lines{0};
  std::thread logger([&] {
    while (!done || lines == 0) {
      module->Log(TLogLevel::Information, "line");
      ++lines;
    }
  });
  for (int round = 0; round < 200; ++round) {
    TTestCall title;
    title.Set("MSG-PROC-HANDLE", TVariant::OfI4(0));
    title.Set("PARAM", "LogTitle").Set("VALUE", round % 2 == 0 ? "Even" : "Odd");
    EXPECT_EQ(title.Run(*module, "SET-MODULE-PARAMETER"), 0);
    TTestCall load;
    load.Set("MSG-PROC-HANDLE", TVariant::OfI4(0));
    EXPECT_EQ(load.Run(*module, "LOAD"), 0);
    EXPECT_EQ(load.Run(*module, "UNLOAD"), 0);
  }
  done = true;
  logger.join();
  module->Log(TLogLevel::Information, "last");
  const std::string log = FetchLog(*module);
  EXPECT_NE(log.find("Odd. last"), std::string::npos);
  EXPECT_GT(lines.load(), 0);
}
