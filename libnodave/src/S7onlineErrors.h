#pragma once

#include <cstdint>
#include <string>

namespace nodave {

// The texts of the S7 online result codes. A failure is noted with its detail (a
// Windows or SCP error number, a function's name) for the thread it happened on,
// so that daveStrerror there names it.

void NoteS7onlineFailure(int32_t code, const std::string& detail);

// The text of an S7 online result code, with the detail this thread noted for
// it; nullptr for any other code. Valid until the thread's next call.
const char* S7onlineErrorText(int32_t code);

// "SCP error 4865: CP name does not exist", or without a meaning for a number
// that is not known.
std::string ScpErrorDetail(int32_t scpError);

}  // namespace nodave
