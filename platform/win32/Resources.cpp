#include "platform/Resources.h"

#include <windows.h>

namespace platform {

std::string_view FindRcData(ModuleHandle module, const std::string& name) {
  // "#n" would name a resource by number; only names are looked up here.
  if (module == 0 || name.empty() || name[0] == '#') return {};
  const auto instance = reinterpret_cast<HMODULE>(module);
  HRSRC info = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
  if (info == nullptr) return {};
  HGLOBAL loaded = LoadResource(instance, info);
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data == nullptr) return {};
  return std::string_view(static_cast<const char*>(data), SizeofResource(instance, info));
}

std::string_view FindRcDataOfAddress(const void* address, const std::string& name) {
  // A null address would name the program itself.
  if (address == nullptr) return {};
  return FindRcData(ModuleOfAddress(address), name);
}

}  // namespace platform
