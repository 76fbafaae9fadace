#pragma once

#include <cstdint>
#include <string>

#include "ReadAddress.h"

namespace plchost {

// Why a read of the value failed, as a user can act on it: the refusals an
// S7-1200/1500 gives when PUT/GET access is off or a block has optimized
// access, a block that does not exist (each with the code); else the
// protocol library's text.
std::string ReadFailureText(int32_t code, const TReadValue& value, const std::string& libraryText);

}  // namespace plchost
