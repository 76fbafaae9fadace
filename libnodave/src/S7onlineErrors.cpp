#include "S7onlineErrors.h"

#include <cstdio>

#include "nodave.h"

namespace nodave {
namespace {

// What a program of this bitness needs.
constexpr const char* kBitness = sizeof(void*) == 8 ? "64-bit" : "32-bit";

// The text of a code: what failed, the detail in brackets, then what to do.
// "%s" stands for the bitness.
struct FailureText {
  int32_t code;
  const char* what;
  const char* todo;
};

const FailureText kFailures[] = {
    {daveResS7onlineNotAvailable, "S7 online is not available on this platform",
     "it needs Windows with the vendor's PC communication software and its S7onlinx.dll"},
    {daveResS7onlineDllMissing, "S7onlinx.dll not found",
     "install the vendor's PC communication software (it comes with the programming software "
     "or the PC adapter's driver), which brings the %s S7onlinx.dll"},
    {daveResS7onlineDllBitness, "S7onlinx.dll cannot be loaded into this %s program",
     "it is of the other bitness or no DLL; install the vendor's PC communication software "
     "with its %s S7onlinx.dll"},
    {daveResS7onlineDllFailed, "S7onlinx.dll was found but could not be loaded",
     "a DLL it needs may be missing: repair or reinstall the vendor's PC communication "
     "software"},
    {daveResS7onlineExportMissing, "S7onlinx.dll lacks a function that S7 online needs",
     "it is not the vendor's access DLL or a damaged one: reinstall the vendor's PC "
     "communication software"},
    {daveResS7onlineOpenFailed, "the vendor's software refused the access point",
     "in \"Set PG/PC interface\" assign the access point (usually S7ONLINE) the interface that "
     "reaches the PLC (PC adapter, CP), and check that the adapter or CP is connected"},
    {daveResS7onlineScpError, "the vendor's S7 online driver reported an error",
     "check the adapter or CP and its cable, and the interface that \"Set PG/PC interface\" "
     "assigns the access point"},
};

struct ScpMeaning {
  int32_t number;
  const char* meaning;
};

const ScpMeaning kScpMeanings[] = {
    {202, "resource shortage in the driver or library"},
    {203, "configuration error"},
    {205, "request not allowed at present"},
    {206, "parameter error"},
    {207, "device already open, or not yet open"},
    {208, "the CP does not react"},
    {209, "firmware error"},
    {210, "memory shortage in the driver"},
    {215, "no message available"},
    {216, "error accessing the application buffer"},
    {219, "time-out expired"},
    {225, "maximum number of log-ons exceeded"},
    {226, "request aborted"},
    {233, "a helper program could not be started"},
    {234, "no authorisation for this function"},
    {304, "initialisation not yet complete"},
    {305, "function not implemented"},
    {4865, "CP name does not exist"},
    {4866, "CP name not configured"},
    {4867, "channel name does not exist"},
    {4868, "channel name not configured"},
};

thread_local int32_t notedCode = daveResOK;
thread_local char notedDetail[128];
thread_local char text[768];

}  // namespace

void NoteS7onlineFailure(int32_t code, const std::string& detail) {
  notedCode = code;
  std::snprintf(notedDetail, sizeof notedDetail, "%s", detail.c_str());
}

const char* S7onlineErrorText(int32_t code) {
  for (const FailureText& failure : kFailures) {
    if (failure.code != code) {
      continue;
    }
    std::string composed = failure.what;
    if (notedCode == code && notedDetail[0] != '\0') {
      composed += std::string(" (") + notedDetail + ")";
    }
    composed += std::string(": ") + failure.todo;
    for (size_t at = composed.find("%s"); at != std::string::npos; at = composed.find("%s")) {
      composed.replace(at, 2, kBitness);
    }
    std::snprintf(text, sizeof text, "%s", composed.c_str());
    return text;
  }
  return nullptr;
}

std::string ScpErrorDetail(int32_t scpError) {
  std::string detail = "SCP error " + std::to_string(scpError);
  for (const ScpMeaning& entry : kScpMeanings) {
    if (entry.number == scpError) {
      detail += std::string(": ") + entry.meaning;
    }
  }
  return detail;
}

}  // namespace nodave
