#include "HostFunctions.h"

#include "HostSinks.h"

extern "C" {

int32_t MOX_STDCALL_EXPORT Harvex_SendDataEx(int32_t hostContext, int32_t clientId, int32_t length,
                                             int32_t /*reserved1*/, int32_t kind, void* data,
                                             int32_t /*reserved2*/) {
  return host::DispatchSendData(hostContext, clientId, length, kind, data);
}

// This host takes no notifications, data-source data, states or dynamic forms:
// the calls are accepted and change nothing.
int32_t MOX_STDCALL_EXPORT Harvex_SendNotify(int32_t /*hostContext*/, int32_t /*code*/,
                                             void* /*data*/) {
  return 0;
}

int32_t MOX_STDCALL_EXPORT Harvex_DataSourceData(int32_t /*hostContext*/, int32_t /*clientId*/,
                                                 void* /*data*/) {
  return 0;
}

int32_t MOX_STDCALL_EXPORT Harvex_DataSourceState(int32_t /*hostContext*/, int32_t /*clientId*/,
                                                  int32_t /*state*/) {
  return 0;
}

int32_t MOX_STDCALL_EXPORT Harvex_ManageDynForm(int32_t /*hostContext*/, int32_t /*operation*/,
                                                void* /*form*/) {
  return 0;
}

}  // extern "C"
