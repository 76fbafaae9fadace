#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "PlcMemory.h"
#include "ScriptServer.h"
#include "StandIn.h"

// plcsim's default memory, as the simulator starts with it (no animation runs).
const plcsim::PlcMemory& DefaultMemory();
// `length` bytes of the memory's block.
Bytes MemoryBytes(const plcsim::BlockId& block, size_t offset, size_t length);

// An S7 server over ISO-on-TCP on loopback that answers from DefaultMemory with
// plcsim's answers: it confirms the connection, then answers `answers` PDUs.
// Answer number `silentAt` (counted from 0, setup communication first) is not
// sent, as by a PLC that stops answering.
std::unique_ptr<ScriptServer> MemoryServer(int answers = 40, int silentAt = -1);

// The stand-in in place of the vendor's DLL, in this process, while it lives.
// `receiveFault` may change or drop each block before the library gets it
// (return false to drop it); `receiveError`, when not 0, makes every receive fail
// with that SCP error number.
class InProcessStandIn {
 public:
  explicit InProcessStandIn(const standin::Settings& settings);
  ~InProcessStandIn();
  InProcessStandIn(const InProcessStandIn&) = delete;
  InProcessStandIn& operator=(const InProcessStandIn&) = delete;

  static std::function<bool(Bytes& block)> receiveFault;
  static int32_t receiveError;
};
