#include "FramedGateway.h"

#include <utility>

namespace plcsim {

FramedGateway::FramedGateway(const PersonalitySettings& settings, FrameBuffer frames)
    : memory_(*settings.memory), plc_(settings.plcAddress), frames_(std::move(frames)) {}

Bytes FramedGateway::OnBytes(const uint8_t* data, size_t size) {
  frames_.Add(data, size);
  Bytes reply;
  Bytes frame;
  while (frames_.Next(frame)) {
    const Bytes answer = AnswerFrame(frame);
    reply.insert(reply.end(), answer.begin(), answer.end());
  }
  return reply;
}

std::optional<Bytes> FramedGateway::AnswerS7(const uint8_t* pdu, size_t size) {
  return AnswerPdu(pdu, size, limits_, memory_);
}

}  // namespace plcsim
