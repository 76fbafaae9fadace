#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "ParamsTestSupport.h"
#include "moxShared/Public/Common/moxParamLst.h"

namespace {

TEST(ParamsListLookup, IgnoresCaseByTheAnsiCodePage) {
  TmoxParamsList list;
  list.Add("Command", TVariant::OfI4(1));
  list.Add("\xC4pfel", TVariant::OfI4(2));          // Ä
  list.Add("\x8A\x8C\x8E\x9F", TVariant::OfI4(3));  // Š Œ Ž Ÿ
  EXPECT_EQ(list.IndexOf("COMMAND"), 0);
  EXPECT_EQ(list.IndexOf("command"), 0);
  EXPECT_EQ(list.IndexOf("\xE4PFEL"), 1);  // ä
  EXPECT_EQ(list.IndexOf("\x9A\x9C\x9E\xFF"), 2);
  EXPECT_EQ(list.Items(1)->Key, "\xE4pfel");
  EXPECT_EQ(list.Items(1)->Name, "\xC4pfel");
}

TEST(ParamsListLookup, LeavesCharactersWithoutALowerCaseAlone) {
  TmoxParamsList list;
  list.Add("\xD7\xDF", TVariant());  // × and ß
  EXPECT_EQ(list.Items(0)->Key, "\xD7\xDF");
  EXPECT_EQ(list.IndexOf("\xF7\xDF"), -1);  // ÷ is not the lower case of ×
}

TEST(ParamsListLookup, DuplicatesAreKeptAndTheFirstIsFound) {
  TmoxParamsList list;
  list.Add("x", TVariant::OfI4(1));
  list.Add("X", TVariant::OfI4(2));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list.GetValue("x"), TVariant::OfI4(1));
  EXPECT_EQ(list.IndexOf("x", 1), 1);
}

TEST(ParamsListLookup, MissingNamesGiveEmptyOrTheDefault) {
  TmoxParamsList list;
  EXPECT_EQ(list.GetValue("a").Type(), VarType::Empty);
  EXPECT_EQ(list.GetValueDef("a", TVariant::OfI4(7)), TVariant::OfI4(7));
  EXPECT_EQ(list.Find("a"), nullptr);
  list.Add("b", TVariant::Null());
  EXPECT_EQ(list.GetValue("a").Type(), VarType::Empty);
  EXPECT_EQ(list.GetValue("b").Type(), VarType::Null);
  EXPECT_EQ(list.GetValueDef("a", TVariant::OfI4(7)), TVariant::OfI4(7));
}

TEST(ParamsListLookup, StrictAccessFailsForMissingNames) {
  TmoxParamsList list;
  list.Add("a", TVariant::OfI4(1));
  EXPECT_EQ(list.GetValueStrict("A"), TVariant::OfI4(1));
  try {
    list.GetValueStrict("b");
    FAIL() << "no failure";
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(std::string(e.what()).find("Parameter is not defined"), std::string::npos);
  }
  EXPECT_THROW(list.SetValueStrict("b", TVariant()), EAssertionFailed);
  EXPECT_EQ(list.Count(), 1);
  list.SetValueStrict("a", TVariant::OfI4(5));
  EXPECT_EQ(list.GetValue("a"), TVariant::OfI4(5));
}

// a=1, separator, b=2, separator, a=3
TmoxParamsList& TwoRows(TmoxParamsList& list) {
  list.Add("a", TVariant::OfI4(1));
  list.NewRow();
  list.Add("b", TVariant::OfI4(2));
  list.NewRow();
  list.Add("a", TVariant::OfI4(3));
  return list;
}

TEST(ParamsListRanges, ClampTheRangeToTheList) {
  TmoxParamsList list;
  TwoRows(list);
  EXPECT_EQ(list.IndexOf("a", -5, 100), 0);
  EXPECT_EQ(list.IndexOf("a", 1, -1), 4);
  EXPECT_EQ(list.IndexOf("a", 1, 3), -1);
  EXPECT_EQ(list.IndexOf("a", 5), -1);
  EXPECT_EQ(list.GetValue("a", 1), TVariant::OfI4(3));
}

TEST(ParamsListRanges, MinusTwoSearchesToTheEndOfTheRow) {
  TmoxParamsList list;
  TwoRows(list);
  EXPECT_EQ(list.IndexOf("a", 0, -2), 0);
  EXPECT_EQ(list.IndexOf("b", 0, -2), -1);
  EXPECT_EQ(list.IndexOf("b", 2, -2), 2);
  // The separator itself is compared before the search stops.
  EXPECT_EQ(list.IndexOf(kRowSeparatorName, 0, -2), 1);
}

TEST(ParamsListRows, NewRowAddsOneSeparator) {
  TmoxParamsList list;
  list.NewRow();
  list.NewRow();
  ASSERT_EQ(list.Count(), 1);
  const TmoxParamsListItem& separator = *list.Items(0);
  EXPECT_EQ(separator.Name, "$NEW_ROW$");
  EXPECT_EQ(separator.ItemType, 0xFF01);
  EXPECT_EQ(separator.Value().Type(), VarType::Null);
  EXPECT_TRUE(separator.IsNewRow());
}

TEST(ParamsListRows, FindRowEnd) {
  TmoxParamsList list;
  int32_t end = -1;
  bool newRow = true;
  EXPECT_FALSE(list.FindRowEnd(0, end, newRow));
  list.Add("a", TVariant());
  list.Add("b", TVariant());
  EXPECT_TRUE(list.FindRowEnd(-3, end, newRow));
  EXPECT_EQ(end, 1);
  EXPECT_FALSE(newRow);
  EXPECT_FALSE(list.FindRowEnd(2, end, newRow));
  list.NewRow();
  list.Add("c", TVariant());
  EXPECT_TRUE(list.FindRowEnd(0, end, newRow));
  EXPECT_EQ(end, 2);
  EXPECT_TRUE(newRow);
  EXPECT_TRUE(list.FindRowEnd(3, end, newRow));
  EXPECT_EQ(end, 3);
  EXPECT_FALSE(newRow);
}

TEST(ParamsListRows, AppendListRowClosesTheRowOnce) {
  TmoxParamsList row;
  row.Add("a", TVariant::OfI4(1));
  TmoxParamsList table;
  table.AppendListRow(&row);
  row.NewRow();
  table.AppendListRow(&row);
  ASSERT_EQ(table.Count(), 4);
  EXPECT_TRUE(table.Items(1)->IsNewRow());
  EXPECT_TRUE(table.Items(3)->IsNewRow());
  TmoxParamsList empty;
  table.AppendListRow(&empty);  // the last item already closes a row
  EXPECT_EQ(table.Count(), 4);
}

TEST(ParamsListEditing, BlankNamesAddNothing) {
  TmoxParamsList list;
  EXPECT_EQ(list.Add("  ", TVariant::OfI4(1)), nullptr);
  EXPECT_EQ(list.Add("\t\r\n", TVariant::OfI4(1)), nullptr);
  EXPECT_EQ(list.Add("", TVariant::OfI4(1)), nullptr);
  EXPECT_EQ(list.Insert(99, " ", TVariant::OfI4(1)), nullptr);
  EXPECT_EQ(list.SetValue(" ", TVariant::OfI4(1), true), nullptr);
  EXPECT_EQ(list.Count(), 0);
  TmoxParamsListItem* item = list.Add(" x ", TVariant::OfI4(1));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->Name, " x ");
  EXPECT_EQ(item->Key, " x ");
  EXPECT_EQ(list.IndexOf("x"), -1);
}

TEST(ParamsListEditing, InsertChecksTheIndex) {
  TmoxParamsList list;
  list.Add("b", TVariant());
  list.Insert(0, "a", TVariant());
  list.Insert(2, "c", TVariant());
  EXPECT_EQ(list.Items(0)->Name, "a");
  EXPECT_EQ(list.Items(2)->Name, "c");
  try {
    list.Insert(5, "d", TVariant());
    FAIL() << "no failure";
  } catch (const EListError& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  EXPECT_THROW(list.Insert(-1, "d", TVariant()), EListError);
  EXPECT_EQ(list.Count(), 3);
}

TEST(ParamsListEditing, DeleteIgnoresIndicesBeyondTheEnd) {
  TmoxParamsList list;
  list.Add("a", TVariant());
  list.Add("b", TVariant());
  list.Delete(2);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_THROW(list.Delete(-1), EAssertionFailed);
  list.Delete(0);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0)->Name, "b");
  EXPECT_EQ(list.Items(1), nullptr);
  EXPECT_EQ(list.Items(-1), nullptr);
}

TEST(ParamsListEditing, SetValueKeepsStateAndType) {
  TmoxParamsList list;
  TmoxParamsListItem* item = list.Add("a", TVariant::OfI4(1));
  item->State = 7;
  item->ItemType = 3;
  EXPECT_EQ(list.SetValue("A", TVariant::OfAnsi("x"), false), item);
  EXPECT_EQ(item->Value(), TVariant::OfWide(u"x"));
  EXPECT_EQ(item->State, 7);
  EXPECT_EQ(item->ItemType, 3);
  EXPECT_EQ(list.SetValue("b", TVariant::OfI4(2), false), nullptr);
  TmoxParamsListItem* added = list.SetValue("b", TVariant::OfI4(2), true);
  ASSERT_NE(added, nullptr);
  EXPECT_EQ(added->Value(), TVariant::OfI4(2));
  EXPECT_EQ(list.Count(), 2);
}

TEST(ParamsListEditing, ItemStateFollowsTheInitialValue) {
  EXPECT_EQ(TmoxParamsListItem("a", TVariant()).State, 0);
  EXPECT_EQ(TmoxParamsListItem("a", TVariant::Null()).State, 0);
  EXPECT_EQ(TmoxParamsListItem("a", TVariant::OfI4(0)).State, 2);
  TmoxParamsList list;
  EXPECT_EQ(list.Add("a", TVariant::Null())->State, 2);
}

TEST(ParamsListValues, StorageKeepsEveryNumericType) {
  const TVariant values[] = {
      TVariant::OfI1(-5),        TVariant::OfUI1(200),         TVariant::OfI2(-300),
      TVariant::OfUI2(60000),    TVariant::OfI4(-70000),       TVariant::OfUI4(4000000000u),
      TVariant::OfI8(1LL << 40), TVariant::OfR4(1.5f),         TVariant::OfR8(0.1),
      TVariant::OfCy(12345),     TVariant::OfBool(true),       TVariant::OfDate(36526.5),
      TVariant::Null(),          TVariant::OfWide(u"\u20ACx"), TVariant()};
  TmoxParamsList list;
  for (const TVariant& value : values) {
    list.Add("v", value);
    EXPECT_EQ(list.Items(list.Count() - 1)->Value(), value);
  }
}

TEST(ParamsListValues, EightBitStringsAreStoredWide) {
  TmoxParamsList list;
  list.Add("a", TVariant::OfAnsi("\x80 \xC4"));
  list.Insert(0, "b", TVariant::OfAnsi("abc"));
  EXPECT_EQ(list.GetValue("a"), TVariant::OfWide(u"\u20AC \u00C4"));
  EXPECT_EQ(list.GetValue("b"), TVariant::OfWide(u"abc"));
}

TEST(ParamsListCopies, AddCopyCopiesKeyTypeAndState) {
  TmoxParamsList source;
  TmoxParamsListItem* item = source.Add("Name", TVariant::OfI4(4));
  item->ItemType = 9;
  item->State = 1;
  item->Name = "Renamed";  // the key stays "name"
  TmoxParamsList target;
  EXPECT_EQ(target.AddCopy(nullptr), nullptr);
  TmoxParamsListItem* copy = target.AddCopy(item);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Name, "Renamed");
  EXPECT_EQ(copy->Key, "name");
  EXPECT_EQ(copy->ItemType, 9);
  EXPECT_EQ(copy->State, 1);
  EXPECT_EQ(copy->Value(), TVariant::OfI4(4));
}

TEST(ParamsListCopies, AppendListAndRange) {
  TmoxParamsList source;
  TwoRows(source);
  TmoxParamsList target;
  EXPECT_FALSE(target.AppendList(nullptr));
  TmoxParamsList empty;
  EXPECT_FALSE(target.AppendList(&empty));
  EXPECT_FALSE(target.AppendRange(&empty, 0, 5));
  EXPECT_TRUE(target.AppendList(&source));
  ASSERT_EQ(target.Count(), 5);
  EXPECT_TRUE(target.Items(3)->IsNewRow());
  EXPECT_TRUE(target.AppendRange(&source, 2, 2));
  EXPECT_EQ(target.Items(5)->Name, "b");
  EXPECT_TRUE(target.AppendRange(&source, 3, 1));  // an empty range
  EXPECT_TRUE(target.AppendRange(&source, -10, 100));
  EXPECT_EQ(target.Count(), 11);
}

TEST(ParamsListIdentity, SignatureAndIdentifier) {
  TmoxParamsList a;
  TmoxParamsList b;
  EXPECT_EQ(a.Signature(), 0x0FDE2E4Bu);
  EXPECT_EQ(a.Tag, 0);
  EXPECT_TRUE(TmoxParamsList::HasSignature(&a));
  // After the class pointer and the item storage (pointer, count, capacity).
  EXPECT_EQ(TmoxParamsList::SignatureOffset(), 4 * sizeof(void*));
  const std::regex guid("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}");
  EXPECT_TRUE(std::regex_match(a.Identifier(), guid)) << a.Identifier();
  EXPECT_NE(a.Identifier(), b.Identifier());
}

TEST(ParamsListIdentity, ForeignObjectsHaveNoSignature) {
  alignas(8) unsigned char block[64] = {};
  EXPECT_FALSE(TmoxParamsList::HasSignature(block));
  EXPECT_FALSE(TmoxParamsList::HasSignature(nullptr));
}

}  // namespace
