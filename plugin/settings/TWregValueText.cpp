#include "settings/TWregValueText.h"

#include <algorithm>
#include <cstdint>

#include "platform/CodePage.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool HasHighByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length;
    uint32_t code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (text.size() - i < static_cast<size_t>(length)) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
    i += static_cast<size_t>(length);
  }
  return true;
}

// A space is kept as a space only where the reader's trimming and a reader that
// collapses runs cannot lose it: after the leading spaces, before a non-space,
// and not at the end of the text.
bool KeepsSpace(std::string_view text, size_t index, bool inLeadingSpaces) {
  return !inLeadingSpaces && index + 1 < text.size() && text[index + 1] != ' ';
}

}  // namespace

std::string EncodeValueText(std::string_view text) {
  const std::string utf8 = platform::WideToUtf8(platform::AnsiToWide(text));
  std::string result;
  result.reserve(utf8.size());
  bool inLeadingSpaces = true;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    const auto byte = static_cast<unsigned char>(c);
    if (c == ' ') {
      result += KeepsSpace(utf8, i, inLeadingSpaces) ? ' ' : '+';
      continue;
    }
    inLeadingSpaces = false;
    if (c == '%') {
      result += "%%";
    } else if (c == '+') {
      result += "%2B";
    } else if (byte > 0x20 && byte < 0x80) {
      result += c;
    } else {
      result += '%';
      result += kHexDigits[byte >> 4];
      result += kHexDigits[byte & 15];
    }
  }
  return result;
}

std::string DecodeValueText(std::string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '+') {
      bytes += ' ';
    } else if (c == '%' && i + 1 < text.size() && text[i + 1] == '%') {
      bytes += '%';
      ++i;
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
               HexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += c;
    }
  }
  if (HasHighByte(text) || !IsValidUtf8(bytes)) return bytes;
  return platform::WideToAnsi(platform::Utf8ToWide(bytes));
}
