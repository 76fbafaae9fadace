#include "moxIntfConv.h"

#include <cstring>

#include "moxAnsiString.h"
#include "platform/CodePage.h"

namespace {

std::u16string_view WideText(const char16_t* text) {
  return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

bool IsTextPointer(const TVarData& value) {
  return value.VType == VarType::AnsiStr || value.VType == VarType::WideText;
}

}  // namespace

std::string NameFromA(const char* name) { return std::string(TAnsiString::ViewOf(name)); }

std::string NameFromW(const char16_t* name) {
  if (name == nullptr) return {};
  return platform::WideToAnsi(std::u16string_view(name, platform::BStrLength(name)));
}

std::string PlainName(const char* name) { return name == nullptr ? std::string() : name; }

std::string PlainName(const char16_t* name) { return platform::WideToAnsi(WideText(name)); }

TVariant ValueFromA(const TVarData& value) {
  if (value.VType == VarType::AnsiStr) {
    const char* text = value.AnsiStr == nullptr ? "" : value.AnsiStr;
    return TVariant::OfWide(platform::AnsiToWide(text));
  }
  return ValueFromW(value);
}

TVariant ValueFromW(const TVarData& value) {
  if (IsTextPointer(value))
    return TVariant::OfWide(WideText(static_cast<const char16_t*>(value.Ptr)));
  return TVariant::CopyOf(value);
}

TVariant ReceiveValue(TVarData value, bool wide) {
  // Text pointers belong to their sender; anything else is an automation
  // value that the receiver owns.
  if (IsTextPointer(value)) return wide ? ValueFromW(value) : ValueFromA(value);
  return TVariant::Adopt(value);
}
