#include "settings/moxStringHolder.h"

#include <algorithm>
#include <utility>

#include "platform/CodePage.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

std::string AnsiToUtf8(const std::string& text) {
  return platform::WideToUtf8(platform::AnsiToWide(text));
}

std::string Utf8ToAnsi(const std::string& text) {
  return platform::WideToAnsi(platform::Utf8ToWide(text));
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The exclusive-or of byte `index` of a line with the key, taken from its
// first byte again for every line.
unsigned char KeyByte(const std::string& key, size_t index) {
  return key.empty() ? 0 : static_cast<unsigned char>(key[index % key.size()]);
}

std::string EncodeLine(const std::string& line, const std::string& key) {
  const std::string bytes = AnsiToUtf8(line);
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto value = static_cast<unsigned char>(bytes[i] ^ KeyByte(key, i));
    hex += kHexDigits[value >> 4];
    hex += kHexDigits[value & 0x0F];
  }
  return hex;
}

std::string DecodeLine(const std::string& hex, const std::string& key) {
  if (hex.size() % 2 != 0) throw EmoxStrHolder("Stored line has an odd number of digits");
  std::string bytes;
  bytes.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]);
    const int low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) throw EmoxStrHolder("Stored line is not hexadecimal: " + hex);
    bytes += static_cast<char>((high << 4 | low) ^ KeyByte(key, bytes.size()));
  }
  return Utf8ToAnsi(bytes);
}

// Sorted lists order their lines without regard to ASCII case.
bool LessText(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    return static_cast<unsigned char>(lower(x)) < static_cast<unsigned char>(lower(y));
  });
}

}  // namespace

const TClassInfo& TmoxStrHolder::StaticClassInfo() {
  using T = TmoxStrHolder;
  static const TClassInfo info("TmoxStrHolder", &TComponent::StaticClassInfo(),
                               {PublishedProperty("Capacity", &T::Capacity, &T::SetCapacity),
                                PublishedProperty("Duplicates", &T::Duplicates, &T::SetDuplicates),
                                PublishedField("KeyString", &T::KeyString),
                                PublishedProperty("Sorted", &T::Sorted, &T::SetSorted)});
  return info;
}

void TmoxStrHolder::SetStrings(const std::vector<std::string>& lines) {
  Replace(Merged({}, lines));
}

void TmoxStrHolder::Add(const std::string& line) { Replace(Merged(lines_, {line})); }

int32_t TmoxStrHolder::Capacity() const {
  return std::max(capacity_, static_cast<int32_t>(lines_.size()));
}

void TmoxStrHolder::SetCapacity(int32_t capacity) {
  if (capacity < static_cast<int32_t>(lines_.size())) {
    throw EmoxStrHolder("Capacity " + std::to_string(capacity) + " is below the line count");
  }
  capacity_ = capacity;
}

void TmoxStrHolder::SetDuplicates(int32_t duplicates) {
  if (duplicates < dupIgnore || duplicates > dupError) {
    throw EmoxStrHolder("Unknown duplicates rule " + std::to_string(duplicates));
  }
  duplicates_ = duplicates;
}

void TmoxStrHolder::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) {
    std::vector<std::string> lines = lines_;
    std::stable_sort(lines.begin(), lines.end(), LessText);
    Replace(std::move(lines));
  }
  sorted_ = sorted;
}

TmoxStrHolderStoredForm TmoxStrHolder::WriteStoredForm() const {
  TmoxStrHolderStoredForm form{kStoredFormVersion, {KeyString}};
  const std::string key = AnsiToUtf8(KeyString);
  for (const std::string& line : lines_) form.StrData.push_back(EncodeLine(line, key));
  return form;
}

void TmoxStrHolder::ReadStoredForm(const TmoxStrHolderStoredForm& form) {
  if (form.InternalVer != kStoredFormVersion) {
    throw EmoxStrHolder("Unknown stored form version " + std::to_string(form.InternalVer));
  }
  if (form.StrData.empty()) throw EmoxStrHolder("Stored form without its key");
  const std::string key = AnsiToUtf8(form.StrData.front());
  std::vector<std::string> lines;
  for (auto it = form.StrData.begin() + 1; it != form.StrData.end(); ++it) {
    lines.push_back(DecodeLine(*it, key));
  }
  KeyString = form.StrData.front();
  reading_ = true;
  Replace(std::move(lines));
  reading_ = false;
}

std::vector<std::string> TmoxStrHolder::Merged(std::vector<std::string> base,
                                               const std::vector<std::string>& lines) const {
  for (const std::string& line : lines) {
    if (!sorted_) {
      base.push_back(line);
      continue;
    }
    const auto position = std::lower_bound(base.begin(), base.end(), line, LessText);
    const bool present = position != base.end() && !LessText(line, *position);
    if (present && duplicates_ == dupIgnore) continue;
    if (present && duplicates_ == dupError) {
      throw EmoxStrHolder("The list does not allow duplicates: " + line);
    }
    base.insert(std::upper_bound(position, base.end(), line, LessText), line);
  }
  return base;
}

void TmoxStrHolder::Replace(std::vector<std::string> lines) {
  if (!reading_ && OnChanging) OnChanging(*this);
  lines_ = std::move(lines);
  if (!reading_ && OnChange) OnChange(*this);
}
