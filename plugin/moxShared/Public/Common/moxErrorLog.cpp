#include "moxErrorLog.h"

#include <mutex>

#include "platform/DebugOutput.h"

namespace {

struct TErrorLog {
  std::mutex Lock;
  TmoxErrorLogProc Proc = nullptr;
  void* Context = nullptr;
};

TErrorLog& ErrorLog() {
  static TErrorLog log;
  return log;
}

}  // namespace

void SetErrorLog(TmoxErrorLogProc proc, void* context) {
  TErrorLog& log = ErrorLog();
  std::lock_guard<std::mutex> guard(log.Lock);
  log.Proc = proc;
  log.Context = context;
}

void ReportError(const std::string& message) noexcept {
  try {
    TErrorLog& log = ErrorLog();
    TmoxErrorLogProc proc;
    void* context;
    {
      std::lock_guard<std::mutex> guard(log.Lock);
      proc = log.Proc;
      context = log.Context;
    }
    platform::OutputDebugLine(message);
    if (proc != nullptr) proc(context, message);
  } catch (...) {
    // A report must never become a fault of its own.
  }
}
