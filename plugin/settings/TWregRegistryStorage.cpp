#include "settings/TWregRegistryStorage.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/Locale.h"
#include "settings/TWregNumberText.h"

namespace {

using platform::RegistryType;
using platform::RegistryValue;

// Keys resolve from the root whether or not the path starts with a backslash.
std::string FromRoot(std::string path) {
  if (!path.empty() && path.front() == '\\') path.erase(0, 1);
  return path;
}

std::optional<int32_t> DwordOf(const RegistryValue& value) {
  if (value.Type != RegistryType::Dword || value.Data.size() != sizeof(int32_t)) {
    return std::nullopt;
  }
  int32_t number;
  std::memcpy(&number, value.Data.data(), sizeof(number));
  return number;
}

std::optional<double> DoubleOf(const RegistryValue& value) {
  if (value.Type != RegistryType::Binary || value.Data.size() != sizeof(double)) {
    return std::nullopt;
  }
  double number;
  std::memcpy(&number, value.Data.data(), sizeof(number));
  return number;
}

std::optional<std::string> TextOf(const RegistryValue& value) {
  if (value.Type == RegistryType::String || value.Type == RegistryType::ExpandString) {
    return value.Data;
  }
  if (const auto number = DwordOf(value)) return std::to_string(*number);
  if (const auto number = DoubleOf(value)) {
    return FormatDoubleText(*number, platform::UserDecimalSeparator());
  }
  return std::nullopt;
}

// The stored value in the form of the property type; empty when it has another form.
std::optional<TPropertyValue> Convert(const RegistryValue& value, TPropertyType type) {
  switch (type) {
    case TPropertyType::Boolean:
      if (const auto flag = BooleanOf(DwordOf(value))) return TPropertyValue(*flag);
      return std::nullopt;
    case TPropertyType::Integer:
      if (const auto number = DwordOf(value)) return TPropertyValue(*number);
      return std::nullopt;
    case TPropertyType::Double:
      if (const auto number = DoubleOf(value)) return TPropertyValue(*number);
      return std::nullopt;
    case TPropertyType::String:
      if (auto text = TextOf(value)) return TPropertyValue(std::move(*text));
      return std::nullopt;
    case TPropertyType::StringList:
    case TPropertyType::Object:
      return std::nullopt;
  }
  return std::nullopt;
}

template <class T>
RegistryValue BytesOf(RegistryType type, T number) {
  RegistryValue value{type, std::string(sizeof(number), '\0')};
  std::memcpy(value.Data.data(), &number, sizeof(number));
  return value;
}

RegistryValue ToRegistry(const TPropertyValue& value) {
  struct Visitor {
    RegistryValue operator()(bool flag) const {
      return BytesOf(RegistryType::Dword, static_cast<int32_t>(flag));
    }
    RegistryValue operator()(int32_t number) const { return BytesOf(RegistryType::Dword, number); }
    RegistryValue operator()(double number) const { return BytesOf(RegistryType::Binary, number); }
    RegistryValue operator()(const std::string& text) const { return {RegistryType::String, text}; }
    RegistryValue operator()(const std::vector<std::string>&) const { throw NotStored(); }
    RegistryValue operator()(TPersistent*) const { throw NotStored(); }
  };
  return std::visit(Visitor{}, value);
}

}  // namespace

std::unique_ptr<TWregRegistryStorage> TWregRegistryStorage::Open(
    std::optional<platform::RegistryRoot> first, std::optional<platform::RegistryRoot> second,
    const std::string& basePath, bool save) {
  for (const auto& root : {first, second}) {
    platform::RegistryKey probe;
    if (root && probe.Open(*root, FromRoot(basePath), save)) {
      return std::unique_ptr<TWregRegistryStorage>(new TWregRegistryStorage(*root, basePath, save));
    }
  }
  return nullptr;
}

TWregRegistryStorage::TWregRegistryStorage(platform::RegistryRoot root, std::string basePath,
                                           bool save)
    : root_(root), basePath_(std::move(basePath)), save_(save) {}

bool TWregRegistryStorage::SelectLocation(const std::string& subPath) {
  std::string path = basePath_;
  if (!path.empty() && !subPath.empty()) path += '\\';
  path += subPath;
  return key_.Open(root_, FromRoot(path), save_);
}

std::optional<TPropertyValue> TWregRegistryStorage::Read(const std::string& name,
                                                         TPropertyType type) {
  const auto stored = key_.Query(name);
  if (!stored) return std::nullopt;
  auto value = Convert(*stored, type);
  if (!value) key_.DeleteValue(name);
  return value;
}

void TWregRegistryStorage::Write(const std::string& name, const TPropertyValue& value) {
  if (!key_.Set(name, ToRegistry(value))) key_.DeleteValue(name);
}

bool TWregRegistryStorage::Finish() {
  key_.Close();
  return true;
}
