#pragma once

// A stand-in for the vendor's access DLL, for tests only: its access points
// answer the request blocks of S7 online as the DLL does, and carry the S7
// connection on to an S7 server over ISO-on-TCP (plcsim, or a test's scripted
// PLC). The DLL S7onlinx.dll of the Windows builds wraps these functions; tests
// also use them in the process, in place of the DLL.

#include <cstdint>
#include <string>

namespace standin {

// Environment variables of the DLL: the server, and the access point it offers.
constexpr char kPlcVariable[] = "MOX_S7ONLINE_PLC";                   // HOST:PORT
constexpr char kAccessPointVariable[] = "MOX_S7ONLINE_ACCESS_POINT";  // default S7ONLINE

// SCP error numbers the stand-in sets.
constexpr int32_t kParameterError = 206;
constexpr int32_t kNotOpen = 207;
constexpr int32_t kNoMessage = 215;
constexpr int32_t kNoSuchAccessPoint = 4865;

struct Settings {
  std::string accessPoint = "S7ONLINE";  // the one name Open accepts
  std::string plcHost = "127.0.0.1";
  int32_t plcPort = 102;
};

// "HOST:PORT" into the settings; false when it is no such text.
bool ParsePlcAddress(const std::string& text, Settings& settings);

// The SCP functions. Every block is answered when it is sent, so Receive never
// waits: it returns the next answer, or -1 with error kNoMessage.
int32_t Open(const Settings& settings, const char* accessPoint);
int32_t Close(int32_t handle);
int32_t Send(int32_t handle, uint16_t length, const uint8_t* block);
int32_t Receive(int32_t handle, int32_t* received, uint16_t bufferLength, uint8_t* block);
// The SCP error number of the calling thread's last failed call.
int32_t LastError();

}  // namespace standin
