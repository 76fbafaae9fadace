#pragma once

#include <cstdint>

namespace plchost {

// The pauses between attempts to open a channel: the first pause, doubled after
// every failed attempt up to the longest one; a connection that carries bytes
// starts the sequence again.
class TBackoff {
 public:
  TBackoff(uint32_t firstMs = 500, uint32_t longestMs = 30000);

  // The pause before the next attempt; the one after it will be longer.
  uint32_t Next();
  void Reset() { FNextMs = FFirstMs; }

 private:
  uint32_t FFirstMs;
  uint32_t FLongestMs;
  uint32_t FNextMs;
};

}  // namespace plchost
