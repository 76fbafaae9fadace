#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "moxParamLst.h"
#include "moxParamLstIntf.h"

// Implements the item interfaces (both widths) over one item of a list. The
// item is not owned: the host releases its item references before the list
// or the item goes away. The wrapper keeps the item's name in both widths and
// its key text, which it hands out as plain zero-terminated text.
class TmoxParamsListItemWrap final : public ImoxParamsListItemW {
 public:
  // A new wrapper with a reference count of 0.
  explicit TmoxParamsListItemWrap(TmoxParamsListItem* item);
  TmoxParamsListItemWrap(const TmoxParamsListItemWrap&) = delete;
  TmoxParamsListItemWrap& operator=(const TmoxParamsListItemWrap&) = delete;

  // A new wrapper of the item holding one reference, as an operation that
  // hands out an item returns it; null for no item.
  static TmoxParamsListItemWrap* HandOut(TmoxParamsListItem* item);

  HResult MOX_STDCALL QueryInterface(const platform::Guid& iid, void** intf) override;
  uint32_t MOX_STDCALL AddRef() override;
  uint32_t MOX_STDCALL Release() override;

  void MOX_STDCALL SetKey(const char* key) override;
  void MOX_STDCALL SetItemType(int32_t itemType) override;
  void MOX_STDCALL SetState(uint8_t state) override;
  const char* MOX_STDCALL GetKey() override;
  int32_t MOX_STDCALL GetItemType() override;
  uint8_t MOX_STDCALL GetState() override;
  HResult MOX_STDCALL SetValue(TVarData value) override;
  HResult MOX_STDCALL GetValue(TVarData* value) override;
  void MOX_STDCALL SetName(const char* name) override;
  const char* MOX_STDCALL GetName() override;
  bool MOX_STDCALL IsNewRow() override;
  void MOX_STDCALL SetNameW(const char16_t* name) override;
  const char16_t* MOX_STDCALL GetNameW() override;
  HResult MOX_STDCALL SetValueW(TVarData value) override;
  HResult MOX_STDCALL GetValueW(TVarData* value) override;

 private:
  ~TmoxParamsListItemWrap() = default;
  void StoreName(const std::string& name);
  void CacheNames();

  std::u16string FNameW;
  std::string FName;
  std::string FKey;
  TmoxParamsListItem* FItem;
  std::atomic<int32_t> FRefCount{0};
};
