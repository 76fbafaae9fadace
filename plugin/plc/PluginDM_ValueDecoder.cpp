#include "plc/PluginDM_ValueDecoder.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace {

constexpr int32_t kBitsPerByte = 8;
constexpr int32_t kLastBit = 7;

// A product in extended precision, narrowed without leaving the double range.
double Narrowed(long double value) {
  if (std::isnan(value)) return std::numeric_limits<double>::quiet_NaN();
  if (value > DBL_MAX) return std::numeric_limits<double>::infinity();
  if (value < -DBL_MAX) return -std::numeric_limits<double>::infinity();
  return static_cast<double>(value);
}

// The typed field, or, when the item scales, the Double of value times Scale.
template <class T>
TVariant NumberField(const TResponseItem& item, T value, TVariant (*make)(T)) {
  if (item.Scale != 1.0L) {
    return TVariant::OfR8(Narrowed(static_cast<long double>(value) * item.Scale));
  }
  return make(value);
}

template <class Unsigned, class Signed>
TVariant IntegerField(const TResponseItem& item, uint64_t bits, TVariant (*makeUnsigned)(Unsigned),
                      TVariant (*makeSigned)(Signed)) {
  const auto value = static_cast<Unsigned>(bits);
  if (item.Unsigned) return NumberField(item, value, makeUnsigned);
  return NumberField(item, static_cast<Signed>(value), makeSigned);
}

TVariant FloatField(const TResponseItem& item, const uint8_t* at) {
  if (item.DataType == TDataType::F32) {
    const auto bits = static_cast<uint32_t>(ReadOrderedBits(at, 4, item.Swapped, item.LE));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return NumberField(item, static_cast<double>(value), &TVariant::OfR8);
  }
  const uint64_t bits = ReadOrderedBits(at, 8, item.Swapped, item.LE);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return NumberField(item, value, &TVariant::OfR8);
}

TVariant NumericValue(const TResponseItem& item, const uint8_t* at) {
  switch (item.DataType) {
    case TDataType::D8:
      return IntegerField<uint8_t, int8_t>(item, at[0], &TVariant::OfUI1, &TVariant::OfI1);
    case TDataType::D16:
      return IntegerField<uint16_t, int16_t>(item, ReadOrderedBits(at, 2, item.Swapped, item.LE),
                                             &TVariant::OfUI2, &TVariant::OfI2);
    case TDataType::D32:
      return IntegerField<uint32_t, int32_t>(item, ReadOrderedBits(at, 4, item.Swapped, item.LE),
                                             &TVariant::OfUI4, &TVariant::OfI4);
    case TDataType::D64:
      return NumberField(item, static_cast<int64_t>(ReadOrderedBits(at, 8, item.Swapped, item.LE)),
                         &TVariant::OfI8);
    default:
      return FloatField(item, at);
  }
}

// The rest of the response with its zero bytes left out.
TVariant StringValue(const uint8_t* at, size_t available) {
  std::string text;
  text.reserve(available);
  std::copy_if(at, at + available, std::back_inserter(text), [](uint8_t c) { return c != 0; });
  return TVariant::OfAnsi(text);
}

TVariant BitValue(const TResponseItem& item, uint8_t byte, int32_t counter, int64_t& size) {
  const int32_t bit = counter % kBitsPerByte;
  const auto mask = static_cast<uint8_t>(1u << (item.LE ? kLastBit - bit : bit));
  size = bit == kLastBit ? 1 : 0;
  return TVariant::OfBool((byte & mask) != 0);
}

}  // namespace

uint64_t ReadOrderedBits(const uint8_t* source, int32_t n, bool swapped, bool le) {
  uint8_t image[8];
  const auto words = static_cast<size_t>(n / 2);
  for (size_t k = 0; k < words; ++k) {
    const size_t word = swapped ? words - 1 - k : k;
    image[2 * k] = source[2 * word + 1];
    image[2 * k + 1] = source[2 * word];
  }
  if (le) std::reverse(image, image + n);
  uint64_t value = 0;
  for (int32_t index = n - 1; index >= 0; --index) value = (value << kBitsPerByte) | image[index];
  return value;
}

bool ValueInRange(TDataType type, int64_t offset, int64_t size, int64_t length) {
  if (offset < 0) return false;
  return type == TDataType::BIT ? offset < length : offset + size <= length;
}

TVariant DecodeValue(const TResponseItem& item, const uint8_t* at, size_t available,
                     int32_t counter, int64_t& size) {
  switch (item.DataType) {
    case TDataType::S:
      size = static_cast<int64_t>(available);
      return StringValue(at, available);
    case TDataType::BIT:
      return BitValue(item, at[0], counter, size);
    default:
      return NumericValue(item, at);
  }
}
