#include "RackSlot.h"

namespace plcsim {

namespace {

constexpr size_t kConnectHeaderSize = 7;  // length indicator to class, parameters follow
constexpr uint8_t kCalledTsap = 0xC2;
constexpr uint8_t kSlotBits = 0x1F;
constexpr int kRackShift = 5;
constexpr uint8_t kDisconnectLength = 6;
constexpr uint8_t kAddressUnknown = 0x03;

// The second byte of the called TSAP; -1 when the request has no two-byte one.
int CalledTsapByte(const Tpdu& request) {
  for (size_t at = kConnectHeaderSize; at + 2 <= request.headerSize;) {
    const uint8_t code = request.header[at];
    const size_t length = request.header[at + 1];
    if (at + 2 + length > request.headerSize) return -1;
    if (code == kCalledTsap && length == 2) return request.header[at + 3];
    at += 2 + length;
  }
  return -1;
}

}  // namespace

bool CallsRackSlot(const Tpdu& request, const AcceptedRackSlot& accepted) {
  if (accepted.rack < 0 && accepted.slot < 0) return true;
  const int called = CalledTsapByte(request);
  if (called < 0) return false;
  const bool rack = accepted.rack < 0 || accepted.rack == called >> kRackShift;
  const bool slot = accepted.slot < 0 || accepted.slot == (called & kSlotBits);
  return rack && slot;
}

Bytes RefuseConnection(const Tpdu& request) {
  const uint8_t clientReference[2] = {request.headerSize > 5 ? request.header[4] : uint8_t{0},
                                      request.headerSize > 5 ? request.header[5] : uint8_t{0}};
  Bytes packet = {3,
                  0,
                  0,
                  11,
                  kDisconnectLength,
                  static_cast<uint8_t>(TpduType::kDisconnectRequest),
                  clientReference[0],
                  clientReference[1],
                  0x00,
                  0x01,
                  kAddressUnknown};
  return packet;
}

}  // namespace plcsim
