#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ParamsTestSupport.h"
#include "moxShared/Public/Common/moxAnsiString.h"
#include "moxShared/Public/Common/moxParamLstItemWrap.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"

namespace {

using TListA = TmoxIntfRef<ImoxParamsListA>;
using TListW = TmoxIntfRef<ImoxParamsListW>;
using TItemA = TmoxIntfRef<ImoxParamsListItemA>;
using TItemW = TmoxIntfRef<ImoxParamsListItemW>;

// A counted reference to the A interface of a new wrapper.
TListA WrapA(TmoxParamsList* list = nullptr) {
  auto* wrap = new TmoxParamsListWrap(list, true);
  TListA ref;
  EXPECT_EQ(wrap->QueryInterface(IID_ImoxParamsListA, reinterpret_cast<void**>(ref.Receive())),
            kS_OK);
  return ref;
}

TListW AsW(const TListA& list) {
  TListW ref;
  EXPECT_EQ(list->QueryInterface(IID_ImoxParamsListW, reinterpret_cast<void**>(ref.Receive())),
            kS_OK);
  return ref;
}

// A BSTR that frees itself.
class TBStr {
 public:
  explicit TBStr(std::u16string_view text)
      : FText(platform::AllocBStr(text.data(), static_cast<uint32_t>(text.size()))) {}
  ~TBStr() { platform::FreeBStr(FText); }
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;
  const char16_t* Get() const { return FText; }

 private:
  platform::BStr FText;
};

TEST(ParamsListIntfLayout, SlotsAreInTheirPublishedOrder) {
  TmoxParamsList list;
  TListA intf = WrapA(&list);
  void* a = intf.Get();
  CallSlot<void>(a, 6, int32_t{42});  // SetTag
  EXPECT_EQ(list.Tag, 42);
  EXPECT_EQ(CallSlot<int32_t>(a, 5), 42);          // GetTag
  EXPECT_EQ(CallSlot<int32_t>(a, 4), 0x0FDE2E4B);  // GetSignature

  const TAnsiString name("Speed");
  ImoxParamsListItemA* added = nullptr;
  EXPECT_EQ(CallSlot<HResult>(a, 19, name.Handle(), TVariant::OfI2(5).Data(), &added), kS_OK);
  TItemA addedRef = TItemA::Adopt(added);
  EXPECT_EQ(CallSlot<int32_t>(a, 3), 1);  // GetCount
  CallSlot<void>(a, 10);                  // NewRow
  EXPECT_EQ(list.Count(), 2);

  int32_t index = -1;
  EXPECT_EQ(CallSlot<HResult>(a, 16, name.Handle(), int32_t{0}, int32_t{-1}, &index), kS_OK);
  EXPECT_EQ(index, 0);
  ImoxParamsListItemA* item = nullptr;
  EXPECT_EQ(CallSlot<HResult>(a, 12, int32_t{1}, &item), kS_OK);  // GetItem
  TItemA itemRef = TItemA::Adopt(item);
  EXPECT_TRUE(CallSlot<bool>(item, 13));                       // IsNewRow
  EXPECT_EQ(CallSlot<int32_t>(item, 7), 0xFF01);               // GetItemType
  EXPECT_STREQ(CallSlot<const char*>(item, 12), "$NEW_ROW$");  // GetName
  CallSlot<void>(item, 5, uint8_t{9});                         // SetState
  EXPECT_EQ(list.Items(1)->State, 9);

  void* w = AsW(intf).Get();
  const TBStr wideName(u"SPEED");
  TVarData value{};
  EXPECT_EQ(CallSlot<HResult>(w, 17, wideName.Get(), int32_t{0}, int32_t{-1}, &value), kS_OK);
  EXPECT_EQ(TVariant::Adopt(value), TVariant::OfI2(5));
  CallSlot<void>(w, 8, int32_t{1});  // Delete
  EXPECT_EQ(list.Count(), 1);

  TItemW itemW;
  EXPECT_EQ(AsW(intf)->GetItem(0, itemW.Receive()), kS_OK);
  EXPECT_EQ(std::u16string(CallSlot<const char16_t*>(itemW.Get(), 15)), u"Speed");  // GetNameW
  TVarData itemValue{};
  EXPECT_EQ(CallSlot<HResult>(itemW.Get(), 17, &itemValue), kS_OK);  // GetValueW
  EXPECT_EQ(TVariant::Adopt(itemValue), TVariant::OfI2(5));
}

TEST(ParamsListIntfLayout, QueryInterfaceAnswersOnlyItsIdentifiers) {
  TListA list = WrapA();
  void* other = &list;
  EXPECT_EQ(list->QueryInterface(IID_ImoxUnknown, &other), kE_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  EXPECT_EQ(list->QueryInterface(IID_ImoxParamsListItemA, &other), kE_NOINTERFACE);
  EXPECT_EQ(list->QueryInterface(IID_ImoxParamsListA, nullptr), kE_POINTER);

  TItemA item;
  ASSERT_EQ(list->SetValue(TAnsiString("a").Handle(), TVariant().Data(), 1, item.Receive()), kS_OK);
  TItemW itemW;
  EXPECT_EQ(
      item->QueryInterface(IID_ImoxParamsListItemW, reinterpret_cast<void**>(itemW.Receive())),
      kS_OK);
  EXPECT_EQ(static_cast<void*>(itemW.Get()), static_cast<void*>(item.Get()));
  EXPECT_EQ(item->QueryInterface(IID_ImoxParamsListA, &other), kE_NOINTERFACE);
}

TEST(ParamsListIntfLifetime, ReleaseFreesTheWrapperButNotABorrowedList) {
  TmoxParamsList list;
  auto* wrap = new TmoxParamsListWrap(&list, true);
  ImoxParamsListA* intf = wrap;
  EXPECT_EQ(intf->AddRef(), 1u);
  EXPECT_EQ(intf->AddRef(), 2u);
  EXPECT_EQ(intf->Release(), 1u);
  EXPECT_EQ(intf->Release(), 0u);  // the wrapper is gone
  list.Add("still", TVariant());   // the list is not
  EXPECT_EQ(list.Count(), 1);
}

TEST(ParamsListIntfLifetime, GetIntfRefCountsOneReferenceToItself) {
  TErrorLogCapture log;
  TmoxParamsList list;
  auto* wrap = new TmoxParamsListWrap(&list, true);
  ImoxParamsListA** ref = wrap->GetIntfRef();
  EXPECT_EQ(wrap->GetIntfRef(), ref);
  ImoxParamsListA* self = *ref;
  ASSERT_EQ(self, static_cast<ImoxParamsListA*>(wrap));
  EXPECT_EQ(self->AddRef(), 2u);
  EXPECT_EQ(self->Release(), 1u);
  wrap->Destroy();
  EXPECT_TRUE(log.Lines.empty());
}

TEST(ParamsListIntfLifetime, HeldWrapperStaysAliveWhileTheHostHoldsIt) {
  TmoxParamsList list;
  auto* wrap = new TmoxParamsListWrap(&list, true);
  ImoxParamsListA* host = *wrap->GetIntfRef();
  host->AddRef();
  EXPECT_EQ(host->Release(), 1u);  // the self-reference keeps it
  EXPECT_EQ(host->GetCount(), 0);
  wrap->Destroy();
}

TEST(ParamsListIntfLifetime, DestroyWithReferencesLeftLogsAndDetaches) {
  TErrorLogCapture log;
  TmoxParamsList list;
  list.Add("a", TVariant::OfI4(1));
  auto* wrap = new TmoxParamsListWrap(&list, true);
  ImoxParamsListA* host = *wrap->GetIntfRef();
  host->AddRef();  // a host that keeps its reference past the call
  wrap->Destroy();
  ASSERT_EQ(log.Lines.size(), 1u);
  EXPECT_EQ(log.Lines[0], "TmoxParamsListWrap.Destroy. Reference counter should be zero!");

  // Late calls fail cleanly and never reach the list.
  EXPECT_EQ(host->GetCount(), 0);
  TVarData value{};
  EXPECT_EQ(host->GetValue(TAnsiString("a").Handle(), 0, -1, &value), kE_UNEXPECTED);
  EXPECT_EQ(value.VType, VarType::Empty);
  host->Clear();
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(host->Release(), 0u);  // now the wrapper goes
}

TEST(ParamsListIntfLifetime, OwnedListGoesWithTheWrapper) {
  TListA list = WrapA(nullptr);  // a new owned list; the sanitizer build checks the free
  list->NewRow();
  EXPECT_EQ(list->GetCount(), 1);
}

TEST(ParamsListIntfResults, BadIndicesAndMissingNames) {
  TListA list = WrapA();
  TItemA item;
  EXPECT_EQ(list->GetItem(0, item.Receive()), kS_OK);
  EXPECT_FALSE(item);
  EXPECT_EQ(list->GetItem(-1, item.Receive()), kS_OK);
  EXPECT_FALSE(item);
  TVarData value{};
  value.VType = VarType::I4;
  EXPECT_EQ(list->GetValue(TAnsiString("none").Handle(), 0, -1, &value), kS_OK);
  EXPECT_EQ(value.VType, VarType::Empty);
  int32_t index = 5;
  EXPECT_EQ(list->IndexOf(nullptr, 0, -1, &index), kS_OK);
  EXPECT_EQ(index, -1);
  EXPECT_EQ(list->Insert(3, TAnsiString("x").Handle(), TVariant().Data(), item.Receive()),
            kE_UNEXPECTED);
  EXPECT_FALSE(item);
  EXPECT_EQ(list->GetCount(), 0);
}

TEST(ParamsListIntfResults, NullOutPointersAreRefused) {
  TListA list = WrapA();
  const TAnsiString name("a");
  EXPECT_EQ(list->IndexOf(name.Handle(), 0, -1, nullptr), kE_POINTER);
  EXPECT_EQ(list->GetValue(name.Handle(), 0, -1, nullptr), kE_POINTER);
  EXPECT_EQ(list->Add(name.Handle(), TVariant().Data(), nullptr), kE_POINTER);
  EXPECT_EQ(list->AppendList(nullptr, nullptr), kE_POINTER);
  EXPECT_EQ(list->GetCount(), 0);  // a refused call changes nothing
  list->NewRow();
  EXPECT_TRUE(list->FindRowEnd(0, nullptr, nullptr));
  TItemA item;
  ASSERT_EQ(list->GetItem(0, item.Receive()), kS_OK);
  EXPECT_EQ(item->GetValue(nullptr), kE_POINTER);
}

TEST(ParamsListIntfResults, NonsenseFromAHost) {
  TErrorLogCapture log;
  TListA list = WrapA();
  TItemA item;
  // A name whose length field is negative.
  alignas(4) char block[12] = {};
  const int32_t length = -1;
  std::memcpy(block + 4, &length, sizeof(length));
  EXPECT_EQ(list->Add(block + 8, TVariant().Data(), item.Receive()), kE_UNEXPECTED);
  // A value of a type no list holds (an object reference).
  TVarData dispatch{};
  dispatch.VType = 9;
  dispatch.Ptr = &block;
  EXPECT_EQ(list->Add(TAnsiString("a").Handle(), dispatch, item.Receive()), kE_UNEXPECTED);
  EXPECT_EQ(list->GetCount(), 0);
  // A blank name adds nothing and is no failure.
  EXPECT_EQ(list->Add(TAnsiString(" ").Handle(), TVariant().Data(), item.Receive()), kS_OK);
  EXPECT_FALSE(item);
  // A negative index for Delete, which has no status: logged, nothing unwinds.
  list->NewRow();
  list->Delete(-1);
  EXPECT_EQ(list->GetCount(), 1);
  ASSERT_EQ(log.Lines.size(), 1u);
  EXPECT_NE(log.Lines[0].find("Delete"), std::string::npos);
  TmoxBool done = 1;
  EXPECT_EQ(list->AppendList(nullptr, &done), kS_OK);
  EXPECT_EQ(done, 0);
}

TEST(ParamsListIntfValues, TextPointersByWidth) {
  TmoxParamsList list;
  TListA a = WrapA(&list);
  TListW w = AsW(a);
  TItemA item;
  ASSERT_EQ(a->Add(TAnsiString("a").Handle(), TextPointer(0x100, "abc\xC4"), item.Receive()),
            kS_OK);
  EXPECT_EQ(list.GetValue("a"), TVariant::OfWide(u"abc\u00C4"));
  ASSERT_EQ(a->Add(TAnsiString("b").Handle(), TextPointer(0x102, u"\u20AC"), item.Receive()),
            kS_OK);
  EXPECT_EQ(list.GetValue("b"), TVariant::OfWide(u"\u20AC"));
  TItemW itemW;
  const TBStr name(u"c");
  ASSERT_EQ(w->Add(name.Get(), TextPointer(0x100, u"xyz"), itemW.Receive()), kS_OK);
  EXPECT_EQ(list.GetValue("c"), TVariant::OfWide(u"xyz"));
  ASSERT_EQ(a->Add(TAnsiString("d").Handle(), TextPointer(0x100, nullptr), item.Receive()), kS_OK);
  EXPECT_EQ(list.GetValue("d"), TVariant::OfWide(u""));
  // Item values take the same rules.
  EXPECT_EQ(item->SetValue(TextPointer(0x100, "q")), kS_OK);
  EXPECT_EQ(list.GetValue("d"), TVariant::OfWide(u"q"));
  EXPECT_EQ(itemW->SetValueW(TextPointer(0x100, u"r")), kS_OK);
  EXPECT_EQ(list.GetValue("c"), TVariant::OfWide(u"r"));
}

TEST(ParamsListIntfValues, NamesOfBothWidthsFindTheSameItem) {
  TmoxParamsList list;
  list.Add("\xC4pfel", TVariant::OfUI4(4000000000u));
  TListA a = WrapA(&list);
  TListW w = AsW(a);
  int32_t index = -1;
  EXPECT_EQ(a->IndexOf(TAnsiString("\xE4PFEL").Handle(), 0, -1, &index), kS_OK);
  EXPECT_EQ(index, 0);
  const TBStr wide(u"\u00E4pfel");
  index = -1;
  EXPECT_EQ(w->IndexOf(wide.Get(), 0, -1, &index), kS_OK);
  EXPECT_EQ(index, 0);
  TVarData value{};
  EXPECT_EQ(w->GetValue(wide.Get(), 0, -1, &value), kS_OK);
  EXPECT_EQ(TVariant::Adopt(value), TVariant::OfUI4(4000000000u));
}

TEST(ParamsListIntfValues, OutValuesAreCopiesAndOverwriteWithoutFreeing) {
  TmoxParamsList list;
  list.Add("s", TVariant::OfWide(u"text"));
  TListA a = WrapA(&list);
  TVarData out{};
  out.VType = VarType::BStr;
  out.Ptr = &list;  // garbage that must not be freed
  EXPECT_EQ(a->GetValue(TAnsiString("s").Handle(), 0, -1, &out), kS_OK);
  TVariant copy = TVariant::Adopt(out);
  EXPECT_EQ(copy, TVariant::OfWide(u"text"));
  EXPECT_NE(copy.Data().BStr, list.Items(0)->Value().Data().BStr);
  TVarData fallback{};
  EXPECT_EQ(a->GetValueDef(TAnsiString("t").Handle(), TextPointer(0x100, "def"), 0, -1, &fallback),
            kS_OK);
  EXPECT_EQ(TVariant::Adopt(fallback), TVariant::OfWide(u"def"));
}

TEST(ParamsListIntfItems, EachGetItemIsANewWrapperOfTheSameItem) {
  TmoxParamsList list;
  list.Add("a", TVariant::OfI4(1));
  TListA a = WrapA(&list);
  TItemA first;
  TItemA second;
  ASSERT_EQ(a->GetItem(0, first.Receive()), kS_OK);
  ASSERT_EQ(a->GetItem(0, second.Receive()), kS_OK);
  EXPECT_NE(first.Get(), second.Get());
  first->SetItemType(77);
  EXPECT_EQ(second->GetItemType(), 77);
  EXPECT_EQ(first->AddRef(), 2u);
  EXPECT_EQ(first->Release(), 1u);
}

TEST(ParamsListIntfItems, SetNameKeepsTheLookupKey) {
  TmoxParamsList list;
  list.Add("old", TVariant());
  TListA a = WrapA(&list);
  TItemA item;
  ASSERT_EQ(a->GetItem(0, item.Receive()), kS_OK);
  item->SetName("New");
  EXPECT_STREQ(item->GetName(), "New");
  EXPECT_STREQ(item->GetKey(), "new");
  TItemA found;
  EXPECT_EQ(a->FindItem(TAnsiString("New").Handle(), 0, -1, found.Receive()), kS_OK);
  EXPECT_FALSE(found);
  EXPECT_EQ(a->FindItem(TAnsiString("old").Handle(), 0, -1, found.Receive()), kS_OK);
  EXPECT_TRUE(found);
  item->SetName(nullptr);
  EXPECT_EQ(item->GetName(), nullptr);
  EXPECT_EQ(item->GetKey(), nullptr);
  static_cast<ImoxParamsListItemW*>(item.Get())->SetNameW(u"\u00C4X");
  EXPECT_EQ(list.Items(0)->Name, "\xC4X");
}

TEST(ParamsListIntfItems, KeyTextIsUtf8LoweredInAsciiOnly) {
  TmoxParamsList list;
  list.Add(
      "\xC4"
      "BC",
      TVariant());
  TListA a = WrapA(&list);
  TItemA item;
  ASSERT_EQ(a->GetItem(0, item.Receive()), kS_OK);
  EXPECT_STREQ(item->GetKey(),
               "\xC3\x84"
               "bc");
  item->SetKey("custom");
  EXPECT_STREQ(item->GetKey(), "custom");
  EXPECT_EQ(list.Items(0)->Key,
            "\xE4"
            "bc");  // the item is untouched
}

TEST(ParamsListIntfItems, AddItemAndAddFromItemCopyAcrossLists) {
  TmoxParamsList source;
  TmoxParamsListItem* original = source.Add("\xC4ra", TVariant::OfI1(-3));
  original->ItemType = 5;
  original->State = 1;
  TListA sourceIntf = WrapA(&source);
  TItemA item;
  ASSERT_EQ(sourceIntf->GetItem(0, item.Receive()), kS_OK);

  TmoxParamsList target;
  TListA targetA = WrapA(&target);
  TItemA added;
  EXPECT_EQ(targetA->AddItem(item.Get(), added.Receive()), kS_OK);
  EXPECT_EQ(targetA->AddItem(nullptr, added.Receive()), kS_OK);
  EXPECT_FALSE(added);
  TItemW itemW;
  ASSERT_EQ(AsW(sourceIntf)->GetItem(0, itemW.Receive()), kS_OK);
  TItemW addedW;
  EXPECT_EQ(AsW(targetA)->AddItem(itemW.Get(), addedW.Receive()), kS_OK);
  ASSERT_EQ(target.Count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(target.Items(i)->Name, "\xC4ra");
    EXPECT_EQ(target.Items(i)->Value(), TVariant::OfI1(-3));
  }

  TmoxParamsListItem* copy = target.AddFromItem(item.Get());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->ItemType, 5);
  EXPECT_EQ(copy->State, 1);
  EXPECT_EQ(target.IndexOf("\xE4RA", 2), 2);  // a non-ASCII name stays findable
  item->SetKey("Other");
  EXPECT_EQ(target.AddFromItem(item.Get())->Key, "other");
}

TEST(ParamsListIntfLists, AppendThroughListAndWrapperObjects) {
  TmoxParamsList source;
  source.Add("a", TVariant::OfI4(1));
  source.Add("b", TVariant::OfI4(2));
  auto* sourceWrap = new TmoxParamsListWrap(&source, true);
  sourceWrap->AddRef();

  TmoxParamsList target;
  TListA a = WrapA(&target);
  TmoxBool done = 0;
  EXPECT_EQ(a->AppendList(&source, &done), kS_OK);
  EXPECT_EQ(done, 1);
  EXPECT_EQ(AsW(a)->AppendRange(sourceWrap, 1, 1, &done), kS_OK);
  EXPECT_EQ(done, 1);
  a->AppendListRow(sourceWrap);
  ASSERT_EQ(target.Count(), 6);
  EXPECT_EQ(target.Items(2)->Name, "b");
  EXPECT_TRUE(target.Items(5)->IsNewRow());
  int32_t end = -1;
  TmoxBool newRow = 0;
  EXPECT_TRUE(a->FindRowEnd(0, &end, &newRow));
  EXPECT_EQ(end, 5);
  EXPECT_EQ(newRow, 1);
  sourceWrap->Release();
}

}  // namespace
