#include "platform/Library.h"

#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <vector>

namespace platform {

namespace {

HMODULE AsModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }

}  // namespace

ModuleHandle LoadModule(const std::string& path, std::string* error) {
  HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr && error != nullptr) {
    *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
  }
  return reinterpret_cast<ModuleHandle>(module);
}

void UnloadModule(ModuleHandle module) {
  if (module != 0) FreeLibrary(AsModule(module));
}

void* FindExport(ModuleHandle module, const char* name) {
  if (module == 0) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(AsModule(module), name));
}

ModuleHandle ProgramModule() { return reinterpret_cast<ModuleHandle>(GetModuleHandleA(nullptr)); }

ModuleHandle LoadedModuleByName(const std::string& name) {
  return reinterpret_cast<ModuleHandle>(GetModuleHandleA(name.c_str()));
}

ModuleHandle ModuleOfAddress(const void* address) {
  HMODULE module = nullptr;
  const DWORD flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module)) return 0;
  return reinterpret_cast<ModuleHandle>(module);
}

std::string ModuleFileName(ModuleHandle module) {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameA(AsModule(module), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::string> ProcessArguments() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> result;
  for (int i = 0; arguments != nullptr && i < count; ++i) {
    const int size = WideCharToMultiByte(CP_ACP, 0, arguments[i], -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
    if (size > 1) {
      WideCharToMultiByte(CP_ACP, 0, arguments[i], -1, text.data(), size, nullptr, nullptr);
    }
    result.push_back(text);
  }
  LocalFree(arguments);
  return result;
}

}  // namespace platform
