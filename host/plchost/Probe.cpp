#include "Probe.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ExitCodes.h"
#include "PluginFiles.h"
#include "ProtocolNames.h"
#include "ReadDiagnosis.h"
#include "ReadPlan.h"
#include "nodave/NoDaveDyn.h"
#include "nodave/NoDaveTypes.h"
#include "plc/PluginDM_Protocols.h"
#include "plc/PluginDM_RequestItems.h"

namespace plchost {

namespace {

// The rack and slot of the usual CPUs: S7-300, S7-1200/1500, S7-400 and others.
constexpr std::pair<int, int> kUsualRackSlots[] = {{0, 2}, {0, 1}, {0, 0}, {0, 3},
                                                   {1, 2}, {0, 4}, {0, 5}, {1, 3}};
constexpr int kDefaultRack = 0;
constexpr int kDefaultSlot = 2;
constexpr int kLocalMpi = 0;
constexpr int kDefaultRemoteMpi = 2;
constexpr int kLongestAttemptUs = 5000000;

struct TProbeTarget {
  std::string Host;
  int Port = 102;
  TNoDaveProtocol Protocol = daveProtoISOTCP;
  int RemoteMpi = kDefaultRemoteMpi;
  int TimeoutUs = kLongestAttemptUs;
};

// One connection through the protocol library, closed with the object.
class TProbeLink {
 public:
  TProbeLink() = default;
  ~TProbeLink() { Close(); }
  TProbeLink(const TProbeLink&) = delete;
  TProbeLink& operator=(const TProbeLink&) = delete;

  // False when no TCP connection opens; else `result` is 0 when connected, or
  // the library's result.
  bool Open(const TProbeTarget& target, int rack, int slot, int32_t& result) {
    FSocket = NoDave().openSocket(target.Port, target.Host.c_str());
    if (FSocket <= 0) return false;
    FInterface = NoDave().daveNewInterface(TDaveOSserialType{FSocket, FSocket}, "IF1", kLocalMpi,
                                           ProtocolCode(target.Protocol), daveSpeed187k);
    if (FInterface == nullptr) return false;
    FInterface->timeout = target.TimeoutUs;
    result = NoDave().daveInitAdapter(FInterface);
    if (result != 0) return true;
    FConnection = NoDave().daveNewConnection(FInterface, target.RemoteMpi, rack, slot);
    if (FConnection == nullptr) return false;
    result = NoDave().daveConnectPLC(FConnection);
    return true;
  }

  int32_t PduSize() const { return FConnection == nullptr ? 0 : FConnection->maxPDUlength; }

  int32_t Read(const TReadValue& value, std::vector<uint8_t>& bytes) {
    const auto area = static_cast<TNoDaveArea>(ReadAreaOrdinal(AreaIndexOf(value)));
    bytes.assign(static_cast<size_t>(ValueBytes(value)), 0);
    return NoDave().daveReadBytes(FConnection, AreaCode(area), value.DBNumber, value.Offset,
                                  static_cast<int32_t>(bytes.size()), bytes.data());
  }

 private:
  void Close() {
    if (FConnection != nullptr) {
      NoDave().daveDisconnectPLC(FConnection);
      NoDave().daveFree(FConnection);
    }
    if (FInterface != nullptr) NoDave().daveFree(FInterface);
    if (FSocket > 0) NoDave().closeSocket(FSocket);
  }

  int32_t FSocket = 0;
  TDaveInterfaceRecord* FInterface = nullptr;
  TDaveConnectionRecord* FConnection = nullptr;
};

std::string LibraryText(int32_t code) {
  const char* text = NoDave().daveStrerror(code);
  return (text == nullptr ? std::string("error") : std::string(text)) + ", code " +
         std::to_string(code);
}

std::string HexBytes(const std::vector<uint8_t>& bytes) {
  std::string text;
  for (const uint8_t byte : bytes) {
    char pair[4];
    std::snprintf(pair, sizeof pair, " %02X", byte);
    text += pair;
  }
  return text;
}

// The rack and slot to try: those given first, then the usual ones. Only ISO
// over TCP names the CPU by rack and slot.
std::vector<std::pair<int, int>> Candidates(const TOptions& options, TNoDaveProtocol protocol) {
  const std::pair<int, int> given{
      static_cast<int>(options.Settings.CPURack.value_or(kDefaultRack)),
      static_cast<int>(options.Settings.CPUSlot.value_or(kDefaultSlot))};
  std::vector<std::pair<int, int>> candidates{given};
  if (protocol != daveProtoISOTCP) return candidates;
  for (const auto& usual : kUsualRackSlots) {
    if (usual != given) candidates.push_back(usual);
  }
  return candidates;
}

class TProbe {
 public:
  explicit TProbe(const TOptions& options) : FOptions(options) {}

  int Run();

 private:
  // The connection to the first rack and slot that answer; none with `code` set when none does.
  std::unique_ptr<TProbeLink> Connect(int& code);
  int ReadValues(TProbeLink& link);

  const TOptions& FOptions;
  TProbeTarget FTarget;
};

int TProbe::Run() {
  const int32_t index = FOptions.Settings.Protocol.value_or(ProtocolIndexOf("isotcp"));
  FTarget.Protocol = ProtocolEntry(index).Protocol;
  if (PortKindOf(FTarget.Protocol) != TNoDavePortKind::Socket) {
    std::fprintf(stderr, "plchost: --probe: the protocol %s does not run over TCP\n",
                 ProtocolShortName(index).c_str());
    return kExitUsage;
  }
  FTarget.Host = FOptions.Channel.Host;
  FTarget.Port = FOptions.Channel.Port;
  FTarget.RemoteMpi = static_cast<int>(FOptions.Settings.RemoteAddress.value_or(kDefaultRemoteMpi));
  FTarget.TimeoutUs =
      static_cast<int>(std::min<double>(kLongestAttemptUs, FOptions.ConnectTimeout * 1e6));
  std::printf("probing %s:%d with %s\n", FTarget.Host.c_str(), FTarget.Port,
              ProtocolShortName(index).c_str());
  int code = kExitOk;
  const std::unique_ptr<TProbeLink> link = Connect(code);
  return link ? ReadValues(*link) : code;
}

std::unique_ptr<TProbeLink> TProbe::Connect(int& code) {
  const std::vector<std::pair<int, int>> candidates = Candidates(FOptions, FTarget.Protocol);
  for (const auto& [rack, slot] : candidates) {
    auto attempt = std::make_unique<TProbeLink>();
    int32_t result = 0;
    if (!attempt->Open(FTarget, rack, slot, result)) {
      std::printf("cannot reach %s:%d\n", FTarget.Host.c_str(), FTarget.Port);
      code = kExitUnreachable;
      return nullptr;
    }
    if (result != 0) {
      std::printf("  rack %d slot %d: refused (%s)\n", rack, slot, LibraryText(result).c_str());
      continue;
    }
    std::printf("  rack %d slot %d: connected, PDU size %d bytes\n", rack, slot,
                attempt->PduSize());
    if (std::make_pair(rack, slot) != candidates.front()) {
      std::printf("the CPU answers as rack %d slot %d: pass --rack %d --slot %d\n", rack, slot,
                  rack, slot);
    }
    return attempt;
  }
  std::printf("no rack and slot answered; give them with --rack N --slot N\n");
  code = kExitNoAnswer;
  return nullptr;
}

int TProbe::ReadValues(TProbeLink& link) {
  int code = kExitOk;
  for (const TReadValue& value : FOptions.Reads) {
    std::vector<uint8_t> bytes;
    const int32_t result = link.Read(value, bytes);
    if (result == 0) {
      std::printf("  %s: readable,%s\n", value.Address.c_str(), HexBytes(bytes).c_str());
    } else {
      std::printf("  %s: %s\n", value.Address.c_str(),
                  ReadFailureText(result, value, LibraryText(result)).c_str());
      code = kExitNoAnswer;
    }
  }
  return code;
}

}  // namespace

int RunProbe(const TOptions& options) {
  const std::string plugin = PluginPathOf(options.PluginPath);
  try {
    CheckPluginFiles(plugin);
  } catch (const EPluginFiles& error) {
    std::fprintf(stderr, "plchost: %s\n", error.what());
    return kExitPlugin;
  }
  SetNoDaveLibraryFolder(std::filesystem::u8path(plugin).parent_path().u8string());
  TNoDaveLibraryRef library;
  if (!NoDave().openSocket.Resolved()) {
    std::fprintf(stderr, "plchost: the protocol library %s cannot be loaded\n",
                 NoDaveLibraryFileName().c_str());
    return kExitPlugin;
  }
  const int code = TProbe(options).Run();
  std::fflush(stdout);
  return code;
}

}  // namespace plchost
