#include "StandIn.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "Cotp.h"
#include "S7onlineBlock.h"

namespace standin {
namespace {

using nodave::Bytes;
using nodave::Clock;

// A status word for a request the access point could not carry out.
constexpr uint16_t kResponseFailed = 2;
constexpr uint16_t kLocalTsap = 0x0100;
constexpr size_t kConnectionTypeAt = 18;
constexpr size_t kRackSlotAt = 19;
// How long the S7 server may take to confirm a connection, and how long a look
// for its answers waits.
constexpr auto kServerWait = std::chrono::seconds(5);
constexpr auto kServerPoll = std::chrono::milliseconds(20);

// One open access point and the S7 connection behind it.
class AccessPoint {
 public:
  explicit AccessPoint(Settings settings) : settings_(std::move(settings)) {}
  ~AccessPoint() { CloseConnection(); }
  AccessPoint(const AccessPoint&) = delete;
  AccessPoint& operator=(const AccessPoint&) = delete;

  void Take(const nodave::ScpBlock& block) {
    switch (block.opcode) {
      case nodave::kOpcodeOpen:
        Answer(block.opcode, nodave::kResponseOk);
        break;
      case nodave::kOpcodeConnect:
        Answer(block.opcode, Connect(block.userData) ? nodave::kResponseOk : kResponseFailed);
        break;
      case nodave::kOpcodeSend:
        Answer(block.opcode, socket_ != 0 ? nodave::kResponseOk : kResponseFailed);
        Forward(block.userData);
        break;
      case nodave::kOpcodeReceive:
        ++offers_;
        break;
      case nodave::kOpcodeDisconnect:
        CloseConnection();
        Answer(block.opcode, nodave::kResponseOk);
        break;
      default:
        Answer(block.opcode, kResponseFailed);
        break;
    }
    Deliver();
  }

  const Bytes* NextAnswer() {
    if (ready_.empty()) {
      FetchFromServer();
      Deliver();
    }
    return ready_.empty() ? nullptr : &ready_.front();
  }
  void DropAnswer() { ready_.pop_front(); }

 private:
  void Answer(uint8_t opcode, uint16_t response, const Bytes& userData = {}) {
    ready_.push_back(nodave::MakeBlock(opcode, 0, userData, userData.size(), response));
  }

  nodave::Link LinkToServer() const { return nodave::Link{socket_, nullptr}; }

  bool Connect(const Bytes& parameters) {
    CloseConnection();
    if (parameters.size() <= kRackSlotAt) {
      return false;
    }
    socket_ = nodave::SocketConnect(settings_.plcPort, settings_.plcHost.c_str());
    const auto remoteTsap =
        static_cast<uint16_t>(parameters[kConnectionTypeAt] << 8 | parameters[kRackSlotAt]);
    Bytes confirm;
    const bool connected =
        socket_ != 0 &&
        nodave::SendPacket(LinkToServer(), nodave::ConnectRequest(kLocalTsap, remoteTsap)) ==
            daveResOK &&
        nodave::ReceivePacket(LinkToServer(), Clock::now() + kServerWait, confirm) == daveResOK &&
        nodave::ParseConnectConfirm(confirm, tpduSize_) == daveResOK;
    if (!connected) {
      CloseConnection();
    }
    return connected;
  }

  // The PDU goes to the server at once; its answer is fetched when the client
  // asks for blocks, as a DLL's send does not wait for the PLC either.
  void Forward(const Bytes& pdu) {
    if (socket_ != 0 && nodave::SendPdu(LinkToServer(), pdu, tpduSize_) == daveResOK) {
      ++awaited_;
    }
  }

  // Takes an answer that the server has sent, waiting a moment at most.
  void FetchFromServer() {
    Bytes answer;
    if (awaited_ > 0 &&
        nodave::ReceivePdu(LinkToServer(), Clock::now() + kServerPoll, answer) == daveResOK) {
      --awaited_;
      pdus_.push_back(answer);
    }
  }

  // Each PDU from the server fills one offered segment.
  void Deliver() {
    while (offers_ > 0 && !pdus_.empty()) {
      --offers_;
      Answer(nodave::kOpcodeReceive, nodave::kResponseData, pdus_.front());
      pdus_.pop_front();
    }
  }

  void CloseConnection() {
    if (socket_ != 0) {
      nodave::SocketClose(socket_);
    }
    socket_ = 0;
    offers_ = 0;
    awaited_ = 0;
    pdus_.clear();
  }

  Settings settings_;
  int32_t socket_ = 0;
  int32_t tpduSize_ = 0;
  int offers_ = 0;
  int awaited_ = 0;          // PDUs sent to the server and not yet answered
  std::deque<Bytes> pdus_;   // from the server, waiting for an offered segment
  std::deque<Bytes> ready_;  // answers for Receive
};

struct AccessPoints {
  std::mutex lock;
  std::map<int32_t, std::unique_ptr<AccessPoint>> open;
  int32_t next = 0;  // the first handle is 0, as the DLL may give it
};

AccessPoints& Points() {
  static AccessPoints points;
  return points;
}

thread_local int32_t lastError = 0;

int32_t Fail(int32_t error) {
  lastError = error;
  return -1;
}

}  // namespace

bool ParsePlcAddress(const std::string& text, Settings& settings) {
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || colon == 0) {
    return false;
  }
  char* end = nullptr;
  const long port = std::strtol(text.c_str() + colon + 1, &end, 10);
  if (*end != '\0' || port <= 0 || port > 65535) {
    return false;
  }
  settings.plcHost = text.substr(0, colon);
  settings.plcPort = static_cast<int32_t>(port);
  return true;
}

int32_t Open(const Settings& settings, const char* accessPoint) {
  if (accessPoint == nullptr || settings.accessPoint != accessPoint) {
    return Fail(kNoSuchAccessPoint);
  }
  AccessPoints& points = Points();
  std::lock_guard<std::mutex> guard(points.lock);
  const int32_t handle = points.next++;
  points.open[handle] = std::make_unique<AccessPoint>(settings);
  return handle;
}

int32_t Close(int32_t handle) {
  AccessPoints& points = Points();
  std::lock_guard<std::mutex> guard(points.lock);
  return points.open.erase(handle) != 0 ? 0 : Fail(kNotOpen);
}

int32_t Send(int32_t handle, uint16_t length, const uint8_t* block) {
  AccessPoints& points = Points();
  std::lock_guard<std::mutex> guard(points.lock);
  const auto found = points.open.find(handle);
  if (found == points.open.end()) {
    return Fail(kNotOpen);
  }
  nodave::ScpBlock parsed;
  if (nodave::ParseBlock(block, length, parsed) != daveResOK ||
      parsed.subsystem != nodave::kSubsystemS7) {
    return Fail(kParameterError);
  }
  found->second->Take(parsed);
  return 0;
}

int32_t Receive(int32_t handle, int32_t* received, uint16_t bufferLength, uint8_t* block) {
  AccessPoints& points = Points();
  std::lock_guard<std::mutex> guard(points.lock);
  const auto found = points.open.find(handle);
  if (found == points.open.end()) {
    return Fail(kNotOpen);
  }
  const Bytes* answer = found->second->NextAnswer();
  if (answer == nullptr) {
    return Fail(kNoMessage);
  }
  if (received == nullptr || block == nullptr || answer->size() > bufferLength) {
    return Fail(kParameterError);
  }
  std::copy(answer->begin(), answer->end(), block);
  *received = static_cast<int32_t>(answer->size());
  found->second->DropAnswer();
  return 0;
}

int32_t LastError() { return lastError; }

}  // namespace standin
