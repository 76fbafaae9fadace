#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "moxShared/Public/Component/moxComponent.h"
#include "nodave/NoDaveComponent.h"
#include "plc/PluginDM_Decoder.h"
#include "plc/PluginDM_RequestTree.h"
#include "threads/Thread_ObjectList.h"
#include "threads/Thread_ProcessData.h"
#include "threads/moxTimerEx.h"

class TaPlugin;
class TTransportBridge;

// A work item: the parameters of one request as they were when it was sent.
class TSendQueueItem : public TObject {
 public:
  explicit TSendQueueItem(const TRequestParams& params) : Params(params) {}
  TRequestParams Params;
};

// The request engine of one data source: it holds the request list, decides on
// every tick of its timer which request is due, and has its worker thread
// connect the PLC link, read the request's bytes and decode them into a record
// for the host. One request is outstanding at a time.
class TSerialPortDM : public TComponent, public TRequestListEngine, public TDecoderHost {
 public:
  // The engine's link, bridge and worker are made from the settings as they are now.
  TSerialPortDM(TaPlugin& owner, const TDataSourceCfg& settings);
  ~TSerialPortDM() override;

  // Restarts the schedule; without `keepLink` also drops the link's side of the
  // transport and pauses 15 s before the next connect.
  void Reset(bool keepLink);
  // The timer runs exactly while the module's state flag 0 is set and there are requests.
  void UpdateTimer() override;
  // The timer's handler, on the thread that created the engine.
  void Tick();
  // Hands a work item to the worker, preceded by a connect marker when none is outstanding.
  void Enqueue(TSendQueueItem* item);
  // The worker's handler.
  void ExecuteItem(TObject*& item);
  // Bytes the host received on its channel for this data source.
  void ReceiveFromHost(const uint8_t* data, int32_t length);

  TThreadObjectList& RequestList() override { return FRequestList; }
  TNoDaveEx& Link() { return *FLink; }
  uint32_t TimerInterval() const { return FQueue->Interval(); }
  bool TimerEnabled() const { return FQueue->Enabled(); }

  int32_t DataSourceId = 0;
  std::string DataSourceName;
  std::string DataSourceFullName;
  std::atomic<bool> ConnectQueued{false};
  std::atomic<uint8_t> PendingReset{0};  // 0 none, 1 keep the link, 2 reconnect
  int32_t TickInterval = kDefaultTickInterval;
  int32_t MinInterval = 0;
  TmoxTimeout HoldOff;

  static constexpr int32_t kDefaultTickInterval = 50;
  static constexpr uint32_t kHoldOffMs = 15000;

 private:
  // TRequestListEngine
  void SwitchTimerOff() override;
  void SetMinInterval(int32_t interval) override { MinInterval = interval; }
  void ResetKeepLink() override { Reset(true); }
  // TDecoderHost
  void BeginModuleWrite() override;
  void EndModuleWrite() override;
  int32_t FillStandardItems(TParsedDataList& list, const std::string& packet) override;
  int32_t MPILocal() override { return FLink->MPILocal(); }
  int32_t MPIRemote() override { return FLink->MPIRemote(); }

  void ResetSchedule(bool keepLink);
  // Empties the worker queue; true when it held a connect marker.
  bool ClearWorkQueue();
  int32_t ScanDue(int32_t start);
  bool CheckAndSend(int32_t current);
  void ConnectLink();
  void ReadAndDeliver(const TRequestParams& params);
  void ConfigureLink(const TDataSourceCfg& settings);

  TaPlugin& FOwner;
  std::unique_ptr<TmoxTimerEx> FQueue;
  int32_t FQueueTag = -1;  // the current request's index; -1 for none
  std::vector<uint8_t> FResponseBuffer;
  std::unique_ptr<TNoDaveEx> FLink;
  std::unique_ptr<TTransportBridge> FBridge;
  TThreadObjectList FRequestList;
  std::unique_ptr<TProcessDataThread> FWorker;
};
