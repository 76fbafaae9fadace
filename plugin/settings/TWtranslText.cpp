#include "settings/TWtranslText.h"

#include "platform/CodePage.h"

namespace {

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

std::u16string DecodeControls(const std::u16string& text) {
  std::u16string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      result += static_cast<char16_t>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      result += text[i];
    }
  }
  return result;
}

std::u16string RemoveSingleAmpersands(const std::u16string& text) {
  std::u16string result;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'&') {
      result += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == u'&') {
      result += u"&&";
      ++i;
    }
  }
  return result;
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::string AsciiLower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return result;
}

std::string AnsiLower(std::string_view text) {
  std::string result(text);
  platform::AnsiLowerBuffer(result.data(), result.size());
  return result;
}

TWtranslKeys MakeKeys(std::string_view trimmed) {
  static const char kHex[] = "0123456789ABCDEF";
  TWtranslKeys keys;
  for (char c : trimmed) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x20) {
      keys.Escaped += {'%', kHex[code >> 4], kHex[code & 0xF]};
      keys.HadControls = true;
    } else {
      keys.Escaped += c;
    }
  }
  const std::string& escaped = keys.Escaped;
  for (size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] != '&') {
      keys.Plain += escaped[i];
    } else if (i + 1 < escaped.size() && escaped[i + 1] == '&') {
      keys.Plain += escaped.substr(i);  // the first "&&" and all after it stay
      break;
    } else {
      keys.HadAccelerator = true;
    }
  }
  return keys;
}

std::u16string PostProcess(std::u16string translation, bool hadControls, bool hadAccelerator) {
  if (hadControls) translation = DecodeControls(translation);
  if (!hadAccelerator) translation = RemoveSingleAmpersands(translation);
  return translation;
}

bool HasWordCharacter(std::string_view text) {
  for (char c : text) {
    const auto code = static_cast<unsigned char>(c);
    if ((code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || code >= 0x80) return true;
  }
  return false;
}
