#include "ValueEncoding.h"

#include <cmath>
#include <cstring>

namespace plcsim {

namespace {

std::vector<uint8_t> BigEndian(uint64_t bits, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (size_t k = size; k-- > 0;) {
    bytes[k] = static_cast<uint8_t>(bits);
    bits >>= 8;
  }
  return bytes;
}

// Two's complement of the rounded value, modulo 2^32 (the widest integer type):
// large values wrap like PLC integers.
uint64_t IntegerBits(double value) {
  constexpr double kModulus = 4294967296.0;
  if (!std::isfinite(value)) {
    return 0;
  }
  double wrapped = std::fmod(std::nearbyint(value), kModulus);
  if (wrapped < 0) {
    wrapped += kModulus;
  }
  return static_cast<uint64_t>(wrapped);
}

}  // namespace

size_t EncodedSize(ValueType type, size_t stringLength) {
  switch (type) {
    case ValueType::kByte:
      return 1;
    case ValueType::kWord:
    case ValueType::kInt:
      return 2;
    case ValueType::kDword:
    case ValueType::kDint:
    case ValueType::kReal:
      return 4;
    case ValueType::kString:
      return 2 + stringLength;
  }
  return 0;
}

std::vector<uint8_t> EncodeNumber(ValueType type, double value) {
  if (type == ValueType::kReal) {
    const float single = static_cast<float>(value);
    uint32_t bits = 0;
    std::memcpy(&bits, &single, sizeof bits);
    return BigEndian(bits, 4);
  }
  return BigEndian(IntegerBits(value), EncodedSize(type, 0));
}

std::vector<uint8_t> EncodeString(size_t maxLength, const std::string& text) {
  std::vector<uint8_t> bytes(2 + maxLength, 0);
  bytes[0] = static_cast<uint8_t>(maxLength);
  bytes[1] = static_cast<uint8_t>(text.size());
  std::memcpy(bytes.data() + 2, text.data(), text.size());
  return bytes;
}

}  // namespace plcsim
