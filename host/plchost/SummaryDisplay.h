#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace plchost {

// Keeps the live summary at the bottom of a terminal: other output hides it
// first and it is drawn again afterwards.
class TSummaryDisplay {
 public:
  explicit TSummaryDisplay(std::FILE* terminal) : FTerminal(terminal) {}

  // Removes the lines drawn last.
  void Hide();
  // Draws the lines in place of those drawn last.
  void Show(const std::vector<std::string>& lines);

 private:
  std::FILE* FTerminal;
  size_t FDrawn = 0;
};

}  // namespace plchost
