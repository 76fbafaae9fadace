#pragma once

#include "Description.h"
#include "PlcMemory.h"

namespace plcsim {

// Creates the description's areas with their fill and fixed bytes, and writes
// every value as it is at the start.
void LoadMemory(const Description& description, PlcMemory& memory);

}  // namespace plcsim
