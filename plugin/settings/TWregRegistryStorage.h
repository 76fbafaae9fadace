#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Registry.h"
#include "settings/TWregStorage.h"

// Registry mode: the values of a pass live under one key of a selected root,
// integers as REG_DWORD, doubles as 8-byte REG_BINARY, strings as REG_SZ.
// A value of the wrong type is deleted when it is read, and so is a value
// whose property refuses it or that cannot be written.
class TWregRegistryStorage final : public TWregStorage {
 public:
  // Selects the first of the roots under which basePath can be opened (on a
  // save pass also created); empty when neither root can be used. A root
  // that is not given is never usable.
  static std::unique_ptr<TWregRegistryStorage> Open(std::optional<platform::RegistryRoot> first,
                                                    std::optional<platform::RegistryRoot> second,
                                                    const std::string& basePath, bool save);

  bool SelectLocation(const std::string& subPath) override;
  std::optional<TPropertyValue> Read(const std::string& name, TPropertyType type) override;
  void Write(const std::string& name, const TPropertyValue& value) override;
  void Reject(const std::string& name) override { key_.DeleteValue(name); }
  bool Finish() override;

 private:
  TWregRegistryStorage(platform::RegistryRoot root, std::string basePath, bool save);

  platform::RegistryRoot root_;
  std::string basePath_;
  bool save_;
  platform::RegistryKey key_;
};
