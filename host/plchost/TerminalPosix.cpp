#include <unistd.h>

#include "Terminal.h"

namespace plchost {

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) == 1; }

bool EnableTerminalControl(std::FILE* stream) { return IsTerminal(stream); }

}  // namespace plchost
