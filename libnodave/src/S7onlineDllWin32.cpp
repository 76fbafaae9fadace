// Loads the vendor's access DLL. Only the program's folder and the system folder
// are searched, never the current folder or PATH, so that no planted copy is
// loaded.
#include <windows.h>

#include <mutex>

#include "S7onlineDll.h"
#include "nodave.h"

namespace nodave {
namespace {

constexpr char kDllName[] = "S7onlinx.dll";

struct LoadedDll {
  std::mutex lock;
  HMODULE module = nullptr;
  ScpFunctions functions{};
};

LoadedDll& Dll() {
  static LoadedDll dll;
  return dll;
}

// Systems without the safe search flags refuse them (ERROR_INVALID_PARAMETER);
// there the system folder's copy is loaded by its full path.
HMODULE LoadDll(DWORD& error) {
  HMODULE module = LoadLibraryExA(kDllName, nullptr,
                                  LOAD_LIBRARY_SEARCH_DEFAULT_DIRS | LOAD_LIBRARY_SEARCH_SYSTEM32);
  error = module == nullptr ? GetLastError() : 0;
  if (module == nullptr && error == ERROR_INVALID_PARAMETER) {
    char folder[MAX_PATH];
    const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      const std::string path = std::string(folder, length) + "\\" + kDllName;
      module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      error = module == nullptr ? GetLastError() : 0;
    }
  }
  return module;
}

int32_t LoadFailure(DWORD error, std::string& detail) {
  detail = "Windows error " + std::to_string(error);
  switch (error) {
    case ERROR_MOD_NOT_FOUND:
      return daveResS7onlineDllMissing;
    case ERROR_BAD_EXE_FORMAT:
      return daveResS7onlineDllBitness;
    default:
      return daveResS7onlineDllFailed;
  }
}

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
  // Through a plain function pointer type, which any function pointer converts to.
  using Plain = void (*)();
  function = reinterpret_cast<Function>(reinterpret_cast<Plain>(GetProcAddress(module, name)));
  return function != nullptr;
}

int32_t FindFunctions(HMODULE module, ScpFunctions& functions, std::string& detail) {
  std::string missing;
  auto require = [&](const char* name, auto& function) {
    if (!Find(module, name, function)) {
      missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
  };
  require("SCP_open", functions.open);
  require("SCP_close", functions.close);
  require("SCP_send", functions.send);
  require("SCP_receive", functions.receive);
  require("SCP_get_errno", functions.lastError);
  Find(module, "SetSinecHWnd", functions.setWindow);
  detail = missing;
  return missing.empty() ? daveResOK : daveResS7onlineExportMissing;
}

}  // namespace

int32_t LoadS7onlineDll(const ScpFunctions*& functions, std::string& detail) {
  LoadedDll& dll = Dll();
  std::lock_guard<std::mutex> guard(dll.lock);
  if (dll.module == nullptr) {
    DWORD error = 0;
    HMODULE module = LoadDll(error);
    if (module == nullptr) {
      return LoadFailure(error, detail);
    }
    ScpFunctions found{};
    const int32_t result = FindFunctions(module, found, detail);
    if (result != daveResOK) {
      FreeLibrary(module);
      return result;
    }
    dll.module = module;
    dll.functions = found;
  }
  functions = &dll.functions;
  return daveResOK;
}

}  // namespace nodave
