#include <io.h>
#include <windows.h>

#include "Terminal.h"

namespace plchost {

namespace {

HANDLE ConsoleOf(std::FILE* stream) {
  return GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

bool EnableTerminalControl(std::FILE* stream) {
  if (!IsTerminal(stream)) return false;
  const HANDLE console = ConsoleOf(stream);
  DWORD mode = 0;
  if (!GetConsoleMode(console, &mode)) return false;
  constexpr DWORD kVirtualTerminalProcessing = 0x0004;
  return SetConsoleMode(console, mode | kVirtualTerminalProcessing) != 0;
}

int TerminalRows(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!IsTerminal(stream) || !GetConsoleScreenBufferInfo(ConsoleOf(stream), &info)) return 0;
  return info.srWindow.Bottom - info.srWindow.Top + 1;
}

}  // namespace plchost
