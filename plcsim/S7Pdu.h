#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "PlcMemory.h"

namespace plcsim {

// The PDU sizes of one connection.
struct PduLimits {
  uint16_t offered;     // the largest the simulator agrees to
  uint16_t negotiated;  // the client's request, clamped to 240..offered
};

constexpr uint16_t kMinPduSize = 240;

// The answer to one S7 PDU: setup communication, Read Var, or an error answer
// for other jobs. Nothing for a PDU that breaks the protocol (wrong protocol
// id, lengths that disagree with the PDU, not a job): the connection ends.
std::optional<std::vector<uint8_t>> AnswerPdu(const uint8_t* pdu, size_t size, PduLimits& limits,
                                              const PlcMemory& memory);

}  // namespace plcsim
