#include "nodave/NoDaveComponent.h"

#include <exception>
#include <stdexcept>

namespace {

constexpr const char* kConnectError = "Error in function TNoDave.Connect: ";
constexpr const char* kDisconnectError = "Error in function TNoDave.Disconnect: ";
constexpr const char* kSetDebugError = "Error in function TNoDave.SetDebug: ";

// Clears a flag when the scope ends, however it ends.
class TFlagReset {
 public:
  explicit TFlagReset(std::atomic<bool>& flag) : flag_(flag) {}
  ~TFlagReset() { flag_ = false; }
  TFlagReset(const TFlagReset&) = delete;
  TFlagReset& operator=(const TFlagReset&) = delete;

 private:
  std::atomic<bool>& flag_;
};

}  // namespace

TNoDave::TNoDave(TComponent* owner) : TComponent(owner) { SetDebug(0); }

TNoDave::~TNoDave() {
  try {
    Disconnect();
  } catch (const std::exception&) {
    // An event handler failed while the link went away: nothing is left to tell.
  }
}

void TNoDave::Connect() {
  if (active_ || connecting_.exchange(true)) return;
  TFlagReset connecting(connecting_);
  try {
    DoConnect();
    if (active_) AfterConnect();
  } catch (const std::exception& error) {
    DoError(kConnectError + std::string(error.what()));
  }
}

void TNoDave::DoConnect() {
  if (active_) return;
  {
    platform::CriticalSectionGuard guard(readLock_);
    try {
      OpenPort();
      CreateInterface();
      ConfigureInterface();
      ConnectPLC();
    } catch (const std::exception&) {
      ReleaseLink();
      failed_ = true;
      throw;
    }
    active_ = true;
  }
  NoteSuccess("Connected to the PLC again");
  if (ReadOnConnect) ReadData();
}

void TNoDave::OpenPort() {
  const TNoDavePortKind kind = PortKindOf(protocol_);
  link_.portKind = kind;
  if (PortHandle != 0 && kind != TNoDavePortKind::S7Online) {
    link_.portHandle = PortHandle;
    return;
  }
  int32_t handle = 0;
  switch (kind) {
    case TNoDavePortKind::Serial:
      handle = NoDave().setPort(comPort_.c_str(), BaudText(comSpeed_), 'O');
      break;
    case TNoDavePortKind::Socket:
      handle = NoDave().openSocket(ipPort_, ipAddress_.c_str());
      break;
    case TNoDavePortKind::S7Online:
      handle = NoDave().openS7online(comPort_.c_str(), 0);
      break;
  }
  if (handle < 0 || (handle == 0 && kind != TNoDavePortKind::S7Online)) {
    throw std::runtime_error("cannot open " + PortDescription() + OpenFailureReason());
  }
  link_.portHandle = handle;
  link_.portOpened = true;
  openedPort_ = handle;
}

std::string TNoDave::PortDescription() const {
  switch (PortKindOf(protocol_)) {
    case TNoDavePortKind::Serial:
      return "the serial port " + comPort_;
    case TNoDavePortKind::Socket:
      return "a connection to " + ipAddress_ + ":" + std::to_string(ipPort_);
    case TNoDavePortKind::S7Online:
      break;
  }
  return "the S7 online access point " + comPort_;
}

std::string TNoDave::OpenFailureReason() const {
  if (PortKindOf(protocol_) != TNoDavePortKind::S7Online) return {};
  try {
    const int32_t reason = NoDave().daveS7onlineError();
    if (reason != 0) return ": " + ErrorText(reason);
  } catch (const ENoDave&) {
    // A library that cannot tell why: the port's name is all there is.
  }
  return {};
}

void TNoDave::CreateInterface() {
  intfNameInUse_ = intfName_;
  const TDaveOSserialType handles{link_.portHandle, link_.portHandle};
  link_.intf = NoDave().daveNewInterface(handles, intfNameInUse_.c_str(), mpiLocal_,
                                         ProtocolCode(protocol_), mpiSpeed_);
  if (link_.intf == nullptr) throw std::runtime_error("the protocol library made no interface");
}

void TNoDave::ConfigureInterface() {
  TDaveInterfaceRecord& intf = *link_.intf;
  intf.timeout = intfTimeout_;
  if (ReadFunc != nullptr) intf.readFunc = ReadFunc;
  if (WriteFunc != nullptr) intf.writeFunc = WriteFunc;
  if (DebugFunc != nullptr) intf.debugFunc = DebugFunc;
  intf.userData = UserData;
}

void TNoDave::ConnectPLC() {
  CheckResult(NoDave().daveInitAdapter(link_.intf));
  link_.adapterInitialized = true;
  link_.connection = NoDave().daveNewConnection(link_.intf, mpiRemote_, cpuRack_, cpuSlot_);
  if (link_.connection == nullptr) {
    throw std::runtime_error("the protocol library made no connection");
  }
  CheckResult(NoDave().daveConnectPLC(link_.connection));
  link_.plcConnected = true;
}

void TNoDave::CheckResult(int32_t result) {
  lastError_ = result;
  if (result != 0) throw std::runtime_error(ErrorText(result));
}

std::string TNoDave::ReleaseLink() {
  std::string failure;
  auto step = [&failure](bool needed, auto&& action) {
    if (!needed) return;
    try {
      action();
    } catch (const std::exception& error) {
      if (failure.empty()) failure = error.what();
    }
  };
  const TLinkRecords& link = link_;
  step(link.plcConnected, [&] { NoDave().daveDisconnectPLC(link.connection); });
  step(link.connection != nullptr, [&] { NoDave().daveFree(link.connection); });
  step(link.adapterInitialized, [&] { NoDave().daveDisconnectAdapter(link.intf); });
  step(link.intf != nullptr, [&] { NoDave().daveFree(link.intf); });
  step(link.portOpened, [&] { ClosePort(); });
  openedPort_ = 0;
  link_ = TLinkRecords();
  return failure;
}

void TNoDave::ClosePort() {
  switch (link_.portKind) {
    case TNoDavePortKind::Serial:
      NoDave().closePort(link_.portHandle);
      break;
    case TNoDavePortKind::Socket:
      NoDave().closeSocket(link_.portHandle);
      break;
    case TNoDavePortKind::S7Online:
      NoDave().closeS7online(link_.portHandle);
      break;
  }
}

void TNoDave::Disconnect() {
  if (!active_) return;
  std::string failure;
  {
    platform::CriticalSectionGuard guard(readLock_);
    // A read that found the connection gone disconnects on its own thread; the
    // owner's disconnect may meet it here.
    if (!active_) return;
    failure = ReleaseLink();
    active_ = false;
  }
  if (!failure.empty()) DoError(kDisconnectError + failure);
  AfterDisconnect();
}

void TNoDave::AfterConnect() {
  if (OnConnect) OnConnect(*this);
}

void TNoDave::AfterDisconnect() {
  if (OnDisconnect) OnDisconnect(*this);
}

void TNoDave::SetDebug(TNoDaveDebugOptions flags) {
  try {
    NoDave().daveSetDebug(flags);
  } catch (const ENoDave& error) {
    DoError(kSetDebugError + std::string(error.what()));
  }
  debugFlags_ = flags;
}

void TNoDave::DoError(const std::string& message) {
  if (OnError) OnError(*this, message);
}

void TNoDave::DoInfo(const std::string& message) {
  if (OnInfo) OnInfo(*this, message);
}

void TNoDave::NoteSuccess(const char* infoMsg) {
  if (failed_.exchange(false)) DoInfo(infoMsg);
}

std::string TNoDave::LastErrMsg() const {
  const int32_t code = lastError_;
  return code == 0 ? std::string() : ErrorText(code);
}

std::string TNoDave::ErrorText(int32_t code) const {
  if (code == kNotConnected) return "not connected to the PLC";
  try {
    const char* text = NoDave().daveStrerror(code);
    if (text != nullptr && *text != '\0') return text;
  } catch (const ENoDave&) {
    // The code alone is all there is to tell.
  }
  return "error " + std::to_string(code);
}
