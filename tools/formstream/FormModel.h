#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A component tree as the text form writes it: each component with its class,
// its name, its properties in order and its child components.

enum class TFormValueKind { Integer, Float, String, Ident, Boolean, Set, List };

struct TFormValue {
  TFormValueKind Kind = TFormValueKind::Integer;
  int64_t Integer = 0;
  double Float = 0;
  bool Boolean = false;
  std::string Text;                // String and Ident
  std::vector<std::string> Items;  // Set members, List strings
};

struct TFormProperty {
  std::string Path;  // dotted for nested objects: Font.Name
  TFormValue Value;
};

struct TFormObject {
  std::string ClassName;
  std::string Name;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
};
