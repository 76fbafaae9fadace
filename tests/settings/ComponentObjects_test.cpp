// String list and object properties in the component model, and the settings
// store leaving them alone.

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "moxShared/Public/Component/moxCollection.h"
#include "moxShared/Public/Component/moxFont.h"
#include "moxShared/Public/Component/moxWideStrings.h"
#include "settings/TWregistry.h"

namespace {

using namespace settings_test;

class TPanel : public TComponent {
 public:
  using TComponent::TComponent;
  static const TClassInfo& StaticClassInfo() {
    static const TClassInfo info(
        "TPanel", &TComponent::StaticClassInfo(),
        {PublishedField("Left", &TPanel::Left), PublishedField("Items", &TPanel::Items),
         PublishedObject("Font", &TPanel::Font)});
    return info;
  }
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  int32_t Left = 5;
  std::vector<std::string> Items{"a", "b"};
  TFont FontObject;
  TFont* Font = &FontObject;
};

TEST(ComponentObjects, StringListAndObjectPropertiesReadAndWrite) {
  TPanel panel;
  const TClassInfo& info = panel.ClassInfo();
  const TPropertyInfo* items = info.FindProperty("items");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->Type, TPropertyType::StringList);
  items->Set(panel, std::vector<std::string>{"c"});
  EXPECT_EQ(panel.Items, std::vector<std::string>{"c"});

  const TPropertyInfo* font = info.FindProperty("Font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->Type, TPropertyType::Object);
  EXPECT_FALSE(font->Set);  // changed in place, never replaced
  TPersistent* value = std::get<TPersistent*>(font->Get(panel));
  EXPECT_EQ(ObjectAs<TFont>(value), &panel.FontObject);
  EXPECT_EQ(ObjectAs<TWideStrings>(value), nullptr);
  panel.Font = nullptr;
  EXPECT_EQ(std::get<TPersistent*>(font->Get(panel)), nullptr);
  EXPECT_EQ(ObjectAs<TFont>(nullptr), nullptr);
}

TEST(ComponentObjects, CollectionOwnsItemsAndRefusesOwnedOnes) {
  TCollection collection;
  TPanel& item = collection.Add<TPanel>();
  EXPECT_EQ(collection.Count(), 1);
  EXPECT_EQ(&collection.Item(0), &item);
  EXPECT_THROW(collection.Item(1), std::out_of_range);

  TPanel owner;
  EXPECT_THROW(collection.Add<TPanel>(&owner), std::invalid_argument);
  EXPECT_EQ(collection.Count(), 1);
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(ComponentObjects, SettingsStoreSkipsStringListsAndObjects) {
  TempFolder folder;
  const std::string ini = folder.File("s.ini");
  const std::vector<std::string> map{"Items,Items", "Font,Font", "Left,Left"};
  TPanel saved;
  saved.Left = 7;
  EXPECT_TRUE(MakeStore(ini, "", map)->SaveValues(&saved));
  EXPECT_EQ(ReadFile(ini), "[Common]\r\nLeft=7\r\n\r\n");
  EXPECT_FALSE(MakeStore(ini, "", {"Items,Items"})->SaveValues(&saved));

  WriteFile(ini, "[Common]\r\nItems=x\r\nFont=y\r\nLeft=9\r\n");
  TPanel loaded;
  EXPECT_TRUE(MakeStore(ini, "", map)->LoadValues(&loaded));
  EXPECT_EQ(loaded.Left, 9);
  EXPECT_EQ(loaded.Items, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(loaded.Font, &loaded.FontObject);
  EXPECT_EQ(ReadFile(ini), "[Common]\r\nItems=x\r\nFont=y\r\nLeft=9\r\n");
}

}  // namespace
