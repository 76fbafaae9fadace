#pragma once

#include <optional>
#include <string>

#include "moxShared/Public/Component/moxComponent.h"

// Where one pass of the settings store reads and writes its values.
class TWregStorage {
 public:
  virtual ~TWregStorage() = default;

  // Makes the location of a map line current; false skips the line.
  virtual bool SelectLocation(const std::string& subPath) = 0;
  // The stored value in the form of the property type, strings still encoded;
  // empty when the value is absent or unreadable.
  virtual std::optional<TPropertyValue> Read(const std::string& name, TPropertyType type) = 0;
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
