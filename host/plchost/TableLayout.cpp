#include "TableLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace plchost {

namespace {

// A number that a single-precision value holds exactly (a REAL widened by the
// decoder) in the shortest text that reads back as that single: 33.820553
// rather than 33.820552825927734.
std::string ReadableNumber(const std::string& text) {
  const double value = std::strtod(text.c_str(), nullptr);
  if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max()) return text;
  const auto single = static_cast<float>(value);
  if (static_cast<double>(single) != value) return text;
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, single);
  return std::string(digits, written.ptr);
}

}  // namespace

size_t DisplayWidth(const std::string& text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string TableText(const TCell& cell) {
  if (cell.Kind == TCell::TKind::Number) return ReadableNumber(cell.Text);
  std::string text = cell.Text;
  std::replace_if(
      text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
  return text;
}

bool AlignsRight(const TCell& cell) {
  return cell.Kind == TCell::TKind::Integer || cell.Kind == TCell::TKind::Number;
}

void AppendAligned(std::string& line, const std::string& text, size_t width, bool right,
                   bool last) {
  const size_t padding = width > DisplayWidth(text) ? width - DisplayWidth(text) : 0;
  if (right) line.append(padding, ' ');
  line += text;
  if (!right && !last) line.append(padding, ' ');
  if (!last) line += "  ";
}

}  // namespace plchost
