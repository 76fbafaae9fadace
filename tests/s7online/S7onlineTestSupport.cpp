#include "S7onlineTestSupport.h"

#include "../../plcsim/S7Pdu.h"  // the simulator's, not the library's of the same name
#include "Description.h"
#include "IsoTestSupport.h"
#include "MemoryLoader.h"
#include "S7online.h"

namespace {

constexpr size_t kJobStart = 7;  // TPKT header and data unit header
constexpr uint16_t kLargestPdu = 960;

std::unique_ptr<plcsim::PlcMemory> LoadDefaultMemory() {
  auto memory = std::make_unique<plcsim::PlcMemory>();
  plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), *memory);
  return memory;
}

ScriptServer::Step AnswerFromMemory(const std::shared_ptr<plcsim::PduLimits>& limits) {
  return [limits](const Bytes& packet) {
    if (packet.size() <= kJobStart) {
      return ScriptServer::Reply{{}, true};
    }
    const auto answer = plcsim::AnswerPdu(packet.data() + kJobStart, packet.size() - kJobStart,
                                          *limits, DefaultMemory());
    return answer ? ScriptServer::Reply{DataUnit(*answer)} : ScriptServer::Reply{{}, true};
  };
}

ScriptServer::Step Silent() {
  return [](const Bytes&) { return ScriptServer::Reply{}; };
}

using nodave::ScpFunctions;

standin::Settings settingsInUse;

bool ApplyFault(int32_t* received, uint8_t* block) {
  Bytes bytes(block, block + *received);
  if (!InProcessStandIn::receiveFault(bytes)) {
    return false;
  }
  std::copy(bytes.begin(), bytes.end(), block);
  *received = static_cast<int32_t>(bytes.size());
  return true;
}

int32_t SCP_CALL Open(const char* accessPoint) { return standin::Open(settingsInUse, accessPoint); }
int32_t SCP_CALL Close(int32_t handle) { return standin::Close(handle); }
int32_t SCP_CALL Send(int32_t handle, uint16_t length, uint8_t* block) {
  return standin::Send(handle, length, block);
}
int32_t lastFaultError = 0;
int32_t SCP_CALL Receive(int32_t handle, uint16_t /*timeout*/, int32_t* received,
                         uint16_t bufferLength, uint8_t* block) {
  lastFaultError = InProcessStandIn::receiveError;
  if (lastFaultError != 0) {
    return -1;
  }
  const int32_t result = standin::Receive(handle, received, bufferLength, block);
  if (result == 0 && InProcessStandIn::receiveFault && !ApplyFault(received, block)) {
    lastFaultError = standin::kNoMessage;
    return -1;
  }
  return result;
}
int32_t SCP_CALL LastError() { return lastFaultError != 0 ? lastFaultError : standin::LastError(); }

const ScpFunctions kFunctions = {Open, Close, Send, Receive, LastError, nullptr};

}  // namespace

std::function<bool(Bytes& block)> InProcessStandIn::receiveFault;
int32_t InProcessStandIn::receiveError = 0;

const plcsim::PlcMemory& DefaultMemory() {
  static const std::unique_ptr<plcsim::PlcMemory> memory = LoadDefaultMemory();
  return *memory;
}

Bytes MemoryBytes(const plcsim::BlockId& block, size_t offset, size_t length) {
  Bytes bytes(length);
  DefaultMemory().Read(block, offset, length, bytes.data());
  return bytes;
}

std::unique_ptr<ScriptServer> MemoryServer(int answers, int silentAt) {
  auto limits =
      std::make_shared<plcsim::PduLimits>(plcsim::PduLimits{kLargestPdu, plcsim::kMinPduSize});
  std::vector<ScriptServer::Step> steps{Confirm()};
  for (int i = 0; i < answers; ++i) {
    steps.push_back(i == silentAt ? Silent() : AnswerFromMemory(limits));
  }
  return std::make_unique<ScriptServer>(steps);
}

InProcessStandIn::InProcessStandIn(const standin::Settings& settings) {
  settingsInUse = settings;
  receiveFault = nullptr;
  receiveError = 0;
  lastFaultError = 0;
  nodave::UseScpFunctions(&kFunctions);
}

InProcessStandIn::~InProcessStandIn() {
  nodave::UseScpFunctions(nullptr);
  receiveFault = nullptr;
  receiveError = 0;
}
