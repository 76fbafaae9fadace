#pragma once

#include <cstdint>
#include <string>

#include "platform/Export.h"

namespace platform {

// Automation wide strings (BSTR): zero-terminated UTF-16 text preceded by its
// 32-bit byte length. A null pointer is an empty string.
using WideChar = char16_t;
using BStr = WideChar*;

// Allocates a string of `length` characters copied from `text` (zero-filled
// when `text` is null). Throws std::bad_alloc when no memory is left.
MOX_PLATFORM_API BStr AllocBStr(const WideChar* text, uint32_t length);
// Frees a string from AllocBStr; null is allowed.
MOX_PLATFORM_API void FreeBStr(BStr text);
// The length in characters; 0 for null.
MOX_PLATFORM_API uint32_t BStrLength(const WideChar* text);

// A globally unique identifier in its binary layout (16 bytes).
struct Guid {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) {
  if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
  for (int i = 0; i < 8; ++i) {
    if (a.Data4[i] != b.Data4[i]) return false;
  }
  return true;
}
inline bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

// A new random identifier.
MOX_PLATFORM_API Guid CreateGuid();
// The registry form: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper-case hexadecimal.
MOX_PLATFORM_API std::string GuidToString(const Guid& guid);

}  // namespace platform
