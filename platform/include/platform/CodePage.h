#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace platform {

// Conversions between 8-bit text in the system ANSI code page (Windows-1252 on
// the POSIX stand-in), UTF-16 and UTF-8. Characters that the target cannot
// represent become '?' (ANSI) or U+FFFD (from malformed UTF-8).
MOX_PLATFORM_API std::u16string AnsiToWide(std::string_view text);
MOX_PLATFORM_API std::string WideToAnsi(std::u16string_view text);
MOX_PLATFORM_API std::string WideToUtf8(std::u16string_view text);
MOX_PLATFORM_API std::u16string Utf8ToWide(std::string_view text);

// Lower-cases 8-bit text in place by the rules of the system ANSI code page
// (the conversion of Windows' CharLowerBuffA).
MOX_PLATFORM_API void AnsiLowerBuffer(char* text, size_t length);

}  // namespace platform
