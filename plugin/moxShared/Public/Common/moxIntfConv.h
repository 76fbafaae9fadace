#pragma once

#include <exception>
#include <string>

#include "moxErrorLog.h"
#include "moxHResult.h"
#include "moxVariant.h"

// How names, values and results cross the list interfaces.

// An "A" list name: an 8-bit long string (length at -4); null is empty.
std::string NameFromA(const char* name);
// A "W" list name: a BSTR, converted to the ANSI code page; null is empty.
std::string NameFromW(const char16_t* name);
// Plain zero-terminated item names; null is empty.
std::string PlainName(const char* name);
std::string PlainName(const char16_t* name);

// An incoming VARIANT by the rules of the A methods (type 0x100 points at 8-bit
// text, 0x102 at UTF-16 text) or of the W methods (both point at UTF-16 text).
// Strings become wide strings; other values are copied. The caller keeps
// ownership of `value`.
TVariant ValueFromA(const TVarData& value);
TVariant ValueFromW(const TVarData& value);

// A VARIANT that another module handed out through an out-parameter: read by
// the rules above, and freed as its receiver must free it.
TVariant ReceiveValue(TVarData value, bool wide);

// Runs an HR operation: the out-parameter is cleared first, then set to what
// the body returns. Any exception gives E_UNEXPECTED and leaves it cleared;
// a null out-parameter gives E_POINTER.
template <typename TOut, typename TBody>
HResult GuardHR(TOut* out, TBody&& body) noexcept {
  if (out == nullptr) return kE_POINTER;
  *out = TOut{};
  try {
    *out = body();
    return kS_OK;
  } catch (...) {
    return kE_UNEXPECTED;
  }
}

// Runs an HR operation without an out-parameter.
template <typename TBody>
HResult GuardStatus(TBody&& body) noexcept {
  try {
    body();
    return kS_OK;
  } catch (...) {
    return kE_UNEXPECTED;
  }
}

// Runs an operation that has no status to report a failure with: an exception
// is written to the error log, so that nothing unwinds into the host.
template <typename TBody>
void Shield(const char* operation, TBody&& body) noexcept {
  try {
    body();
  } catch (const std::exception& e) {
    ReportError(std::string(operation) + ": " + e.what());
  } catch (...) {
    ReportError(std::string(operation) + ": unknown exception");
  }
}

// The same for an operation with a result, which is `fallback` after a failure.
template <typename TResult, typename TBody>
TResult Shield(const char* operation, TResult fallback, TBody&& body) noexcept {
  TResult result = fallback;
  Shield(operation, [&] { result = body(); });
  return result;
}
