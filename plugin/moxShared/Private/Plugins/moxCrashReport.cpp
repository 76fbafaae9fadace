#include "moxCrashReport.h"

#include <atomic>

#include "platform/DebugOutput.h"

namespace {

std::atomic<bool> gReporterRunning{true};

std::string MessageOf(std::exception_ptr exception) {
  try {
    if (exception) std::rethrow_exception(exception);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
  return "no exception";
}

}  // namespace

void ReportCrash(const std::string& where, std::exception_ptr exception) noexcept {
  try {
    const char* state = gReporterRunning ? "" : " (reporter stopped)";
    platform::OutputDebugLine("Exception in " + where + state + ": " + MessageOf(exception));
  } catch (...) {
    // Reporting must not fail the boundary it protects.
  }
}

void StopCrashReporter() { gReporterRunning = false; }
