#pragma once

#include <string>

// Where shared code reports a fault that it cannot hand back to a caller (a
// host holding on to a list wrapper, a failure inside an interface method
// without a status). Each report goes to the error log, once the module has
// pointed it at its log, and to the debugger output.
using TmoxErrorLogProc = void (*)(void* context, const std::string& message);

// Sets the error log; a null procedure stops the forwarding.
void SetErrorLog(TmoxErrorLogProc proc, void* context);

void ReportError(const std::string& message) noexcept;
