#include "plc/PluginDM_ValueDefaults.h"

#include <array>
#include <cfloat>
#include <cmath>
#include <optional>
#include <string>

#include "moxShared/Public/Common/moxVarConvert.h"
#include "platform/CodePage.h"

namespace {

std::optional<TVariant> Converted(const TVariant& value, TVarType type) {
  TVariant result;
  if (ChangeVarType(result, value, type) != kS_OK) return std::nullopt;
  return result;
}

std::optional<int64_t> IntegerOf(const TVariant& value, TVarType type) {
  const std::optional<TVariant> converted = Converted(value, type);
  if (!converted) return std::nullopt;
  return type == VarType::I8 ? converted->Data().I8 : converted->Data().I4;
}

std::optional<TVariant> IntegerDefault(const TResponseItem& item) {
  const bool wide =
      item.DataType == TDataType::D64 || (item.DataType == TDataType::D32 && item.Unsigned);
  const std::optional<int64_t> value = IntegerOf(item.Default, wide ? VarType::I8 : VarType::I4);
  if (!value) return std::nullopt;
  const auto bits = static_cast<uint64_t>(*value);
  switch (item.DataType) {
    case TDataType::D8:
      return item.Unsigned ? TVariant::OfUI1(static_cast<uint8_t>(bits))
                           : TVariant::OfI1(static_cast<int8_t>(bits));
    case TDataType::D16:
      return item.Unsigned ? TVariant::OfUI2(static_cast<uint16_t>(bits))
                           : TVariant::OfI2(static_cast<int16_t>(bits));
    case TDataType::D32:
      return item.Unsigned ? TVariant::OfUI4(static_cast<uint32_t>(bits))
                           : TVariant::OfI4(static_cast<int32_t>(bits));
    default:
      return TVariant::OfI8(*value);
  }
}

std::optional<TVariant> FloatDefault(const TResponseItem& item) {
  std::optional<TVariant> value = Converted(item.Default, VarType::R8);
  if (!value || item.DataType == TDataType::F64) return value;
  const double wide = value->Data().R8;
  // Beyond the single range the rounding has no result.
  if (std::isfinite(wide) && std::fabs(wide) > FLT_MAX) return std::nullopt;
  return TVariant::OfR8(static_cast<double>(static_cast<float>(wide)));
}

TVariant BitDefault(const TResponseItem& item) {
  static const std::array<const char*, 5> kTrueTexts = {"1", "y", "yes", "on", "high"};
  std::string text = VarToAnsi(item.Default);
  platform::AnsiLowerBuffer(text.data(), text.size());
  for (const char* truth : kTrueTexts) {
    if (text == truth) return TVariant::OfBool(true);
  }
  return TVariant::OfBool(false);
}

std::optional<TVariant> ConvertedDefault(const TResponseItem& item) {
  switch (item.DataType) {
    case TDataType::F32:
    case TDataType::F64:
      return FloatDefault(item);
    case TDataType::S:
      return Converted(item.Default, VarType::AnsiStr);
    case TDataType::BIT:
      return BitDefault(item);
    default:
      return IntegerDefault(item);
  }
}

}  // namespace

TVariant DefaultValueOf(const TResponseItem& item) {
  try {
    return ConvertedDefault(item).value_or(TVariant::OfUI1(0));
  } catch (const EVariantError&) {
    return TVariant::OfUI1(0);
  }
}
