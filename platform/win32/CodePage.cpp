#include "platform/CodePage.h"

#include <windows.h>

namespace platform {

namespace {

std::u16string ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  int length =
      MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::u16string result(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                      reinterpret_cast<LPWSTR>(result.data()), length);
  return result;
}

std::string FromWide(UINT codePage, std::u16string_view text) {
  if (text.empty()) return {};
  auto source = reinterpret_cast<LPCWSTR>(text.data());
  int count = static_cast<int>(text.size());
  int length = WideCharToMultiByte(codePage, 0, source, count, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, source, count, result.data(), length, nullptr, nullptr);
  return result;
}

}  // namespace

std::u16string AnsiToWide(std::string_view text) { return ToWide(CP_ACP, text); }
std::string WideToAnsi(std::u16string_view text) { return FromWide(CP_ACP, text); }
std::string WideToUtf8(std::u16string_view text) { return FromWide(CP_UTF8, text); }
std::u16string Utf8ToWide(std::string_view text) { return ToWide(CP_UTF8, text); }

void AnsiLowerBuffer(char* text, size_t length) {
  if (length > 0) CharLowerBuffA(text, static_cast<DWORD>(length));
}

}  // namespace platform
