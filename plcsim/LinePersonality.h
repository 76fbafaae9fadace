#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "PlcMemory.h"

namespace plcsim {

using Bytes = std::vector<uint8_t>;

// One protocol's far end of a byte line: a PLC on its serial port, a PC adapter with
// a PLC behind it, or a gateway. It reacts to what it receives; the line server
// carries the bytes and their timing.
class LinePersonality {
 public:
  virtual ~LinePersonality() = default;
  // Bytes received from the line, in order; returns what to send back (may be empty).
  virtual Bytes OnBytes(const uint8_t* data, size_t size) = 0;
};

// What every personality is given: the memory it serves and the PLC's bus address.
struct PersonalitySettings {
  const PlcMemory* memory = nullptr;
  uint8_t plcAddress = 2;
};

using PersonalityFactory =
    std::unique_ptr<LinePersonality> (*)(const PersonalitySettings& settings);

struct PersonalityKind {
  const char* name;  // as --protocol names it
  const char* description;
  bool serial;  // also offered on a pseudo-terminal
  PersonalityFactory make;
};

// Every personality besides ISO over TCP (the server's own).
const std::vector<PersonalityKind>& PersonalityKinds();
// The kind of a --protocol name, or nullptr.
const PersonalityKind* FindPersonality(const std::string& name);

}  // namespace plcsim
