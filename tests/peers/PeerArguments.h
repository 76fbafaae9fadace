#pragma once

// Command-line parsing shared by the peer programs.

#include <cstdlib>

namespace peers {

// Parses `text` as a whole number (decimal, or hex with 0x) in [min, max].
inline bool ParseNumber(const char* text, long min, long max, long& value) {
  char* end = nullptr;
  value = std::strtol(text, &end, 0);
  return end != text && *end == '\0' && value >= min && value <= max;
}

}  // namespace peers
