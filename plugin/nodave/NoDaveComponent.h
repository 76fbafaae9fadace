#pragma once

// The PLC link: one connection of the protocol library to one PLC. It opens the
// port, creates the library's interface and connection records, connects, reads
// byte ranges of PLC memory in pieces the connection can carry, and disconnects.
// Failures are reported through OnError and LastError; recoveries through OnInfo.
//
// The read lock serialises the library's reads from several threads, and the
// records are made and released under it, so that a read never meets a freed
// record (it finds the link closed instead). Connect, Disconnect and the
// setters are otherwise unlocked: their users serialise them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"
#include "nodave/NoDaveDyn.h"
#include "nodave/NoDaveTypes.h"
#include "platform/Sync.h"

class TNoDave : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TNoDave& sender)>;
  using TNoDaveOnErrorEvent = std::function<void(TNoDave& sender, const std::string& errorMsg)>;
  using TNoDaveOnInfoEvent = std::function<void(TNoDave& sender, const std::string& infoMsg)>;

  // LastError of a read that made no library call, and of a read while not
  // connected. The library's own results never take the second value.
  static constexpr int32_t kNoLibraryCall = -1;
  static constexpr int32_t kNotConnected = -2;

  explicit TNoDave(TComponent* owner = nullptr);
  ~TNoDave() override;

  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }

  // Blocking: returns when the link is connected or the attempt has failed.
  void Connect();
  void Disconnect();
  // With a buffer: reads into it. Without: reads into the own buffer, which
  // takes Size as BufLen (and that size), with Area, DBNumber and BufOffs.
  void ReadBytes(TNoDaveArea area, int32_t db, int32_t start, int32_t size, void* buffer);
  // Reads Area/DBNumber/BufOffs/BufLen into `buffer`, or the own buffer when null.
  void ReadData(void* buffer = nullptr);
  // The read in pieces of at most MaxReadSize bytes; a failed piece ends it. A
  // connection that is gone (lost, or ended by the PLC) leaves the link inactive.
  void DoReadBytes(TNoDaveArea area, int32_t db, int32_t start, int32_t size, void* buffer);
  void SetDebug(TNoDaveDebugOptions flags);
  int32_t MaxReadSize() const;
  // The handle of the port the link opened itself; 0 while it has none. Safe
  // to read from any thread.
  int32_t OpenedPortHandle() const { return openedPort_.load(); }

  // Published properties.
  bool Active() const { return active_; }
  void SetActive(bool value);
  TNoDaveArea Area() const { return area_; }
  void SetArea(TNoDaveArea value);
  std::string Buffer() const;
  int32_t BufLen() const { return bufLen_; }
  void SetBufLen(int32_t value);
  int32_t BufOffs() const { return bufOffs_; }
  void SetBufOffs(int32_t value) { bufOffs_ = value; }
  const std::string& COMPort() const { return comPort_; }
  void SetCOMPort(const std::string& value);
  TNoDaveComSpeed COMSpeed() const { return comSpeed_; }
  void SetCOMSpeed(TNoDaveComSpeed value);
  int32_t CPURack() const { return cpuRack_; }
  void SetCPURack(int32_t value);
  int32_t CPUSlot() const { return cpuSlot_; }
  void SetCPUSlot(int32_t value);
  uint32_t CycleTime() const { return cycleTime_; }
  int32_t DBNumber() const { return dbNumber_; }
  void SetDBNumber(int32_t value) { dbNumber_ = value; }
  TNoDaveDebugOptions DebugOptions() const { return debugFlags_; }
  void SetDebugOptions(TNoDaveDebugOptions value) { SetDebug(value); }
  // Cyclic reads are not offered: the value is kept for the settings only.
  uint32_t Interval() const { return interval_; }
  void SetInterval(uint32_t value) { interval_ = value; }
  const std::string& IntfName() const { return intfName_; }
  void SetIntfName(const std::string& value);
  int32_t IntfTimeout() const { return intfTimeout_; }
  void SetIntfTimeout(int32_t value);
  const std::string& IPAddress() const { return ipAddress_; }
  void SetIPAddress(const std::string& value);
  int32_t IPPort() const { return ipPort_; }
  void SetIPPort(int32_t value);
  int32_t LastError() const { return lastError_; }
  std::string LastErrMsg() const;
  int32_t MPILocal() const { return mpiLocal_; }
  void SetMPILocal(int32_t value);
  int32_t MPIRemote() const { return mpiRemote_; }
  void SetMPIRemote(int32_t value);
  TNoDaveSpeed MPISpeed() const { return mpiSpeed_; }
  void SetMPISpeed(TNoDaveSpeed value);
  TNoDaveProtocol Protocol() const { return protocol_; }
  void SetProtocol(TNoDaveProtocol value);

  TNotifyEvent OnConnect;
  TNotifyEvent OnDisconnect;
  TNoDaveOnErrorEvent OnError;
  // A link that failed works again: connected or read after failures.
  TNoDaveOnInfoEvent OnInfo;
  TNotifyEvent OnRead;
  TNotifyEvent OnWrite;  // not raised: the link does not write

  // Set by the user before connecting.
  int32_t PortHandle = 0;  // used instead of opening a port when not 0 (not for S7 online)
  TNoDaveReadFunc ReadFunc = nullptr;
  TNoDaveWriteFunc WriteFunc = nullptr;
  TNoDaveDebugFunc DebugFunc = nullptr;
  void* UserData = nullptr;
  bool ReadOnConnect = true;

 protected:
  virtual void DoConnect();
  virtual void AfterConnect();
  virtual void AfterDisconnect();
  void DoError(const std::string& message);
  void DoInfo(const std::string& message);

 private:
  // What a connect has opened so far, released in reverse order.
  struct TLinkRecords {
    TNoDavePortKind portKind = TNoDavePortKind::Serial;
    int32_t portHandle = 0;
    bool portOpened = false;  // by the link itself, so it closes it
    TDaveInterfaceRecord* intf = nullptr;
    bool adapterInitialized = false;
    TDaveConnectionRecord* connection = nullptr;
    bool plcConnected = false;
  };

  void OpenPort();
  std::string PortDescription() const;
  // ": " and the library's text of why the port did not open, where it tells.
  std::string OpenFailureReason() const;
  void CreateInterface();
  void ConfigureInterface();
  void ConnectPLC();
  // Keeps a library result as LastError; raises its text when it is a failure.
  void CheckResult(int32_t result);
  // Releases whatever the link holds; the first failure's text, empty when none.
  std::string ReleaseLink();
  void ClosePort();
  void DisconnectWhen(bool affected);
  bool ReadRangeValid(int32_t start, int32_t size, const void* buffer);
  // One library read under the read lock; the library's result, or
  // kNotConnected when the link holds no connection.
  int32_t ReadChunk(int32_t areaCode, int32_t db, int32_t start, int32_t length, uint8_t* target);
  void ReportReadFailure(TNoDaveArea area, int32_t db, int32_t start, int32_t length);
  struct TReadRange {
    TNoDaveArea Area;
    int32_t DB;
    int32_t Start;
    int32_t Size;
    bool operator<(const TReadRange& other) const {
      return std::tie(Area, DB, Start, Size) <
             std::tie(other.Area, other.DB, other.Start, other.Size);
    }
  };
  void NoteReadOutcome(const TReadRange& range, bool good);
  void NoteSuccess(const char* infoMsg);
  // The library's text for one of its results; ours for kNotConnected.
  std::string ErrorText(int32_t code) const;

  TNoDaveLibraryRef library_;
  std::atomic<bool> active_{false};
  std::atomic<bool> connecting_{false};
  TLinkRecords link_;
  std::string intfNameInUse_;        // the name the library may hold while the interface lives
  std::atomic<bool> failed_{false};  // a connect failed since the last good one
  std::mutex failedReadsLock_;
  std::set<TReadRange> failedReads_;    // ranges whose last read failed
  std::atomic<int32_t> openedPort_{0};  // a connect or read failed since the last success
  mutable platform::CriticalSection readLock_;
  std::vector<uint8_t> readBuffer_;

  TNoDaveArea area_ = daveDB;
  int32_t bufLen_ = 0;
  int32_t bufOffs_ = 0;
  std::string comPort_ = "COM1:";
  TNoDaveComSpeed comSpeed_ = daveComSpeed38_4k;
  int32_t cpuRack_ = 0;
  int32_t cpuSlot_ = 2;
  std::atomic<uint32_t> cycleTime_{0};
  int32_t dbNumber_ = 1;
  TNoDaveDebugOptions debugFlags_ = 0;
  uint32_t interval_ = 0;
  std::string intfName_ = "IF1";
  int32_t intfTimeout_ = 1500000;
  std::string ipAddress_;
  int32_t ipPort_ = 102;
  std::atomic<int32_t> lastError_{0};
  int32_t mpiLocal_ = 0;
  int32_t mpiRemote_ = 2;
  TNoDaveSpeed mpiSpeed_ = daveSpeed187k;
  TNoDaveProtocol protocol_ = daveProtoMPI;
};

// The link the request engine uses; it adds nothing.
class TNoDaveEx : public TNoDave {
 public:
  using TNoDave::TNoDave;
  static const TClassInfo& StaticClassInfo();
  const TClassInfo& ClassInfo() const override { return StaticClassInfo(); }
};
