#include "moxVariant.h"

#include <cstring>
#include <utility>

namespace {

platform::BStr CopyBStr(const platform::WideChar* text) {
  return text == nullptr ? nullptr : platform::AllocBStr(text, platform::BStrLength(text));
}

// One more reference to the text of an 8-bit string value.
const char* ShareAnsi(const char* handle) {
  TAnsiString borrowed = TAnsiString::Adopt(handle);
  TAnsiString shared = borrowed;
  borrowed.Detach();
  return shared.Detach();
}

}  // namespace

bool IsHandledVarType(TVarType type) noexcept {
  switch (type) {
    case VarType::Empty:
    case VarType::Null:
    case VarType::I2:
    case VarType::I4:
    case VarType::R4:
    case VarType::R8:
    case VarType::Cy:
    case VarType::Date:
    case VarType::BStr:
    case VarType::Bool:
    case VarType::I1:
    case VarType::UI1:
    case VarType::UI2:
    case VarType::UI4:
    case VarType::I8:
    case VarType::AnsiStr:
      return true;
    default:
      return false;
  }
}

const char* VarTypeName(TVarType type) noexcept {
  switch (type) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::I2:
      return "Smallint";
    case VarType::I4:
      return "Integer";
    case VarType::R4:
      return "Single";
    case VarType::R8:
      return "Double";
    case VarType::Cy:
      return "Currency";
    case VarType::Date:
      return "Date";
    case VarType::BStr:
      return "OleStr";
    case VarType::Bool:
      return "Boolean";
    case VarType::I1:
      return "ShortInt";
    case VarType::UI1:
      return "Byte";
    case VarType::UI2:
      return "Word";
    case VarType::UI4:
      return "LongWord";
    case VarType::I8:
      return "Int64";
    case VarType::AnsiStr:
      return "String";
    default:
      return "Unknown";
  }
}

TVariant::TVariant(const TVariant& other) : FData(other.FData) {
  if (FData.VType == VarType::BStr) {
    FData.BStr = CopyBStr(other.FData.BStr);
  } else if (FData.VType == VarType::AnsiStr) {
    FData.AnsiStr = ShareAnsi(other.FData.AnsiStr);
  }
}

TVariant::TVariant(TVariant&& other) noexcept : FData(other.Detach()) {}

TVariant& TVariant::operator=(TVariant other) noexcept {
  std::swap(FData, other.FData);
  return *this;
}

TVariant::~TVariant() { Clear(); }

void TVariant::Clear() noexcept {
  if (FData.VType == VarType::BStr) {
    platform::FreeBStr(FData.BStr);
  } else if (FData.VType == VarType::AnsiStr) {
    TAnsiString::Adopt(FData.AnsiStr);  // released at once
  }
  FData = TVarData{};
}

TVarData TVariant::Detach() noexcept { return std::exchange(FData, TVarData{}); }

TVariant TVariant::CopyOf(const TVarData& data) {
  if (!IsHandledVarType(data.VType) || data.VType == VarType::AnsiStr) {
    throw EVariantError(std::string("Invalid variant type (") + std::to_string(data.VType) + ")");
  }
  TVarData copy = data;
  if (data.VType == VarType::BStr) copy.BStr = CopyBStr(data.BStr);
  return Adopt(copy);
}

TVariant TVariant::Adopt(const TVarData& data) noexcept {
  TVariant result;
  result.FData = data;
  return result;
}

TVariant TVariant::Scalar(TVarType type, const TVarData& value) noexcept {
  TVariant result = Adopt(value);
  result.FData.VType = type;
  return result;
}

TVariant TVariant::Null() { return Scalar(VarType::Null, TVarData{}); }

TVariant TVariant::OfBool(bool value) {
  TVarData d{};
  d.Bool = value ? kVarTrue : kVarFalse;
  return Scalar(VarType::Bool, d);
}

TVariant TVariant::OfI1(int8_t value) {
  TVarData d{};
  d.I1 = value;
  return Scalar(VarType::I1, d);
}

TVariant TVariant::OfUI1(uint8_t value) {
  TVarData d{};
  d.UI1 = value;
  return Scalar(VarType::UI1, d);
}

TVariant TVariant::OfI2(int16_t value) {
  TVarData d{};
  d.I2 = value;
  return Scalar(VarType::I2, d);
}

TVariant TVariant::OfUI2(uint16_t value) {
  TVarData d{};
  d.UI2 = value;
  return Scalar(VarType::UI2, d);
}

TVariant TVariant::OfI4(int32_t value) {
  TVarData d{};
  d.I4 = value;
  return Scalar(VarType::I4, d);
}

TVariant TVariant::OfUI4(uint32_t value) {
  TVarData d{};
  d.UI4 = value;
  return Scalar(VarType::UI4, d);
}

TVariant TVariant::OfI8(int64_t value) {
  TVarData d{};
  d.I8 = value;
  return Scalar(VarType::I8, d);
}

TVariant TVariant::OfR4(float value) {
  TVarData d{};
  d.R4 = value;
  return Scalar(VarType::R4, d);
}

TVariant TVariant::OfR8(double value) {
  TVarData d{};
  d.R8 = value;
  return Scalar(VarType::R8, d);
}

TVariant TVariant::OfCy(int64_t scaledValue) {
  TVarData d{};
  d.Cy = scaledValue;
  return Scalar(VarType::Cy, d);
}

TVariant TVariant::OfDate(double value) {
  TVarData d{};
  d.Date = value;
  return Scalar(VarType::Date, d);
}

TVariant TVariant::OfWide(std::u16string_view text) {
  TVarData d{};
  d.BStr = platform::AllocBStr(text.data(), static_cast<uint32_t>(text.size()));
  return Scalar(VarType::BStr, d);
}

TVariant TVariant::OfAnsi(std::string_view text) {
  TVarData d{};
  d.AnsiStr = TAnsiString(text).Detach();
  return Scalar(VarType::AnsiStr, d);
}

std::u16string_view TVariant::WideView() const noexcept {
  if (FData.VType != VarType::BStr || FData.BStr == nullptr) return {};
  return {FData.BStr, platform::BStrLength(FData.BStr)};
}

std::string_view TVariant::AnsiView() const noexcept {
  if (FData.VType != VarType::AnsiStr) return {};
  return TAnsiString::ViewOf(FData.AnsiStr);
}

bool operator==(const TVariant& a, const TVariant& b) {
  const TVarData& x = a.Data();
  const TVarData& y = b.Data();
  if (x.VType != y.VType) return false;
  switch (x.VType) {
    case VarType::BStr:
      return a.WideView() == b.WideView();
    case VarType::AnsiStr:
      return a.AnsiView() == b.AnsiView();
    case VarType::I1:
      return x.I1 == y.I1;
    case VarType::UI1:
      return x.UI1 == y.UI1;
    case VarType::I2:
      return x.I2 == y.I2;
    case VarType::UI2:
      return x.UI2 == y.UI2;
    case VarType::Bool:
      return x.Bool == y.Bool;
    case VarType::I4:
      return x.I4 == y.I4;
    case VarType::UI4:
      return x.UI4 == y.UI4;
    case VarType::I8:
      return x.I8 == y.I8;
    case VarType::Cy:
      return x.Cy == y.Cy;
    case VarType::R4:
      return x.R4 == y.R4;
    case VarType::R8:
      return x.R8 == y.R8;
    case VarType::Date:
      return x.Date == y.Date;
    default:
      return true;  // Empty, Null
  }
}
