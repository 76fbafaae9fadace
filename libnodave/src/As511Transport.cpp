#include "As511Transport.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "As511Frames.h"
#include "As511Line.h"
#include "Debug.h"

namespace nodave {
namespace {

using as511::S5Areas;

// The small answers are read without a length known before, so that a short one is
// found malformed rather than waited for.
constexpr size_t kLargestSystemParameters = 256;
constexpr size_t kLargestBlockInfo = 32;
constexpr int32_t kLargestDataBlock = 255;
constexpr uint64_t kAddressSpace = 0x10000;

// What a connection keeps: the areas' addresses from the system parameters.
struct As511Connection : daveTransportState {
  S5Areas areas;
};

std::string Hex(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
  return text;
}

void TraceAreas(daveInterface* di, const S5Areas& areas) {
  DebugLine(di, daveDebugConnect,
            "S5 areas: inputs at " + Hex(areas.inputs) + ", outputs at " + Hex(areas.outputs) +
                ", flags at " + Hex(areas.flags) + ", timers at " + Hex(areas.timers) +
                ", counters at " + Hex(areas.counters) + ", system data at " +
                Hex(areas.systemData));
}

// The address of an area's byte `start` (of timer or counter `start`); daveNotAvailableInS5
// for an area an S5 does not have.
int32_t AreaAddress(const S5Areas& areas, int32_t area, int32_t start, uint64_t& address) {
  const auto offset = static_cast<uint64_t>(start);
  switch (area) {
    case daveInputs:
      address = areas.inputs + offset;
      return daveResOK;
    case daveOutputs:
      address = areas.outputs + offset;
      return daveResOK;
    case daveFlags:
      address = areas.flags + offset;
      return daveResOK;
    case daveTimer:
      address = areas.timers + 2 * offset;
      return daveResOK;
    case daveCounter:
      address = areas.counters + 2 * offset;
      return daveResOK;
    case daveSysDataS5:
      address = areas.systemData + offset;
      return daveResOK;
    case daveRawMemoryS5:
      address = offset;
      return daveResOK;
    default:
      return daveNotAvailableInS5;
  }
}

// Locates the data block (it moves when the PLC compresses its memory) and checks
// that the range lies inside it.
int32_t DataBlockAddress(daveInterface* di, int32_t db, int32_t start, int32_t length,
                         uint64_t& address) {
  if (db > kLargestDataBlock) {
    return daveResInvalidParam;
  }
  const auto number = static_cast<uint8_t>(db);
  as511::Request request{as511::kBlockInfo, as511::BlockInfoHeader(number), 0, kLargestBlockInfo};
  Bytes answer;
  int32_t result = as511::Transact(di, request, answer);
  if (result == daveResS5Refused) {
    return daveResS5BlockMissing;
  }
  as511::S5Block block;
  if (result == daveResOK) {
    result = as511::ParseBlockInfo(answer, number, block);
  }
  if (result == daveResOK && uint64_t{static_cast<uint32_t>(start)} + length > block.size) {
    DebugLine(di, daveDebugPrintErrors,
              "DB" + std::to_string(db) + " has " + std::to_string(block.size) + " bytes");
    result = daveResS5ReadPastBlock;
  }
  address = block.address + uint64_t{static_cast<uint32_t>(start)};
  return result;
}

int32_t ReadMemory(daveInterface* di, uint16_t address, int32_t length, uint8_t* buffer) {
  const auto count = static_cast<size_t>(length);
  const auto last = static_cast<uint16_t>(address + count - 1);
  as511::Request request{as511::kReadMemory, as511::ReadMemoryHeader(address, last),
                         as511::kReadLeadingBytes + count, as511::kReadLeadingBytes + count};
  Bytes answer;
  int32_t result = as511::Transact(di, request, answer);
  if (result == daveResOK) {
    result = as511::CheckReadAnswer(answer, count);
  }
  if (result != daveResOK) {
    return result;
  }
  const auto data = answer.begin() + as511::kReadLeadingBytes;
  if (std::any_of(answer.begin(), data, [](uint8_t byte) { return byte != 0; })) {
    DebugLine(di, daveDebugPrintErrors, "S5 read answer with leading bytes that are not zero");
  }
  std::copy(data, answer.end(), buffer);
  return daveResOK;
}

}  // namespace

int32_t As511Transport::Connect(daveConnection* dc) const {
  as511::Request request{as511::kSystemParameters, {}, 0, kLargestSystemParameters};
  Bytes answer;
  int32_t result = as511::Transact(dc->iface, request, answer);
  auto& state = StateOf<As511Connection>(dc->state);
  if (result == daveResOK) {
    result = as511::ParseSystemParameters(answer, state.areas);
  }
  if (result == daveResOK) {
    TraceAreas(dc->iface, state.areas);
  }
  return result;
}

int32_t As511Transport::SendPdu(daveConnection* /*dc*/, const Bytes& /*pdu*/,
                                Clock::time_point /*deadline*/) const {
  return daveResProtocolNotSupported;
}

int32_t As511Transport::ReceivePdu(daveConnection* /*dc*/, Clock::time_point /*deadline*/,
                                   Bytes& /*pdu*/) const {
  return daveResProtocolNotSupported;
}

int32_t As511Transport::ConnectPlc(daveConnection* dc) const {
  dc->connected = 0;
  const int32_t result = Connect(dc);
  if (result != daveResOK) {
    DebugLine(dc->iface, daveDebugPrintErrors,
              "S5 connect failed: " + std::string(daveStrerror(result)));
    return result;
  }
  dc->maxPDUlength = kPduLength;
  dc->connected = 1;
  return daveResOK;
}

int32_t As511Transport::ReadBytes(daveConnection* dc, int32_t area, int32_t db, int32_t start,
                                  int32_t length, uint8_t* buffer) const {
  if (length <= 0) {
    return daveResInvalidLength;
  }
  if (db < 0 || start < 0) {
    return daveResInvalidParam;
  }
  if (length > dc->maxPDUlength) {
    return daveResReadTooLarge;
  }
  uint64_t address = 0;
  int32_t result =
      area == daveDB ? DataBlockAddress(dc->iface, db, start, length, address)
                     : AreaAddress(StateOf<As511Connection>(dc->state).areas, area, start, address);
  if (result == daveResOK && address + static_cast<uint64_t>(length) > kAddressSpace) {
    result = daveResS5AddressRange;
  }
  if (result == daveResOK) {
    result = ReadMemory(dc->iface, static_cast<uint16_t>(address), length, buffer);
  }
  return result;
}

void As511Transport::Disconnect(daveConnection* dc) const {
  StateOf<As511Connection>(dc->state).areas = S5Areas{};
}

}  // namespace nodave
