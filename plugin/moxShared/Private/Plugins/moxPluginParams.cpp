#include "moxPluginParams.h"

#include "moxShared/Public/Common/moxAnsiString.h"
#include "moxShared/Public/Common/moxIntfConv.h"
#include "moxShared/Public/Common/moxVarConvert.h"

namespace {

// Releases an item reference handed out by the list.
void ReleaseItem(ImoxParamsListItemA* item) {
  if (item != nullptr) item->Release();
}

}  // namespace

bool TPluginParams::Exists(std::string_view name) const {
  if (list_ == nullptr) return false;
  const TAnsiString key(name);
  ImoxParamsListItemA* item = nullptr;
  const HResult status = list_->FindItem(key.Handle(), 0, -1, &item);
  const bool found = status == kS_OK && item != nullptr;
  ReleaseItem(item);
  return found;
}

TVariant TPluginParams::Get(std::string_view name) const {
  if (list_ == nullptr) return {};
  const TAnsiString key(name);
  TVarData value{};
  if (list_->GetValue(key.Handle(), 0, -1, &value) != kS_OK) return {};
  return ReceiveValue(value, false);
}

std::string TPluginParams::Text(std::string_view name) const { return VarToAnsi(Get(name)); }

bool TPluginParams::Answer(std::string_view name, const TVariant& value) const {
  if (list_ == nullptr) return false;
  const TAnsiString key(name);
  ImoxParamsListItemA* item = nullptr;
  const HResult status = list_->SetValue(key.Handle(), value.Data(), 0, &item);
  const bool stored = status == kS_OK && item != nullptr;
  ReleaseItem(item);
  return stored;
}

TVariant AnsiAnswer(const std::string& text) { return TVariant::OfAnsi(text); }

int64_t VariantToInt(const TVariant& value, int64_t fallback) {
  TVariant converted;
  if (value.IsEmptyOrNull() || ChangeVarType(converted, value, VarType::I8) != kS_OK) {
    return fallback;
  }
  return converted.Data().I8;
}

bool VariantToBool(const TVariant& value, bool fallback) {
  TVariant converted;
  if (value.IsEmptyOrNull() || ChangeVarType(converted, value, VarType::Bool) != kS_OK) {
    return fallback;
  }
  return converted.Data().Bool != kVarFalse;
}

bool VariantEqualsInt(const TVariant& value, int32_t number) {
  TVariant converted;
  if (value.IsEmptyOrNull() || ChangeVarType(converted, value, VarType::R8) != kS_OK) return false;
  return converted.Data().R8 == static_cast<double>(number);
}
