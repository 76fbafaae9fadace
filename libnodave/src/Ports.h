#pragma once

#include <cstdint>

namespace nodave {

// True for a serial port handle that setPort opened and closePort has not closed.
bool IsOpenPort(int32_t handle);

}  // namespace nodave
