#include "SummaryDisplay.h"

namespace plchost {

void TSummaryDisplay::Hide() {
  if (FDrawn == 0) return;
  // Up to the start of the first drawn line, then clear to the end of the screen.
  std::fprintf(FTerminal, "\x1b[%zuF\x1b[J", FDrawn);
  std::fflush(FTerminal);
  FDrawn = 0;
}

void TSummaryDisplay::Show(const std::vector<std::string>& lines) {
  Hide();
  for (const std::string& line : lines) std::fprintf(FTerminal, "%s\n", line.c_str());
  std::fflush(FTerminal);
  FDrawn = lines.size();
}

}  // namespace plchost
