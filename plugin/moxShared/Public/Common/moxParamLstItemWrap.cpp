#include "moxParamLstItemWrap.h"

#include "moxIntfConv.h"
#include "platform/CodePage.h"

namespace {

template <typename TChar>
const TChar* TextOrNull(const std::basic_string<TChar>& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

TmoxParamsListItemWrap::TmoxParamsListItemWrap(TmoxParamsListItem* item) : FItem(item) {
  CacheNames();
}

TmoxParamsListItemWrap* TmoxParamsListItemWrap::HandOut(TmoxParamsListItem* item) {
  if (item == nullptr) return nullptr;
  auto* wrap = new TmoxParamsListItemWrap(item);
  wrap->AddRef();
  return wrap;
}

// The key text is the name lower-cased in ASCII after a round trip through the
// wide form, in UTF-8.
void TmoxParamsListItemWrap::CacheNames() {
  FNameW = platform::AnsiToWide(FItem->Name);
  FName = platform::WideToAnsi(FNameW);
  std::u16string lower = FNameW;
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + (u'a' - u'A'));
  }
  FKey = platform::WideToUtf8(lower);
}

void TmoxParamsListItemWrap::StoreName(const std::string& name) {
  FItem->Name = name;  // the item's lookup key stays as it was
  CacheNames();
}

HResult TmoxParamsListItemWrap::QueryInterface(const platform::Guid& iid, void** intf) {
  if (intf == nullptr) return kE_POINTER;
  *intf = nullptr;
  if (iid != IID_ImoxParamsListItemA && iid != IID_ImoxParamsListItemW) return kE_NOINTERFACE;
  *intf = static_cast<ImoxParamsListItemW*>(this);
  AddRef();
  return kS_OK;
}

uint32_t TmoxParamsListItemWrap::AddRef() { return static_cast<uint32_t>(++FRefCount); }

uint32_t TmoxParamsListItemWrap::Release() {
  const int32_t count = --FRefCount;
  if (count == 0) delete this;
  return static_cast<uint32_t>(count);
}

void TmoxParamsListItemWrap::SetKey(const char* key) {
  Shield("SetKey", [&] { FKey = PlainName(key); });
}

void TmoxParamsListItemWrap::SetItemType(int32_t itemType) { FItem->ItemType = itemType; }

void TmoxParamsListItemWrap::SetState(uint8_t state) { FItem->State = state; }

const char* TmoxParamsListItemWrap::GetKey() { return TextOrNull(FKey); }

int32_t TmoxParamsListItemWrap::GetItemType() { return FItem->ItemType; }

uint8_t TmoxParamsListItemWrap::GetState() { return FItem->State; }

HResult TmoxParamsListItemWrap::SetValue(TVarData value) {
  return GuardStatus([&] { FItem->SetItemValue(ValueFromA(value)); });
}

HResult TmoxParamsListItemWrap::GetValue(TVarData* value) {
  return GuardHR(value, [&] { return TVariant(FItem->Value()).Detach(); });
}

void TmoxParamsListItemWrap::SetName(const char* name) {
  Shield("SetName", [&] { StoreName(PlainName(name)); });
}

const char* TmoxParamsListItemWrap::GetName() { return TextOrNull(FName); }

bool TmoxParamsListItemWrap::IsNewRow() { return FItem->IsNewRow(); }

void TmoxParamsListItemWrap::SetNameW(const char16_t* name) {
  Shield("SetNameW", [&] { StoreName(PlainName(name)); });
}

const char16_t* TmoxParamsListItemWrap::GetNameW() { return TextOrNull(FNameW); }

HResult TmoxParamsListItemWrap::SetValueW(TVarData value) {
  return GuardStatus([&] { FItem->SetItemValue(ValueFromW(value)); });
}

HResult TmoxParamsListItemWrap::GetValueW(TVarData* value) { return GetValue(value); }
