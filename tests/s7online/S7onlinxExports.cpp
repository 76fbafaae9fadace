// The stand-in's exports, under the vendor DLL's names and calling convention.
// Its settings come from the environment at each SCP_open.
#include <windows.h>

#include "StandIn.h"

namespace {

std::string Environment(const char* name) {
  char value[256];
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value, length) : std::string();
}

standin::Settings SettingsFromEnvironment() {
  standin::Settings settings;
  const std::string accessPoint = Environment(standin::kAccessPointVariable);
  if (!accessPoint.empty()) {
    settings.accessPoint = accessPoint;
  }
  standin::ParsePlcAddress(Environment(standin::kPlcVariable), settings);
  return settings;
}

}  // namespace

extern "C" {

int32_t __stdcall SCP_open(const char* accessPoint) {
  return standin::Open(SettingsFromEnvironment(), accessPoint);
}

int32_t __stdcall SCP_close(int32_t handle) { return standin::Close(handle); }

int32_t __stdcall SCP_send(int32_t handle, uint16_t length, uint8_t* block) {
  return standin::Send(handle, length, block);
}

// Every answer is ready when its block was sent: there is nothing to wait for.
int32_t __stdcall SCP_receive(int32_t handle, uint16_t /*timeout*/, int32_t* received,
                              uint16_t bufferLength, uint8_t* block) {
  return standin::Receive(handle, received, bufferLength, block);
}

int32_t __stdcall SCP_get_errno() { return standin::LastError(); }

int32_t __stdcall SetSinecHWnd(int32_t /*handle*/, HWND /*window*/) { return 0; }

int32_t __stdcall SetSinecHWndMsg(int32_t /*handle*/, HWND /*window*/, UINT /*message*/) {
  return 0;
}
}
