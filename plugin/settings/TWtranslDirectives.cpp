#include "settings/TWtranslDirectives.h"

#include <cstdlib>
#include <string>

#include "settings/TWtranslText.h"

namespace {

struct TCharsetEntry {
  const char* Name;
  uint8_t Charset;
  uint32_t CodePage;
};

constexpr TCharsetEntry kCharsets[] = {
    {"windows-1250", 238, 1250}, {"windows-1251", 204, 1251}, {"windows-1252", 0, 1252},
    {"windows-1253", 161, 1253}, {"windows-1254", 162, 1254}, {"windows-1255", 177, 1255},
    {"windows-1256", 178, 1256}, {"windows-1257", 186, 1257}, {"windows-1258", 163, 1258},
    {"windows-874", 222, 874},   {"shift-jis", 128, 932},     {"hangeul", 129, 949},
    {"johab", 130, 1361},        {"gb2312", 134, 936},        {"chinesebig5", 136, 950}};

constexpr const char* kCollectModes[] = {"", "//saveuntr", "//saveall", "//saveunused",
                                         "//saveuntrobj"};
constexpr const char* kFileModes[] = {"//filenew", "//filerewrite", "//fileappend"};

template <size_t N>
bool SetByName(std::string_view line, const char* const (&names)[N], uint8_t& value) {
  for (size_t i = 0; i < N; ++i) {
    if (*names[i] != '\0' && line == names[i]) {
      value = static_cast<uint8_t>(i);
      return true;
    }
  }
  return false;
}

void SetEncoding(const std::string& value, TWtranslOptions& options) {
  if (value == "utf-8") {
    options.FileEncoding = TWtranslOptions::EncodingUtf8;
  } else if (value == "utf-16" || value == "unicode") {
    options.FileEncoding = TWtranslOptions::EncodingUtf16;
  }
}

void SetBiDiMode(const std::string& value, TWtranslOptions& options) {
  const char* const modes[] = {"", "righttoleft", "righttoleftnoalign", "righttoleftreadingonly"};
  SetByName(value, modes, options.RightToLeftMode);
}

// A decimal number, or hexadecimal after "0x"; anything else leaves the locale.
void SetLocale(const std::string& value, TWtranslOptions& options) {
  const bool hex = value.rfind("0x", 0) == 0;
  const std::string digits = hex ? value.substr(2) : value;
  if (digits.empty() || digits.size() > 10) return;
  char* end = nullptr;
  const unsigned long long number = std::strtoull(digits.c_str(), &end, hex ? 16 : 10);
  if (*end == '\0' && number > 0 && number <= 0xFFFFFFFFull) {
    options.Locale = static_cast<uint32_t>(number);
  }
}

void SetCharset(const std::string& value, TWtranslOptions& options) {
  for (const TCharsetEntry& entry : kCharsets) {
    if (value == entry.Name) {
      options.FontCharset = entry.Charset;
      options.CodePage = entry.CodePage;
    }
  }
}

}  // namespace

bool ApplyDirective(std::string_view line, TWtranslOptions& options) {
  const std::string_view head = TrimBlanks(line.substr(0, 50));
  if (SetByName(head, kFileModes, options.CollectFileMode) ||
      SetByName(head, kCollectModes, options.CollectMode)) {
    return false;  // these are comments as well
  }
  using TSetter = void (*)(const std::string&, TWtranslOptions&);
  const std::pair<const char*, TSetter> valued[] = {{"Encoding=", SetEncoding},
                                                    {"BiDiMode=", SetBiDiMode},
                                                    {"Locale=", SetLocale},
                                                    {"Charset=", SetCharset}};
  for (const auto& [key, setter] : valued) {
    const size_t at = head.find(key);
    if (at == std::string_view::npos) continue;
    setter(AsciiLower(TrimBlanks(head.substr(at + std::string_view(key).size()))), options);
    return true;
  }
  return false;
}
