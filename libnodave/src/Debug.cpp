#include "Debug.h"

#include <atomic>
#include <cstdio>

namespace nodave {
namespace {

std::atomic<int32_t> debugFlags{0};

}  // namespace

bool DebugOn(int32_t flags) { return (debugFlags.load(std::memory_order_relaxed) & flags) != 0; }

void DebugLine(daveInterface* di, int32_t flag, const std::string& text) {
  if (!DebugOn(flag)) {
    return;
  }
  const std::string line = text + "\n";
  if (di != nullptr && di->debugFn != nullptr) {
    di->debugFn(di, flag, line.data(), static_cast<int32_t>(line.size()));
  } else {
    std::fputs(line.c_str(), stderr);
  }
}

void DebugBytes(daveInterface* di, int32_t flag, const char* what, const uint8_t* data,
                size_t length) {
  if (!DebugOn(flag)) {
    return;
  }
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = std::string(what) + ": " + std::to_string(length) + " bytes:";
  for (size_t i = 0; i < length; ++i) {
    text += ' ';
    text += kHex[data[i] >> 4];
    text += kHex[data[i] & 0x0F];
  }
  DebugLine(di, flag, text);
}

}  // namespace nodave

extern "C" {

DAVE_API void DAVE_CALL daveSetDebug(int32_t flags) {
  nodave::debugFlags.store(flags, std::memory_order_relaxed);
}

DAVE_API int32_t DAVE_CALL daveGetDebug(void) {
  return nodave::debugFlags.load(std::memory_order_relaxed);
}
}
