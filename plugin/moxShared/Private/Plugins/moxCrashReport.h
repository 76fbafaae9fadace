#pragma once

#include <exception>
#include <string>

// The least of a crash reporter: exceptions caught at the library's boundary
// are handed to it, and the final release stops it.

// Records an exception caught at `where`; never throws.
void ReportCrash(const std::string& where, const std::exception_ptr& exception) noexcept;
// The message of an exception; "unknown exception" for one of no standard type.
std::string ExceptionMessage(const std::exception_ptr& exception);
// Stops the reporter; later reports only go to the debugger output.
void StopCrashReporter();
