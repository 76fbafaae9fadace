#pragma once

#include "Bytes.h"

namespace nodave {

// S7 PDUs: the header of jobs and answers, and the setup communication exchange.

// A job (request) PDU with the given parameters and no data.
Bytes BuildJob(uint16_t reference, const Bytes& parameters);

// An answer PDU, split into its parts.
struct Answer {
  uint16_t reference = 0;
  uint16_t error = 0;  // error class * 256 + error code
  Bytes parameters;
  Bytes data;
};

// Splits an answer after checking its header and that its lengths add up to what was
// received; a result code otherwise.
int32_t ParseAnswer(const Bytes& pdu, Answer& answer);

// Parameters of a setup communication job asking for the given PDU length.
Bytes SetupCommunication(uint16_t pduLength);

// The PDU length the PLC granted, no more than asked for.
int32_t GrantedPduLength(const Answer& answer, uint16_t asked, int32_t& pduLength);

}  // namespace nodave
