#include <sys/ioctl.h>
#include <unistd.h>

#include "Terminal.h"

namespace plchost {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool EnableTerminalControl(std::FILE* stream) { return IsTerminal(stream); }

int TerminalRows(std::FILE* stream) {
  winsize size{};
  if (!IsTerminal(stream) || ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_row;
}

}  // namespace plchost
