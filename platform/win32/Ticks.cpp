// Tick counts and sleeping. GetTickCount64 is missing before Windows Vista, so it
// is looked up by name.
#include <windows.h>

#include "platform/Ticks.h"

namespace platform {
namespace {

using SystemTickCount64 = ULONGLONG(WINAPI*)();

SystemTickCount64 ResolveTickCount64() {
  const HMODULE kernel = GetModuleHandleW(L"kernel32");
  if (kernel == nullptr) return nullptr;
  // Through void(*)(), which converts to any function type without a warning.
  const auto found = reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetTickCount64"));
  return reinterpret_cast<SystemTickCount64>(found);
}

SystemTickCount64 SystemFunction() {
  static const SystemTickCount64 function = ResolveTickCount64();
  return function;
}

uint64_t TickCount64() { return SystemFunction()(); }

}  // namespace

TickFunction64 FindTickCount64() { return SystemFunction() != nullptr ? &TickCount64 : nullptr; }

uint32_t TickCount32() { return GetTickCount(); }

void SleepMs(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace platform
