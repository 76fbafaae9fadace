#pragma once

#include <string>
#include <string_view>

#include "settings/TWregIniFile.h"
#include "settings/TWregIniLock.h"
#include "settings/TWregStorage.h"

// The section of a map line: the prefix (without one trailing "/" or "\"), a
// dot, and the sub-path or "Common"; every "\" turned into ".".
std::string IniSectionName(std::string_view prefix, std::string_view subPath);

bool IniFileExists(const std::string& path);

// INI mode: holds the file's INI lock for the whole pass, reads the file when
// it exists, and writes it back at the end when anything changed.
class TWregIniStorage final : public TWregStorage {
 public:
  TWregIniStorage(const std::string& path, std::string sectionPrefix);

  bool SelectLocation(const std::string& subPath) override;
  std::optional<TPropertyValue> Read(const std::string& name, TPropertyType type) override;
  void Write(const std::string& name, const TPropertyValue& value) override;
  void Reject(const std::string&) override {}
  bool Finish() override;

 private:
  TWregIniLock lock_;  // taken before the file is read
  std::string path_;
  std::string prefix_;
  std::string section_;
  TWregIniFile file_;
  bool changed_ = false;
};
