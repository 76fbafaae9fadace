#pragma once

#include <cstddef>
#include <cstdint>

// What the plug-in knows of the protocol library's records: only the members it
// reads or writes have fixed places; the rest belongs to the library. In the
// 32-bit build the offsets are fixed (checked below); in a 64-bit build the
// pointer members widen and take their natural alignment.

// The library's calling convention: stdcall in the 32-bit Windows build.
#if defined(_WIN32) && !defined(_WIN64)
#define NODAVE_CALL __stdcall
#else
#define NODAVE_CALL
#endif

struct TDaveInterfaceRecord;

// Transport functions that the plug-in may place into an interface record.
// Read: deliver exactly `length` bytes and return `length`, or 0 on time-out.
using TNoDaveReadFunc = int32_t(NODAVE_CALL*)(TDaveInterfaceRecord* intf, uint8_t* buffer,
                                              int32_t length);
// Write: send the bytes; `length` on success, 0 on failure.
using TNoDaveWriteFunc = int32_t(NODAVE_CALL*)(TDaveInterfaceRecord* intf, const uint8_t* buffer,
                                               int32_t length);
// Debug output: a piece of the library's trace, `length` characters, not terminated.
using TNoDaveDebugFunc = void(NODAVE_CALL*)(TDaveInterfaceRecord* intf, int32_t level,
                                            const char* text, int32_t length);

// The port handles an interface uses, passed by value; the read handle first.
struct TDaveOSserialType {
  int32_t rfd;
  int32_t wfd;
};

// The interface record, as far as the plug-in touches it.
struct TDaveInterfaceRecord {
  int32_t timeout;  // microseconds
  int32_t rfd;
  int32_t wfd;
  uint8_t libraryOwn[80];
  TNoDaveReadFunc readFunc;
  TNoDaveWriteFunc writeFunc;
  void* libraryOwnPointer;
  void* userData;
  TNoDaveDebugFunc debugFunc;
};

// The connection record, as far as the plug-in touches it.
struct TDaveConnectionRecord {
  int32_t libraryOwn[2];
  int32_t maxPDUlength;  // negotiated with the PLC
};

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(TDaveOSserialType) == 8);
static_assert(offsetof(TDaveInterfaceRecord, timeout) == 0);
static_assert(offsetof(TDaveInterfaceRecord, rfd) == 4);
static_assert(offsetof(TDaveInterfaceRecord, wfd) == 8);
static_assert(offsetof(TDaveInterfaceRecord, readFunc) == 92);
static_assert(offsetof(TDaveInterfaceRecord, writeFunc) == 96);
static_assert(offsetof(TDaveInterfaceRecord, userData) == 104);
static_assert(offsetof(TDaveInterfaceRecord, debugFunc) == 108);
static_assert(offsetof(TDaveConnectionRecord, maxPDUlength) == 8);
#elif UINTPTR_MAX == UINT64_MAX
static_assert(offsetof(TDaveInterfaceRecord, readFunc) == 96);
static_assert(offsetof(TDaveInterfaceRecord, writeFunc) == 104);
static_assert(offsetof(TDaveInterfaceRecord, userData) == 120);
static_assert(offsetof(TDaveInterfaceRecord, debugFunc) == 128);
static_assert(offsetof(TDaveConnectionRecord, maxPDUlength) == 8);
#endif
