#include "settings/TWregMapLine.h"

#include <algorithm>

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// Reduces every doubled backslash to one, pairing them from the end of the text.
std::string ReduceDoubledBackslashes(std::string_view text) {
  std::string reversed;
  for (size_t i = text.size(); i > 0; --i) {
    reversed += text[i - 1];
    if (text[i - 1] == '\\' && i > 1 && text[i - 2] == '\\') --i;
  }
  return {reversed.rbegin(), reversed.rend()};
}

}  // namespace

std::string_view TrimControls(std::string_view text) {
  while (!text.empty() && IsControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsControl(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<TWregMapLine> ParseMapLine(std::string_view line) {
  line = TrimControls(line);
  if (line.empty() || line.front() == ';') return std::nullopt;
  size_t separator = line.find(',');
  if (separator == std::string_view::npos) separator = line.find(';');
  if (separator == std::string_view::npos) return std::nullopt;  // no stored-value part

  const std::string_view path = TrimControls(line.substr(0, separator));
  std::string_view storedAs = TrimControls(line.substr(separator + 1));
  storedAs = storedAs.substr(0, storedAs.find(';'));  // the rest is a comment
  if (path.empty() || storedAs.empty() || path.front() == '*') return std::nullopt;

  std::string location = ReduceDoubledBackslashes(storedAs);
  if (location.front() == '\\') location.erase(0, 1);
  TWregMapLine result;
  result.PropertyName = std::string(path);
  std::replace(result.PropertyName.begin(), result.PropertyName.end(), '.', '_');
  const size_t last = location.rfind('\\');
  if (last == std::string::npos) {
    result.ValueName = location;
  } else {
    result.SubPath = location.substr(0, last);
    result.ValueName = location.substr(last + 1);
  }
  return result;
}
