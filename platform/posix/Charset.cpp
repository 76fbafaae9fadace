#include "platform/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/CodePage.h"

namespace platform {

namespace {

constexpr uint32_t kStandInCodePage = 1252;
constexpr uint32_t kStandInLocale = 0x0409;
thread_local uint32_t threadLocale = kStandInLocale;

constexpr char16_t kReplacement = 0xFFFD;

// Converts what iconv can of [in, in + left) into `out`; stops at an invalid or
// incomplete sequence or at the end.
void ConvertRun(iconv_t converter, char*& in, size_t& left, std::u16string& out) {
  std::vector<char16_t> buffer(left + 4);
  while (left > 0) {
    char* target = reinterpret_cast<char*>(buffer.data());
    size_t room = buffer.size() * sizeof(char16_t);
    const size_t done = iconv(converter, &in, &left, &target, &room);
    const size_t produced = (buffer.size() * sizeof(char16_t) - room) / sizeof(char16_t);
    out.append(buffer.data(), produced);
    if (done != static_cast<size_t>(-1) || errno != E2BIG) return;
  }
}

}  // namespace

uint32_t SystemCodePage() { return kStandInCodePage; }

std::u16string CodePageToWide(uint32_t codePage, std::string_view text) {
  const std::string name = "CP" + std::to_string(codePage);
  // iconv writes UTF-16 in the byte order of x86, the only order this layer targets.
  iconv_t converter = iconv_open("UTF-16LE", name.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) {  // NOLINT(performance-no-int-to-ptr)
    return AnsiToWide(text);
  }
  std::string input(text);
  char* in = input.data();
  size_t left = input.size();
  std::u16string result;
  while (left > 0) {
    ConvertRun(converter, in, left, result);
    if (left > 0) {  // an invalid or cut-off sequence: replace one byte, go on
      result += kReplacement;
      ++in;
      --left;
      iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(converter);
  return result;
}

uint32_t ThreadLocale() { return threadLocale; }

bool SetThreadLocale(uint32_t locale) {
  threadLocale = locale;
  return true;
}

}  // namespace platform
