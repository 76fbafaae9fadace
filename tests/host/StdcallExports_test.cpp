// 32-bit Windows only: the plug-in's exports take their arguments the way every
// host calls them (stdcall: the called function removes its arguments). A
// function of another convention can go unnoticed by a caller that restores
// its stack from a frame pointer, so this is measured at the stack itself.
#if defined(_WIN32) && defined(__i386__)
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "HostTestSupport.h"
#include "platform/Library.h"

namespace {

// Calls `function` with `words` zero arguments of 4 bytes and returns how many
// bytes of them it removed from the stack; the stack is restored either way.
uint32_t ArgumentBytesRemoved(void* function, uint32_t words) {
  const uint32_t pushed = 4 * words;
  uint32_t moved = 0;  // the stack pointer after the call less before the pushes
  uint32_t clobbered = 0;
  asm volatile(
      "movl %%esp, %%esi\n\t"
      "jecxz 2f\n"
      "1:\n\t"
      "pushl $0\n\t"
      "loop 1b\n"
      "2:\n\t"
      "call *%[function]\n\t"
      "movl %%esp, %%eax\n\t"
      "subl %%esi, %%eax\n\t"
      "movl %%esi, %%esp\n\t"
      : "=a"(moved), "+c"(words), "=d"(clobbered)
      : [function] "b"(function)
      : "esi", "memory", "cc");
  return moved + pushed;
}

struct TExport {
  const char* Name;
  uint32_t ArgumentBytes;
};

TEST(StdcallExports, EveryExportRemovesItsOwnArguments) {
  constexpr TExport kExports[] = {
      {"CreatePluginInstance", 4}, {"FreePluginInstance", 4}, {"ExecutePluginCommand", 4},
      {"ProcessData", 4},          {"GetModuleInfo", 12},     {"GetLogEx", 4},
      {"GetOptionsDialog", 4},     {"ShowOptionsDialog", 4},
  };
  std::string error;
  const platform::ModuleHandle plugin = platform::LoadModule(host_test::PluginPath(), &error);
  ASSERT_NE(plugin, 0u) << error;
  for (const TExport& entry : kExports) {
    // Null records everywhere: each export refuses them without touching anything.
    void* function = platform::FindExport(plugin, entry.Name);
    ASSERT_NE(function, nullptr) << entry.Name << " is exported under its plain name";
    EXPECT_EQ(ArgumentBytesRemoved(function, entry.ArgumentBytes / 4), entry.ArgumentBytes)
        << entry.Name;
  }
  platform::UnloadModule(plugin);
}

}  // namespace
#endif
