#pragma once

#include <cstdint>

// Status codes of the COM-style interfaces and of the automation conversions:
// 0 is success, a negative value a failure.
using HResult = int32_t;

constexpr HResult kS_OK = 0;
constexpr HResult kE_NOINTERFACE = static_cast<HResult>(0x80004002u);
constexpr HResult kE_POINTER = static_cast<HResult>(0x80004003u);
constexpr HResult kE_UNEXPECTED = static_cast<HResult>(0x8000FFFFu);
constexpr HResult kDISP_E_BADVARTYPE = static_cast<HResult>(0x80020008u);
constexpr HResult kDISP_E_TYPEMISMATCH = static_cast<HResult>(0x80020005u);
constexpr HResult kDISP_E_OVERFLOW = static_cast<HResult>(0x8002000Au);
