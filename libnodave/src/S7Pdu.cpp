#include "S7Pdu.h"

#include <algorithm>

#include "nodave.h"

namespace nodave {
namespace {

constexpr uint8_t kProtocolId = 0x32;
constexpr uint8_t kJob = 0x01;
constexpr uint8_t kAck = 0x02;
constexpr uint8_t kAckData = 0x03;
constexpr size_t kAnswerHeaderSize = 12;
constexpr uint8_t kSetupCommunication = 0xF0;
constexpr size_t kSetupSize = 8;
// A read job (10 + 14 bytes) must fit, and its answer must carry at least one byte.
constexpr int32_t kSmallestUsablePdu = 32;

}  // namespace

Bytes BuildJob(uint16_t reference, const Bytes& parameters) {
  Bytes pdu{kProtocolId, kJob, 0, 0};
  PutU16(pdu, reference);
  PutU16(pdu, static_cast<uint32_t>(parameters.size()));
  PutU16(pdu, 0);
  pdu.insert(pdu.end(), parameters.begin(), parameters.end());
  return pdu;
}

int32_t ParseAnswer(const Bytes& pdu, Answer& answer) {
  if (pdu.size() < kAnswerHeaderSize) {
    return daveResShortPacket;
  }
  if (pdu[0] != kProtocolId || (pdu[1] != kAck && pdu[1] != kAckData)) {
    return daveResCannotEvaluatePDU;
  }
  const size_t parameterLength = GetU16(pdu, 6);
  const size_t dataLength = GetU16(pdu, 8);
  if (kAnswerHeaderSize + parameterLength + dataLength != pdu.size()) {
    return daveResCannotEvaluatePDU;
  }
  answer.reference = GetU16(pdu, 4);
  answer.error = GetU16(pdu, 10);
  const auto parameters = pdu.begin() + kAnswerHeaderSize;
  const auto data = parameters + static_cast<std::ptrdiff_t>(parameterLength);
  answer.parameters.assign(parameters, data);
  answer.data.assign(data, pdu.end());
  return daveResOK;
}

Bytes SetupCommunication(uint16_t pduLength) {
  Bytes parameters{kSetupCommunication, 0};
  PutU16(parameters, 1);  // parallel jobs, calling
  PutU16(parameters, 1);  // parallel jobs, called
  PutU16(parameters, pduLength);
  return parameters;
}

int32_t GrantedPduLength(const Answer& answer, uint16_t asked, int32_t& pduLength) {
  if (answer.error != 0) {
    return answer.error;
  }
  const Bytes& parameters = answer.parameters;
  if (parameters.empty() || parameters[0] != kSetupCommunication) {
    return daveResUnexpectedFunc;
  }
  if (parameters.size() != kSetupSize) {
    return daveResCannotEvaluatePDU;
  }
  const int32_t granted = GetU16(parameters, 6);
  if (granted < kSmallestUsablePdu) {
    return daveResCannotEvaluatePDU;
  }
  pduLength = std::min<int32_t>(granted, asked);
  return daveResOK;
}

}  // namespace nodave
