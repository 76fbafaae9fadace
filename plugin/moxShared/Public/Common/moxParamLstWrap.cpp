#include "moxParamLstWrap.h"

#include <string>

#include "moxErrorLog.h"
#include "moxIntfConv.h"
#include "moxParamLstItemWrap.h"

namespace {

// The name and value of an item handed in through an item interface, read
// through the accessors of its width.
struct TItemContent {
  std::string Name;
  TVariant Value;
};

TVarData ReadRawValue(HResult status, const TVarData& raw) {
  if (status < 0) throw EVariantError("The item's value cannot be read");
  return raw;
}

TItemContent ContentOf(ImoxParamsListItemA* source) {
  TVarData raw{};
  const TVarData value = ReadRawValue(source->GetValue(&raw), raw);
  return {PlainName(source->GetName()), ReceiveValue(value, false)};
}

TItemContent ContentOf(ImoxParamsListItemW* source) {
  TVarData raw{};
  const TVarData value = ReadRawValue(source->GetValueW(&raw), raw);
  return {PlainName(source->GetNameW()), ReceiveValue(value, true)};
}

template <typename TItem>
TmoxParamsListItemWrap* AddContentOf(TmoxParamsList& list, TItem* source) {
  if (source == nullptr) return nullptr;
  const TItemContent content = ContentOf(source);
  return TmoxParamsListItemWrap::HandOut(list.Add(content.Name, content.Value));
}

}  // namespace

TmoxParamsList* ListOfWrap(const TmoxParamsListWrap* wrap) {
  return wrap == nullptr ? nullptr : &wrap->List();
}

TmoxParamsListWrap::TmoxParamsListWrap() : TmoxParamsListWrap(nullptr, false) {}

TmoxParamsListWrap::TmoxParamsListWrap(TmoxParamsList* list, bool notOwned)
    : FNotOwned(list != nullptr && notOwned), FList(list != nullptr ? list : new TmoxParamsList) {}

TmoxParamsListWrap::~TmoxParamsListWrap() { LetGoOfList(); }

void TmoxParamsListWrap::LetGoOfList() {
  if (!FNotOwned) delete FList;
  FList = nullptr;
}

TmoxParamsList& TmoxParamsListWrap::List() const {
  if (FList == nullptr) throw EAssertionFailed("The list wrapper has been destroyed");
  return *FList;
}

ImoxParamsListA** TmoxParamsListWrap::GetIntfRef() {
  if (FHeld.load() == nullptr) {
    FSelf = static_cast<ImoxParamsListA*>(this);
    AddRef();
    FHeld.store(&FSelf);
  }
  return &FSelf;
}

void TmoxParamsListWrap::Destroy() {
  LetGoOfList();
  int32_t remaining = FRefCount.load();
  if (FHeld.exchange(nullptr) != nullptr) {
    FSelf = nullptr;
    remaining = --FRefCount;  // the self-reference
  }
  if (remaining == 0) {
    delete this;
    return;
  }
  // A host kept a reference past its call. The last Release frees the wrapper.
  ReportError("TmoxParamsListWrap.Destroy. Reference counter should be zero!");
}

HResult TmoxParamsListWrap::QueryInterface(const platform::Guid& iid, void** intf) {
  if (intf == nullptr) return kE_POINTER;
  *intf = nullptr;
  if (iid == IID_ImoxParamsListA) {
    *intf = static_cast<ImoxParamsListA*>(this);
  } else if (iid == IID_ImoxParamsListW) {
    *intf = static_cast<ImoxParamsListW*>(this);
  } else {
    return kE_NOINTERFACE;
  }
  AddRef();
  return kS_OK;
}

uint32_t TmoxParamsListWrap::AddRef() { return static_cast<uint32_t>(++FRefCount); }

uint32_t TmoxParamsListWrap::Release() {
  const int32_t count = --FRefCount;
  if (count == 0 && FHeld.load() == nullptr) delete this;
  return static_cast<uint32_t>(count);
}

// The slots both interfaces share. They have no status: a failure is logged.

int32_t TmoxParamsListWrap::GetCount() {
  return Shield("GetCount", 0, [&] { return List().Count(); });
}

int32_t TmoxParamsListWrap::GetSignature() {
  return Shield("GetSignature", 0, [&] { return static_cast<int32_t>(List().Signature()); });
}

int32_t TmoxParamsListWrap::GetTag() {
  return Shield("GetTag", 0, [&] { return List().Tag; });
}

void TmoxParamsListWrap::SetTag(int32_t tag) {
  Shield("SetTag", [&] { List().Tag = tag; });
}

void TmoxParamsListWrap::Clear() {
  Shield("Clear", [&] { List().Clear(); });
}

void TmoxParamsListWrap::Delete(int32_t index) {
  Shield("Delete", [&] { List().Delete(index); });
}

bool TmoxParamsListWrap::FindRowEnd(int32_t from, int32_t* endIndex, TmoxBool* isNewRow) {
  return Shield("FindRowEnd", false, [&] {
    int32_t end = 0;
    bool newRow = false;
    const bool found = List().FindRowEnd(from, end, newRow);
    if (found && endIndex != nullptr) *endIndex = end;
    if (found && isNewRow != nullptr) *isNewRow = newRow ? 1 : 0;
    return found;
  });
}

void TmoxParamsListWrap::NewRow() {
  Shield("NewRow", [&] { List().NewRow(); });
}

void TmoxParamsListWrap::AppendListRow(TmoxParamsListWrap* list) {
  Shield("AppendListRow", [&] { List().AppendListRow(ListOfWrap(list)); });
}

// ImoxParamsListA

HResult TmoxParamsListWrap::GetItem(int32_t index, ImoxParamsListItemA** item) {
  return GuardHR(item, [&] { return TmoxParamsListItemWrap::HandOut(List().Items(index)); });
}

HResult TmoxParamsListWrap::AppendList(TmoxParamsList* list, TmoxBool* done) {
  return GuardHR(done, [&] { return List().AppendList(list); });
}

HResult TmoxParamsListWrap::AppendRange(TmoxParamsList* list, int32_t from, int32_t to,
                                        TmoxBool* done) {
  return GuardHR(done, [&] { return List().AppendRange(list, from, to); });
}

HResult TmoxParamsListWrap::FindItem(const char* name, int32_t from, int32_t to,
                                     ImoxParamsListItemA** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(List().Find(NameFromA(name), from, to));
  });
}

HResult TmoxParamsListWrap::IndexOf(const char* name, int32_t from, int32_t to, int32_t* index) {
  return GuardHR(index, [&] { return List().IndexOf(NameFromA(name), from, to); });
}

HResult TmoxParamsListWrap::GetValue(const char* name, int32_t from, int32_t to, TVarData* value) {
  return GuardHR(value, [&] { return List().GetValue(NameFromA(name), from, to).Detach(); });
}

HResult TmoxParamsListWrap::GetValueDef(const char* name, TVarData defaultValue, int32_t from,
                                        int32_t to, TVarData* value) {
  return GuardHR(value, [&] {
    return List().GetValueDef(NameFromA(name), ValueFromA(defaultValue), from, to).Detach();
  });
}

HResult TmoxParamsListWrap::Add(const char* name, TVarData value, ImoxParamsListItemA** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(List().Add(NameFromA(name), ValueFromA(value)));
  });
}

HResult TmoxParamsListWrap::Insert(int32_t index, const char* name, TVarData value,
                                   ImoxParamsListItemA** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(
        List().Insert(index, NameFromA(name), ValueFromA(value)));
  });
}

HResult TmoxParamsListWrap::SetValue(const char* name, TVarData value, TmoxBool addIfMissing,
                                     ImoxParamsListItemA** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(
        List().SetValue(NameFromA(name), ValueFromA(value), addIfMissing != 0));
  });
}

HResult TmoxParamsListWrap::AddItem(ImoxParamsListItemA* source, ImoxParamsListItemA** item) {
  return GuardHR(item, [&] { return AddContentOf(List(), source); });
}

// ImoxParamsListW

HResult TmoxParamsListWrap::GetItem(int32_t index, ImoxParamsListItemW** item) {
  return GuardHR(item, [&] { return TmoxParamsListItemWrap::HandOut(List().Items(index)); });
}

HResult TmoxParamsListWrap::AppendList(TmoxParamsListWrap* list, TmoxBool* done) {
  return GuardHR(done, [&] { return List().AppendList(ListOfWrap(list)); });
}

HResult TmoxParamsListWrap::AppendRange(TmoxParamsListWrap* list, int32_t from, int32_t to,
                                        TmoxBool* done) {
  return GuardHR(done, [&] { return List().AppendRange(ListOfWrap(list), from, to); });
}

HResult TmoxParamsListWrap::FindItem(const char16_t* name, int32_t from, int32_t to,
                                     ImoxParamsListItemW** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(List().Find(NameFromW(name), from, to));
  });
}

HResult TmoxParamsListWrap::IndexOf(const char16_t* name, int32_t from, int32_t to,
                                    int32_t* index) {
  return GuardHR(index, [&] { return List().IndexOf(NameFromW(name), from, to); });
}

HResult TmoxParamsListWrap::GetValue(const char16_t* name, int32_t from, int32_t to,
                                     TVarData* value) {
  return GuardHR(value, [&] { return List().GetValue(NameFromW(name), from, to).Detach(); });
}

HResult TmoxParamsListWrap::GetValueDef(const char16_t* name, TVarData defaultValue, int32_t from,
                                        int32_t to, TVarData* value) {
  return GuardHR(value, [&] {
    return List().GetValueDef(NameFromW(name), ValueFromW(defaultValue), from, to).Detach();
  });
}

HResult TmoxParamsListWrap::Add(const char16_t* name, TVarData value, ImoxParamsListItemW** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(List().Add(NameFromW(name), ValueFromW(value)));
  });
}

HResult TmoxParamsListWrap::Insert(int32_t index, const char16_t* name, TVarData value,
                                   ImoxParamsListItemW** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(
        List().Insert(index, NameFromW(name), ValueFromW(value)));
  });
}

HResult TmoxParamsListWrap::SetValue(const char16_t* name, TVarData value, TmoxBool addIfMissing,
                                     ImoxParamsListItemW** item) {
  return GuardHR(item, [&] {
    return TmoxParamsListItemWrap::HandOut(
        List().SetValue(NameFromW(name), ValueFromW(value), addIfMissing != 0));
  });
}

HResult TmoxParamsListWrap::AddItem(ImoxParamsListItemW* source, ImoxParamsListItemW** item) {
  return GuardHR(item, [&] { return AddContentOf(List(), source); });
}
