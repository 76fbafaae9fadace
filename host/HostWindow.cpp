#include "HostWindow.h"

#include <stdexcept>

#include "moxShared/Private/Plugins/moxPluginRecords.h"

namespace host {

THostWindow::THostWindow() : FWindow(platform::CreateMessageWindow(&THostWindow::Proc, this)) {
  if (FWindow == 0) throw std::runtime_error("the host's message window cannot be made");
}

THostWindow::~THostWindow() { platform::DestroyMessageWindow(FWindow); }

void THostWindow::Attach(int32_t hostContext, TClient client) {
  FClients[hostContext] = std::move(client);
}

void THostWindow::Detach(int32_t hostContext) { FClients.erase(hostContext); }

void THostWindow::FetchLog(const TClient& client) const {
  if (client.GetLog == nullptr) return;
  const std::vector<TLogLine> lines = SplitLogText(FetchLogText(client.GetLog, client.Instance));
  if (!lines.empty() && client.OnLog) client.OnLog(lines);
}

intptr_t THostWindow::Proc(void* context, platform::WindowHandle window, uint32_t message,
                           uintptr_t wParam, intptr_t lParam) {
  auto* self = static_cast<THostWindow*>(context);
  if (message != kMsgLogLinesWaiting && message != kMsgReloadSettings) {
    return platform::DefaultWindowProc(window, message, wParam, lParam);
  }
  const auto found = self->FClients.find(static_cast<int32_t>(wParam));
  if (found == self->FClients.end()) return 0;
  // A copy: a handler may detach its own client.
  const TClient client = found->second;
  if (message == kMsgLogLinesWaiting) {
    self->FetchLog(client);
  } else if (client.OnReload) {
    client.OnReload();
  }
  return 0;
}

}  // namespace host
