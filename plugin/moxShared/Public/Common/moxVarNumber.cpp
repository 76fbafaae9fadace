#include "moxVarNumber.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace {

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

void AppendDigit(TDecimal& number, char digit) {
  if (digit != '0' || !number.Digits.empty()) number.Digits += digit;
}

// "&H" or "&O" followed by digits of that base.
bool ParseRadix(std::string_view text, TDecimal& number) {
  const int base = std::toupper(static_cast<unsigned char>(text[1])) == 'H' ? 16 : 8;
  if (text.size() < 3 || (base == 8 && std::toupper(static_cast<unsigned char>(text[1])) != 'O')) {
    return false;
  }
  uint64_t value = 0;
  for (char c : text.substr(2)) {
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
    if (digit < 0 || digit >= base) return false;
    if (value > (std::numeric_limits<uint64_t>::max() >> 4)) return false;
    value = value * base + digit;
  }
  number = TDecimal{};
  number.Radix = true;
  for (char c : std::to_string(value)) AppendDigit(number, c);
  return true;
}

bool ParseExponent(std::string_view text, int& exponent) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = std::min(value * 10 + (c - '0'), 100000L);  // far beyond any representable value
  }
  exponent = static_cast<int>(negative ? -value : value);
  return true;
}

}  // namespace

bool ParseDecimal(std::string_view text, TDecimal& number) {
  text = TrimBlanks(text);
  if (text.size() >= 2 && text[0] == '&') return ParseRadix(text, number);
  number = TDecimal{};
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    number.Negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool anyDigit = false;
  bool inFraction = false;
  size_t pos = 0;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      anyDigit = true;
      AppendDigit(number, c);
      if (inFraction) --number.Exponent;
    } else if (c == ',' && !inFraction) {
      continue;  // thousands separator
    } else if (c == '.' && !inFraction) {
      inFraction = true;
    } else {
      break;
    }
  }
  if (!anyDigit) return false;
  if (pos < text.size()) {
    if (text[pos] != 'e' && text[pos] != 'E') return false;
    int exponent = 0;
    if (!ParseExponent(text.substr(pos + 1), exponent)) return false;
    number.Exponent += exponent;
  }
  if (number.Digits.empty()) number.Exponent = 0;
  return true;
}

bool DecimalToInt64(const TDecimal& number, int scale, int64_t& value) {
  const std::string& digits = number.Digits;
  const long exponent = static_cast<long>(number.Exponent) + scale;
  // Digits before the decimal point, then the first dropped digit and whether
  // anything non-zero follows it.
  const long integerCount = static_cast<long>(digits.size()) + exponent;
  uint64_t magnitude = 0;
  for (long i = 0; i < integerCount; ++i) {
    const int digit = i < static_cast<long>(digits.size()) ? digits[i] - '0' : 0;
    if (magnitude > (std::numeric_limits<uint64_t>::max() - digit) / 10) return false;
    magnitude = magnitude * 10 + digit;
  }
  const long firstDropped = std::max(integerCount, 0L) - integerCount;  // leading zeros
  int dropped = 0;
  bool stickyTail = false;
  if (integerCount < static_cast<long>(digits.size())) {
    if (firstDropped == 0) {
      dropped = digits[integerCount] - '0';
      stickyTail = digits.find_first_not_of('0', integerCount + 1) != std::string::npos;
    } else {
      stickyTail = !digits.empty();  // only zeros before the first digit
    }
  }
  if (dropped > 5 || (dropped == 5 && (stickyTail || (magnitude & 1) != 0))) ++magnitude;
  const uint64_t limit = uint64_t{std::numeric_limits<int64_t>::max()} + (number.Negative ? 1 : 0);
  if (magnitude > limit) return false;
  value = number.Negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

bool DecimalToDouble(const TDecimal& number, double& value) {
  const std::string text =
      (number.Negative ? "-0" : "0") + number.Digits + "e" + std::to_string(number.Exponent);
  errno = 0;
  value = std::strtod(text.c_str(), nullptr);
  return !(errno == ERANGE && std::isinf(value));
}

bool RealToCurrency(double value, int64_t& scaled) {
  // value * 16 is exact, and a 53-bit mantissa times 625 needs at most 63 bits:
  // the product is exact in the x87 extended format, so it rounds only once.
  static_assert(std::numeric_limits<long double>::digits >= 63, "an x87 long double");
  const long double product = static_cast<long double>(value) * 16 * 625;
  const long double rounded = std::nearbyint(product);
  // 2^63 is the first value beyond the int64 range.
  if (!(rounded >= -9223372036854775808.0L && rounded < 9223372036854775808.0L)) return false;
  scaled = static_cast<int64_t>(rounded);
  return true;
}

double RoundHalfEven(double value) { return std::nearbyint(value); }

int64_t RoundCurrency(int64_t scaled) {
  int64_t whole = scaled / 10000;
  const int64_t rest = scaled % 10000;  // carries the sign of `scaled`
  const int64_t twice = 2 * (rest < 0 ? -rest : rest);
  if (twice > 10000 || (twice == 10000 && whole % 2 != 0)) whole += scaled < 0 ? -1 : 1;
  return whole;
}

std::string FormatReal(double value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  char buffer[64];
  std::snprintf(buffer, sizeof(buffer), "%.*e", digits - 1, value);
  // buffer: [-]d.ddddde[+-]x...
  std::string text(buffer);
  const size_t e = text.find('e');
  const int exponent = std::atoi(text.c_str() + e + 1);
  const bool negative = text[0] == '-';
  std::string mantissa;
  for (size_t i = negative ? 1 : 0; i < e; ++i) {
    if (text[i] != '.') mantissa += text[i];
  }
  mantissa.erase(mantissa.find_last_not_of('0') + 1);
  std::string result = negative ? "-" : "";
  if (exponent < -4 || exponent >= digits) {
    result += mantissa.substr(0, 1);
    if (mantissa.size() > 1) result += "." + mantissa.substr(1);
    char tail[16];
    std::snprintf(tail, sizeof(tail), "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return result + tail;
  }
  if (exponent < 0) return result + "0." + std::string(-exponent - 1, '0') + mantissa;
  const size_t integerDigits = static_cast<size_t>(exponent) + 1;
  if (mantissa.size() <= integerDigits) {
    return result + mantissa + std::string(integerDigits - mantissa.size(), '0');
  }
  return result + mantissa.substr(0, integerDigits) + "." + mantissa.substr(integerDigits);
}

std::string FormatCurrency(int64_t scaled) {
  const bool negative = scaled < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(scaled) : scaled;
  std::string result = (negative ? "-" : "") + std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(10000 + magnitude % 10000).substr(1);
  fraction.erase(fraction.find_last_not_of('0') + 1);
  return fraction.empty() ? result : result + "." + fraction;
}
