#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Export.h"
#include "platform/Library.h"

namespace platform {

// The bytes of the RT_RCDATA resource `name` of `module`: empty when the module
// has none of that name. Names are compared without regard to ASCII letter
// case, as Windows does; a name starting with "#" (a resource number on
// Windows) or an empty name finds nothing. The bytes stay valid while the
// module is loaded.
MOX_PLATFORM_API std::string_view FindRcData(ModuleHandle module, const std::string& name);
// The same for the module that holds `address` (a function or object of it),
// without taking a reference to that module.
MOX_PLATFORM_API std::string_view FindRcDataOfAddress(const void* address, const std::string& name);

#if !defined(_WIN32)
// Natively a module's resources are embedded at build time as a table that
// registers itself while the module loads and leaves as it unloads.
struct EmbeddedResource {
  const char* Name;
  const unsigned char* Data;
  size_t Size;
};

MOX_PLATFORM_API void RegisterEmbeddedResources(const EmbeddedResource* table, size_t count);
MOX_PLATFORM_API void UnregisterEmbeddedResources(const EmbeddedResource* table);

// The registration of one module's table for the module's lifetime: a static
// object of the module.
class EmbeddedResourceTable {
 public:
  template <size_t N>
  explicit EmbeddedResourceTable(const EmbeddedResource (&table)[N]) : table_(table) {
    RegisterEmbeddedResources(table, N);
  }
  ~EmbeddedResourceTable() { UnregisterEmbeddedResources(table_); }
  EmbeddedResourceTable(const EmbeddedResourceTable&) = delete;
  EmbeddedResourceTable& operator=(const EmbeddedResourceTable&) = delete;

 private:
  const EmbeddedResource* table_;
};
#endif

}  // namespace platform
