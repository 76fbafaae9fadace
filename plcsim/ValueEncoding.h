#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Description.h"

namespace plcsim {

// Bytes a value of `type` takes in PLC memory (a string: 2 + stringLength).
size_t EncodedSize(ValueType type, size_t stringLength);
// Big-endian, as the PLC stores it; integers wrap to their width.
std::vector<uint8_t> EncodeNumber(ValueType type, double value);
// An S7 string: maximum length, actual length, then `maxLength` characters
// (unused ones zero). `text` must fit.
std::vector<uint8_t> EncodeString(size_t maxLength, const std::string& text);

}  // namespace plcsim
