#include "S7ReadVar.h"

#include <optional>

#include "ByteOrder.h"

namespace plcsim {

namespace {

constexpr size_t kItemRequestSize = 12;
constexpr size_t kMaxItems = 20;
constexpr size_t kAnswerHeaderSize = 14;  // Ack_Data header, function and item count

// How a transport size of a request is read and answered.
struct TransportSize {
  uint8_t request;
  size_t elementSize;  // bytes, or 1 for a bit
  uint8_t answer;
  uint8_t lengthFactor;  // the answer's length counts bytes times this (8: bits of bytes)
};

constexpr uint8_t kBit = 0x01;
constexpr uint8_t kCounter = 0x1C;
constexpr uint8_t kTimer = 0x1D;

constexpr TransportSize kTransportSizes[] = {
    // A bit travels as one byte and counts as one bit.
    {kBit, 1, 0x03, 1},     {0x02, 1, 0x04, 8},   {0x03, 1, 0x09, 1}, {0x04, 2, 0x04, 8},
    {0x05, 2, 0x05, 8},     {0x06, 4, 0x04, 8},   {0x07, 4, 0x05, 8}, {0x08, 4, 0x07, 1},
    {kCounter, 2, 0x09, 1}, {kTimer, 2, 0x09, 1},
};

const TransportSize* FindTransportSize(uint8_t request) {
  for (const TransportSize& known : kTransportSizes) {
    if (known.request == request) {
      return &known;
    }
  }
  return nullptr;
}

struct ItemAnswer {
  ItemResult result = ItemResult::kSuccess;
  uint8_t transportSize = 0;
  uint8_t lengthFactor = 1;
  bool oversized = false;  // cannot fit any answer; not read
  std::vector<uint8_t> bytes;
};

ItemAnswer Failed(ItemResult result) {
  ItemAnswer answer;
  answer.result = result;
  return answer;
}

// Counters and timers are addressed by number, 2 bytes each, and only with
// their own transport size; everything else by bit address.
std::optional<ItemResult> CheckAddressing(uint8_t transportSize, Area area, uint32_t address,
                                          uint16_t count) {
  const bool numbered = area == Area::kCounters || area == Area::kTimers;
  if (numbered != (transportSize == kCounter || transportSize == kTimer) ||
      (numbered && transportSize != static_cast<uint8_t>(area))) {
    return ItemResult::kAddressOutOfRange;
  }
  if (transportSize == kBit && count != 1) {
    return ItemResult::kTypeNotSupported;
  }
  if (!numbered && transportSize != kBit && address % 8 != 0) {
    return ItemResult::kAddressOutOfRange;
  }
  return std::nullopt;
}

ItemAnswer ReadItem(const uint8_t* request, size_t pduSize, const PlcMemory& memory) {
  if (request[0] != 0x12 || request[1] != 0x0A || request[2] != 0x10) {
    return Failed(ItemResult::kAddressOutOfRange);
  }
  const TransportSize* transport = FindTransportSize(request[3]);
  if (transport == nullptr) {
    return Failed(ItemResult::kTypeNotSupported);
  }
  const uint16_t count = BigEndian16(request + 4);
  const BlockId block{static_cast<Area>(request[8]), BigEndian16(request + 6)};
  const uint32_t address = uint32_t{request[9]} << 16 | uint32_t{request[10]} << 8 | request[11];
  if (const auto refused = CheckAddressing(request[3], block.area, address, count)) {
    return Failed(*refused);
  }
  const bool numbered = request[3] == kCounter || request[3] == kTimer;
  const size_t offset = numbered ? address * transport->elementSize : address / 8;
  const size_t length = count * transport->elementSize;
  ItemAnswer answer;
  answer.transportSize = transport->answer;
  answer.lengthFactor = transport->lengthFactor;
  if (length > pduSize) {
    answer.oversized = true;
    return answer;
  }
  answer.bytes.resize(length);
  answer.result = memory.Read(block, offset, length, answer.bytes.data());
  if (answer.result != ItemResult::kSuccess) {
    return Failed(answer.result);
  }
  if (request[3] == kBit) {
    answer.bytes[0] = (answer.bytes[0] >> (address % 8)) & 1;
  }
  return answer;
}

void AppendItem(const ItemAnswer& item, bool last, std::vector<uint8_t>& data) {
  if (item.result != ItemResult::kSuccess) {
    data.insert(data.end(), {static_cast<uint8_t>(item.result), 0, 0, 0});
    return;
  }
  const size_t announced = item.bytes.size() * item.lengthFactor;
  data.insert(data.end(), {static_cast<uint8_t>(item.result), item.transportSize,
                           static_cast<uint8_t>(announced >> 8), static_cast<uint8_t>(announced)});
  data.insert(data.end(), item.bytes.begin(), item.bytes.end());
  if (!last && item.bytes.size() % 2 != 0) {
    data.push_back(0);
  }
}

}  // namespace

S7Reply ReadVar(const uint8_t* parameters, size_t size, size_t pduSize, const PlcMemory& memory) {
  S7Reply reply;
  const size_t count = size >= 2 ? parameters[1] : 0;
  if (count == 0 || count > kMaxItems || size != 2 + count * kItemRequestSize) {
    reply.error = JobError::kFunctionNotSupported;
    return reply;
  }
  for (size_t k = 0; k < count; ++k) {
    const ItemAnswer item = ReadItem(parameters + 2 + k * kItemRequestSize, pduSize, memory);
    AppendItem(item, k + 1 == count, reply.data);
    if (item.oversized || kAnswerHeaderSize + reply.data.size() > pduSize) {
      reply.error = JobError::kPduSize;
      reply.data.clear();
      return reply;
    }
  }
  reply.parameters = {parameters[0], static_cast<uint8_t>(count)};
  return reply;
}

}  // namespace plcsim
