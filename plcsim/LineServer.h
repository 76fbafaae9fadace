#pragma once

#include <string>

#include "ByteStream.h"
#include "LinePacing.h"
#include "LinePersonality.h"

namespace plcsim {

// Serves one line until it ends: every byte received goes to the personality, every
// byte it answers goes back, both at the line's pace. Returns why the line ended.
std::string ServeLine(ByteStream& line, LinePersonality& personality, LinePacing& pacing);

}  // namespace plcsim
