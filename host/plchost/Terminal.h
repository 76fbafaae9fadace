#pragma once

#include <cstdio>

namespace plchost {

// Whether the stream writes to a terminal.
bool IsTerminal(std::FILE* stream);

// Lets the terminal of the stream take cursor-control sequences; false when
// it is no terminal or cannot.
bool EnableTerminalControl(std::FILE* stream);

// The rows of the terminal the stream writes to; 0 when it is no terminal.
int TerminalRows(std::FILE* stream);

}  // namespace plchost
