#include "S7onlineBlock.h"

#include <algorithm>

#include "nodave.h"

namespace nodave {
namespace {

// Header fields (offsets into the block).
constexpr size_t kHeaderLengthAt = 4;
constexpr size_t kUserAt = 5;
constexpr size_t kBlockTypeAt = 7;
constexpr size_t kPriorityAt = 8;
constexpr size_t kSubsystemAt = 12;
constexpr size_t kOpcodeAt = 13;
constexpr size_t kResponseAt = 14;
constexpr size_t kFillLengthAt = 16;
constexpr size_t kSegmentLengthAt = 19;
constexpr size_t kSegmentOffsetAt = 21;
constexpr size_t kApplicationSubsystemAt = 35;
constexpr size_t kLocalSapAt = 42;
constexpr size_t kRemoteStationAt = 44;

constexpr uint8_t kRequestBlockType = 2;
constexpr uint8_t kPriority = 1;
constexpr uint8_t kApplicationSubsystem = 1;
constexpr uint8_t kConnectLocalSap = 2;
constexpr uint8_t kConnectRemoteStation = 114;

// Connection parameters.
constexpr uint8_t kFixedParameters[] = {0x02, 0x01, 0x00, 0x0C, 0x01};
constexpr size_t kFixedParametersAt = 1;
constexpr size_t kDestinationAt = 9;
constexpr size_t kParameter15At = 15;
constexpr size_t kParameter17At = 17;
constexpr size_t kConnectionTypeAt = 18;
constexpr size_t kRackSlotAt = 19;
constexpr uint8_t kProgrammingDevice = 0x01;

void PutLe16(Bytes& block, size_t at, size_t value) {
  block[at] = static_cast<uint8_t>(value);
  block[at + 1] = static_cast<uint8_t>(value >> 8);
}

uint16_t GetLe16(const uint8_t* block, size_t at) {
  return static_cast<uint16_t>(block[at] | block[at + 1] << 8);
}

}  // namespace

Bytes ConnectParameters(int32_t plcAddress, int32_t rack, int32_t slot) {
  Bytes parameters(kConnectParametersSize, 0);
  for (size_t i = 0; i < sizeof kFixedParameters; ++i) {
    parameters[kFixedParametersAt + i] = kFixedParameters[i];
  }
  parameters[kDestinationAt] = static_cast<uint8_t>(plcAddress);
  parameters[kParameter15At] = 0x01;
  parameters[kParameter17At] = 0x02;
  parameters[kConnectionTypeAt] = kProgrammingDevice;
  parameters[kRackSlotAt] = static_cast<uint8_t>(rack << 5 | slot);
  return parameters;
}

Bytes MakeBlock(uint8_t opcode, uint16_t user, const Bytes& userData, size_t segment,
                uint16_t response) {
  if (segment < userData.size()) {
    segment = userData.size();
  }
  Bytes block(kBlockHeaderSize + segment, 0);
  block[kHeaderLengthAt] = kBlockHeaderSize;
  PutLe16(block, kUserAt, user);
  block[kBlockTypeAt] = kRequestBlockType;
  block[kPriorityAt] = kPriority;
  block[kSubsystemAt] = kSubsystemS7;
  block[kOpcodeAt] = opcode;
  PutLe16(block, kResponseAt, response);
  PutLe16(block, kFillLengthAt, userData.size());
  PutLe16(block, kSegmentLengthAt, segment);
  PutLe16(block, kSegmentOffsetAt, segment > 0 ? kBlockHeaderSize : 0);
  block[kApplicationSubsystemAt] = kApplicationSubsystem;
  if (opcode == kOpcodeConnect) {
    block[kLocalSapAt] = kConnectLocalSap;
    block[kRemoteStationAt] = kConnectRemoteStation;
  }
  std::copy(userData.begin(), userData.end(), block.begin() + kBlockHeaderSize);
  return block;
}

int32_t ParseBlock(const uint8_t* data, size_t length, ScpBlock& block) {
  if (data == nullptr || length < kBlockHeaderSize) {
    return daveResShortPacket;
  }
  const size_t fill = GetLe16(data, kFillLengthAt);
  if (fill > length - kBlockHeaderSize) {
    return daveResCannotEvaluatePDU;
  }
  block.subsystem = data[kSubsystemAt];
  block.opcode = data[kOpcodeAt];
  block.response = GetLe16(data, kResponseAt);
  block.userData.assign(data + kBlockHeaderSize, data + kBlockHeaderSize + fill);
  return daveResOK;
}

}  // namespace nodave
