#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace plchost {

// An address given with --read that cannot be taken; the message says why and
// lists the accepted forms.
class EAddress : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The memory areas an S7 address names.
enum class TAddressArea { Inputs, Outputs, Flags, DataBlock, Counters, Timers, Peripheral };

enum class TValueType { Bool, Byte, Int, Word, DInt, DWord, Real, LReal, Chars, String };

// One value to read, as written on the command line.
struct TReadValue {
  TAddressArea Area = TAddressArea::Flags;
  int32_t DBNumber = 0;  // data blocks only
  int32_t Offset = 0;    // the byte address, or the counter or timer number
  int Bit = -1;          // 0..7 for a bit address
  TValueType Type = TValueType::Byte;
  int32_t Length = 0;   // characters of char[N] and string[N]
  std::string Address;  // upper case, as S7 writes it: "DB10.DBX4.3"
  std::string Name;     // the name given, or the address
};

// The largest byte address and data block number, and the longest string.
constexpr int32_t kLargestByteAddress = 65535;
constexpr int32_t kLargestBlock = 65535;
constexpr int32_t kLongestString = 254;

// The accepted forms, for messages and the usage text.
extern const char* const kAddressForms;

// Bytes the value takes in the PLC's memory: a string with its two header
// bytes; a counter or timer takes two.
int32_t ValueBytes(const TReadValue& value);

// The type's name as --read takes it: "int", "string[20]".
std::string TypeName(const TReadValue& value);

// ADDR[:TYPE][=NAME]. The type defaults from the address width (bit: bool,
// B: byte, W: word, D: dword, counters and timers: word). EAddress names the
// fault and the accepted forms.
TReadValue ParseReadValue(const std::string& text);

}  // namespace plchost
