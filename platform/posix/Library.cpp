#include "platform/Library.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace platform {

ModuleHandle LoadModule(const std::string& path, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr && error != nullptr) {
    const char* text = dlerror();
    *error = text != nullptr ? text : "cannot load " + path;
  }
  return reinterpret_cast<ModuleHandle>(handle);
}

void UnloadModule(ModuleHandle module) {
  if (module != 0) dlclose(reinterpret_cast<void*>(module));
}

void* FindExport(ModuleHandle module, const char* name) {
  if (module == 0) return nullptr;
  return dlsym(reinterpret_cast<void*>(module), name);
}

ModuleHandle ProgramModule() { return reinterpret_cast<ModuleHandle>(dlopen(nullptr, RTLD_NOW)); }

ModuleHandle LoadedModuleByName(const std::string& name) {
  return reinterpret_cast<ModuleHandle>(dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD));
}

ModuleHandle ModuleOfAddress(const void* address) {
  Dl_info info{};
  if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) return 0;
  return LoadedModuleByName(info.dli_fname);
}

std::string ModuleFileName(ModuleHandle module) {
  if (module == 0) return {};
  link_map* map = nullptr;
  if (dlinfo(reinterpret_cast<void*>(module), RTLD_DI_LINKMAP, &map) != 0 || map == nullptr) {
    return {};
  }
  if (map->l_name != nullptr && map->l_name[0] != '\0') return map->l_name;
  // The program itself has no name in its link map: its link in /proc names it.
  char buffer[4096];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
}

std::vector<std::string> ProcessArguments() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::string> arguments;
  size_t start = 0;
  while (start < all.size()) {
    const size_t end = all.find('\0', start);
    arguments.push_back(all.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return arguments;
}

}  // namespace platform
