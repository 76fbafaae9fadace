#pragma once

#include <atomic>
#include <cstdint>

#include "moxParamLst.h"
#include "moxParamLstIntf.h"

// Implements both list interfaces over one parameter list, owned or not.
//
// Two lifetimes: a wrapper that is only counted lives as long as its
// references. A held wrapper (GetIntfRef) counts a reference to itself and
// lives until its owner calls Destroy. Should a host still hold references
// then, the fault is logged, the wrapper lets go of its list at once, and it
// lives on, detached, until the last reference is released: calls through it
// fail cleanly instead of touching freed memory.
class TmoxParamsListWrap final : public ImoxParamsListA, public ImoxParamsListW {
 public:
  // A new, owned, empty list.
  TmoxParamsListWrap();
  // Wraps `list` (owned unless `notOwned`); no list gives a new, owned one.
  TmoxParamsListWrap(TmoxParamsList* list, bool notOwned);
  TmoxParamsListWrap(const TmoxParamsListWrap&) = delete;
  TmoxParamsListWrap& operator=(const TmoxParamsListWrap&) = delete;

  // The address of a reference to the wrapper's ImoxParamsListA, held by the
  // wrapper itself (one count, taken on the first call); what a call record's
  // slot of kind 9 carries.
  ImoxParamsListA** GetIntfRef();
  // The owner's end of the wrapper (see above).
  void Destroy();
  // The wrapped list; EAssertionFailed once the wrapper has let go of it.
  TmoxParamsList& List() const;

  HResult MOX_STDCALL QueryInterface(const platform::Guid& iid, void** intf) override;
  uint32_t MOX_STDCALL AddRef() override;
  uint32_t MOX_STDCALL Release() override;

  int32_t MOX_STDCALL GetCount() override;
  int32_t MOX_STDCALL GetSignature() override;
  int32_t MOX_STDCALL GetTag() override;
  void MOX_STDCALL SetTag(int32_t tag) override;
  void MOX_STDCALL Clear() override;
  void MOX_STDCALL Delete(int32_t index) override;
  bool MOX_STDCALL FindRowEnd(int32_t from, int32_t* endIndex, TmoxBool* isNewRow) override;
  void MOX_STDCALL NewRow() override;
  void MOX_STDCALL AppendListRow(TmoxParamsListWrap* list) override;

  HResult MOX_STDCALL GetItem(int32_t index, ImoxParamsListItemA** item) override;
  HResult MOX_STDCALL AppendList(TmoxParamsList* list, TmoxBool* done) override;
  HResult MOX_STDCALL AppendRange(TmoxParamsList* list, int32_t from, int32_t to,
                                  TmoxBool* done) override;
  HResult MOX_STDCALL FindItem(const char* name, int32_t from, int32_t to,
                               ImoxParamsListItemA** item) override;
  HResult MOX_STDCALL IndexOf(const char* name, int32_t from, int32_t to, int32_t* index) override;
  HResult MOX_STDCALL GetValue(const char* name, int32_t from, int32_t to,
                               TVarData* value) override;
  HResult MOX_STDCALL GetValueDef(const char* name, TVarData defaultValue, int32_t from, int32_t to,
                                  TVarData* value) override;
  HResult MOX_STDCALL Add(const char* name, TVarData value, ImoxParamsListItemA** item) override;
  HResult MOX_STDCALL Insert(int32_t index, const char* name, TVarData value,
                             ImoxParamsListItemA** item) override;
  HResult MOX_STDCALL SetValue(const char* name, TVarData value, TmoxBool addIfMissing,
                               ImoxParamsListItemA** item) override;
  HResult MOX_STDCALL AddItem(ImoxParamsListItemA* source, ImoxParamsListItemA** item) override;

  HResult MOX_STDCALL GetItem(int32_t index, ImoxParamsListItemW** item) override;
  HResult MOX_STDCALL AppendList(TmoxParamsListWrap* list, TmoxBool* done) override;
  HResult MOX_STDCALL AppendRange(TmoxParamsListWrap* list, int32_t from, int32_t to,
                                  TmoxBool* done) override;
  HResult MOX_STDCALL FindItem(const char16_t* name, int32_t from, int32_t to,
                               ImoxParamsListItemW** item) override;
  HResult MOX_STDCALL IndexOf(const char16_t* name, int32_t from, int32_t to,
                              int32_t* index) override;
  HResult MOX_STDCALL GetValue(const char16_t* name, int32_t from, int32_t to,
                               TVarData* value) override;
  HResult MOX_STDCALL GetValueDef(const char16_t* name, TVarData defaultValue, int32_t from,
                                  int32_t to, TVarData* value) override;
  HResult MOX_STDCALL Add(const char16_t* name, TVarData value,
                          ImoxParamsListItemW** item) override;
  HResult MOX_STDCALL Insert(int32_t index, const char16_t* name, TVarData value,
                             ImoxParamsListItemW** item) override;
  HResult MOX_STDCALL SetValue(const char16_t* name, TVarData value, TmoxBool addIfMissing,
                               ImoxParamsListItemW** item) override;
  HResult MOX_STDCALL AddItem(ImoxParamsListItemW* source, ImoxParamsListItemW** item) override;

 private:
  ~TmoxParamsListWrap();
  void LetGoOfList();

  ImoxParamsListA* FSelf = nullptr;
  std::atomic<ImoxParamsListA**> FHeld{nullptr};
  bool FNotOwned;
  TmoxParamsList* FList;
  std::atomic<int32_t> FRefCount{0};
};

// The list behind a wrapper handed over as an object; null for none.
TmoxParamsList* ListOfWrap(const TmoxParamsListWrap* wrap);
