#include "S7Pdu.h"

#include <algorithm>

#include "ByteOrder.h"
#include "S7ReadVar.h"

namespace plcsim {

namespace {

constexpr uint8_t kProtocolId = 0x32;
constexpr uint8_t kJob = 0x01;
constexpr uint8_t kAckData = 0x03;
constexpr uint8_t kUserData = 0x07;
constexpr size_t kJobHeaderSize = 10;
constexpr uint8_t kSetupCommunication = 0xF0;
constexpr uint8_t kReadVar = 0x04;
constexpr size_t kSetupSize = 8;

std::vector<uint8_t> AckData(const uint8_t* job, const S7Reply& reply) {
  std::vector<uint8_t> pdu = {kProtocolId, kAckData, 0, 0, job[4], job[5]};
  Append16(pdu, reply.parameters.size());
  Append16(pdu, reply.data.size());
  Append16(pdu, static_cast<size_t>(reply.error));
  pdu.insert(pdu.end(), reply.parameters.begin(), reply.parameters.end());
  pdu.insert(pdu.end(), reply.data.begin(), reply.data.end());
  return pdu;
}

S7Reply SetupCommunication(const uint8_t* parameters, size_t size, PduLimits& limits) {
  S7Reply reply;
  if (size != kSetupSize) {
    reply.error = JobError::kFunctionNotSupported;
    return reply;
  }
  const uint16_t requested = BigEndian16(parameters + 6);
  limits.negotiated = std::clamp(requested, kMinPduSize, limits.offered);
  reply.parameters.assign(parameters, parameters + 6);  // both queue depths as asked
  Append16(reply.parameters, limits.negotiated);
  return reply;
}

S7Reply AnswerJob(const uint8_t* parameters, size_t size, size_t jobSize, PduLimits& limits,
                  const PlcMemory& memory) {
  if (jobSize > limits.negotiated) {
    return S7Reply{JobError::kPduSize, {}, {}};
  }
  const uint8_t function = size > 0 ? parameters[0] : 0;
  if (function == kSetupCommunication) {
    return SetupCommunication(parameters, size, limits);
  }
  if (function == kReadVar) {
    return ReadVar(parameters, size, limits.negotiated, memory);
  }
  return S7Reply{JobError::kFunctionNotSupported, {}, {}};
}

}  // namespace

std::optional<std::vector<uint8_t>> AnswerPdu(const uint8_t* pdu, size_t size, PduLimits& limits,
                                              const PlcMemory& memory) {
  if (size < kJobHeaderSize || pdu[0] != kProtocolId || (pdu[1] != kJob && pdu[1] != kUserData)) {
    return std::nullopt;
  }
  const size_t parametersSize = BigEndian16(pdu + 6);
  if (kJobHeaderSize + parametersSize + BigEndian16(pdu + 8) != size) {
    return std::nullopt;
  }
  if (pdu[1] == kUserData) {
    return AckData(pdu, S7Reply{JobError::kFunctionNotSupported, {}, {}});
  }
  return AckData(pdu, AnswerJob(pdu + kJobHeaderSize, parametersSize, size, limits, memory));
}

}  // namespace plcsim
