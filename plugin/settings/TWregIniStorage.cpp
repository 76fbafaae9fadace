#include "settings/TWregIniStorage.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "platform/Locale.h"
#include "settings/TWregNumberText.h"

std::string IniSectionName(std::string_view prefix, std::string_view subPath) {
  const bool endsWithSlash = !prefix.empty() && (prefix.back() == '/' || prefix.back() == '\\');
  if (endsWithSlash) prefix.remove_suffix(1);
  std::string body(subPath);
  if (body.empty() && !endsWithSlash) body = "Common";
  std::string section(prefix);
  if (!section.empty() && !body.empty()) section += '.';
  section += body;
  std::replace(section.begin(), section.end(), '\\', '.');
  return section;
}

bool IniFileExists(const std::string& path) { return std::ifstream(path).is_open(); }

TWregIniStorage::TWregIniStorage(const std::string& path, std::string sectionPrefix)
    : lock_(path), path_(path), prefix_(std::move(sectionPrefix)) {
  std::ifstream file(path_, std::ios::binary);
  if (!file) return;
  std::ostringstream content;
  content << file.rdbuf();
  file_.Parse(content.str());
}

bool TWregIniStorage::SelectLocation(const std::string& subPath) {
  section_ = IniSectionName(prefix_, subPath);
  return true;
}

std::optional<TPropertyValue> TWregIniStorage::Read(const std::string& name, TPropertyType type) {
  const std::string* text = file_.Find(section_, name);
  if (text == nullptr) return std::nullopt;
  switch (type) {
    case TPropertyType::Boolean:
      if (const auto flag = BooleanOf(ParseIntegerText(*text))) return TPropertyValue(*flag);
      return std::nullopt;
    case TPropertyType::Integer:  // a present text that is no number reads as 0
      return TPropertyValue(ParseIntegerText(*text).value_or(0));
    case TPropertyType::Double:
      return TPropertyValue(ParseDoubleText(*text).value_or(0.0));
    case TPropertyType::String:
      return TPropertyValue(*text);
    case TPropertyType::StringList:
    case TPropertyType::Object:
      return std::nullopt;
  }
  return std::nullopt;
}

void TWregIniStorage::Write(const std::string& name, const TPropertyValue& value) {
  struct ToText {
    std::string operator()(bool flag) const { return flag ? "1" : "0"; }
    std::string operator()(int32_t number) const { return std::to_string(number); }
    std::string operator()(double number) const {
      return FormatDoubleText(number, platform::UserDecimalSeparator());
    }
    std::string operator()(const std::string& text) const { return text; }
    std::string operator()(const std::vector<std::string>&) const { throw NotStored(); }
    std::string operator()(TPersistent*) const { throw NotStored(); }
  };
  changed_ |= file_.Set(section_, name, std::visit(ToText{}, value));
}

bool TWregIniStorage::Finish() {
  if (!changed_) return true;
  std::ofstream file(path_, std::ios::binary | std::ios::trunc);
  file << file_.Text();
  return static_cast<bool>(file.flush());
}
