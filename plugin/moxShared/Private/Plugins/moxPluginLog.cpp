// The module's side of the log: lines into the instance's list, and the
// window messages to the host (lines waiting, settings to reload).
#include "moxPluginModule.h"
#include "platform/DebugOutput.h"

namespace {

constexpr uint32_t kNotifyTimeoutMs = 1000;

}  // namespace

void TmoxPlugin::Log(TLogLevel level, const std::string& message) noexcept {
  if (FDestroying || FLogList == nullptr) return;
  try {
    std::string title;
    {
      const platform::CriticalSectionGuard guard(LogTitleLock);
      title = LogTitle;
    }
    FLogList->AddLine(TLogDataList::BuildLine(level, title, message));
    NotifyLogWindow();
  } catch (...) {
    // A log line must never become a fault of its own.
  }
}

void TmoxPlugin::LogException(const std::string& name, const std::string& message) noexcept {
  try {
    const std::string line = "{" + name + "} " + message;
    Log(TLogLevel::Error, line);
    platform::OutputDebugLine(line);
  } catch (...) {
    // As above.
  }
}

void TmoxPlugin::NotifyLogWindow() noexcept { NotifyHostWindow(kMsgLogLinesWaiting); }

void TmoxPlugin::NotifyHostWindow(uint32_t message) noexcept {
  const platform::WindowHandle window = MsgWindow;
  if (window == 0) return;
  const auto context = static_cast<uintptr_t>(static_cast<uint32_t>(HostContext));
  if (!platform::PostMessageTo(window, message, context, 0)) {
    platform::SendMessageTimeoutTo(window, message, context, 0, kNotifyTimeoutMs, nullptr);
  }
}
