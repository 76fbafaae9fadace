#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Numbers as text in the automation conversions, in the invariant (US English)
// form: "." decimal point, "," thousands separator.

// A parsed number: Digits (without leading zeros; empty for zero) times ten to
// the power Exponent, with a sign.
struct TDecimal {
  bool Negative = false;
  std::string Digits;
  int Exponent = 0;
  // Written in hexadecimal or octal: a bit pattern, which integer targets of
  // its size take as it is ("&HFF" is -1 as a ShortInt).
  bool Radix = false;
};

// Accepts optional blanks around an optional sign and digits with thousands
// separators, an optional fraction and exponent ("-1,234.5e3"), or hexadecimal
// "&H1F" and octal "&O17". False for anything else.
bool ParseDecimal(std::string_view text, TDecimal& number);

// Rounds number * 10^scale half to even into `value`; false when it does not fit.
bool DecimalToInt64(const TDecimal& number, int scale, int64_t& value);
// The nearest double; false when it overflows.
bool DecimalToDouble(const TDecimal& number, double& value);

// Rounds value * 10000 half to even into a currency value, from the exact
// product; false when it does not fit.
bool RealToCurrency(double value, int64_t& scaled);

// Rounds half to even, as the automation conversions round.
double RoundHalfEven(double value);
// Rounds a currency value (scaled by 10000) half to even to an integer.
int64_t RoundCurrency(int64_t scaled);

// Text of a floating-point value with at most `digits` significant digits,
// in exponent form ("1.5E-07") when the exponent is below -4 or not below `digits`.
std::string FormatReal(double value, int digits);
// Text of a currency value: up to four decimals, trailing zeros dropped.
std::string FormatCurrency(int64_t scaled);
