#include "moxParamLst.h"

#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

#include "moxIntfConv.h"
#include "moxVarConvert.h"
#include "platform/CodePage.h"

namespace {

constexpr char kUnitName[] = "moxShared\\Public\\Common\\moxParamLst";

[[noreturn]] void AssertionFailure(const std::string& message) {
  throw EAssertionFailed(message + " (" + kUnitName + ")");
}

bool IsBlankName(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) > ' ') return false;
  }
  return true;
}

std::unique_ptr<TmoxParamsListItem> NewParamsListItem(std::string_view name,
                                                      const TVariant& value) {
  return std::make_unique<TmoxParamsListItem>(name, value);
}

}  // namespace

std::string MakeParamKey(std::string_view name) {
  std::string key(name);
  platform::AnsiLowerBuffer(key.data(), key.size());
  return key;
}

TVariant ToStoredValue(const TVariant& value) {
  if (value.Type() == VarType::AnsiStr) return VarAsType(value, VarType::BStr);
  if (!IsHandledVarType(value.Type())) {
    throw EVariantError("Invalid variant type (" + std::to_string(value.Type()) + ")");
  }
  return value;
}

TmoxParamsListItem::TmoxParamsListItem(std::string_view name, const TVariant& value)
    : Name(name), Key(MakeParamKey(name)), FValue(ToStoredValue(value)) {
  State = FValue.IsEmptyOrNull() ? 0 : kItemStateSet;
}

void TmoxParamsListItem::Assign(const TmoxParamsListItem& source) {
  Name = source.Name;
  Key = source.Key;
  ItemType = source.ItemType;
  State = source.State;
}

TmoxParamsList::TmoxParamsList()
    : FSignature(kSignature),
      FIdentifier(platform::GuidToString(platform::CreateGuid())),
      ItemClass(&NewParamsListItem) {}

TmoxParamsList::~TmoxParamsList() {
  FSignature = 0;
  TmoxParamsList::Clear();
}

size_t TmoxParamsList::SignatureOffset() {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
  constexpr size_t offset = offsetof(TmoxParamsList, FSignature);
#pragma GCC diagnostic pop
#if defined(__i386__)
  static_assert(offset == 16, "hosts find the signature at offset 16");
#endif
  return offset;
}

bool TmoxParamsList::HasSignature(const void* object) {
  if (object == nullptr) return false;
  uint32_t signature;
  std::memcpy(&signature, static_cast<const char*>(object) + SignatureOffset(), sizeof(signature));
  return signature == kSignature;
}

void TmoxParamsList::CheckSignature() const {
  if (!HasSignature(this)) AssertionFailure("Assertion failure");
}

TmoxParamsListItem* TmoxParamsList::Items(int32_t index) const noexcept {
  if (index < 0 || index >= Count()) return nullptr;
  return FItems[static_cast<size_t>(index)].get();
}

int32_t TmoxParamsList::IndexOf(std::string_view name, int32_t from, int32_t to) const {
  CheckSignature();
  if (FItems.empty()) return -1;
  const std::string key = MakeParamKey(name);
  const int32_t start = from < 0 ? 0 : from;
  const int32_t end = (to < 0 || to >= Count()) ? Count() - 1 : to;
  for (int32_t i = start; i <= end; ++i) {
    const TmoxParamsListItem& item = *FItems[static_cast<size_t>(i)];
    if (item.Key == key) return i;
    if (to == -2 && item.IsNewRow()) return -1;
  }
  return -1;
}

TmoxParamsListItem* TmoxParamsList::Find(std::string_view name, int32_t from, int32_t to) const {
  if (FItems.empty()) return nullptr;
  return Items(IndexOf(name, from, to));
}

TVariant TmoxParamsList::GetValue(std::string_view name, int32_t from, int32_t to) const {
  return GetValueDef(name, TVariant(), from, to);
}

TVariant TmoxParamsList::GetValueDef(std::string_view name, const TVariant& defaultValue,
                                     int32_t from, int32_t to) const {
  const TmoxParamsListItem* item = Find(name, from, to);
  return item != nullptr ? item->Value() : defaultValue;
}

TVariant TmoxParamsList::GetValueStrict(std::string_view name) const {
  const TmoxParamsListItem* item = Find(name);
  if (item == nullptr) AssertionFailure("Parameter is not defined");
  return item->Value();
}

TmoxParamsListItem* TmoxParamsList::Place(int32_t index, std::string_view name,
                                          const TVariant& value) {
  std::unique_ptr<TmoxParamsListItem> item = ItemClass(name, value);
  item->State = kItemStateSet;
  TmoxParamsListItem* placed = item.get();
  FItems.insert(FItems.begin() + index, std::move(item));
  return placed;
}

TmoxParamsListItem* TmoxParamsList::Add(std::string_view name, const TVariant& value) {
  if (IsBlankName(name)) return nullptr;
  return Place(Count(), name, value);
}

TmoxParamsListItem* TmoxParamsList::Insert(int32_t index, std::string_view name,
                                           const TVariant& value) {
  if (IsBlankName(name)) return nullptr;
  if (index < 0 || index > Count()) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return Place(index, name, value);
}

TmoxParamsListItem* TmoxParamsList::SetValue(std::string_view name, const TVariant& value,
                                             bool addIfMissing) {
  TmoxParamsListItem* item = Find(name);
  if (item == nullptr && addIfMissing) item = Add(name, TVariant::Null());
  if (item != nullptr) item->SetItemValue(value);
  return item;
}

TmoxParamsListItem* TmoxParamsList::SetValueStrict(std::string_view name, const TVariant& value) {
  TmoxParamsListItem* item = Find(name);
  if (item == nullptr) AssertionFailure("Parameter is not defined");
  item->SetItemValue(value);
  return item;
}

void TmoxParamsList::Delete(int32_t index) {
  if (index < 0) AssertionFailure("Assertion failure");
  if (index >= Count()) return;
  // Detach the item from its slot before it is freed.
  std::unique_ptr<TmoxParamsListItem> item = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
}

void TmoxParamsList::Clear() {
  while (!FItems.empty()) {
    std::unique_ptr<TmoxParamsListItem> item = std::move(FItems.back());
    FItems.pop_back();
  }
}

TmoxParamsListItem* TmoxParamsList::AddCopy(const TmoxParamsListItem* source) {
  if (source == nullptr) return nullptr;
  TmoxParamsListItem* item = Add(source->Name, source->Value());
  if (item != nullptr) item->Assign(*source);
  return item;
}

TmoxParamsListItem* TmoxParamsList::AddFromItem(ImoxParamsListItemA* source) {
  if (source == nullptr) return nullptr;
  TVarData raw{};
  if (source->GetValue(&raw) < 0) throw EVariantError("The item's value cannot be read");
  const TVariant value = ReceiveValue(raw, false);
  const char* name = source->GetName();
  TmoxParamsListItem* item = Add(name != nullptr ? name : "", value);
  if (item == nullptr) return nullptr;
  // The interface gives its key as UTF-8; the list keys names in the ANSI code page.
  const char* key = source->GetKey();
  item->Key = MakeParamKey(platform::WideToAnsi(platform::Utf8ToWide(key != nullptr ? key : "")));
  item->ItemType = source->GetItemType();
  item->State = source->GetState();
  return item;
}

bool TmoxParamsList::AppendList(const TmoxParamsList* other) {
  if (other == nullptr) return false;
  other->CheckSignature();
  return AppendRange(other, 0, other->Count() - 1);
}

bool TmoxParamsList::AppendRange(const TmoxParamsList* other, int32_t from, int32_t to) {
  if (other == nullptr) return false;
  other->CheckSignature();
  if (other->Count() == 0) return false;
  // Indices outside the other list name no item and add nothing.
  const int32_t start = from < 0 ? 0 : from;
  const int32_t end = to >= other->Count() ? other->Count() - 1 : to;
  for (int32_t i = start; i <= end; ++i) AddCopy(other->Items(i));
  return true;
}

void TmoxParamsList::NewRow() {
  if (!FItems.empty() && FItems.back()->IsNewRow()) return;
  Add(kRowSeparatorName, TVariant::Null())->ItemType = kRowSeparatorType;
}

void TmoxParamsList::AppendListRow(const TmoxParamsList* other) {
  AppendList(other);
  const bool endsWithRow =
      other != nullptr && other->Count() > 0 && other->Items(other->Count() - 1)->IsNewRow();
  if (!endsWithRow) NewRow();
}

bool TmoxParamsList::FindRowEnd(int32_t from, int32_t& endIndex, bool& isNewRow) const {
  const int32_t start = from < 0 ? 0 : from;
  if (start > Count() - 1) return false;
  int32_t i = start;
  while (!FItems[static_cast<size_t>(i)]->IsNewRow() && i < Count() - 1) ++i;
  endIndex = i;
  isNewRow = FItems[static_cast<size_t>(i)]->IsNewRow();
  return true;
}
