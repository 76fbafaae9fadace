// Concurrent passes over one INI file, from threads and from processes.

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ProcessSpawn.h"
#include "SettingsTestSupport.h"
#include "settings/TWregIniFile.h"
#include "settings/TWregIniLock.h"
#include "settings/TWregistry.h"

namespace {

using namespace settings_test;

constexpr int kSaves = 300;
constexpr uint32_t kBoundMs = 120000;

// Each save adds one key; a lost read-modify-write would lose a key for good.
void SaveKeys(const std::string& ini, const std::string& prefix, int count) {
  TTestSettings settings;
  for (int i = 1; i <= count; ++i) {
    settings.Left = i;
    auto store = MakeStore(ini, "Saver", {"Left," + prefix + std::to_string(i)});
    ASSERT_TRUE(store->SaveValues(&settings));
  }
}

void ExpectAllKeys(const std::string& ini, const std::string& prefix, int count) {
  TWregIniFile file;
  file.Parse(ReadFile(ini));
  int missing = 0;
  for (int i = 1; i <= count; ++i) {
    const std::string* value = file.Find("Saver.Common", prefix + std::to_string(i));
    if (value == nullptr || *value != std::to_string(i)) ++missing;
  }
  EXPECT_EQ(missing, 0) << prefix;
}

TEST(IniLock, NameIsThePathInLowerCaseLettersAndDigits) {
  EXPECT_EQ(IniLockName("C:\\Data\\My Settings-2.INI"), "c__data_my_settings_2_ini");
  EXPECT_EQ(IniLockName("/tmp/\xC4x.ini"), "_tmp__x_ini");
}

TEST(IniLock, ThreadsSavingToOneFileLoseNoUpdate) {
  TempFolder folder;
  const std::string ini = folder.File("threads.ini");
  std::thread other(SaveKeys, ini, "T", kSaves / 2);
  SaveKeys(ini, "M", kSaves / 2);
  other.join();
  ExpectAllKeys(ini, "T", kSaves / 2);
  ExpectAllKeys(ini, "M", kSaves / 2);
}

TEST(IniLock, ProcessesSavingToOneFileLoseNoUpdate) {
  TempFolder folder;
  const std::string ini = folder.File("processes.ini");
  const std::string count = std::to_string(kSaves);
  ChildProcess first("settings_ini_saver", {ini, "A", count});
  ChildProcess second("settings_ini_saver", {ini, "B", count});
  ASSERT_TRUE(first.Started());
  ASSERT_TRUE(second.Started());
  EXPECT_EQ(first.Wait(kBoundMs), 0);
  EXPECT_EQ(second.Wait(kBoundMs), 0);
  ExpectAllKeys(ini, "A", kSaves);
  ExpectAllKeys(ini, "B", kSaves);
}

}  // namespace
