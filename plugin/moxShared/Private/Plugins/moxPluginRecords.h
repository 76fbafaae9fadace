#pragma once

#include <cstddef>
#include <cstdint>

// The records that cross the boundary between a host and the plug-in. They are
// packed; in the 32-bit build their sizes and member offsets are fixed (checked
// below), in a 64-bit build the pointer members widen and host and plug-in use
// these same declarations.

#if defined(_WIN32) && !defined(_WIN64)
#define MOX_STDCALL_EXPORT __stdcall
#else
#define MOX_STDCALL_EXPORT
#endif

#pragma pack(push, 1)

// Slot kinds: what a data slot's Ptr holds.
enum : uint8_t {
  kSlotListObject = 1,     // a list object, used when its signature is valid
  kSlotSize = 2,           // a size in Ptr
  kSlotText = 4,           // text of Length bytes
  kSlotCount = 5,          // a count in Ptr
  kSlotMarker = 6,         // a marker value in Ptr
  kSlotListUnchecked = 8,  // a list object, used without checking
  kSlotListInterface = 9,  // a variable holding a list interface reference
};

// The InData marker of the final release call of FreePluginInstance.
constexpr uintptr_t kFinalReleaseMarker = 0xFF01;

// Flags bit set while a call runs when Params held an interface reference.
constexpr uint8_t kFlagParamsIsInterface = 0x40;

// DataFlags bits of a data call.
enum : uint8_t {
  kDataKeepEmptyList = 0x01,  // an empty InData list still counts as data
  kDataRequest = 0x04,        // a request: report the outcome in the log
  kDataWrite = 0x08,          // a write: report the outcome in the log
  kDataPassThrough = 0x20,    // without a data hook, InData is copied to OutData
};

struct TPluginDataSlot {
  int32_t Reserved;
  int32_t Length;
  uint8_t Kind;
  uintptr_t Ptr;
};

struct TPluginCallRec {
  int32_t Size;
  uint8_t Flags;
  uintptr_t Instance;
  int32_t HostContext;
  int32_t ClientId;
  int32_t Reserved1;
  uint8_t DataFlags;
  uintptr_t Params;
  TPluginDataSlot InData;
  TPluginDataSlot OutData;
  uint8_t Reserved2[48];
  uint8_t Reserved3[2];
};

struct TPluginModuleInfo {
  int32_t Size;
  uint32_t TypeFlags;
  uint32_t InterfaceVersion;
  float ModuleVersion;
  uint8_t InfoFlag;
  int32_t DescriptionLength;
  uintptr_t Description;
  int32_t CustomCommandsLength;
  uintptr_t CustomCommands;
};

#pragma pack(pop)

// The size a record's Size must hold: 102 in the 32-bit build.
constexpr int32_t kCallRecSize = static_cast<int32_t>(sizeof(TPluginCallRec));
// The fixed part of the module information; the texts follow it.
constexpr int32_t kModuleInfoSize = static_cast<int32_t>(sizeof(TPluginModuleInfo));

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(TPluginDataSlot) == 13);
static_assert(offsetof(TPluginDataSlot, Length) == 4);
static_assert(offsetof(TPluginDataSlot, Kind) == 8);
static_assert(offsetof(TPluginDataSlot, Ptr) == 9);
static_assert(sizeof(TPluginCallRec) == 102);
static_assert(offsetof(TPluginCallRec, Flags) == 4);
static_assert(offsetof(TPluginCallRec, Instance) == 5);
static_assert(offsetof(TPluginCallRec, HostContext) == 9);
static_assert(offsetof(TPluginCallRec, ClientId) == 13);
static_assert(offsetof(TPluginCallRec, DataFlags) == 21);
static_assert(offsetof(TPluginCallRec, Params) == 22);
static_assert(offsetof(TPluginCallRec, InData) == 26);
static_assert(offsetof(TPluginCallRec, OutData) == 39);
static_assert(sizeof(TPluginModuleInfo) == 33);
static_assert(offsetof(TPluginModuleInfo, InfoFlag) == 16);
static_assert(offsetof(TPluginModuleInfo, DescriptionLength) == 17);
static_assert(offsetof(TPluginModuleInfo, Description) == 21);
static_assert(offsetof(TPluginModuleInfo, CustomCommandsLength) == 25);
static_assert(offsetof(TPluginModuleInfo, CustomCommands) == 29);
#endif

// The plug-in's exports.
extern "C" {
using TCreatePluginInstance = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TFreePluginInstance = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TExecutePluginCommand = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TProcessData = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TGetModuleInfo = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record, TPluginModuleInfo* info,
                                                    int32_t* size);
using TGetLogEx = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TGetOptionsDialog = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);
using TShowOptionsDialog = int32_t(MOX_STDCALL_EXPORT*)(TPluginCallRec* record);

// The host's function that takes bytes to transmit (kind 0x81) and data records (kind 9).
using THarvexSendDataEx = int32_t(MOX_STDCALL_EXPORT*)(int32_t hostContext, int32_t clientId,
                                                       int32_t length, int32_t reserved1,
                                                       int32_t kind, void* data, int32_t reserved2);
}

// Kinds of Harvex_SendDataEx.
constexpr int32_t kSendBytes = 0x81;
constexpr int32_t kSendDataRecord = 9;

// Window messages to the host's message window; wParam is the host context.
constexpr uint32_t kMsgLogLinesWaiting = 1809;
constexpr uint32_t kMsgReloadSettings = 1812;
