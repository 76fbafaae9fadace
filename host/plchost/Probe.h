#pragma once

#include "Options.h"

namespace plchost {

// --probe: connects to the PLC of --plc through the protocol library beside
// the plug-in and reports the PDU size agreed. When the CPU refuses the rack
// and slot given (or 0 and 2), tries the usual ones and says which answers.
// Then reads each --read value and explains a refusal. Writes its findings to
// standard output; returns the exit code: 0, or 5 when the PLC cannot be
// reached, 6 when no rack and slot answer or a value cannot be read.
int RunProbe(const TOptions& options);

}  // namespace plchost
