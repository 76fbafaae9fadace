#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "moxShared/Public/Common/moxVarDate.h"
#include "platform/CodePage.h"

namespace plchost {

namespace {

constexpr int64_t kMsPerDay = 86400000;
// Days from 1 March of year 0 to 30 December 1899, the day of date 0.
constexpr int64_t kDayZeroFromMarch0 = 693899;

TCell Cell(TCell::TKind kind, std::string text) { return {kind, std::move(text)}; }

TCell NumberCell(double value) {
  if (std::isnan(value)) return Cell(TCell::TKind::Number, "nan");
  if (std::isinf(value)) return Cell(TCell::TKind::Number, value < 0 ? "-inf" : "inf");
  char digits[32];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  return Cell(TCell::TKind::Number, std::string(digits, written.ptr));
}

TCell CurrencyCell(int64_t scaled) {
  const uint64_t magnitude = scaled < 0 ? 0 - static_cast<uint64_t>(scaled) : scaled;
  std::string text = std::to_string(magnitude / kCurrencyScale);
  const uint64_t fraction = magnitude % kCurrencyScale;
  if (fraction != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, ".%04u", static_cast<unsigned>(fraction));
    text += digits;
    while (text.back() == '0') text.pop_back();
  }
  return Cell(TCell::TKind::Number, scaled < 0 ? "-" + text : text);
}

TCell TextCell(const TVariant& value) {
  if (value.Type() == VarType::AnsiStr) {
    return Cell(TCell::TKind::Text, platform::WideToUtf8(platform::AnsiToWide(value.AnsiView())));
  }
  return Cell(TCell::TKind::Text, platform::WideToUtf8(value.WideView()));
}

// The calendar date of a day counted from 1 March of year 0, in eras of 400
// years (146097 days) whose years run from March to February.
void CivilDate(int64_t days, int64_t& year, int& month, int& day) {
  const int64_t era = days / 146097;
  const int64_t dayOfEra = days % 146097;
  const int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  year = era * 400 + yearOfEra + (month <= 2 ? 1 : 0);
}

}  // namespace

bool IsNonFinite(const TCell& cell) {
  return cell.Kind == TCell::TKind::Number &&
         (cell.Text == "nan" || cell.Text == "inf" || cell.Text == "-inf");
}

std::string DateText(double date) {
  if (!IsValidDate(date)) return {};
  // Before day 0 the fraction still counts forward from the start of the day.
  double whole = std::trunc(date);
  int64_t ms = std::llround(std::fabs(date - whole) * kMsPerDay);
  if (ms >= kMsPerDay) {
    ms -= kMsPerDay;
    whole += 1;
  }
  int64_t year = 0;
  int month = 0;
  int day = 0;
  CivilDate(static_cast<int64_t>(whole) + kDayZeroFromMarch0, year, month, day);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d.%03d",
                static_cast<long long>(year), month, day, static_cast<int>(ms / 3600000),
                static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                static_cast<int>(ms % 1000));
  return text;
}

TCell CellOf(const TVariant& value) {
  const TVarData& data = value.Data();
  switch (value.Type()) {
    case VarType::I1:
      return Cell(TCell::TKind::Integer, std::to_string(data.I1));
    case VarType::UI1:
      return Cell(TCell::TKind::Integer, std::to_string(data.UI1));
    case VarType::I2:
      return Cell(TCell::TKind::Integer, std::to_string(data.I2));
    case VarType::UI2:
      return Cell(TCell::TKind::Integer, std::to_string(data.UI2));
    case VarType::I4:
      return Cell(TCell::TKind::Integer, std::to_string(data.I4));
    case VarType::UI4:
      return Cell(TCell::TKind::Integer, std::to_string(data.UI4));
    case VarType::I8:
      return Cell(TCell::TKind::Integer, std::to_string(data.I8));
    case VarType::R4:
      return NumberCell(data.R4);
    case VarType::R8:
      return NumberCell(data.R8);
    case VarType::Cy:
      return CurrencyCell(data.Cy);
    case VarType::Bool:
      return Cell(TCell::TKind::Boolean, data.Bool != 0 ? "true" : "false");
    case VarType::Date: {
      std::string text = DateText(data.Date);
      return text.empty() ? TCell{} : Cell(TCell::TKind::Text, std::move(text));
    }
    case VarType::BStr:
    case VarType::AnsiStr:
    case VarType::WideText:
      return TextCell(value);
    default:
      return {};
  }
}

TCell HexCellOf(const TVariant& value) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (value.Type() != VarType::AnsiStr) return CellOf(value);
  std::string text;
  for (const char byte : value.AnsiView()) {
    const auto code = static_cast<unsigned char>(byte);
    text += kDigits[code >> 4];
    text += kDigits[code & 0x0F];
  }
  return Cell(TCell::TKind::Text, std::move(text));
}

}  // namespace plchost
