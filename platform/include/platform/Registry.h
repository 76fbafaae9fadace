#pragma once

#include <optional>
#include <string>

#include "platform/Export.h"

namespace platform {

// The predefined roots of the registry.
enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

// The value types the system uses; every other stored type reads as Other.
enum class RegistryType { String, ExpandString, Binary, Dword, Other };

// A typed value. Data holds the text of String and ExpandString (without the
// closing NUL), the little-endian 4 bytes of Dword and the bytes of Binary.
struct RegistryValue {
  RegistryType Type = RegistryType::Other;
  std::string Data;
};

// One open key of the registry, opened with full access. Key paths are relative
// to the root, parts separated by "\", names in the system code page and
// compared without regard to case. On the POSIX stand-in the registry is a tree
// of folders under $MOX_REGISTRY_DIR (default: ~/.mox-registry).
class MOX_PLATFORM_API RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  // Opens the key (an empty path: the root itself), creating it when `create`
  // is set. Closes a key opened before. False when the key cannot be opened.
  bool Open(RegistryRoot root, const std::string& path, bool create);
  void Close();
  bool IsOpen() const { return native_ != nullptr; }

  // Empty when the value does not exist or cannot be read.
  std::optional<RegistryValue> Query(const std::string& name) const;
  bool Set(const std::string& name, const RegistryValue& value);
  bool DeleteValue(const std::string& name);

 private:
  struct Native;
  Native* native_ = nullptr;
};

// Deletes a key with all its sub-keys and values; false when it did not exist.
MOX_PLATFORM_API bool DeleteRegistryTree(RegistryRoot root, const std::string& path);

}  // namespace platform
