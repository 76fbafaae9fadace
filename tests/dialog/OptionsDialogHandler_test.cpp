// The module's reaction to its shown dialog, run on a module of the test's
// making: the dialog mark while the handler runs, and a failing handler.

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "moxShared/Private/Plugins/moxOptionsDialog.h"
#include "moxShared/Private/Plugins/moxPluginModule.h"

namespace {

std::string LogText(TmoxPlugin& module) {
  std::string text(1 << 12, '\0');
  const TLogFetch fetch = module.LogList()->Fetch(text.data(), static_cast<int32_t>(text.size()));
  text.resize(static_cast<size_t>(fetch.Copied));
  return text;
}

TEST(OptionsDialogHandler, MarksTheModuleOnlyWhileTheHandlerRuns) {
  const std::unique_ptr<TmoxPlugin> module = TmoxPlugin::Create<TmoxPlugin>(nullptr, 0);
  TPluginCallRec record{};
  record.Flags = 0x41;
  bool markedDuring = false;
  uint8_t flagsDuring = 0;
  module->OnShowOptionsDialog = [&](TmoxPlugin& shown, const TPluginCall&, bool& changed) {
    markedDuring = shown.DialogRunning;
    flagsDuring = shown.DialogCallFlags;
    changed = true;
  };
  EXPECT_TRUE(RunOptionsDialog(*module, record, nullptr));
  EXPECT_TRUE(markedDuring);
  EXPECT_EQ(flagsDuring, 0x41);
  EXPECT_FALSE(module->DialogRunning);
  EXPECT_EQ(module->DialogCallFlags, 0);
}

TEST(OptionsDialogHandler, FailingHandlerChangesNothingAndIsLogged) {
  const std::unique_ptr<TmoxPlugin> module = TmoxPlugin::Create<TmoxPlugin>(nullptr, 0);
  TPluginCallRec record{};
  module->OnShowOptionsDialog = [](TmoxPlugin&, const TPluginCall&, bool& changed) {
    changed = true;
    throw std::runtime_error("no dialog today");
  };
  EXPECT_FALSE(RunOptionsDialog(*module, record, nullptr)) << "no reload after a failure";
  EXPECT_FALSE(module->DialogRunning);
  EXPECT_NE(LogText(*module).find("no dialog today {SHOWOPTIONS}"), std::string::npos);
}

}  // namespace
