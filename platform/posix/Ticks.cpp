// Tick counts from the monotonic clock, and sleeping.
#include <chrono>
#include <thread>

#include "platform/Ticks.h"

namespace platform {
namespace {

uint64_t MonotonicMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace

TickFunction64 FindTickCount64() { return &MonotonicMilliseconds; }

uint32_t TickCount32() { return static_cast<uint32_t>(MonotonicMilliseconds()); }

void SleepMs(uint32_t milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

}  // namespace platform
