#pragma once

#include <cstdint>

namespace plcsim {

// Memory area codes as they appear in a read item.
enum class Area : uint8_t {
  kSystemInfo = 0x03,
  kSystemFlags = 0x05,
  kAnalogInputs = 0x06,
  kAnalogOutputs = 0x07,
  kPeripheral = 0x80,
  kInputs = 0x81,
  kOutputs = 0x82,
  kFlags = 0x83,
  kDataBlocks = 0x84,
  kInstanceDataBlocks = 0x85,
  kCounters = 0x1C,
  kTimers = 0x1D,
};

// Return codes of one item of a read answer.
enum class ItemResult : uint8_t {
  kObjectAccessDenied = 0x03,
  kAddressOutOfRange = 0x05,
  kTypeNotSupported = 0x06,
  kObjectMissing = 0x0A,
  kSuccess = 0xFF,
};

// Errors of a whole job: error class in the high byte, code in the low byte.
enum class JobError : uint16_t {
  kNone = 0,
  kFunctionNotSupported = 0x8104,  // also a request that does not parse
  kPduSize = 0x8500,               // the request or its answer exceeds the PDU
};

}  // namespace plcsim
