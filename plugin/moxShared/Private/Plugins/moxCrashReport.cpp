#include "moxCrashReport.h"

#include <atomic>

#include "platform/DebugOutput.h"

namespace {

std::atomic<bool> gReporterRunning{true};

}  // namespace

std::string ExceptionMessage(const std::exception_ptr& exception) {
  try {
    if (exception) std::rethrow_exception(exception);
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "unknown exception";
  }
  return "no exception";
}

void ReportCrash(const std::string& where, const std::exception_ptr& exception) noexcept {
  try {
    const char* state = gReporterRunning ? "" : " (reporter stopped)";
    platform::OutputDebugLine("Exception in " + where + state + ": " + ExceptionMessage(exception));
  } catch (...) {
    // Reporting must not fail the boundary it protects.
  }
}

void StopCrashReporter() { gReporterRunning = false; }
