#pragma once

#include <cstdint>
#include <string>

// The functions of the vendor's access DLL S7onlinx.dll that S7 online uses: the
// access point's handle and its request blocks. The one file per platform behind
// LoadS7onlineDll holds the system calls: it loads the DLL on Windows and reports
// that there is none elsewhere.

#if defined(_WIN32) && !defined(_WIN64)
#define SCP_CALL __stdcall
#else
#define SCP_CALL
#endif

namespace nodave {

// SCP error numbers (SCP_get_errno) that only say that no block has come yet.
constexpr int32_t kScpNoMessage = 215;
constexpr int32_t kScpTimeout = 219;

struct ScpFunctions {
  // The access point's handle (>= 0), or negative.
  int32_t(SCP_CALL* open)(const char* accessPoint);
  int32_t(SCP_CALL* close)(int32_t handle);
  // 0 when the block was taken, negative otherwise.
  int32_t(SCP_CALL* send)(int32_t handle, uint16_t length, uint8_t* block);
  // 0 with a block of *received bytes, or negative (no block, or an error). The
  // time-out's unit is not known for sure; S7 online asks with 0 and polls.
  int32_t(SCP_CALL* receive)(int32_t handle, uint16_t timeout, int32_t* received,
                             uint16_t bufferLength, uint8_t* block);
  // The SCP error number of the last failed call.
  int32_t(SCP_CALL* lastError)();
  // Registers a window for the DLL's notifications; may be missing.
  int32_t(SCP_CALL* setWindow)(int32_t handle, void* window);
};

// Loads the DLL unless it is loaded already and finds its functions: daveResOK, or
// the result code of why not with `detail` naming what (an error number, a
// function). A failed load is tried again at the next call.
int32_t LoadS7onlineDll(const ScpFunctions*& functions, std::string& detail);

}  // namespace nodave
