#include "moxVarConvert.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "moxVarDate.h"
#include "moxVarNumber.h"
#include "platform/CodePage.h"

namespace {

// The size in bytes of an integer type; 0 for every other type.
int IntegerSize(TVarType type) {
  switch (type) {
    case VarType::I1:
    case VarType::UI1:
      return 1;
    case VarType::I2:
    case VarType::UI2:
      return 2;
    case VarType::I4:
    case VarType::UI4:
      return 4;
    case VarType::I8:
      return 8;
    default:
      return 0;
  }
}

bool IsIntegerType(TVarType type) { return IntegerSize(type) != 0; }

// Whether a value fits the bits of an integer type when read as unsigned.
bool FitsBitsOf(TVarType type, int64_t value) {
  const int bits = 8 * IntegerSize(type);
  return bits == 64 || (value >= 0 && value < (int64_t{1} << bits));
}

bool IsStringType(TVarType type) { return type == VarType::BStr || type == VarType::AnsiStr; }

// The value of an integer-typed (or Boolean) variant.
int64_t IntegerOf(const TVarData& d) {
  switch (d.VType) {
    case VarType::I1:
      return d.I1;
    case VarType::UI1:
      return d.UI1;
    case VarType::I2:
      return d.I2;
    case VarType::UI2:
      return d.UI2;
    case VarType::I4:
      return d.I4;
    case VarType::UI4:
      return d.UI4;
    case VarType::Bool:
      return d.Bool;
    default:
      return d.I8;
  }
}

struct TRange {
  int64_t Min;
  int64_t Max;
};

TRange RangeOf(TVarType type) {
  switch (type) {
    case VarType::I1:
      return {INT8_MIN, INT8_MAX};
    case VarType::UI1:
      return {0, UINT8_MAX};
    case VarType::I2:
      return {INT16_MIN, INT16_MAX};
    case VarType::UI2:
      return {0, UINT16_MAX};
    case VarType::I4:
      return {INT32_MIN, INT32_MAX};
    case VarType::UI4:
      return {0, UINT32_MAX};
    default:
      return {INT64_MIN, INT64_MAX};
  }
}

TVariant MakeInteger(TVarType type, int64_t value) {
  switch (type) {
    case VarType::I1:
      return TVariant::OfI1(static_cast<int8_t>(value));
    case VarType::UI1:
      return TVariant::OfUI1(static_cast<uint8_t>(value));
    case VarType::I2:
      return TVariant::OfI2(static_cast<int16_t>(value));
    case VarType::UI2:
      return TVariant::OfUI2(static_cast<uint16_t>(value));
    case VarType::I4:
      return TVariant::OfI4(static_cast<int32_t>(value));
    case VarType::UI4:
      return TVariant::OfUI4(static_cast<uint32_t>(value));
    default:
      return TVariant::OfI8(value);
  }
}

// The text of a string value as plain ASCII; false when it holds anything else
// (no number, date or Boolean text contains other characters).
bool AsciiText(const TVariant& value, std::string& text) {
  if (value.Type() == VarType::AnsiStr) {
    text = std::string(value.AnsiView());
  } else {
    text.clear();
    for (char16_t c : value.WideView()) text += static_cast<char>(c < 0x80 ? c : 0x7F);
  }
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x7F) return false;
  }
  return true;
}

HResult ParseNumberText(const TVariant& value, TDecimal& number) {
  std::string text;
  return AsciiText(value, text) && ParseDecimal(text, number) ? kS_OK : kDISP_E_TYPEMISMATCH;
}

// Real-valued sources: R4, R8, Date.
double RealOf(const TVarData& d) { return d.VType == VarType::R4 ? d.R4 : d.R8; }

HResult ToInteger(const TVariant& source, TVarType type, TVariant& result) {
  const TVarData& d = source.Data();
  int64_t value = 0;
  bool keepBits = false;  // the value may fill the target's bits, sign bit included
  switch (d.VType) {
    case VarType::Empty:
      break;
    case VarType::Bool:  // narrowed as it is, without an overflow
      value = d.Bool;
      keepBits = true;
      break;
    case VarType::BStr:
    case VarType::AnsiStr: {
      TDecimal number;
      if (ParseNumberText(source, number) != kS_OK) return kDISP_E_TYPEMISMATCH;
      if (!DecimalToInt64(number, 0, value)) return kDISP_E_OVERFLOW;
      keepBits = number.Radix && FitsBitsOf(type, value);  // "&HFF" is ShortInt -1
      break;
    }
    case VarType::R4:
    case VarType::R8:
    case VarType::Date: {
      const double rounded = RoundHalfEven(RealOf(d));
      // 2^63 is the first double beyond the int64 range.
      if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) {
        return kDISP_E_OVERFLOW;
      }
      value = static_cast<int64_t>(rounded);
      break;
    }
    case VarType::Cy:
      value = RoundCurrency(d.Cy);
      break;
    default:
      value = IntegerOf(d);
      // Between the signed and unsigned types of one size the bits carry over.
      keepBits = IntegerSize(d.VType) == IntegerSize(type);
  }
  const TRange range = RangeOf(type);
  if (!keepBits && (value < range.Min || value > range.Max)) return kDISP_E_OVERFLOW;
  result = MakeInteger(type, value);
  return kS_OK;
}

HResult ToDouble(const TVariant& source, double& value) {
  const TVarData& d = source.Data();
  switch (d.VType) {
    case VarType::Empty:
      value = 0;
      return kS_OK;
    case VarType::R4:
    case VarType::R8:
    case VarType::Date:
      value = RealOf(d);
      return kS_OK;
    case VarType::Cy:
      value = static_cast<double>(d.Cy) / kCurrencyScale;
      return kS_OK;
    case VarType::UI4:
      value = d.UI4;
      return kS_OK;
    case VarType::BStr:
    case VarType::AnsiStr: {
      TDecimal number;
      if (ParseNumberText(source, number) != kS_OK) return kDISP_E_TYPEMISMATCH;
      return DecimalToDouble(number, value) ? kS_OK : kDISP_E_OVERFLOW;
    }
    default:
      value = static_cast<double>(IntegerOf(d));
      return kS_OK;
  }
}

HResult ToReal(const TVariant& source, TVarType type, TVariant& result) {
  double value = 0;
  if (type == VarType::Date && IsStringType(source.Type())) {
    std::string text;
    if (!AsciiText(source, text) || !ParseDate(text, CurrentYear(), value)) {
      return kDISP_E_TYPEMISMATCH;
    }
  } else if (HResult status = ToDouble(source, value); status != kS_OK) {
    return status;
  }
  if (type == VarType::R4) {
    if (std::fabs(value) > FLT_MAX) return kDISP_E_OVERFLOW;
    result = TVariant::OfR4(static_cast<float>(value));
  } else if (type == VarType::Date) {
    if (!IsValidDate(value)) return kDISP_E_OVERFLOW;
    result = TVariant::OfDate(value);
  } else {
    result = TVariant::OfR8(value);
  }
  return kS_OK;
}

HResult ToCurrency(const TVariant& source, TVariant& result) {
  const TVarData& d = source.Data();
  int64_t scaled = 0;
  if (IsStringType(d.VType)) {
    TDecimal number;
    if (ParseNumberText(source, number) != kS_OK) return kDISP_E_TYPEMISMATCH;
    // A bit pattern has no currency value.
    if (number.Radix || !DecimalToInt64(number, 4, scaled)) return kDISP_E_OVERFLOW;
  } else if (d.VType == VarType::R4 || d.VType == VarType::R8 || d.VType == VarType::Date) {
    if (!RealToCurrency(RealOf(d), scaled)) return kDISP_E_OVERFLOW;
  } else if (d.VType == VarType::Cy) {
    scaled = d.Cy;
  } else {
    const int64_t value = d.VType == VarType::Empty ? 0 : IntegerOf(d);
    const int64_t limit = INT64_MAX / kCurrencyScale;
    if (value > limit || value < -limit) return kDISP_E_OVERFLOW;
    scaled = value * kCurrencyScale;
  }
  result = TVariant::OfCy(scaled);
  return kS_OK;
}

bool EqualsIgnoringCase(const std::string& text, const char* word) {
  size_t i = 0;
  for (; word[i] != '\0'; ++i) {
    if (i >= text.size() || (text[i] | 0x20) != word[i]) return false;
  }
  return i == text.size();
}

HResult ToBoolean(const TVariant& source, TVariant& result) {
  std::string text;
  if (IsStringType(source.Type()) && AsciiText(source, text)) {
    if (EqualsIgnoringCase(text, "true") || EqualsIgnoringCase(text, "false")) {
      result = TVariant::OfBool((text[0] | 0x20) == 't');
      return kS_OK;
    }
  }
  double value = 0;
  if (HResult status = ToDouble(source, value); status != kS_OK) return status;
  result = TVariant::OfBool(value != 0);
  return kS_OK;
}

// The text of a value that is neither a string nor Null.
std::string TextOf(const TVarData& d) {
  switch (d.VType) {
    case VarType::Empty:
      return "";
    case VarType::R4:
      return FormatReal(d.R4, 7);
    case VarType::R8:
      return FormatReal(d.R8, 15);
    case VarType::Cy:
      return FormatCurrency(d.Cy);
    case VarType::Date:
      return FormatDate(d.Date);
    default:
      return std::to_string(IntegerOf(d));
  }
}

HResult ToString(const TVariant& source, TVarType type, TVariant& result) {
  const TVarData& d = source.Data();
  if (d.VType == VarType::Date && !IsValidDate(d.Date)) return kDISP_E_OVERFLOW;
  if (type == VarType::AnsiStr) {
    result = TVariant::OfAnsi(d.VType == VarType::BStr ? platform::WideToAnsi(source.WideView())
                                                       : TextOf(d));
  } else {
    result = TVariant::OfWide(d.VType == VarType::AnsiStr ? platform::AnsiToWide(source.AnsiView())
                                                          : platform::AnsiToWide(TextOf(d)));
  }
  return kS_OK;
}

}  // namespace

HResult ChangeVarType(TVariant& dest, const TVariant& source, TVarType type) {
  const TVarType from = source.Type();
  if (!IsHandledVarType(from) || !IsHandledVarType(type)) return kDISP_E_BADVARTYPE;
  if (from == type || type == VarType::Null) {
    dest = type == VarType::Null ? TVariant::Null() : source;
    return kS_OK;
  }
  if (from == VarType::Null) return kDISP_E_TYPEMISMATCH;
  TVariant result;
  HResult status = kS_OK;
  if (IsIntegerType(type)) {
    status = ToInteger(source, type, result);
  } else if (type == VarType::R4 || type == VarType::R8 || type == VarType::Date) {
    status = ToReal(source, type, result);
  } else if (type == VarType::Cy) {
    status = ToCurrency(source, result);
  } else if (type == VarType::Bool) {
    status = ToBoolean(source, result);
  } else if (IsStringType(type)) {
    status = ToString(source, type, result);
  }  // Empty: the result stays Empty
  if (status == kS_OK) dest = std::move(result);
  return status;
}

TVariant VarAsType(const TVariant& source, TVarType type) {
  TVariant result;
  const HResult status = ChangeVarType(result, source, type);
  if (status == kS_OK) return result;
  const std::string names = std::string(VarTypeName(source.Type())) + " to " + VarTypeName(type);
  if (status == kDISP_E_OVERFLOW)
    throw EVariantError("Overflow converting a variant from " + names);
  throw EVariantError("Cannot convert a variant from " + names);
}

std::string VarToAnsi(const TVariant& value) {
  if (value.IsEmptyOrNull()) return "";
  return std::string(VarAsType(value, VarType::AnsiStr).AnsiView());
}
