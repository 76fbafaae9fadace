#include "platform/Registry.h"

#include <windows.h>

#include <vector>

namespace platform {

struct RegistryKey::Native {
  HKEY key;
};

namespace {

HKEY RootKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine:
      return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users:
      return HKEY_USERS;
    case RegistryRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
  }
  return nullptr;
}

RegistryType TypeOf(DWORD type) {
  switch (type) {
    case REG_SZ:
      return RegistryType::String;
    case REG_EXPAND_SZ:
      return RegistryType::ExpandString;
    case REG_BINARY:
      return RegistryType::Binary;
    case REG_DWORD:
      return RegistryType::Dword;
    default:
      return RegistryType::Other;
  }
}

DWORD NativeType(RegistryType type) {
  switch (type) {
    case RegistryType::String:
      return REG_SZ;
    case RegistryType::ExpandString:
      return REG_EXPAND_SZ;
    case RegistryType::Binary:
      return REG_BINARY;
    case RegistryType::Dword:
      return REG_DWORD;
    case RegistryType::Other:
      break;
  }
  return REG_NONE;
}

bool IsText(RegistryType type) {
  return type == RegistryType::String || type == RegistryType::ExpandString;
}

}  // namespace

RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::Open(RegistryRoot root, const std::string& path, bool create) {
  Close();
  HKEY key = nullptr;
  LONG result =
      create ? RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, &key, nullptr)
             : RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (result != ERROR_SUCCESS) return false;
  native_ = new Native{key};
  return true;
}

void RegistryKey::Close() {
  if (native_ == nullptr) return;
  RegCloseKey(native_->key);
  delete native_;
  native_ = nullptr;
}

std::optional<RegistryValue> RegistryKey::Query(const std::string& name) const {
  if (native_ == nullptr) return std::nullopt;
  DWORD type = 0;
  DWORD size = 0;
  LONG result;
  std::vector<BYTE> data;
  do {  // the value may grow between the two calls
    result = RegQueryValueExA(native_->key, name.c_str(), nullptr, &type, nullptr, &size);
    if (result != ERROR_SUCCESS) return std::nullopt;
    data.resize(size);
    result = RegQueryValueExA(native_->key, name.c_str(), nullptr, &type, data.data(), &size);
  } while (result == ERROR_MORE_DATA);
  if (result != ERROR_SUCCESS) return std::nullopt;
  RegistryValue value{TypeOf(type), std::string(data.begin(), data.begin() + size)};
  if (IsText(value.Type) && !value.Data.empty() && value.Data.back() == '\0') value.Data.pop_back();
  return value;
}

bool RegistryKey::Set(const std::string& name, const RegistryValue& value) {
  if (native_ == nullptr || value.Type == RegistryType::Other) return false;
  // Text values are stored with their closing NUL.
  const size_t size = value.Data.size() + (IsText(value.Type) ? 1 : 0);
  if (size > MAXDWORD) return false;
  return RegSetValueExA(native_->key, name.c_str(), 0, NativeType(value.Type),
                        reinterpret_cast<const BYTE*>(value.Data.c_str()),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::string& name) {
  return native_ != nullptr && RegDeleteValueA(native_->key, name.c_str()) == ERROR_SUCCESS;
}

bool DeleteRegistryTree(RegistryRoot root, const std::string& path) {
  return RegDeleteTreeA(RootKey(root), path.c_str()) == ERROR_SUCCESS;
}

}  // namespace platform
