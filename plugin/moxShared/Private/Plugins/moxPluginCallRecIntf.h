#pragma once

#include "moxPluginRecords.h"
#include "moxShared/Public/Common/moxParamLstIntf.h"

class TmoxParamsListWrap;

// The plug-in's working copy of a caller's record while a call runs. On entry
// a list object handed over by address (in Params or a data slot) is wrapped,
// so that the rest of the plug-in sees interface references only; on exit the
// caller's record gets back what it had, except that rewritten data slots keep
// kind 9 (their references are released).
class TPluginCallRecIntf {
 public:
  // Converts `record`, which must not be null.
  explicit TPluginCallRecIntf(TPluginCallRec* record);
  // Restores the caller's record.
  ~TPluginCallRecIntf();
  TPluginCallRecIntf(const TPluginCallRecIntf&) = delete;
  TPluginCallRecIntf& operator=(const TPluginCallRecIntf&) = delete;

  // The parameter list of the call; null when Params was 0.
  ImoxParamsListA* Params() const { return FParams; }
  // The copy of the caller's record as it was on entry.
  const TPluginCallRec& Original() const { return FCopy; }

 private:
  void ConvertParams();
  ImoxParamsListW* ConvertSlot(TPluginDataSlot& slot, ImoxParamsListW** reference);
  void Restore() noexcept;

  TPluginCallRec* FRecord;
  TPluginCallRec FCopy;
  ImoxParamsListA* FParams = nullptr;      // what the plug-in reads the list through
  ImoxParamsListA* FParamsWrap = nullptr;  // the wrapper made for a list object, if any
  ImoxParamsListW* FInData = nullptr;
  ImoxParamsListW* FOutData = nullptr;
};

// The interface reference a slot of kind 9 leads to; null for any other slot.
ImoxParamsListA* SlotListA(const TPluginDataSlot& slot);
ImoxParamsListW* SlotListW(const TPluginDataSlot& slot);
