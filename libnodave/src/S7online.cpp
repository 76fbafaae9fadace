// openS7online and closeS7online: the access points of the vendor's access DLL.
#include "S7online.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "Debug.h"
#include "S7onlineErrors.h"
#include "nodave.h"

namespace nodave {
namespace {

constexpr char kDefaultAccessPoint[] = "S7ONLINE";

struct OpenHandles {
  std::mutex lock;
  std::map<int32_t, const ScpFunctions*> functions;
};

OpenHandles& Handles() {
  static OpenHandles handles;
  return handles;
}

std::atomic<const ScpFunctions*> replacement{nullptr};

thread_local int32_t lastOpenResult = daveResOK;

int32_t FunctionsInUse(const ScpFunctions*& functions, std::string& detail) {
  functions = replacement.load();
  return functions != nullptr ? daveResOK : LoadS7onlineDll(functions, detail);
}

int32_t OpenFailed(int32_t code, const std::string& detail) {
  NoteS7onlineFailure(code, detail);
  lastOpenResult = code;
  DebugLine(nullptr, daveDebugOpen, std::string("openS7online failed: ") + daveStrerror(code));
  return -1;
}

}  // namespace

const ScpFunctions* ScpFunctionsOf(int32_t handle) {
  OpenHandles& handles = Handles();
  std::lock_guard<std::mutex> guard(handles.lock);
  const auto found = handles.functions.find(handle);
  return found != handles.functions.end() ? found->second : nullptr;
}

int32_t UnknownS7onlineHandle() {
  const ScpFunctions* functions = nullptr;
  std::string detail;
  return FunctionsInUse(functions, detail) == daveResS7onlineNotAvailable
             ? daveResS7onlineNotAvailable
             : daveResInvalidParam;
}

void UseScpFunctions(const ScpFunctions* functions) { replacement.store(functions); }

}  // namespace nodave

using namespace nodave;

extern "C" {

DAVE_API int32_t DAVE_CALL openS7online(const char* accessPoint, void* windowHandle) {
  const std::string name =
      accessPoint != nullptr && *accessPoint != '\0' ? accessPoint : kDefaultAccessPoint;
  const ScpFunctions* functions = nullptr;
  std::string detail;
  const int32_t loaded = FunctionsInUse(functions, detail);
  if (loaded != daveResOK) {
    return OpenFailed(loaded, detail);
  }
  functions->lastError();  // clears what an earlier call left
  const int32_t handle = functions->open(name.c_str());
  if (handle < 0) {
    return OpenFailed(daveResS7onlineOpenFailed,
                      name + ", " + ScpErrorDetail(functions->lastError()));
  }
  if (windowHandle != nullptr && functions->setWindow != nullptr) {
    functions->setWindow(handle, windowHandle);
  }
  {
    OpenHandles& handles = Handles();
    std::lock_guard<std::mutex> guard(handles.lock);
    handles.functions[handle] = functions;
  }
  lastOpenResult = daveResOK;
  DebugLine(nullptr, daveDebugOpen, "openS7online " + name + ": handle " + std::to_string(handle));
  return handle;
}

DAVE_API int32_t DAVE_CALL daveS7onlineError(void) { return lastOpenResult; }

DAVE_API int32_t DAVE_CALL closeS7online(int32_t handle) {
  const ScpFunctions* functions = nullptr;
  {
    OpenHandles& handles = Handles();
    std::lock_guard<std::mutex> guard(handles.lock);
    const auto found = handles.functions.find(handle);
    if (found == handles.functions.end()) {
      return daveResInvalidParam;
    }
    functions = found->second;
    handles.functions.erase(found);
  }
  functions->close(handle);
  return daveResOK;
}
}
