#include "moxShared/Public/Component/moxComponent.h"

#include <gtest/gtest.h>

#include "SettingsTestSupport.h"

namespace {

using settings_test::TTestSettings;

// Counts its destructions, so that ownership can be watched.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, int& destroyed) : TComponent(owner), destroyed_(destroyed) {}
  ~TProbe() override { ++destroyed_; }

 private:
  int& destroyed_;
};

TEST(Component, OwnerFreesWhatItOwnsAndAChildLeavesItsOwnerWhenFreedFirst) {
  int destroyed = 0;
  {
    TComponent owner;
    auto* first = new TProbe(&owner, destroyed);
    new TProbe(first, destroyed);  // owned by the first, freed with it
    auto* second = new TProbe(&owner, destroyed);
    EXPECT_EQ(owner.ComponentCount(), 2);
    EXPECT_EQ(owner.Component(1), second);
    delete second;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(owner.ComponentCount(), 1);
  }
  EXPECT_EQ(destroyed, 3);
}

TEST(Component, PropertiesAreFoundByNameWithoutCaseAndListedParentFirst) {
  TTestSettings settings;
  const TClassInfo& info = settings.ClassInfo();
  EXPECT_TRUE(info.InheritsFrom(TComponent::StaticClassInfo()));
  EXPECT_FALSE(TComponent::StaticClassInfo().InheritsFrom(info));
  const auto properties = info.Properties();
  ASSERT_GE(properties.size(), 3u);
  EXPECT_EQ(properties[0]->Name, "Name");
  EXPECT_EQ(properties[1]->Name, "Tag");
  EXPECT_EQ(properties[2]->Name, "Left");
  EXPECT_EQ(info.FindProperty("spminint_VALUE"), info.FindProperty("spMinInt_Value"));
  EXPECT_EQ(info.FindProperty("Label1_Caption"), nullptr);
}

TEST(Component, AccessorsReadAndWriteTypedValues) {
  TTestSettings settings;
  const TClassInfo& info = settings.ClassInfo();
  info.FindProperty("Tag")->Set(settings, int32_t{9999});
  info.FindProperty("spCPUSlot_Value")->Set(settings, 3.5);
  info.FindProperty("lblParams_Caption")->Set(settings, std::string("<x/>"));
  info.FindProperty("Enabled")->Set(settings, true);
  EXPECT_EQ(settings.Tag, 9999);
  EXPECT_EQ(settings.spCPUSlot_Value, 3.5);
  EXPECT_EQ(settings.lblParams_Caption, "<x/>");
  EXPECT_TRUE(settings.Enabled);
  EXPECT_EQ(info.FindProperty("Enabled")->Type, TPropertyType::Boolean);
  EXPECT_EQ(std::get<std::string>(info.FindProperty("Version")->Get(settings)), "5.0");
  EXPECT_FALSE(info.FindProperty("Version")->Set);  // read-only
  // A value of the wrong type is refused, not converted.
  EXPECT_THROW(info.FindProperty("Left")->Set(settings, 1.5), std::bad_variant_access);
  EXPECT_EQ(settings.Left, 326);
}

}  // namespace
