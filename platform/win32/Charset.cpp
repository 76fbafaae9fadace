#include "platform/Charset.h"

#include <windows.h>

namespace platform {

uint32_t SystemCodePage() { return GetACP(); }

std::u16string CodePageToWide(uint32_t codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  UINT page = codePage;
  int length = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  if (length == 0) {
    page = CP_ACP;  // the code page is not installed
    length = MultiByteToWideChar(page, 0, text.data(), size, nullptr, 0);
  }
  std::u16string result(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(page, 0, text.data(), size, reinterpret_cast<LPWSTR>(result.data()), length);
  return result;
}

uint32_t ThreadLocale() { return GetThreadLocale(); }

bool SetThreadLocale(uint32_t locale) { return ::SetThreadLocale(locale) != FALSE; }

}  // namespace platform
