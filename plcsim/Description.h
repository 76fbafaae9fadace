#pragma once

// The simulator's memory description: which areas and data blocks exist, their
// fixed bytes, and the values that change over time.
//
// The description file is plain text, one statement per line; "#" starts a
// comment, words are separated by blanks, texts are written in double quotes.
//
//   area NAME size BYTES [fill BYTE | fill sequence]
//       Creates an area (zeros unless filled; "sequence" fills byte k with k mod 256).
//       NAME: i (inputs), q (outputs), m (flags), c (counters, 2 bytes each),
//       t (timers, 2 bytes each), p (peripheral I/O), sm (system flags),
//       ai / aq (analog inputs / outputs), si (system info), dbN (data block N).
//   bytes ADDRESS HEX...
//       Fixed bytes, e.g. "bytes db2.0 de ad be ef".
//   value ADDRESS TYPE MOTION [OPTION NUMBER]...
//       A value rewritten as time goes on. ADDRESS is NAME.BYTE_OFFSET ("db1.4",
//       "m.0"); TYPE is byte, word, int, dword, dint, real or string[N] (an S7
//       string: maximum length, actual length, N characters). Integers wrap.
//       MOTION and its options (defaults in brackets), t = seconds since start:
//         const V                      always V
//         counter  start [0] step [1] period [1]   start + step * floor(t / period)
//         sine     amplitude [1] offset [0] period [10]
//                                      offset + amplitude * sin(2 pi t / period)
//         ramp     min [0] max [100] period [10]   rises from min to max, then again
//         toggle   pattern [0x55] period [1]       pattern, then its complement, ...
//         text "A" ["B"...] period [1]             the texts in turn (string only)
//
// Areas must be declared before their addresses are used; every error names
// its line.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "PlcMemory.h"

namespace plcsim {

class DescriptionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Location {
  BlockId block;
  size_t offset = 0;
};

struct AreaDeclaration {
  BlockId block;
  size_t size = 0;
  bool sequence = false;  // byte k = k mod 256 instead of `fill`
  uint8_t fill = 0;
};

struct StaticBytes {
  Location at;
  std::vector<uint8_t> bytes;
};

enum class ValueType { kByte, kWord, kInt, kDword, kDint, kReal, kString };

enum class MotionKind { kConst, kCounter, kSine, kRamp, kToggle, kText };

struct Motion {
  MotionKind kind = MotionKind::kConst;
  double value = 0;
  double start = 0;
  double step = 1;
  double period = 1;
  double amplitude = 1;
  double offset = 0;
  double min = 0;
  double max = 100;
  double pattern = 0x55;
  std::vector<std::string> texts;
};

struct AnimatedValue {
  Location at;
  ValueType type = ValueType::kByte;
  size_t stringLength = 0;  // maximum characters of a string
  Motion motion;
};

struct Description {
  std::vector<AreaDeclaration> blocks;
  std::vector<StaticBytes> bytes;
  std::vector<AnimatedValue> values;
};

// Raises DescriptionError("line N: ...") on the first mistake.
Description ParseDescription(const std::string& text);
// Raises DescriptionError("PATH: line N: ...") or when the file cannot be read.
Description ReadDescriptionFile(const std::string& path);

// The memory the demo runs against when no file is given.
extern const char* const kDefaultDescription;

}  // namespace plcsim
