// The settings store in registry mode: wine's registry in the Windows build,
// the stand-in in a temporary folder natively.

#include <gtest/gtest.h>

#include <cstring>

#include "SettingsTestSupport.h"
#include "platform/Registry.h"
#include "settings/TWregistry.h"

namespace {

using namespace settings_test;
using platform::RegistryRoot;
using platform::RegistryType;
using platform::RegistryValue;

class RegistryMode : public ::testing::Test {
 protected:
  ~RegistryMode() override {
    for (RegistryRoot root : {RegistryRoot::LocalMachine, RegistryRoot::CurrentUser}) {
      platform::DeleteRegistryTree(root, path_);
    }
  }

  std::unique_ptr<TWreg> Store(const std::vector<std::string>& map = ModuleMap()) {
    auto store = MakeStore("", "", map);
    store->RegistryPath = "\\" + path_ + "\\";
    return store;
  }

  std::optional<RegistryValue> Query(RegistryRoot root, const std::string& name,
                                     const std::string& subKey = "") {
    platform::RegistryKey key;
    if (!key.Open(root, subKey.empty() ? path_ : path_ + "\\" + subKey, false)) return {};
    return key.Query(name);
  }

  void Put(RegistryRoot root, const std::string& name, const RegistryValue& value) {
    platform::RegistryKey key;
    ASSERT_TRUE(key.Open(root, path_, true));
    ASSERT_TRUE(key.Set(name, value));
  }

  const std::string path_ = "Software\\MoxSettingsTests\\" + UniqueName();
};

template <class T>
T Number(const RegistryValue& value) {
  T number{};
  EXPECT_EQ(value.Data.size(), sizeof(number));
  std::memcpy(&number, value.Data.data(), std::min(sizeof(number), value.Data.size()));
  return number;
}

RegistryValue Dword(int32_t number) {
  return {RegistryType::Dword, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
}

TEST_F(RegistryMode, SaveWritesEachTypeInItsRegistryForm) {
  TTestSettings settings;
  settings.spMinInt_Value = 2.5;
  settings.lblParams_Caption = "a b\r\n";
  EXPECT_TRUE(Store()->SaveValues(&settings));
  const auto left = Query(RegistryRoot::LocalMachine, "Left");
  ASSERT_TRUE(left);
  EXPECT_EQ(left->Type, RegistryType::Dword);
  EXPECT_EQ(Number<int32_t>(*left), 326);
  const auto interval = Query(RegistryRoot::LocalMachine, "Min interval");
  ASSERT_TRUE(interval);
  EXPECT_EQ(interval->Type, RegistryType::Binary);
  EXPECT_EQ(Number<double>(*interval), 2.5);
  const auto caption = Query(RegistryRoot::LocalMachine, "Parser config");
  ASSERT_TRUE(caption);
  EXPECT_EQ(caption->Type, RegistryType::String);
  EXPECT_EQ(caption->Data, "a b%0D%0A");
  EXPECT_FALSE(Query(RegistryRoot::LocalMachine, ";---short---"));
}

TEST_F(RegistryMode, SubPathsAreKeysBelowThePath) {
  TTestSettings settings;
  EXPECT_TRUE(Store({"Left,Sub\\\\Dir\\\\Name"})->SaveValues(&settings));
  const auto value = Query(RegistryRoot::LocalMachine, "Name", "Sub\\Dir");
  ASSERT_TRUE(value);
  EXPECT_EQ(Number<int32_t>(*value), 326);
}

TEST_F(RegistryMode, SaveThenLoadGivesEqualValues) {
  TTestSettings saved;
  saved.Top = -1;
  saved.lblParams_Caption = " <x>\r\n100% caf\xE9</x> ";
  saved.spCPURack_Value = 1.0 / 3;
  saved.comboProto_ItemIndex = 11;
  EXPECT_TRUE(Store()->SaveValues(&saved));
  TTestSettings loaded;
  EXPECT_TRUE(Store()->LoadValues(&loaded));
  for (const TPropertyInfo* property : loaded.ClassInfo().Properties()) {
    EXPECT_EQ(property->Get(loaded), property->Get(saved)) << property->Name;
  }
}

TEST_F(RegistryMode, FallsBackToTheSecondRoot) {
  Put(RegistryRoot::CurrentUser, "Left", Dword(17));
  TTestSettings settings;
  EXPECT_TRUE(Store()->LoadValues(&settings));  // the key is missing under the first root
  EXPECT_EQ(settings.Left, 17);

  auto store = Store({"Top,Top"});
  store->RegistryRoot = rrNone;  // never usable
  EXPECT_TRUE(store->SaveValues(&settings));
  EXPECT_TRUE(Query(RegistryRoot::CurrentUser, "Top"));
  EXPECT_FALSE(Query(RegistryRoot::LocalMachine, "Top"));
}

TEST_F(RegistryMode, NoUsableRootEndsThePass) {
  TTestSettings settings;
  EXPECT_FALSE(Store()->LoadValues(&settings));  // the key exists under neither root
  EXPECT_EQ(settings.Left, 326);
  auto store = Store();
  store->RegistryRoot = store->SecondRegistryRoot = rrNone;
  EXPECT_FALSE(store->SaveValues(&settings));
  auto rootOnly = Store();
  rootOnly->RegistryPath = "\\";  // would write straight into the root key
  EXPECT_FALSE(rootOnly->SaveValues(&settings));
}

TEST_F(RegistryMode, LoadDeletesValuesOfTheWrongType) {
  Put(RegistryRoot::LocalMachine, "Left", {RegistryType::String, "12"});
  Put(RegistryRoot::LocalMachine, "Min interval", {RegistryType::Binary, "1234"});
  Put(RegistryRoot::LocalMachine, "CPU slot", Dword(3));
  Put(RegistryRoot::LocalMachine, "Top", Dword(99));
  TTestSettings settings;
  EXPECT_TRUE(Store()->LoadValues(&settings));
  EXPECT_EQ(settings.Left, 326);
  EXPECT_EQ(settings.spMinInt_Value, 0);
  EXPECT_EQ(settings.spCPUSlot_Value, 2);
  EXPECT_EQ(settings.Top, 99);
  for (const char* name : {"Left", "Min interval", "CPU slot"}) {
    EXPECT_FALSE(Query(RegistryRoot::LocalMachine, name)) << name;
  }
  EXPECT_TRUE(Query(RegistryRoot::LocalMachine, "Top"));
}

TEST_F(RegistryMode, StringsAlsoReadFromNumbersAndExpandableText) {
  double half = 0.5;
  Put(RegistryRoot::LocalMachine, "A", Dword(-17));
  Put(RegistryRoot::LocalMachine, "B",
      {RegistryType::Binary, std::string(reinterpret_cast<const char*>(&half), sizeof(half))});
  Put(RegistryRoot::LocalMachine, "C", {RegistryType::ExpandString, "%25PATH%25+x"});
  TTestSettings settings;
  EXPECT_TRUE(Store({"lblParams.Caption,A", "OpenDialog.FileName,B", "SaveDialog.FileName,C"})
                  ->LoadValues(&settings));
  EXPECT_EQ(settings.lblParams_Caption, "-17");
  EXPECT_EQ(settings.OpenDialog_FileName.size(), 3u);  // "0.5" with the user's separator
  EXPECT_EQ(settings.SaveDialog_FileName, "%PATH% x");
}

TEST_F(RegistryMode, AValueThePropertyRefusesIsDeleted) {
  Put(RegistryRoot::LocalMachine, "P", Dword(-1));
  Put(RegistryRoot::LocalMachine, "E", Dword(5));
  TTestSettings settings;
  EXPECT_TRUE(Store({"Positive,P", "Enabled,E", "Left,Left"})->LoadValues(&settings));
  EXPECT_EQ(settings.Positive(), 7);
  EXPECT_FALSE(settings.Enabled);
  EXPECT_FALSE(Query(RegistryRoot::LocalMachine, "P"));
  EXPECT_FALSE(Query(RegistryRoot::LocalMachine, "E"));
}

}  // namespace
