#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "HostTestSupport.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Library.h"
#include "platform/Version.h"

// What the Siemens module answers through the exports before and after it is
// loaded and enabled: host events, its parser items and its version.

namespace {

using host::TCommandParams;

TVariant Text(const std::string& text) { return TVariant::OfAnsi(text); }

constexpr char kStandardItems[] =
    "Full data packet|FULL_DATA_PACKET|String|\r\n"
    "Data packet|DATA_PACKET|String|\r\n"
    "Datetime stamp|DATE_TIME_STAMP|DateTime|\r\n"
    "Data source ID|DATA_SOURCE_ID|Integer|\r\n"
    "Data source name|DATA_SOURCE_NAME|String|\r\n"
    "Data source long name|DATA_SOURCE_FULL_NAME|String|\r\n";
constexpr char kPlcItems[] =
    "Local address|LOCAL_ADDRESS|Integer|\r\n"
    "Remote address|REMOTE_ADDRESS|Integer|\r\n"
    "Memory area|AREA|Integer|\r\n"
    "Data block|DATABLOCK|Integer|";

class ModuleAnswers : public host_test::TPluginTest {
 protected:
  host::TCommandResult Event(uintptr_t instance, const std::string& type) {
    return Run(instance, "EVENT", {{"EVENT-TYPE", Text(type)}}, true);
  }
  void SetState0(uintptr_t instance, int32_t on) {
    TPluginCallRec record = host::MakeCallRecord(instance);
    record.DataFlags = 0x01;
    ASSERT_EQ(host::RunCommand(Exports().ExecutePluginCommand, record, "SET-STATE",
                               {{"RESULT", TVariant::OfI4(on)}})
                  .Code,
              0);
  }
  std::string Items(uintptr_t instance) {
    const host::TCommandResult items = Run(instance, "ITEMS", {}, true);
    EXPECT_EQ(items.Code, 0);
    return VarToAnsi(items.Result);
  }
};

// Events other than "GetMemoryTypeList" are taken only while state flag 0 is
// set; until then the command refuses them (-1) and answers nothing.
TEST_F(ModuleAnswers, EventsFollowStateFlagZero) {
  const uintptr_t instance = Create();
  Load(instance);
  struct TCase {
    std::string Type;
    int32_t WhileClear;
    int32_t WhileSet;
  };
  const std::vector<TCase> cases = {
      {"PORT-OPEN", -1, 0},     {"port-open", -1, 0}, {"PORT-CLOSE", -1, 0},
      {"NO-SUCH-EVENT", -1, 0}, {"", -1, 0},
  };
  for (const int32_t on : {0, 1, 0}) {
    SetState0(instance, on);
    for (const TCase& c : cases) {
      const host::TCommandResult result = Event(instance, c.Type);
      EXPECT_EQ(result.Code, on == 1 ? c.WhileSet : c.WhileClear) << c.Type << " state " << on;
      EXPECT_EQ(result.Result.Type(), VarType::Empty) << c.Type;
    }
    for (const char* type : {"GetMemoryTypeList", "getmemorytypelist"}) {
      const host::TCommandResult list = Event(instance, type);
      EXPECT_EQ(list.Code, 0) << type << " state " << on;
      EXPECT_EQ(VarToAnsi(list.Result).rfind("Analog Inputs==0||Analog Outputs==1||", 0), 0u);
    }
  }
}

// The PLC fields are listed as soon as there is an instance; request items
// only from loaded settings, so a fresh or unloaded instance lists none.
TEST_F(ModuleAnswers, ItemsListThePlcFieldsWithoutSettings) {
  const std::string expected = std::string(kStandardItems) + kPlcItems;
  const uintptr_t instance = Create();
  EXPECT_EQ(Items(instance), expected);
  Load(instance);
  EXPECT_EQ(Items(instance), expected);
  EXPECT_EQ(Run(instance, "UNLOAD").Code, 0);
  EXPECT_EQ(Items(instance), expected);
  EXPECT_EQ(
      Run(instance, "GET-MODULE-PARAMETER", {{"PARAM", Text("ParserItemsCount")}}, true).Result,
      TVariant::OfI4(10));
}

// The version the host shows is the plug-in's own file version; every shipped
// binary carries the project's version (on Windows in its version resource).
TEST_F(ModuleAnswers, VersionIsTheProjectsVersion) {
  const uintptr_t instance = Create();
  const host::TCommandResult version =
      Run(instance, "GET-MODULE-PARAMETER", {{"PARAM", Text("DisplayFullVersion")}}, true);
  EXPECT_EQ(version.Code, 0);
  EXPECT_EQ(version.Result.Type(), VarType::BStr);
  EXPECT_EQ(VarToAnsi(version.Result), MOX_PROJECT_VERSION);

  const std::string folder = platform::ProgramFolder() + platform::kPathSeparator;
#if defined(_WIN32)
  const std::vector<std::string> shipped = {"simatic.dll", "libnodave.dll", "plchost.exe"};
#else
  const std::vector<std::string> shipped = {"simatic.so", "libnodave.so", "plchost"};
#endif
  for (const std::string& file : shipped) {
    EXPECT_EQ(platform::FileVersionText(folder + file), MOX_PROJECT_VERSION) << file;
  }
}

// With its own language file beside it, the module names its memory areas in
// that file's default language.
TEST(ModuleLanguage, AreaNamesComeInTheLanguageOfTheModulesOwnFile) {
  namespace fs = std::filesystem;
  if (host_test::PluginPath().empty()) GTEST_SKIP() << "this build has no plug-in";
  const fs::path folder = host_test::TempPath("module-language-");
  fs::create_directories(folder);
  const fs::path plugin = folder / fs::path(host_test::PluginPath()).filename();
  fs::copy_file(host_test::PluginPath(), plugin);
  std::ofstream(fs::path(plugin).replace_extension(".lng"), std::ios::binary)
      << "[Languages]\r\n$EN = English\r\n$DE = Deutsch\r\nDefault = DE\r\n\r\n"
         "EN:>Inputs\r\nDE:>Eingaenge\r\n\r\n";
  {
    host::TPluginLibrary library(plugin.string());
    TPluginCallRec record = host::MakeCallRecord(0);
    host::THostParams params;
    record.Params = params.AsInterfaceRef();
    ASSERT_EQ(library.Exports().CreatePluginInstance(&record), 0);
    const host::TCommandResult list = host::RunCommand(
        library.Exports().ExecutePluginCommand, host::MakeCallRecord(record.Instance), "EVENT",
        {{"EVENT-TYPE", Text("GetMemoryTypeList")}}, true);
    EXPECT_NE(VarToAnsi(list.Result).find("||Eingaenge==2||"), std::string::npos)
        << VarToAnsi(list.Result);
    EXPECT_EQ(library.Exports().FreePluginInstance(&record), 0);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace
