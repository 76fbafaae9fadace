#pragma once

#include <cstdint>

#include "S7onlineDll.h"

namespace nodave {

// The access points that openS7online opened and closeS7online has not closed.

// The functions that serve an open access point's handle; nullptr for any other.
const ScpFunctions* ScpFunctionsOf(int32_t handle);

// Why a handle that openS7online did not open cannot be used: S7 online is not
// available here at all, or the handle is wrong.
int32_t UnknownS7onlineHandle();

// Functions to use instead of the vendor's DLL (tests: a stand-in in the
// process); nullptr goes back to the DLL.
void UseScpFunctions(const ScpFunctions* functions);

}  // namespace nodave
