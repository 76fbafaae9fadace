// The registry stand-in: every root is a folder under $MOX_REGISTRY_DIR, every
// key a folder below it, and the values of a key live in its file "values",
// one value a line: type number, hex of the name, hex of the data. Changes
// rewrite that file through a temporary file and a rename, under an flock on
// the key's ".lock" file, so readers never see half a file and writers in other
// processes lose nothing.

#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace platform {

struct RegistryKey::Native {
  fs::path folder;
};

namespace {

struct StoredValue {
  std::string name;
  RegistryValue value;
};

const char* RootFolderName(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RegistryRoot::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RegistryRoot::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RegistryRoot::Users:
      return "HKEY_USERS";
    case RegistryRoot::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "HKEY_NONE";
}

fs::path RegistryFolder() {
  if (const char* folder = std::getenv("MOX_REGISTRY_DIR"); folder && *folder) return folder;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".mox-registry";
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Key names compare without regard to case; bytes that a file name cannot
// safely hold (and dots, so that "." and ".." stay names) are escaped.
std::string FolderNameOf(const std::string& part) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string result;
  for (char c : part) {
    const char lower = LowerAscii(c);
    const bool plain = (lower >= 'a' && lower <= 'z') || (lower >= '0' && lower <= '9') ||
                       lower == ' ' || lower == '_' || lower == '-';
    if (plain) {
      result += lower;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      result += '%';
      result += kHex[byte >> 4];
      result += kHex[byte & 15];
    }
  }
  return result;
}

// The folder of a key; empty when the path has an empty part.
std::optional<fs::path> KeyFolder(RegistryRoot root, const std::string& path) {
  fs::path folder = RegistryFolder() / RootFolderName(root);
  if (path.empty()) return folder;
  size_t start = 0;
  while (true) {
    const size_t end = path.find('\\', start);
    const std::string part = path.substr(start, end - start);
    if (part.empty()) return std::nullopt;
    folder /= FolderNameOf(part);
    if (end == std::string::npos) return folder;
    start = end + 1;
  }
}

std::string ToHex(const std::string& bytes) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text += kHex[byte >> 4];
    text += kHex[byte & 15];
  }
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::optional<std::string> FromHex(const std::string& text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes += static_cast<char>(high * 16 + low);
  }
  return bytes;
}

// Reads the values of a key; damaged lines are left out.
std::vector<StoredValue> ReadValues(const fs::path& folder) {
  std::vector<StoredValue> values;
  std::ifstream file(folder / "values", std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    int type = 0;
    std::string name;
    std::string data;
    if (!(fields >> type >> name)) continue;
    fields >> data;  // empty data has no field
    auto decodedName = FromHex(name == "-" ? "" : name);
    auto decodedData = FromHex(data);
    if (!decodedName || !decodedData || type < 0 || type > static_cast<int>(RegistryType::Other)) {
      continue;
    }
    values.push_back({*decodedName, {static_cast<RegistryType>(type), *decodedData}});
  }
  return values;
}

bool WriteValues(const fs::path& folder, const std::vector<StoredValue>& values) {
  const fs::path temporary = folder / ("values." + std::to_string(getpid()) + ".tmp");
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    for (const StoredValue& stored : values) {
      // "-" stands for the empty name (the key's default value).
      const std::string name = stored.name.empty() ? "-" : ToHex(stored.name);
      file << static_cast<int>(stored.value.Type) << ' ' << name << ' ' << ToHex(stored.value.Data)
           << '\n';
    }
    if (!file.flush()) return false;
  }
  std::error_code error;
  fs::rename(temporary, folder / "values", error);
  return !error;
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Runs a read-modify-write of a key's values under the key's lock file.
template <class Change>
bool ChangeValues(const fs::path& folder, Change change) {
  const int lock = open((folder / ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (lock < 0) return false;
  while (flock(lock, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(lock);
      return false;
    }
  }
  std::vector<StoredValue> values = ReadValues(folder);
  const bool done = change(values) && WriteValues(folder, values);
  flock(lock, LOCK_UN);
  close(lock);
  return done;
}

}  // namespace

RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::Open(RegistryRoot root, const std::string& path, bool create) {
  Close();
  const auto folder = KeyFolder(root, path);
  if (!folder) return false;
  std::error_code error;
  if (create) fs::create_directories(*folder, error);
  if (!fs::is_directory(*folder, error)) return false;
  native_ = new Native{*folder};
  return true;
}

void RegistryKey::Close() {
  delete native_;
  native_ = nullptr;
}

std::optional<RegistryValue> RegistryKey::Query(const std::string& name) const {
  if (native_ == nullptr) return std::nullopt;
  for (StoredValue& stored : ReadValues(native_->folder)) {
    if (SameName(stored.name, name)) return std::move(stored.value);
  }
  return std::nullopt;
}

bool RegistryKey::Set(const std::string& name, const RegistryValue& value) {
  if (native_ == nullptr || value.Type == RegistryType::Other) return false;
  return ChangeValues(native_->folder, [&](std::vector<StoredValue>& values) {
    for (StoredValue& stored : values) {
      if (SameName(stored.name, name)) {
        stored.value = value;
        return true;
      }
    }
    values.push_back({name, value});
    return true;
  });
}

bool RegistryKey::DeleteValue(const std::string& name) {
  if (native_ == nullptr) return false;
  return ChangeValues(native_->folder, [&](std::vector<StoredValue>& values) {
    const size_t before = values.size();
    values.erase(
        std::remove_if(values.begin(), values.end(),
                       [&](const StoredValue& stored) { return SameName(stored.name, name); }),
        values.end());
    return values.size() != before;
  });
}

bool DeleteRegistryTree(RegistryRoot root, const std::string& path) {
  const auto folder = KeyFolder(root, path);
  std::error_code error;
  return folder && !path.empty() && fs::remove_all(*folder, error) > 0;
}

}  // namespace platform
