#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "moxShared/Public/Component/moxComponent.h"

// The property types the store keeps; string lists and objects are not stored.
inline bool IsStoredType(TPropertyType type) {
  switch (type) {
    case TPropertyType::Boolean:
    case TPropertyType::Integer:
    case TPropertyType::Double:
    case TPropertyType::String:
      return true;
    case TPropertyType::StringList:
    case TPropertyType::Object:
      return false;
  }
  return false;
}

// The error for writing a value of a type that is not stored.
inline std::invalid_argument NotStored() {
  return std::invalid_argument("a string list or object value is not stored");
}

// Where one pass of the settings store reads and writes its values.
class TWregStorage {
 public:
  virtual ~TWregStorage() = default;

  // Makes the location of a map line current; false skips the line.
  virtual bool SelectLocation(const std::string& subPath) = 0;
  // The stored value in the form of the property type, strings still encoded;
  // empty when the value is absent or unreadable. Only for stored types.
  virtual std::optional<TPropertyValue> Read(const std::string& name, TPropertyType type) = 0;
  // Throws std::invalid_argument for a value of a type that is not stored.
  virtual void Write(const std::string& name, const TPropertyValue& value) = 0;
  // Called for a value that was read but that its property refused.
  virtual void Reject(const std::string& name) = 0;
  // Ends the pass; false when what was written could not be kept.
  virtual bool Finish() = 0;
};

// Custom mode: the host keeps such values itself, so nothing is found and
// everything written is discarded.
class TWregCustomStorage final : public TWregStorage {
 public:
  bool SelectLocation(const std::string&) override { return true; }
  std::optional<TPropertyValue> Read(const std::string&, TPropertyType) override {
    return std::nullopt;
  }
  void Write(const std::string&, const TPropertyValue&) override {}
  void Reject(const std::string&) override {}
  bool Finish() override { return true; }
};
