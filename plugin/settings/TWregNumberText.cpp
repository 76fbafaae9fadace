#include "settings/TWregNumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kSignificantDigits = 15;

// Takes one leading sign off the text; true for "-".
bool TakeSign(std::string_view& text) {
  if (text.empty() || (text.front() != '+' && text.front() != '-')) return false;
  const bool negative = text.front() == '-';
  text.remove_prefix(1);
  return negative;
}

template <class T, class... Base>
std::optional<T> ParseWhole(std::string_view text, Base... base) {
  T value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base...);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<int32_t> ParseIntegerText(std::string_view text) {
  const bool negative = TakeSign(text);
  std::optional<int64_t> magnitude;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    // Hexadecimal text up to eight digits names the 32-bit pattern.
    const auto bits = ParseWhole<uint32_t>(text.substr(2), 16);
    if (bits) magnitude = static_cast<int32_t>(*bits);
  } else if (!text.empty() && text.front() != '-') {
    magnitude = ParseWhole<int64_t>(text, 10);
  }
  if (!magnitude) return std::nullopt;
  const int64_t value = negative ? -*magnitude : *magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::optional<bool> BooleanOf(std::optional<int32_t> ordinal) {
  if (!ordinal || (*ordinal != 0 && *ordinal != 1)) return std::nullopt;
  return *ordinal == 1;
}

std::optional<double> ParseDoubleText(std::string_view text) {
  const bool negative = TakeSign(text);
  if (text.empty() || text.front() == '-') return std::nullopt;
  std::string normalized(text);
  for (char& c : normalized) {
    if (c == ',') c = '.';
  }
  const auto value = ParseWhole<double>(normalized);
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

std::string FormatDoubleText(double value, char decimalSeparator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // "d.dddddddddddddde±x": the digits rounded to 15 places and the exponent.
  char buffer[64];
  const auto written = std::to_chars(buffer, buffer + sizeof(buffer), std::fabs(value),
                                     std::chars_format::scientific, kSignificantDigits - 1);
  const std::string_view scientific(buffer, static_cast<size_t>(written.ptr - buffer));
  const size_t mark = scientific.find('e');
  std::string digits = std::string(1, scientific[0]) + std::string(scientific.substr(2, mark - 2));
  const int exponent = std::atoi(std::string(scientific.substr(mark + 1)).c_str());
  digits.erase(digits.find_last_not_of('0') + 1);

  std::string result = value < 0 ? "-" : "";
  if (exponent < -5 || exponent >= kSignificantDigits) {
    result += digits[0];
    if (digits.size() > 1) result += decimalSeparator + digits.substr(1);
    return result + "E" + std::to_string(exponent);
  }
  if (exponent < 0)
    return result + "0" + decimalSeparator + std::string(-exponent - 1, '0') + digits;
  const size_t whole = static_cast<size_t>(exponent) + 1;
  if (digits.size() <= whole) return result + digits + std::string(whole - digits.size(), '0');
  return result + digits.substr(0, whole) + decimalSeparator + digits.substr(whole);
}
