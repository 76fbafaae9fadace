#include "moxPluginCallRecIntf.h"

#include <cstring>

#include "moxShared/Public/Common/moxParamLst.h"
#include "moxShared/Public/Common/moxParamLstWrap.h"

namespace {

// A wrapper around a caller's list object that leaves the list to the caller;
// no object gives a new empty list of the wrapper's own.
TmoxParamsListWrap* WrapObject(uintptr_t object) {
  return new TmoxParamsListWrap(reinterpret_cast<TmoxParamsList*>(object), object != 0);
}

}  // namespace

TPluginCallRecIntf::TPluginCallRecIntf(TPluginCallRec* record) : FRecord(record) {
  std::memcpy(&FCopy, record, sizeof FCopy);
  try {
    ConvertParams();
    FInData = ConvertSlot(record->InData, &FInData);
    FOutData = ConvertSlot(record->OutData, &FOutData);
  } catch (...) {
    Restore();
    throw;
  }
}

TPluginCallRecIntf::~TPluginCallRecIntf() { Restore(); }

void TPluginCallRecIntf::ConvertParams() {
  if (FRecord->Params == 0) return;
  if (TmoxParamsList::HasSignature(reinterpret_cast<const void*>(FRecord->Params))) {
    TmoxParamsListWrap* wrap = WrapObject(FRecord->Params);
    FParamsWrap = wrap;
    FParamsWrap->AddRef();
    FParams = FParamsWrap;
    FRecord->Params = reinterpret_cast<uintptr_t>(&FParams);
    return;
  }
  FParams = *reinterpret_cast<ImoxParamsListA* const*>(FRecord->Params);
  FRecord->Flags = static_cast<uint8_t>(FRecord->Flags | kFlagParamsIsInterface);
}

ImoxParamsListW* TPluginCallRecIntf::ConvertSlot(TPluginDataSlot& slot,
                                                 ImoxParamsListW** reference) {
  const bool genuine =
      slot.Kind == kSlotListObject &&
      (slot.Ptr == 0 || TmoxParamsList::HasSignature(reinterpret_cast<const void*>(slot.Ptr)));
  if (!genuine && slot.Kind != kSlotListUnchecked) return nullptr;
  ImoxParamsListW* wrap = WrapObject(slot.Ptr);
  wrap->AddRef();
  slot.Kind = kSlotListInterface;
  slot.Ptr = reinterpret_cast<uintptr_t>(reference);
  return wrap;
}

void TPluginCallRecIntf::Restore() noexcept {
  FRecord->Flags = FCopy.Flags;
  if (FParamsWrap != nullptr) {
    FRecord->Params = FCopy.Params;
    FParamsWrap->Release();
    FParamsWrap = nullptr;
  }
  for (ImoxParamsListW** slot : {&FInData, &FOutData}) {
    if (*slot != nullptr) (*slot)->Release();
    *slot = nullptr;
  }
}

ImoxParamsListA* SlotListA(const TPluginDataSlot& slot) {
  if (slot.Kind != kSlotListInterface || slot.Ptr == 0) return nullptr;
  return *reinterpret_cast<ImoxParamsListA* const*>(slot.Ptr);
}

ImoxParamsListW* SlotListW(const TPluginDataSlot& slot) {
  if (slot.Kind != kSlotListInterface || slot.Ptr == 0) return nullptr;
  return *reinterpret_cast<ImoxParamsListW* const*>(slot.Ptr);
}
