// ShowOptionsDialog through the exports: its answers, and the reload of every
// instance that shares the settings: at once on the calling thread, through
// message 1812 to the host for an instance loaded on another thread.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "DialogTestSupport.h"
#include "HostWindow.h"
#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/Registry.h"
#include "platform/Thread.h"

namespace {

using host_test::BytesOf;

constexpr int32_t kOtherThreadContext = 42;

TVariant Text(const std::string& text) { return TVariant::OfAnsi(text); }

std::string UniqueName() {
  return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
}

#ifndef _WIN32
// Natively the registry stand-in lives in a temporary folder for the run.
class RegistryFolder : public ::testing::Environment {
 public:
  void SetUp() override {
    FFolder = std::filesystem::temp_directory_path() / ("mox-dialog-" + UniqueName());
    setenv("MOX_REGISTRY_DIR", FFolder.string().c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(FFolder); }

 private:
  std::filesystem::path FFolder;
};
const auto* const kRegistryFolder = ::testing::AddGlobalTestEnvironment(new RegistryFolder);
#endif

class ShowOptionsDialog : public dialog_test::TDialogTest {
 protected:
  ~ShowOptionsDialog() override {
    for (const std::string& path : {FPath, FOtherPath}) {
      platform::DeleteRegistryTree(platform::RegistryRoot::LocalMachine, path);
    }
  }

  // The record's OutData after the call; the rest of the record must come back as it went.
  TPluginDataSlot Show(uintptr_t instance) {
    TPluginCallRec record = host::MakeCallRecord(instance, 7);
    host::THostParams params;
    record.Params = params.AsInterfaceRef();
    const std::vector<uint8_t> before = BytesOf(record);
    Exports().ShowOptionsDialog(&record);
    const TPluginDataSlot answer = record.OutData;
    record.OutData = host::MakeCallRecord(instance, 7).OutData;
    EXPECT_EQ(BytesOf(record), before);
    return answer;
  }

  void LoadAt(uintptr_t instance, const std::string& path, int32_t context = 7,
              platform::WindowHandle window = 0) {
    host::TCommandParams params = {{"REGISTRY-PATH", Text("\\" + path + "\\")}};
    if (window != 0) params.emplace_back("MSG-PROC-HANDLE", host::HandleValue(window));
    EXPECT_EQ(Run(instance, "LOAD", params, false, context).Code, 0);
  }

  // Stores a request tree with one response item named `name` where
  // instances of `path` load their settings from.
  void StoreRequestTree(const std::string& path, const std::string& name) {
    platform::RegistryKey key;
    ASSERT_TRUE(key.Open(platform::RegistryRoot::LocalMachine, path, true));
    const std::string tree = "<MODBUSRTUQUERY><Request><Response><Item><Name>" + name +
                             "</Name></Item></Response></Request></MODBUSRTUQUERY>";
    ASSERT_TRUE(key.Set("Parser config", {platform::RegistryType::String, tree}));
  }

  std::string ParserItems(uintptr_t instance) {
    return VarToAnsi(Run(instance, "ITEMS", {}, true).Result);
  }

  const std::string FPath = "Software\\MoxDialogTests\\" + UniqueName();
  const std::string FOtherPath = FPath + "Other";
};

TEST_F(ShowOptionsDialog, SiemensModuleAnswersThatSettingsChanged) {
  const uintptr_t instance = Create();
  Load(instance);
  const TPluginDataSlot answer = Show(instance);
  EXPECT_EQ(answer.Kind, kSlotCount);
  EXPECT_EQ(answer.Length, 4);
  EXPECT_EQ(answer.Ptr, 1u);
}

TEST_F(ShowOptionsDialog, NoRecordAndUnknownInstanceAreAnsweredSafely) {
  Exports().ShowOptionsDialog(nullptr);
  for (const uintptr_t unknown : {uintptr_t{0}, uintptr_t{0x12345}}) {
    TPluginCallRec record = host::MakeCallRecord(unknown);
    Exports().ShowOptionsDialog(&record);
    EXPECT_EQ(record.OutData.Kind, kSlotCount);
    EXPECT_EQ(record.OutData.Length, 4);
    EXPECT_EQ(record.OutData.Ptr, 2u);
  }
}

TEST_F(ShowOptionsDialog, InstancesSharingTheRegistryPathReloadOnlyThose) {
  const uintptr_t shown = Create();
  const uintptr_t sameThread = Create();
  const uintptr_t otherPath = Create();
  const uintptr_t otherThread = Create(kOtherThreadContext);
  host::THostWindow window;
  std::atomic<int> reloadMessages{0};
  window.Attach(kOtherThreadContext, {nullptr, otherThread, nullptr, [&] { ++reloadMessages; }});
  LoadAt(shown, FPath);
  LoadAt(sameThread, FPath);
  LoadAt(otherPath, FOtherPath);
  {
    host_test::TFunctionThread loader(
        [&] { LoadAt(otherThread, FPath, kOtherThreadContext, window.Handle()); });
  }
  StoreRequestTree(FPath, "RELOADED");
  StoreRequestTree(FOtherPath, "RELOADED");
  for (const uintptr_t instance : {shown, sameThread, otherPath, otherThread}) {
    ASSERT_EQ(ParserItems(instance).find("RELOADED"), std::string::npos);
  }

  EXPECT_EQ(Show(shown).Ptr, 1u);
  EXPECT_NE(ParserItems(shown).find("RELOADED"), std::string::npos);
  EXPECT_NE(ParserItems(sameThread).find("RELOADED"), std::string::npos);
  EXPECT_EQ(ParserItems(otherPath).find("RELOADED"), std::string::npos);
  EXPECT_EQ(ParserItems(otherThread).find("RELOADED"), std::string::npos)
      << "another thread's instance is not called directly";
  EXPECT_TRUE(host_test::PumpUntil([&] { return reloadMessages.load() == 1; }));
  window.Detach(kOtherThreadContext);
}

}  // namespace
