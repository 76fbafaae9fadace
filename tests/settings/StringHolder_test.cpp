// The string holder of the property map: its list rules, change events and
// the stored form it is kept in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SettingsTestSupport.h"
#include "settings/moxStringHolder.h"

namespace {

using Lines = std::vector<std::string>;

TEST(StringHolder, StoredFormHoldsTheKeyAndEachLineAsLowerCaseHexOfItsUtf8Bytes) {
  TmoxStrHolder holder;
  holder.SetStrings({"Left,Left", "", ";---short---", "Caf\xE9"});
  const TmoxStrHolderStoredForm form = holder.WriteStoredForm();
  EXPECT_EQ(form.InternalVer, 2);
  const Lines expected = {"", "4c6566742c4c656674", "", "3b2d2d2d73686f72742d2d2d", "436166c3a9"};
  EXPECT_EQ(form.StrData, expected);
}

TEST(StringHolder, AKeyIsCombinedCyclicallyFromItsFirstByteForEveryLine) {
  TmoxStrHolder holder;
  holder.KeyString = "AB";
  holder.SetStrings({"abc", "a"});
  const Lines expected = {"AB", "202022", "20"};  // 'a'^'A', 'b'^'B', 'c'^'A'; again 'a'^'A'
  EXPECT_EQ(holder.WriteStoredForm().StrData, expected);
}

TEST(StringHolder, ReadingTheStoredFormGivesBackKeyAndLines) {
  const Lines lines = {"Left,Left", "", "spMinInt.Value,Min interval ;note",
                       "\xE4\xF6\xFC\xDF \x80"};
  for (const std::string key : {"", "k",
                                "S\xE9sam, \xF6"
                                "ffne dich"}) {
    TmoxStrHolder source, target;
    source.KeyString = key;
    source.SetStrings(lines);
    target.ReadStoredForm(source.WriteStoredForm());
    EXPECT_EQ(target.KeyString, key);
    EXPECT_EQ(target.Strings(), lines) << key;
  }
}

TEST(StringHolder, MalformedStoredFormsAreRefusedAndTheLinesKept) {
  TmoxStrHolder holder;
  holder.SetStrings({"Left,Left"});
  const std::vector<TmoxStrHolderStoredForm> bad = {
      {1, {"", "4c"}}, {2, {}}, {2, {"", "4c6"}}, {2, {"", "4g"}}, {2, {"", "4c", " 4"}}};
  for (const auto& form : bad) {
    EXPECT_THROW(holder.ReadStoredForm(form), EmoxStrHolder);
    EXPECT_EQ(holder.Strings(), Lines{"Left,Left"});
    EXPECT_EQ(holder.KeyString, "");
  }
  holder.ReadStoredForm({2, {"", "4C45"}});  // upper-case digits read as well
  EXPECT_EQ(holder.Strings(), Lines{"LE"});
}

TEST(StringHolder, ChangesRaiseEventsBeforeAndAfterButReadingTheStoredFormDoesNot) {
  TmoxStrHolder holder;
  std::vector<std::string> events;
  holder.OnChanging = [&](TmoxStrHolder& sender) {
    events.push_back("changing " + std::to_string(sender.Strings().size()));
  };
  holder.OnChange = [&](TmoxStrHolder& sender) {
    events.push_back("change " + std::to_string(sender.Strings().size()));
  };
  holder.SetStrings({"a", "b"});
  holder.Add("c");
  holder.ReadStoredForm({2, {"", "61"}});
  const Lines expected = {"changing 0", "change 2", "changing 2", "change 3"};
  EXPECT_EQ(events, expected);
  EXPECT_EQ(holder.Strings(), Lines{"a"});
}

TEST(StringHolder, SortedListsKeepOrderAndApplyTheDuplicatesRule) {
  TmoxStrHolder holder;
  holder.SetStrings({"b", "C", "a", "b"});
  holder.SetSorted(true);
  EXPECT_EQ(holder.Strings(), (Lines{"a", "b", "b", "C"}));  // existing duplicates stay
  holder.Add("B");
  EXPECT_EQ(holder.Strings(), (Lines{"a", "b", "b", "C"}));  // dupIgnore, without case
  holder.SetDuplicates(dupAccept);
  holder.Add("B");
  holder.Add("0");
  EXPECT_EQ(holder.Strings(), (Lines{"0", "a", "b", "b", "B", "C"}));
  holder.SetDuplicates(dupError);
  EXPECT_THROW(holder.SetStrings({"x", "y", "X"}), EmoxStrHolder);
  EXPECT_EQ(holder.Strings().size(), 6u);
  EXPECT_THROW(holder.SetDuplicates(3), EmoxStrHolder);
  EXPECT_EQ(holder.Duplicates(), dupError);
}

TEST(StringHolder, CapacityFollowsTheLinesAndCannotDropBelowThem) {
  TmoxStrHolder holder;
  holder.SetCapacity(28);
  holder.SetStrings(settings_test::ModuleMap());
  EXPECT_EQ(holder.Capacity(), 28);
  holder.SetStrings(Lines(30, "x"));
  EXPECT_EQ(holder.Capacity(), 30);
  EXPECT_THROW(holder.SetCapacity(29), EmoxStrHolder);
  EXPECT_THROW(holder.SetCapacity(-1), EmoxStrHolder);
  EXPECT_EQ(holder.Capacity(), 30);
}

TEST(StringHolder, PublishesItsListSettings) {
  TmoxStrHolder holder;
  const TClassInfo& info = holder.ClassInfo();
  info.FindProperty("Capacity")->Set(holder, int32_t{28});
  info.FindProperty("Sorted")->Set(holder, true);
  info.FindProperty("KeyString")->Set(holder, std::string("k"));
  info.FindProperty("Duplicates")->Set(holder, int32_t{dupAccept});
  EXPECT_EQ(holder.Capacity(), 28);
  EXPECT_TRUE(holder.Sorted());
  EXPECT_EQ(holder.KeyString, "k");
  EXPECT_EQ(holder.Duplicates(), dupAccept);
}

}  // namespace
