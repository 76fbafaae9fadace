#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Export.h"

namespace platform {

// The system ANSI code page (1252 on the POSIX stand-in).
MOX_PLATFORM_API uint32_t SystemCodePage();

// Decodes 8-bit text of the given code page. Bytes that are invalid in it
// become a replacement character; a code page the system lacks decodes as the
// system code page.
MOX_PLATFORM_API std::u16string CodePageToWide(uint32_t codePage, std::string_view text);

// The calling thread's locale identifier (0x0409 on the POSIX stand-in until set).
MOX_PLATFORM_API uint32_t ThreadLocale();
// Makes `locale` the calling thread's locale; false when the system refuses it.
MOX_PLATFORM_API bool SetThreadLocale(uint32_t locale);

}  // namespace platform
