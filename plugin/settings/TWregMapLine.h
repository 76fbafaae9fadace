#pragma once

#include <optional>
#include <string>
#include <string_view>

// One line of a property map: which property of the settings object is stored
// under which value name, and below which sub-path of the storage location.
struct TWregMapLine {
  std::string PropertyName;  // the control path with every "." turned into "_"
  std::string SubPath;       // empty: the location itself
  std::string ValueName;
};

// Parses a map line; empty for comments, empty lines and lines that name no
// property or no value.
std::optional<TWregMapLine> ParseMapLine(std::string_view line);

// Removes every character up to 0x20 from both ends.
std::string_view TrimControls(std::string_view text);
