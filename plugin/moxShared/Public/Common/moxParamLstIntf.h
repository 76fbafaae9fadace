#pragma once

#include <cstdint>

#include "moxHResult.h"
#include "moxVariant.h"
#include "platform/OleAuto.h"

// The COM-style interfaces through which parameter lists cross the boundary
// between host and plug-in. The virtual methods are laid out in slot order;
// every method is stdcall with the interface pointer first. There is no
// virtual destructor (it would take a slot): objects behind the interfaces
// are freed by their Release.
//
// Strings: "A" list names are 8-bit long strings (TAnsiString handles), "W"
// list names are BSTRs; item names are plain zero-terminated text. Booleans
// are one byte (nonzero is true). HR methods return a status and deliver their
// result through the last parameter, which they clear first.

#if defined(__i386__)
#define MOX_STDCALL __attribute__((stdcall))
#else
#define MOX_STDCALL
#endif

class TmoxParamsList;
class TmoxParamsListWrap;

using TmoxBool = uint8_t;

constexpr platform::Guid IID_ImoxParamsListA = {
    0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB1}};
constexpr platform::Guid IID_ImoxParamsListW = {
    0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB2}};
constexpr platform::Guid IID_ImoxParamsListItemA = {
    0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB4}};
constexpr platform::Guid IID_ImoxParamsListItemW = {
    0x33316D29, 0x0F86, 0x41C4, {0x8D, 0xB4, 0x3F, 0xE9, 0x75, 0x61, 0x58, 0xB6}};
constexpr platform::Guid IID_ImoxUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class ImoxUnknown {
 public:
  virtual HResult MOX_STDCALL QueryInterface(const platform::Guid& iid, void** intf) = 0;  // 0
  virtual uint32_t MOX_STDCALL AddRef() = 0;                                               // 1
  virtual uint32_t MOX_STDCALL Release() = 0;                                              // 2

 protected:
  ~ImoxUnknown() = default;
};

class ImoxParamsListItemA : public ImoxUnknown {
 public:
  virtual void MOX_STDCALL SetKey(const char* key) = 0;        // 3
  virtual void MOX_STDCALL SetItemType(int32_t itemType) = 0;  // 4
  virtual void MOX_STDCALL SetState(uint8_t state) = 0;        // 5
  virtual const char* MOX_STDCALL GetKey() = 0;                // 6
  virtual int32_t MOX_STDCALL GetItemType() = 0;               // 7
  virtual uint8_t MOX_STDCALL GetState() = 0;                  // 8
  virtual HResult MOX_STDCALL SetValue(TVarData value) = 0;    // 9
  virtual HResult MOX_STDCALL GetValue(TVarData* value) = 0;   // 10
  virtual void MOX_STDCALL SetName(const char* name) = 0;      // 11
  virtual const char* MOX_STDCALL GetName() = 0;               // 12
  virtual bool MOX_STDCALL IsNewRow() = 0;                     // 13

 protected:
  ~ImoxParamsListItemA() = default;
};

// The wide slots repeat the 8-bit ones under their own names.
// NOLINTBEGIN(bugprone-virtual-near-miss)
class ImoxParamsListItemW : public ImoxParamsListItemA {
 public:
  virtual void MOX_STDCALL SetNameW(const char16_t* name) = 0;  // 14
  virtual const char16_t* MOX_STDCALL GetNameW() = 0;           // 15
  virtual HResult MOX_STDCALL SetValueW(TVarData value) = 0;    // 16
  virtual HResult MOX_STDCALL GetValueW(TVarData* value) = 0;   // 17

 protected:
  ~ImoxParamsListItemW() = default;
};
// NOLINTEND(bugprone-virtual-near-miss)

// The slots both list interfaces share.
class ImoxParamsList_ : public ImoxUnknown {
 public:
  virtual int32_t MOX_STDCALL GetCount() = 0;          // 3
  virtual int32_t MOX_STDCALL GetSignature() = 0;      // 4
  virtual int32_t MOX_STDCALL GetTag() = 0;            // 5
  virtual void MOX_STDCALL SetTag(int32_t tag) = 0;    // 6
  virtual void MOX_STDCALL Clear() = 0;                // 7
  virtual void MOX_STDCALL Delete(int32_t index) = 0;  // 8
  virtual bool MOX_STDCALL FindRowEnd(int32_t from, int32_t* endIndex,
                                      TmoxBool* isNewRow) = 0;           // 9
  virtual void MOX_STDCALL NewRow() = 0;                                 // 10
  virtual void MOX_STDCALL AppendListRow(TmoxParamsListWrap* list) = 0;  // 11

 protected:
  ~ImoxParamsList_() = default;
};

class ImoxParamsListA : public ImoxParamsList_ {
 public:
  using TItem = ImoxParamsListItemA;
  virtual HResult MOX_STDCALL GetItem(int32_t index, TItem** item) = 0;              // 12
  virtual HResult MOX_STDCALL AppendList(TmoxParamsList* list, TmoxBool* done) = 0;  // 13
  virtual HResult MOX_STDCALL AppendRange(TmoxParamsList* list, int32_t from, int32_t to,
                                          TmoxBool* done) = 0;  // 14
  virtual HResult MOX_STDCALL FindItem(const char* name, int32_t from, int32_t to,
                                       TItem** item) = 0;  // 15
  virtual HResult MOX_STDCALL IndexOf(const char* name, int32_t from, int32_t to,
                                      int32_t* index) = 0;  // 16
  virtual HResult MOX_STDCALL GetValue(const char* name, int32_t from, int32_t to,
                                       TVarData* value) = 0;  // 17
  virtual HResult MOX_STDCALL GetValueDef(const char* name, TVarData defaultValue, int32_t from,
                                          int32_t to, TVarData* value) = 0;             // 18
  virtual HResult MOX_STDCALL Add(const char* name, TVarData value, TItem** item) = 0;  // 19
  virtual HResult MOX_STDCALL Insert(int32_t index, const char* name, TVarData value,
                                     TItem** item) = 0;  // 20
  virtual HResult MOX_STDCALL SetValue(const char* name, TVarData value, TmoxBool addIfMissing,
                                       TItem** item) = 0;                // 21
  virtual HResult MOX_STDCALL AddItem(TItem* source, TItem** item) = 0;  // 22

 protected:
  ~ImoxParamsListA() = default;
};

class ImoxParamsListW : public ImoxParamsList_ {
 public:
  using TItem = ImoxParamsListItemW;
  virtual HResult MOX_STDCALL GetItem(int32_t index, TItem** item) = 0;                  // 12
  virtual HResult MOX_STDCALL AppendList(TmoxParamsListWrap* list, TmoxBool* done) = 0;  // 13
  virtual HResult MOX_STDCALL AppendRange(TmoxParamsListWrap* list, int32_t from, int32_t to,
                                          TmoxBool* done) = 0;  // 14
  virtual HResult MOX_STDCALL FindItem(const char16_t* name, int32_t from, int32_t to,
                                       TItem** item) = 0;  // 15
  virtual HResult MOX_STDCALL IndexOf(const char16_t* name, int32_t from, int32_t to,
                                      int32_t* index) = 0;  // 16
  virtual HResult MOX_STDCALL GetValue(const char16_t* name, int32_t from, int32_t to,
                                       TVarData* value) = 0;  // 17
  virtual HResult MOX_STDCALL GetValueDef(const char16_t* name, TVarData defaultValue, int32_t from,
                                          int32_t to, TVarData* value) = 0;                 // 18
  virtual HResult MOX_STDCALL Add(const char16_t* name, TVarData value, TItem** item) = 0;  // 19
  virtual HResult MOX_STDCALL Insert(int32_t index, const char16_t* name, TVarData value,
                                     TItem** item) = 0;  // 20
  virtual HResult MOX_STDCALL SetValue(const char16_t* name, TVarData value, TmoxBool addIfMissing,
                                       TItem** item) = 0;                // 21
  virtual HResult MOX_STDCALL AddItem(TItem* source, TItem** item) = 0;  // 22

 protected:
  ~ImoxParamsListW() = default;
};

// A counted reference to an interface: releases it when it goes, the C++ form
// of an interface variable.
template <typename TIntf>
class TmoxIntfRef {
 public:
  TmoxIntfRef() noexcept = default;
  // Takes over a reference the caller already counted (an out-parameter's).
  static TmoxIntfRef Adopt(TIntf* intf) noexcept {
    TmoxIntfRef result;
    result.FIntf = intf;
    return result;
  }
  TmoxIntfRef(const TmoxIntfRef& other) noexcept : FIntf(other.FIntf) {
    if (FIntf != nullptr) FIntf->AddRef();
  }
  TmoxIntfRef(TmoxIntfRef&& other) noexcept : FIntf(other.FIntf) { other.FIntf = nullptr; }
  TmoxIntfRef& operator=(TmoxIntfRef other) noexcept {
    TIntf* old = FIntf;
    FIntf = other.FIntf;
    other.FIntf = old;
    return *this;
  }
  ~TmoxIntfRef() {
    if (FIntf != nullptr) FIntf->Release();
  }

  TIntf* Get() const noexcept { return FIntf; }
  TIntf* operator->() const noexcept { return FIntf; }
  explicit operator bool() const noexcept { return FIntf != nullptr; }
  // For an out-parameter: releases what is held and hands out the slot.
  TIntf** Receive() noexcept {
    *this = TmoxIntfRef();
    return &FIntf;
  }

 private:
  TIntf* FIntf = nullptr;
};
