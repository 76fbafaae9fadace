#pragma once

#include "Bytes.h"

namespace nodave {

// The request blocks that S7 online exchanges with the vendor's access DLL: an
// 80-byte header (multi-byte fields in the PC's little-endian order) and one
// segment of user data behind it.

constexpr size_t kBlockHeaderSize = 80;
// User data a block carries at most: the largest PDU we ask for fits it.
constexpr size_t kBlockUserDataSize = 1024;
constexpr size_t kBlockSize = kBlockHeaderSize + kBlockUserDataSize;

// S7 connection services.
constexpr uint8_t kSubsystemS7 = 0x40;

enum ScpOpcode : uint8_t {
  kOpcodeOpen = 0,        // first block, no user data
  kOpcodeConnect = 1,     // connection parameters
  kOpcodeSend = 6,        // one S7 PDU
  kOpcodeReceive = 7,     // offers a segment; the answer carries a PDU
  kOpcodeDisconnect = 12  // ends the S7 connection
};

// The status word: what a request carries, and an answer's for success and for
// a received PDU.
constexpr uint16_t kResponseRequest = 0xFF;
constexpr uint16_t kResponseOk = 1;
constexpr uint16_t kResponseData = 3;

// The connection parameters of a connect block: the PLC's address and the
// remote TSAP's connection type and rack/slot byte.
constexpr size_t kConnectParametersSize = 126;
Bytes ConnectParameters(int32_t plcAddress, int32_t rack, int32_t slot);

// A block of the opcode with `userData` in its segment. `segment` is the
// segment's size (at least the data's); the block is header plus segment, as
// SCP_send takes it. `user` is the application's own number for the block.
Bytes MakeBlock(uint8_t opcode, uint16_t user, const Bytes& userData, size_t segment,
                uint16_t response = kResponseRequest);

// What a block says.
struct ScpBlock {
  uint8_t subsystem = 0;
  uint8_t opcode = 0;
  uint16_t response = 0;
  Bytes userData;  // the valid bytes of segment 1
};

// Parses `length` bytes of a block; daveResShortPacket when they cannot hold the
// header, daveResCannotEvaluatePDU when the valid-data length reaches beyond them.
int32_t ParseBlock(const uint8_t* data, size_t length, ScpBlock& block);

}  // namespace nodave
