#include "platform/Resources.h"

#include <dlfcn.h>
#include <link.h>
#include <strings.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {

namespace {

// A registered table and the loaded object it lives in.
struct Registration {
  const link_map* Module;
  const EmbeddedResource* Table;
  size_t Count;
};

// Never destroyed: modules may unregister while the process ends.
struct Registry {
  std::mutex Lock;
  std::vector<Registration> Tables;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

// The loaded object that holds `address`, found without taking a reference
// to it (a module registering itself must stay unloadable).
const link_map* ObjectOfAddress(const void* address) {
  Dl_info info{};
  void* map = nullptr;
  if (dladdr1(address, &info, &map, RTLD_DL_LINKMAP) == 0) return nullptr;
  return static_cast<const link_map*>(map);
}

const link_map* ObjectOfModule(ModuleHandle module) {
  link_map* map = nullptr;
  if (module == 0) return nullptr;
  void* handle = reinterpret_cast<void*>(module);  // NOLINT(performance-no-int-to-ptr)
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return map;
}

std::string_view FindInObject(const link_map* object, const std::string& name) {
  if (object == nullptr || name.empty() || name[0] == '#') return {};
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  for (const Registration& entry : registry.Tables) {
    if (entry.Module != object) continue;
    for (size_t i = 0; i < entry.Count; ++i) {
      const EmbeddedResource& resource = entry.Table[i];
      if (strcasecmp(resource.Name, name.c_str()) == 0) {
        return std::string_view(reinterpret_cast<const char*>(resource.Data), resource.Size);
      }
    }
  }
  return {};
}

}  // namespace

void RegisterEmbeddedResources(const EmbeddedResource* table, size_t count) {
  const link_map* module = ObjectOfAddress(table);
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  registry.Tables.push_back({module, table, count});
}

void UnregisterEmbeddedResources(const EmbeddedResource* table) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.Lock);
  auto& tables = registry.Tables;
  tables.erase(std::remove_if(tables.begin(), tables.end(),
                              [table](const Registration& entry) { return entry.Table == table; }),
               tables.end());
}

std::string_view FindRcData(ModuleHandle module, const std::string& name) {
  return FindInObject(ObjectOfModule(module), name);
}

std::string_view FindRcDataOfAddress(const void* address, const std::string& name) {
  return FindInObject(ObjectOfAddress(address), name);
}

}  // namespace platform
