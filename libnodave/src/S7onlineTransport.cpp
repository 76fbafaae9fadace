#include "S7onlineTransport.h"

#include <algorithm>
#include <string>
#include <thread>

#include "Debug.h"
#include "S7online.h"
#include "S7onlineBlock.h"
#include "S7onlineErrors.h"

namespace nodave {
namespace {

constexpr int32_t kLargestRack = 7;
constexpr int32_t kLargestSlot = 31;
// The DLL is asked without waiting and polled at this pace until the deadline.
constexpr auto kPollPause = std::chrono::milliseconds(1);
// A disconnect waits this long at most for the DLL's answer.
constexpr auto kDisconnectWait = std::chrono::milliseconds(500);
// Any block ends the wait for the answer to the open block.
constexpr int kAnyOpcode = -1;
// The application's block numbers run from 1 to this.
constexpr uint16_t kLastUserNumber = 32000;

struct S7onlineState : daveTransportState {
  uint16_t user = 0;
};

// The DLL's functions and the access point of one connection.
struct Access {
  const ScpFunctions* functions = nullptr;
  int32_t handle = 0;
  daveInterface* di = nullptr;
  S7onlineState* state = nullptr;
};

int32_t AccessOf(daveConnection* dc, Access& access) {
  access.handle = dc->iface->fd.rfd;
  access.di = dc->iface;
  access.functions = ScpFunctionsOf(access.handle);
  access.state = &StateOf<S7onlineState>(dc->state);
  return access.functions != nullptr ? daveResOK : UnknownS7onlineHandle();
}

int32_t ScpFailure(const Access& access, const char* call) {
  const std::string detail =
      std::string(call) + ", " + ScpErrorDetail(access.functions->lastError());
  NoteS7onlineFailure(daveResS7onlineScpError, detail);
  DebugLine(access.di, daveDebugPrintErrors, "S7 online: " + detail);
  return daveResS7onlineScpError;
}

int32_t SendBlock(const Access& access, uint8_t opcode, const Bytes& userData, size_t segment) {
  S7onlineState& state = *access.state;
  state.user = static_cast<uint16_t>(state.user % kLastUserNumber + 1);
  Bytes block = MakeBlock(opcode, state.user, userData, segment);
  DebugBytes(access.di, daveDebugExchange, "block sent", block.data(),
             std::min(block.size(), kBlockHeaderSize + userData.size()));
  if (access.functions->send(access.handle, static_cast<uint16_t>(block.size()), block.data()) <
      0) {
    return ScpFailure(access, "SCP_send");
  }
  return daveResOK;
}

// Waits for the next block of the opcode; blocks of other opcodes are skipped.
int32_t ReceiveBlock(const Access& access, int opcode, Clock::time_point deadline,
                     ScpBlock& block) {
  Bytes buffer(kBlockSize);
  for (;;) {
    int32_t received = 0;
    if (access.functions->receive(access.handle, 0, &received, static_cast<uint16_t>(buffer.size()),
                                  buffer.data()) >= 0) {
      if (received < 0 || static_cast<size_t>(received) > buffer.size()) {
        return daveResCannotEvaluatePDU;
      }
      const auto length = static_cast<size_t>(received);
      DebugBytes(access.di, daveDebugExchange, "block received", buffer.data(), length);
      const int32_t parsed = ParseBlock(buffer.data(), length, block);
      if (parsed != daveResOK || opcode == kAnyOpcode || block.opcode == opcode) {
        return parsed;
      }
      DebugLine(access.di, daveDebugPrintErrors,
                "S7 online: skipped a block of opcode " + std::to_string(block.opcode));
    } else {
      const int32_t error = access.functions->lastError();
      if (error != kScpNoMessage && error != kScpTimeout) {
        NoteS7onlineFailure(daveResS7onlineScpError, "SCP_receive, " + ScpErrorDetail(error));
        return daveResS7onlineScpError;
      }
      std::this_thread::sleep_for(kPollPause);
    }
    if (Clock::now() >= deadline) {
      return daveResTimeout;
    }
  }
}

}  // namespace

int32_t S7onlineTransport::Connect(daveConnection* dc) const {
  Access access;
  int32_t result = AccessOf(dc, access);
  if (result != daveResOK) {
    return result;
  }
  if (dc->rack < 0 || dc->rack > kLargestRack || dc->slot < 0 || dc->slot > kLargestSlot) {
    return daveResInvalidParam;  // they do not fit the connection's rack/slot byte
  }
  *access.state = S7onlineState();
  const Clock::time_point deadline = Deadline(dc->iface);
  ScpBlock answer;
  result = SendBlock(access, kOpcodeOpen, {}, 0);
  if (result == daveResOK) {
    result = ReceiveBlock(access, kAnyOpcode, deadline, answer);
  }
  if (result == daveResOK) {
    result = SendBlock(access, kOpcodeConnect, ConnectParameters(dc->MPIAdr, dc->rack, dc->slot),
                       kConnectParametersSize);
  }
  if (result == daveResOK) {
    result = ReceiveBlock(access, kOpcodeConnect, deadline, answer);
  }
  if (result == daveResOK && answer.response != kResponseOk) {
    DebugLine(dc->iface, daveDebugConnect,
              "S7 online: connect answered " + std::to_string(answer.response));
    result = daveResConnectionRefused;
  }
  return result;
}

int32_t S7onlineTransport::SendPdu(daveConnection* dc, const Bytes& pdu,
                                   Clock::time_point deadline) const {
  Access access;
  int32_t result = AccessOf(dc, access);
  if (result == daveResOK) {
    result = SendBlock(access, kOpcodeSend, pdu, pdu.size());
  }
  ScpBlock confirmation;
  if (result == daveResOK) {
    result = ReceiveBlock(access, kOpcodeSend, deadline, confirmation);
  }
  if (result == daveResOK && confirmation.response != kResponseOk) {
    DebugLine(dc->iface, daveDebugPrintErrors,
              "S7 online: send confirmed with " + std::to_string(confirmation.response));
    result = daveResConnectionLost;
  }
  return result;
}

int32_t S7onlineTransport::ReceivePdu(daveConnection* dc, Clock::time_point deadline,
                                      Bytes& pdu) const {
  Access access;
  int32_t result = AccessOf(dc, access);
  if (result == daveResOK) {
    result = SendBlock(access, kOpcodeReceive, {}, kBlockUserDataSize);
  }
  ScpBlock block;
  // A receive block without data confirms the offer only.
  while (result == daveResOK && block.userData.empty()) {
    result = ReceiveBlock(access, kOpcodeReceive, deadline, block);
  }
  if (result == daveResOK) {
    pdu = std::move(block.userData);
  }
  return result;
}

void S7onlineTransport::Disconnect(daveConnection* dc) const {
  Access access;
  if (AccessOf(dc, access) != daveResOK ||
      SendBlock(access, kOpcodeDisconnect, {}, 0) != daveResOK) {
    return;
  }
  ScpBlock answer;
  ReceiveBlock(access, kOpcodeDisconnect,
               std::min(Deadline(dc->iface), Clock::now() + kDisconnectWait), answer);
}

}  // namespace nodave
