#include "CallRecord.h"

#include "moxShared/Public/Common/moxParamLstWrap.h"

namespace host {

TPluginCallRec MakeCallRecord(uintptr_t instance, int32_t hostContext, int32_t clientId) {
  TPluginCallRec record{};
  record.Size = kCallRecSize;
  record.Instance = instance;
  record.HostContext = hostContext;
  record.ClientId = clientId;
  return record;
}

void SetSlotText(TPluginDataSlot& slot, const void* data, int32_t length) {
  slot.Kind = kSlotText;
  slot.Ptr = reinterpret_cast<uintptr_t>(data);
  slot.Length = length;
}

void SetSlotList(TPluginDataSlot& slot, ImoxParamsListA* const* reference) {
  slot.Kind = kSlotListInterface;
  slot.Ptr = reinterpret_cast<uintptr_t>(reference);
  slot.Length = 0;
}

TVariant HandleValue(uintptr_t handle) {
  if constexpr (sizeof(uintptr_t) == sizeof(int32_t)) {
    return TVariant::OfI4(static_cast<int32_t>(handle));
  } else {
    return TVariant::OfI8(static_cast<int64_t>(handle));
  }
}

THostParams::THostParams() : FWrap(new TmoxParamsListWrap()) {}

THostParams::~THostParams() { FWrap->Destroy(); }

void THostParams::Set(std::string_view name, const TVariant& value) {
  List().SetValue(name, value, true);
}

TVariant THostParams::Get(std::string_view name) const { return List().GetValue(name); }

TmoxParamsList& THostParams::List() const { return FWrap->List(); }

uintptr_t THostParams::AsInterfaceRef() { return reinterpret_cast<uintptr_t>(FWrap->GetIntfRef()); }

uintptr_t THostParams::AsListObject() const { return reinterpret_cast<uintptr_t>(&List()); }

}  // namespace host
