#pragma once

// A host for the end-to-end tests: the plug-in, loaded with its protocol
// library, reads from the Snap7 test peer over plchost's channels. The test
// thread is the host thread: it creates the engines, dispatches their timers'
// messages and relays the bytes of every channel.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Channel.h"
#include "HostEvents.h"
#include "HostSession.h"
#include "HostSetup.h"

namespace e2e {

// Bound for anything that should happen soon, also under wine on a loaded machine.
constexpr uint32_t kSoonMs = 15000;

// The peer's address from MOX_SNAP7_ADDR ("127.0.0.1:PORT"); false when unset
// or unusable.
bool PeerAddress(std::string& host, int& port);

// A record as it reached the host.
struct TDelivered {
  int32_t Source = 0;
  host::TDataRecord Record;
  uint64_t AtMs = 0;
};

// What the host saw on the wire of one data source.
struct TWireStats {
  int Jobs = 0;             // S7 jobs sent
  int Connects = 0;         // ISO connection requests sent
  int MostOutstanding = 0;  // most jobs sent before the peer answered
  int Outstanding = 0;
};

class TE2eHost final : public host::IHostSink {
 public:
  // Writes the settings (ISO over TCP, rack 0, slot 2, the request tree),
  // loads the plug-in and opens one channel to the peer per data source.
  TE2eHost(const std::string& requestTree, const std::vector<int32_t>& sources);
  ~TE2eHost();
  TE2eHost(const TE2eHost&) = delete;
  TE2eHost& operator=(const TE2eHost&) = delete;

  // "SET-STATE" with every source and states 0 and 1 on: the engines start.
  int32_t Start();
  int32_t Event(const std::string& eventType);

  // Runs the host loop until done() or the bound; returns done().
  bool RunUntil(const std::function<bool()>& done, uint32_t boundMs = kSoonMs);
  // Runs the host loop for `ms`.
  void RunFor(uint32_t ms);

  // Closes the channel of a source; its reopened channel is ready once
  // Reopen returns true.
  void Close(int32_t source);
  bool Reopen(int32_t source);

  const std::vector<TDelivered>& Records() const { return FRecords; }
  // Records of one source holding a value of this name.
  std::vector<const TDelivered*> RecordsWith(int32_t source, const std::string& name) const;
  // Whether a fetched log line holds the text.
  bool LogHas(const std::string& text) const;
  const std::vector<std::string>& Log() const { return FLog; }
  TWireStats Wire(int32_t source) const;
  static uint64_t NowMs();

  int32_t SendBytes(int32_t clientId, const uint8_t* data, size_t length) override;
  void DeliverRecord(int32_t clientId, const host::TDataRecord& record) override;

 private:
  void OpenChannel(int32_t source);
  void Pump();
  void Handle(plchost::THostEvent& event);

  std::string FPeerHost;
  int FPeerPort = 0;
  std::vector<int32_t> FSources;
  plchost::TTemporaryFile FIni{".ini"};
  std::unique_ptr<host::TPluginLibrary> FLibrary;
  std::unique_ptr<host::THostWindow> FWindow;
  std::unique_ptr<host::THostSession> FSession;
  plchost::THostEventQueue FQueue;
  std::map<int32_t, std::unique_ptr<plchost::TChannel>> FChannels;
  std::map<int32_t, bool> FOpen;
  std::vector<TDelivered> FRecords;
  std::vector<std::string> FLog;
  mutable std::mutex FWireLock;
  std::map<int32_t, TWireStats> FWire;
};

}  // namespace e2e
