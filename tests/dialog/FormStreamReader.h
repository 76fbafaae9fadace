#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A form stream read back into its component tree, for checking what the
// generator wrote.

class EFormStreamRead : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TStreamValue {
  uint8_t Type = 0;  // the value-type byte
  int64_t Integer = 0;
  double Float = 0;
  std::string Text;                // strings, identifiers
  std::vector<std::string> Items;  // set members, list strings
  // The value as text: integers in decimal, floats as "%g", booleans "True"
  // or "False", sets "[a, b]", lists "('a', 'b')".
  std::string Render() const;
};

struct TStreamComponent {
  std::string ClassName;
  std::string Name;
  std::vector<std::pair<std::string, TStreamValue>> Properties;
  std::vector<TStreamComponent> Children;

  // The value of a property; throws when there is none.
  const TStreamValue& Property(const std::string& path) const;
  bool Has(const std::string& path) const;
};

// Reads a whole stream: signature, the root component, nothing after it. Only
// the value types of the 8-bit writers (up to UTF-8 strings) are accepted.
TStreamComponent ReadFormStream(const std::string& stream);
