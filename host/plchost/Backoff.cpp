#include "Backoff.h"

#include <algorithm>

namespace plchost {

TBackoff::TBackoff(uint32_t firstMs, uint32_t longestMs)
    : FFirstMs(std::max<uint32_t>(firstMs, 1)),
      FLongestMs(std::max(longestMs, FFirstMs)),
      FNextMs(FFirstMs) {}

uint32_t TBackoff::Next() {
  const uint32_t pause = FNextMs;
  FNextMs = pause > FLongestMs / 2 ? FLongestMs : pause * 2;
  return pause;
}

}  // namespace plchost
