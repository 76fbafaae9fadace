#pragma once

#include <cstdint>
#include <vector>

#include "Description.h"
#include "PlcMemory.h"

namespace plcsim {

// The bytes of `value` at `seconds` after the start: a pure function of time,
// so a given moment always shows the same memory.
std::vector<uint8_t> ValueBytes(const AnimatedValue& value, double seconds);

// Writes every value as it is at `seconds`.
void Animate(const std::vector<AnimatedValue>& values, PlcMemory& memory, double seconds);

}  // namespace plcsim
