#pragma once

// A settings object like the module's, the module's property map, and
// temporary folders and registry keys that tests clean up after themselves.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"
#include "settings/TWregistry.h"

namespace settings_test {

// The thirteen properties of the module's settings object with their initial
// values, plus one Boolean, one read-only property and one that refuses
// negative values.
class TTestSettings : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int32_t Left = 326, Top = 144, Height = 435, Width = 481;
  std::string lblParams_Caption, OpenDialog_FileName, SaveDialog_FileName;
  double spMinInt_Value = 0;
  int32_t comboProto_ItemIndex = 2;
  double spCPURack_Value = 0, spCPUSlot_Value = 2, spLocalAddress_Value = 0,
         spRemoteAddress_Value = 2;
  bool Enabled = false;
  std::string Version() const { return "5.0"; }
  int32_t Positive() const { return positive_; }
  void SetPositive(int32_t value) {
    if (value < 0) throw std::out_of_range("negative");
    positive_ = value;
  }

 private:
  int32_t positive_ = 7;
};

// The module's seventeen map lines, as the module holds them.
const std::vector<std::string>& ModuleMap();

// A fresh folder under the system's temporary folder, removed with its content.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A name no other test run uses.
std::string UniqueName();

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& content);

// A store set up for an INI file or (with an empty path) for a registry key.
std::unique_ptr<TWreg> MakeStore(const std::string& iniFile, const std::string& prefix,
                                 const std::vector<std::string>& map = ModuleMap());

}  // namespace settings_test
