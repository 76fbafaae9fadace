#include "plc/PluginDM_Engine.h"

#include <algorithm>
#include <cstdio>

#include "moxShared/Private/Plugins/moxParsedDataList.h"
#include "moxShared/Public/Common/moxScopeExit.h"
#include "plc/PluginDM.h"
#include "plc/PluginDM_Bridge.h"
#include "plc/PluginDM_Link.h"

namespace {

// The worker queue's connect marker.
constexpr uintptr_t kConnectMarker = 1;

TRequestItem* RequestAt(const TObjectList& list, int32_t index) {
  return static_cast<TRequestItem*>(list[index]);
}

uint32_t AtLeastOneMs(int32_t ms) { return static_cast<uint32_t>(std::max(ms, 1)); }

}  // namespace

TSerialPortDM::TSerialPortDM(TaPlugin& owner, const TDataSourceCfg& settings)
    : TComponent(&owner),
      FOwner(owner),
      FQueue(std::make_unique<TmoxTimerEx>()),
      FResponseBuffer(kResponseBufferSize),
      FLink(std::make_unique<TNoDaveEx>()),
      FRequestList(true) {
  ConfigureLink(settings);
  FWorker = std::make_unique<TProcessDataThread>(false);
  FWorker->SetOnProcess([this](TProcessDataThread&, TObject*& item) { ExecuteItem(item); });
  FQueue->SetInterval(kDefaultTickInterval);
  FQueue->SetOnTimer([this](TmoxTimerEx&) { Tick(); });
  FQueue->SetOnError([this](const std::exception& e) {
    FOwner.Log(TLogLevel::Error, std::string("{TICK} ") + e.what());
  });
}

TSerialPortDM::~TSerialPortDM() {
  FBridge->Invalidate();
  // The worker may be decoding an answer, which switches the timer: silenced
  // now, freed once the worker has ended.
  SilenceTimer(*FQueue);
  // Closing first ends a read that waits for the host, so the disconnect
  // (which waits for reads) is not held up by it.
  FBridge->Close();
  try {
    if (FLink->Active()) FLink->Disconnect();
  } catch (...) {
    // The engine goes away whatever the link says.
  }
  StopAndFreeWorker(FWorker);
  FreeTimer(FQueue);
  FLink.reset();
  FBridge.reset();
}

void TSerialPortDM::ConfigureLink(const TDataSourceCfg& settings) {
  const TLinkSettings link = LinkSettingsOf(settings);
  TBridgeHooks hooks;
  hooks.SendToPort = [this](const uint8_t* data, int32_t length) {
    return FOwner.SendToPort(FOwner.HostContext, DataSourceId, length, data, 0);
  };
  hooks.Log = [this](TLogLevel level, const std::string& text) { FOwner.Log(level, text); };
  hooks.LinkSocket = [this] { return FLink->OpenedPortHandle(); };
  FBridge = std::make_unique<TTransportBridge>(link.Transport, std::move(hooks));
  char name[32];
  std::snprintf(name, sizeof name, "$%04llX",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(this)));
  SetUpLink(*FLink, *FBridge, link, name);
  FLink->OnError = [this](TNoDave&, const std::string& message) {
    FOwner.Log(TLogLevel::Error, message);
  };
  FLink->OnInfo = [this](TNoDave&, const std::string& message) {
    FOwner.Log(TLogLevel::Information, message);
  };
}

void TSerialPortDM::SwitchTimerOff() { FQueue->SetEnabled(false); }

void TSerialPortDM::UpdateTimer() {
  FQueue->SetEnabled(FOwner.State(0) && FRequestList.Count() > 0);
}

void TSerialPortDM::Reset(bool keepLink) {
  TickInterval = kDefaultTickInterval;
  SwitchTimerOff();
  // The timer is set again also when the reset fails; setting it may itself raise,
  // so this is no scope guard (a destructor must not throw).
  const auto restartTimer = [this] {
    FQueue->SetInterval(AtLeastOneMs(TickInterval));
    UpdateTimer();
  };
  try {
    ResetSchedule(keepLink);
  } catch (...) {
    restartTimer();
    throw;
  }
  restartTimer();
}

void TSerialPortDM::ResetSchedule(bool keepLink) {
  // A connect marker the worker had not taken goes with the queue; the next request
  // must queue another, or the link would never be opened.
  if (ClearWorkQueue()) ConnectQueued = false;
  if (!keepLink) {
    ConnectQueued = false;
    const bool wasOpen = !FBridge->LinkClosed();
    FBridge->SetLinkClosed(true);
    FBridge->DropClients();
    // The pause lets the PLC's side wind down the old connection; a link that
    // was never opened has none, so a host's first "PORT-OPEN" costs no wait.
    // A reset during a pause starts it again.
    if (wasOpen || !HoldOff.IsClear()) HoldOff.StartTimeout(kHoldOffMs);
  }
  FQueueTag = -1;
  TWriteGuard<TThreadObjectList> list(FRequestList);
  for (TObject* object : *list) {
    auto* request = static_cast<TRequestItem*>(object);
    request->Timer.Clear();
    if (request->MethodPoll && request->PollInterval < TickInterval) {
      TickInterval = request->PollInterval;
    }
  }
}

bool TSerialPortDM::ClearWorkQueue() {
  TThreadSafeQueue& queue = FWorker->WorkQueue();
  const TQueueList* items = queue.Lock();
  const TScopeExit unlock([&queue] { queue.Unlock(); });
  const bool hadMarker = std::any_of(items->begin(), items->end(), IsMarkerItem);
  queue.Clear();
  return hadMarker;
}

void TSerialPortDM::Tick() {
  SwitchTimerOff();
  if (!FOwner.State(0)) return;
  const TScopeExit finally([this] { UpdateTimer(); });
  const uint8_t reset = PendingReset.exchange(0);
  if (reset != 0) {
    Reset(reset == 1);
    return;
  }
  if (!HoldOff.IsClear()) {
    if (!HoldOff.Expired()) return;
    HoldOff.Clear();
  }
  int32_t start = 0;
  int32_t current = FQueueTag;
  if (current < 0 || current >= FRequestList.Count()) current = ScanDue(start);
  for (;;) {
    if (!CheckAndSend(current)) break;
    start = current + 1;
    current = ScanDue(start);
  }
  FQueueTag = current;
}

// The first enabled request from `start` on whose interval has passed; -1 for none.
int32_t TSerialPortDM::ScanDue(int32_t start) {
  TReadGuard<TThreadObjectList> list(FRequestList);
  for (int32_t i = std::max(start, 0); i < list->Count(); ++i) {
    TRequestItem* request = RequestAt(*list, i);
    if (request->Enabled && request->Timer.ExpiredAfter(AtLeastOneMs(request->PollInterval))) {
      return i;
    }
  }
  return -1;
}

// Sends the current request when it is due. True when the scan must go on past
// it (given up, sent once already, or not yet due).
bool TSerialPortDM::CheckAndSend(int32_t current) {
  TWriteGuard<TThreadObjectList> list(FRequestList);
  if (current < 0 || current >= list->Count()) return false;
  TRequestItem* request = RequestAt(*list, current);
  if (request->Busy) {
    if (!request->Timer.ExpiredAfter(AtLeastOneMs(request->Params.Timeout))) return false;
    request->Busy = false;
    return true;
  }
  const bool sentOnce = !request->MethodPoll && !request->Timer.IsClear();
  if (sentOnce || !request->Timer.ExpiredAfter(AtLeastOneMs(request->PollInterval))) return true;
  request->Busy = true;
  request->Timer.Restart();
  Enqueue(new TSendQueueItem(request->Params));
  return false;
}

void TSerialPortDM::Enqueue(TSendQueueItem* item) {
  if (!ConnectQueued.exchange(true)) FWorker->WorkQueue().Push(MarkerItem(kConnectMarker));
  FWorker->WorkQueue().Push(item);
}

void TSerialPortDM::ExecuteItem(TObject*& item) {
  if (item == nullptr) return;
  if (IsMarkerItem(item)) {
    item = nullptr;  // consumed, not freed
    ConnectLink();
    return;
  }
  if (!FLink->Active()) return;
  ReadAndDeliver(static_cast<TSendQueueItem*>(item)->Params);
}

void TSerialPortDM::ConnectLink() {
  if (!FBridge->HasTransport()) {
    // Said at every attempt (the log counts repeats) instead of connecting to
    // no port: the engine keeps its requests but cannot reach its PLC.
    ConnectQueued = false;
    FOwner.Log(TLogLevel::Error, "Data source \"" + DataSourceName +
                                     "\" cannot connect: " + TTransportBridge::NoPortText());
    return;
  }
  FBridge->SetLinkClosed(false);
  FLink->SetIntfTimeout(kConnectTimeoutUs);
  FLink->SetActive(false);
  FLink->Connect();
  if (!FLink->Active()) ConnectQueued = false;
}

void TSerialPortDM::ReadAndDeliver(const TRequestParams& params) {
  // An empty read is never sent; a larger one than the buffer never reaches it.
  if (params.Size < 1 || params.Size > kResponseBufferSize) return;
  FLink->SetIntfTimeout(static_cast<int32_t>(
      std::min<int64_t>(static_cast<int64_t>(AtLeastOneMs(params.Timeout)) * 1000, INT32_MAX)));
  const auto area = static_cast<TNoDaveArea>(ReadAreaOrdinal(params.Area));
  FLink->ReadBytes(area, params.DBNumber, params.Offset, params.Size, FResponseBuffer.data());
  if (FLink->LastError() != 0) {
    // A link the read left inactive connects again before the next request.
    if (!FLink->Active()) ConnectQueued = false;
    return;
  }
  TParsedDataList list;
  if (Decode(*this, params, FResponseBuffer.data(), FResponseBuffer.size(), list) > 0) {
    FOwner.DeliverParsedData(DataSourceId, 0, list);
  }
}

void TSerialPortDM::ReceiveFromHost(const uint8_t* data, int32_t length) {
  if (length > 0) FBridge->FromHost(data, length);
}

void TSerialPortDM::BeginModuleWrite() { FOwner.BeginModuleWrite(); }
void TSerialPortDM::EndModuleWrite() { FOwner.EndModuleWrite(); }

int32_t TSerialPortDM::FillStandardItems(TParsedDataList& list, const std::string& packet) {
  return FOwner.FillStandardItems(list, packet, packet, DataSourceId, 0, DataSourceName,
                                  DataSourceFullName, DataSourceName);
}
