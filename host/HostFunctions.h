#pragma once

#include <cstdint>

#include "moxShared/Private/Plugins/moxPluginRecords.h"

// The functions a host offers the plug-in, exported from the host program by
// these names; the plug-in finds them in the module it gets as "HANDLE".
// Only Harvex_SendDataEx carries data; the others are there to be bound.
#if defined(_WIN32)
#define MOX_HOST_EXPORT __declspec(dllexport)
#else
#define MOX_HOST_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
MOX_HOST_EXPORT int32_t MOX_STDCALL_EXPORT Harvex_SendDataEx(int32_t hostContext, int32_t clientId,
                                                             int32_t length, int32_t reserved1,
                                                             int32_t kind, void* data,
                                                             int32_t reserved2);
MOX_HOST_EXPORT int32_t MOX_STDCALL_EXPORT Harvex_SendNotify(int32_t hostContext, int32_t code,
                                                             void* data);
MOX_HOST_EXPORT int32_t MOX_STDCALL_EXPORT Harvex_DataSourceData(int32_t hostContext,
                                                                 int32_t clientId, void* data);
MOX_HOST_EXPORT int32_t MOX_STDCALL_EXPORT Harvex_DataSourceState(int32_t hostContext,
                                                                  int32_t clientId, int32_t state);
MOX_HOST_EXPORT int32_t MOX_STDCALL_EXPORT Harvex_ManageDynForm(int32_t hostContext,
                                                                int32_t operation, void* form);
}

namespace host {

// The names under which the plug-in looks the host functions up.
constexpr const char* kHostFunctionNames[] = {"Harvex_SendNotify", "Harvex_SendDataEx",
                                              "Harvex_DataSourceData", "Harvex_DataSourceState",
                                              "Harvex_ManageDynForm"};

}  // namespace host
