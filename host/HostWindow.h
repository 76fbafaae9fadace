#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "LogFetch.h"
#include "platform/Messages.h"

namespace host {

// The host's message window, named to the plug-in as "MSG-PROC-HANDLE". It
// belongs to the thread that creates it; that thread must process its
// messages, and only it may attach, detach and destroy.
//
// Message 1809 (wParam: an instance's host context): log lines wait; the
// window fetches them with GetLogEx and hands them to the instance's log
// handler. Message 1812 (same wParam): the instance should reload its
// settings; the reload handler is called.
class THostWindow {
 public:
  using TLogHandler = std::function<void(const std::vector<TLogLine>& lines)>;
  using TReloadHandler = std::function<void()>;

  struct TClient {
    TGetLogEx GetLog = nullptr;
    uintptr_t Instance = 0;
    TLogHandler OnLog;
    TReloadHandler OnReload;
  };

  // Throws std::runtime_error when the window cannot be made.
  THostWindow();
  ~THostWindow();
  THostWindow(const THostWindow&) = delete;
  THostWindow& operator=(const THostWindow&) = delete;

  platform::WindowHandle Handle() const { return FWindow; }

  // Messages for a context without a client are ignored.
  void Attach(int32_t hostContext, TClient client);
  void Detach(int32_t hostContext);

 private:
  static intptr_t Proc(void* context, platform::WindowHandle window, uint32_t message,
                       uintptr_t wParam, intptr_t lParam);
  void FetchLog(const TClient& client) const;

  platform::WindowHandle FWindow = 0;
  std::map<int32_t, TClient> FClients;
};

}  // namespace host
