#include "SettingsTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "resources/SettingsMapLines.h"

namespace fs = std::filesystem;

namespace settings_test {

const TClassInfo& TTestSettings::StaticClassInfo() {
  using T = TTestSettings;
  static const TClassInfo info(
      "TTestSettings", &TComponent::StaticClassInfo(),
      {PublishedField("Left", &T::Left), PublishedField("Top", &T::Top),
       PublishedField("Height", &T::Height), PublishedField("Width", &T::Width),
       PublishedField("lblParams_Caption", &T::lblParams_Caption),
       PublishedField("OpenDialog_FileName", &T::OpenDialog_FileName),
       PublishedField("SaveDialog_FileName", &T::SaveDialog_FileName),
       PublishedField("spMinInt_Value", &T::spMinInt_Value),
       PublishedField("comboProto_ItemIndex", &T::comboProto_ItemIndex),
       PublishedField("spCPURack_Value", &T::spCPURack_Value),
       PublishedField("spCPUSlot_Value", &T::spCPUSlot_Value),
       PublishedField("spLocalAddress_Value", &T::spLocalAddress_Value),
       PublishedField("spRemoteAddress_Value", &T::spRemoteAddress_Value),
       PublishedField("Enabled", &T::Enabled), PublishedProperty("Version", &T::Version),
       PublishedProperty("Positive", &T::Positive, &T::SetPositive)});
  return info;
}

const std::vector<std::string>& ModuleMap() {
  static const std::vector<std::string> map(std::begin(kSettingsMapLines),
                                            std::end(kSettingsMapLines));
  return map;
}

std::string UniqueName() {
  static std::mt19937_64 random(std::random_device{}() ^
                                std::chrono::steady_clock::now().time_since_epoch().count());
  return "t" + std::to_string(random());
}

TempFolder::TempFolder() {
  const fs::path folder = fs::temp_directory_path() / ("mox-settings-" + UniqueName());
  fs::create_directories(folder);
  path_ = folder.string();
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream content;
  content << file.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

std::unique_ptr<TWreg> MakeStore(const std::string& iniFile, const std::string& prefix,
                                 const std::vector<std::string>& map) {
  auto store = std::make_unique<TWreg>();
  store->INIFile = iniFile;
  store->INIFileSectionPrefix = prefix;
  store->Components = map;
  return store;
}

#ifndef _WIN32
// Natively the registry stand-in lives in a temporary folder for the whole run.
class RegistryFolderEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<TempFolder>();
    setenv("MOX_REGISTRY_DIR", folder_->File("registry").c_str(), 1);
  }
  void TearDown() override { folder_.reset(); }

 private:
  std::unique_ptr<TempFolder> folder_;
};

const auto* const kRegistryFolder =
    ::testing::AddGlobalTestEnvironment(new RegistryFolderEnvironment);
#endif

}  // namespace settings_test
