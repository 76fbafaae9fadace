#include <algorithm>
#include <stdexcept>
#include <type_traits>

#include "nodave/NoDaveComponent.h"

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// The number of values of each enumeration a property may take.
constexpr int32_t ValueCount(TNoDaveArea) { return daveP + 1; }
constexpr int32_t ValueCount(TNoDaveComSpeed) { return daveComSpeed115_2k + 1; }
constexpr int32_t ValueCount(TNoDaveSpeed) { return daveSpeed93k + 1; }
constexpr int32_t ValueCount(TNoDaveProtocol) { return daveProtoNLPro + 1; }

// A published value converted to the type of a setter's argument; enumerations
// refuse values outside their range.
template <class T>
T FromPublished(const std::string& name, const TPropertyValue& value) {
  using Stored = std::conditional_t<std::is_same_v<T, std::string>, std::string, int32_t>;
  const Stored stored = std::get<Stored>(value);
  if constexpr (std::is_enum_v<T>) {
    if (stored < 0 || stored >= ValueCount(T{})) {
      throw std::out_of_range(name + ": no such value " + std::to_string(stored));
    }
  }
  return static_cast<T>(stored);
}

// A published property of TNoDave published as `Stored` (Boolean, Integer or
// String) whose accessors use their own types.
template <class Stored, class R, class A = R>
TPropertyInfo Published(const std::string& name, R (TNoDave::*getter)() const,
                        void (TNoDave::*setter)(A) = nullptr) {
  TPropertyInfo info{
      name, PropertyTypeOf<Stored>(),
      [getter](const TComponent& object) {
        return TPropertyValue(static_cast<Stored>((static_cast<const TNoDave&>(object).*getter)()));
      },
      nullptr};
  if (setter != nullptr) {
    info.Set = [setter, name](TComponent& object, const TPropertyValue& value) {
      using Argument = std::decay_t<A>;
      if constexpr (std::is_same_v<Argument, bool>) {
        (static_cast<TNoDave&>(object).*setter)(std::get<bool>(value));
      } else {
        (static_cast<TNoDave&>(object).*setter)(FromPublished<Argument>(name, value));
      }
    };
  }
  return info;
}

}  // namespace

const TClassInfo& TNoDave::StaticClassInfo() {
  using I = int32_t;
  using S = std::string;
  static const TClassInfo info(
      "TNoDave", &TComponent::StaticClassInfo(),
      {Published<bool>("Active", &TNoDave::Active, &TNoDave::SetActive),
       Published<I>("Area", &TNoDave::Area, &TNoDave::SetArea),
       Published<S>("Buffer", &TNoDave::Buffer),
       Published<I>("BufLen", &TNoDave::BufLen, &TNoDave::SetBufLen),
       Published<I>("BufOffs", &TNoDave::BufOffs, &TNoDave::SetBufOffs),
       Published<S>("COMPort", &TNoDave::COMPort, &TNoDave::SetCOMPort),
       Published<I>("COMSpeed", &TNoDave::COMSpeed, &TNoDave::SetCOMSpeed),
       Published<I>("CPURack", &TNoDave::CPURack, &TNoDave::SetCPURack),
       Published<I>("CPUSlot", &TNoDave::CPUSlot, &TNoDave::SetCPUSlot),
       Published<I>("CycleTime", &TNoDave::CycleTime),
       Published<I>("DBNumber", &TNoDave::DBNumber, &TNoDave::SetDBNumber),
       Published<I>("DebugOptions", &TNoDave::DebugOptions, &TNoDave::SetDebugOptions),
       Published<I>("Interval", &TNoDave::Interval, &TNoDave::SetInterval),
       Published<S>("IntfName", &TNoDave::IntfName, &TNoDave::SetIntfName),
       Published<I>("IntfTimeout", &TNoDave::IntfTimeout, &TNoDave::SetIntfTimeout),
       Published<S>("IPAddress", &TNoDave::IPAddress, &TNoDave::SetIPAddress),
       Published<I>("IPPort", &TNoDave::IPPort, &TNoDave::SetIPPort),
       Published<I>("LastError", &TNoDave::LastError),
       Published<S>("LastErrMsg", &TNoDave::LastErrMsg),
       Published<I>("MPILocal", &TNoDave::MPILocal, &TNoDave::SetMPILocal),
       Published<I>("MPIRemote", &TNoDave::MPIRemote, &TNoDave::SetMPIRemote),
       Published<I>("MPISpeed", &TNoDave::MPISpeed, &TNoDave::SetMPISpeed),
       Published<I>("Protocol", &TNoDave::Protocol, &TNoDave::SetProtocol)});
  return info;
}

const TClassInfo& TNoDaveEx::StaticClassInfo() {
  static const TClassInfo info("TNoDaveEx", &TNoDave::StaticClassInfo(), {});
  return info;
}

void TNoDave::SetActive(bool value) {
  if (value) {
    Connect();
  } else {
    Disconnect();
  }
}

void TNoDave::SetArea(TNoDaveArea value) {
  area_ = value;
  if (!AreaHasBlockNumber(value)) {
    dbNumber_ = 0;
  } else if (dbNumber_ == 0) {
    dbNumber_ = 1;
  }
}

std::string TNoDave::Buffer() const {
  std::string text;
  for (const uint8_t byte : readBuffer_) {
    if (!text.empty()) text += ' ';
    text += kHexDigits[byte >> 4];
    text += kHexDigits[byte & 0x0F];
  }
  return text;
}

void TNoDave::SetBufLen(int32_t value) {
  bufLen_ = std::max(value, 0);
  readBuffer_.assign(static_cast<size_t>(bufLen_), 0);
}

void TNoDave::DisconnectWhen(bool affected) {
  if (affected) Disconnect();
}

void TNoDave::SetCOMPort(const std::string& value) {
  DisconnectWhen(PortKindOf(protocol_) == TNoDavePortKind::Serial);
  comPort_ = value;
}

void TNoDave::SetCOMSpeed(TNoDaveComSpeed value) {
  DisconnectWhen(PortKindOf(protocol_) == TNoDavePortKind::Serial);
  comSpeed_ = value;
}

void TNoDave::SetCPURack(int32_t value) {
  Disconnect();
  cpuRack_ = value;
}

void TNoDave::SetCPUSlot(int32_t value) {
  Disconnect();
  cpuSlot_ = value;
}

void TNoDave::SetIntfName(const std::string& value) {
  Disconnect();
  intfName_ = value;
}

void TNoDave::SetIntfTimeout(int32_t value) {
  intfTimeout_ = value;
  platform::CriticalSectionGuard guard(readLock_);
  if (link_.intf != nullptr) link_.intf->timeout = value;
}

void TNoDave::SetIPAddress(const std::string& value) {
  DisconnectWhen(PortKindOf(protocol_) == TNoDavePortKind::Socket);
  ipAddress_ = value;
}

void TNoDave::SetIPPort(int32_t value) {
  DisconnectWhen(PortKindOf(protocol_) == TNoDavePortKind::Socket);
  ipPort_ = value;
}

void TNoDave::SetMPILocal(int32_t value) {
  DisconnectWhen(UsesMPIAddresses(protocol_));
  mpiLocal_ = value;
}

void TNoDave::SetMPIRemote(int32_t value) {
  DisconnectWhen(UsesMPIAddresses(protocol_));
  mpiRemote_ = value;
}

void TNoDave::SetMPISpeed(TNoDaveSpeed value) {
  DisconnectWhen(UsesMPIAddresses(protocol_));
  mpiSpeed_ = value;
}

void TNoDave::SetProtocol(TNoDaveProtocol value) {
  Disconnect();
  protocol_ = value;
  const int32_t port = DefaultIPPort(value);
  if (port != 0) ipPort_ = port;
}
