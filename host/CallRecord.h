#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "moxShared/Private/Plugins/moxPluginRecords.h"
#include "moxShared/Public/Common/moxParamLst.h"

class TmoxParamsListWrap;

namespace host {

// A call record as a host makes it: Size 102 (the build's record size), the
// instance, the host's context and client, everything else zero.
TPluginCallRec MakeCallRecord(uintptr_t instance, int32_t hostContext = 0, int32_t clientId = 0);

// Points a data slot at text or a buffer of `length` bytes (kind 4).
void SetSlotText(TPluginDataSlot& slot, const void* data, int32_t length);
// Points a data slot at a variable holding a list interface reference (kind 9).
void SetSlotList(TPluginDataSlot& slot, ImoxParamsListA* const* reference);

// An address field of a record as the pointer it holds.
template <typename T>
T* PointerOf(uintptr_t address) {
  return reinterpret_cast<T*>(address);  // NOLINT(performance-no-int-to-ptr)
}

// A handle or address as a parameter value: 32 bits wide where pointers are.
TVariant HandleValue(uintptr_t handle);

// The parameter list a host hands over with a call. It crosses either as a
// pointer to a variable holding its ImoxParamsListA reference, or as the
// address of the list object itself.
class THostParams {
 public:
  THostParams();
  ~THostParams();
  THostParams(const THostParams&) = delete;
  THostParams& operator=(const THostParams&) = delete;

  // Sets the first item of the name, adding it when missing.
  void Set(std::string_view name, const TVariant& value);
  TVariant Get(std::string_view name) const;
  TmoxParamsList& List() const;

  // What Params carries in either form.
  uintptr_t AsInterfaceRef();
  uintptr_t AsListObject() const;

 private:
  TmoxParamsListWrap* FWrap;
};

}  // namespace host
