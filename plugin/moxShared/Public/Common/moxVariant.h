#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "moxAnsiString.h"
#include "platform/OleAuto.h"

// Values are OLE Automation variants. The type codes in use, and two codes of
// the plug-in's own: an 8-bit reference-counted string (TAnsiString), and, only
// at the list interfaces, a pointer to zero-terminated UTF-16 text.
using TVarType = uint16_t;

namespace VarType {
constexpr TVarType Empty = 0;
constexpr TVarType Null = 1;
constexpr TVarType I2 = 2;
constexpr TVarType I4 = 3;
constexpr TVarType R4 = 4;
constexpr TVarType R8 = 5;
constexpr TVarType Cy = 6;
constexpr TVarType Date = 7;
constexpr TVarType BStr = 8;
constexpr TVarType Bool = 11;
constexpr TVarType I1 = 16;
constexpr TVarType UI1 = 17;
constexpr TVarType UI2 = 18;
constexpr TVarType UI4 = 19;
constexpr TVarType I8 = 20;
constexpr TVarType AnsiStr = 0x100;
constexpr TVarType WideText = 0x102;
}  // namespace VarType

// Automation Booleans.
constexpr int16_t kVarTrue = -1;
constexpr int16_t kVarFalse = 0;
// Currency values are integers scaled by this factor.
constexpr int64_t kCurrencyScale = 10000;

// The raw automation variant (16 bytes in the 32-bit build), as it crosses the
// interfaces by value.
// It owns nothing by itself; TVariant is the owning form.
struct TVarData {
  TVarType VType;
  uint16_t Reserved1;
  uint16_t Reserved2;
  uint16_t Reserved3;
  union {
    int8_t I1;
    uint8_t UI1;
    int16_t I2;
    uint16_t UI2;
    int32_t I4;
    uint32_t UI4;
    int64_t I8;
    float R4;
    double R8;
    int64_t Cy;
    double Date;
    int16_t Bool;
    platform::BStr BStr;
    const char* AnsiStr;
    const void* Ptr;
    // The widest member of the system's VARIANT (a record and its type
    // information): 16 bytes in the 32-bit build, 24 where pointers are 8 bytes.
    const void* Record[2];
  };
};

// Raised for a value that cannot be converted or has a type the plug-in does not handle.
class EVariantError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An owning variant: copies duplicate strings, destruction frees them. It holds
// the automation types listed above and the 8-bit string.
class TVariant {
 public:
  TVariant() noexcept : FData{} {}
  TVariant(const TVariant& other);
  TVariant(TVariant&& other) noexcept;
  TVariant& operator=(TVariant other) noexcept;
  ~TVariant();

  // Makes an owning copy of a raw value; EVariantError for a type not handled.
  static TVariant CopyOf(const TVarData& data);
  // Takes over a raw value that the caller owned (for example an out-parameter
  // filled by another module).
  static TVariant Adopt(const TVarData& data) noexcept;

  static TVariant Null();
  static TVariant OfBool(bool value);
  static TVariant OfI1(int8_t value);
  static TVariant OfUI1(uint8_t value);
  static TVariant OfI2(int16_t value);
  static TVariant OfUI2(uint16_t value);
  static TVariant OfI4(int32_t value);
  static TVariant OfUI4(uint32_t value);
  static TVariant OfI8(int64_t value);
  static TVariant OfR4(float value);
  static TVariant OfR8(double value);
  static TVariant OfCy(int64_t scaledValue);
  static TVariant OfDate(double value);
  static TVariant OfWide(std::u16string_view text);
  static TVariant OfAnsi(std::string_view text);

  TVarType Type() const noexcept { return FData.VType; }
  bool IsEmptyOrNull() const noexcept {
    return FData.VType == VarType::Empty || FData.VType == VarType::Null;
  }
  const TVarData& Data() const noexcept { return FData; }
  // Hands the value to the caller, who then owns it; this variant becomes Empty.
  TVarData Detach() noexcept;

  // The text of a string value (BSTR or 8-bit); empty for other types.
  std::u16string_view WideView() const noexcept;
  std::string_view AnsiView() const noexcept;

 private:
  static TVariant Scalar(TVarType type, const TVarData& value) noexcept;
  void Clear() noexcept;

  TVarData FData;
};

bool operator==(const TVariant& a, const TVariant& b);
inline bool operator!=(const TVariant& a, const TVariant& b) { return !(a == b); }

// Whether a type code is one that TVariant holds.
bool IsHandledVarType(TVarType type) noexcept;
// A short name of a type code, for messages.
const char* VarTypeName(TVarType type) noexcept;
