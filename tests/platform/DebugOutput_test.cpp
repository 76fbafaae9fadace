// Windows only: the system's debug channel.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/DebugOutput.h"

namespace {

constexpr DWORD kDebugPrint = 0x40010006;  // the exception that carries a debug line
LONG gDebugPrints = 0;

LONG CALLBACK CountDebugPrints(EXCEPTION_POINTERS* exception) {
  if (exception->ExceptionRecord->ExceptionCode == kDebugPrint) ++gDebugPrints;
  return EXCEPTION_CONTINUE_SEARCH;
}

// Lines reach the system only while someone listens: nothing is raised in the
// writer for a line nobody reads.
TEST(DebugOutput, LinesGoToTheSystemOnlyWhileAMonitorListens) {
  ASSERT_FALSE(IsDebuggerPresent());
  void* handler = AddVectoredExceptionHandler(1, &CountDebugPrints);
  ASSERT_NE(handler, nullptr);
  gDebugPrints = 0;
  platform::OutputDebugLine("nobody listens");
  EXPECT_EQ(gDebugPrints, 0);

  HANDLE monitor = CreateEventA(nullptr, FALSE, FALSE, "DBWIN_BUFFER_READY");
  ASSERT_NE(monitor, nullptr);
  platform::OutputDebugLine("a monitor listens");
  EXPECT_EQ(gDebugPrints, 1);
  CloseHandle(monitor);

  platform::OutputDebugLine("the monitor is gone");
  EXPECT_EQ(gDebugPrints, 1);
  RemoveVectoredExceptionHandler(handler);
}

}  // namespace
#endif
