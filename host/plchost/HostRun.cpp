#include "HostRun.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <shared_mutex>
#include <stdexcept>

#include "Channel.h"
#include "ExitCodes.h"
#include "HostEvents.h"
#include "HostSession.h"
#include "HostSetup.h"
#include "LinkOpener.h"
#include "LiveSummary.h"
#include "PluginFiles.h"
#include "RecordOutput.h"
#include "RecordSinks.h"
#include "RequestMatch.h"
#include "SettingsWriter.h"
#include "StopSignal.h"
#include "SummaryDisplay.h"
#include "Terminal.h"
#include "platform/CodePage.h"
#include "platform/Messages.h"

namespace plchost {

namespace {

constexpr int32_t kHostContext = 1;
// Received bytes and data records, as the plug-in's "SET-STATE" takes states 0 and 1.
constexpr uint8_t kStates = 0x03;
constexpr uint32_t kLoopSliceMs = 100;
constexpr uint32_t kLongestAttemptMs = 5000;
constexpr uint64_t kSummaryPeriodMs = 500;
// Time enough for every engine to take a "PORT-OPEN" reset on its next tick.
constexpr uint64_t kResetGraceMs = 1000;

// A run that ends with a message and an exit code.
class EHostStop : public std::runtime_error {
 public:
  EHostStop(TExitCode code, const std::string& message) : std::runtime_error(message), Code(code) {}
  TExitCode Code;
};

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

const char* LevelName(host::TLogLevel level) {
  switch (level) {
    case host::TLogLevel::Error:
      return "error";
    case host::TLogLevel::Warning:
      return "warning";
    default:
      return "info";
  }
}

int LevelRank(host::TLogLevel level) {
  return level == host::TLogLevel::Unknown ? 2 : static_cast<int>(level);
}

std::vector<TLiveSummary::TSource> SourcesOf(const TOptions& options) {
  std::vector<TLiveSummary::TSource> sources;
  for (const std::string& line : DataSourcesOf(options)) {
    const size_t first = line.find(';');
    const size_t second = line.find(';', first + 1);
    sources.push_back({DataSourceId(line), line.substr(first + 1, second - first - 1)});
  }
  return sources;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
  return text;
}

class THostRun final : public host::IHostSink {
 public:
  explicit THostRun(const TOptions& options) : FOptions(options), FStartMs(NowMs()) {}

  int Run();

  int32_t SendBytes(int32_t clientId, const uint8_t* data, size_t length) override;
  void DeliverRecord(int32_t clientId, const host::TDataRecord& record) override;

 private:
  void Prepare();
  void OpenOutput();
  void MakeChannels();
  void Drive(host::THostSession& session);
  void Start(host::THostSession& session);
  void StartEngines(host::THostSession& session);
  void Loop(host::THostSession& session);
  void Finish(host::THostSession& session, host::TPluginLibrary& library);
  void PumpMessages();
  void Handle(host::THostSession& session, THostEvent& event);
  void ChannelOpened(host::THostSession& session, int32_t source);
  void ChannelClosed(int32_t source);
  void DetachReceiver();
  void StopChannels();
  void CheckLimits(uint64_t nowMs);
  void ShowSummary(uint64_t nowMs);
  void Deliver(const THostEvent& event);
  void RelaySinkMessages();
  void FinishSinks();
  void Say(const std::string& line);
  void OnLog(const std::vector<host::TLogLine>& lines);
  void Stop(TExitCode code, const std::string& message);

  const TOptions& FOptions;
  const uint64_t FStartMs;
  TTemporaryFile FTemporaryIni{".ini"};
  TPreparedSettings FSettings;
  TChannelOptions FChannel;  // the channel with its port resolved
  std::unique_ptr<TRecordOutput> FOutput;
  std::vector<std::unique_ptr<IRecordSink>> FSinks;
  std::unique_ptr<TLiveSummary> FSummary;
  std::unique_ptr<TSummaryDisplay> FDisplay;
  uint64_t FShownMs = 0;
  THostEventQueue FQueue;
  std::map<int32_t, std::unique_ptr<TChannel>> FChannels;
  std::map<int32_t, std::string> FLastFailure;
  // The channels together are the plug-in's port: "PORT-OPEN" resets every engine,
  // so it is sent once all of them are open, and when one closes all reopen. Until
  // the engines have taken the reset, nothing they send reaches a new connection
  // (the PLC takes nothing but a connection request there).
  std::set<int32_t> FOpenChannels;
  bool FPortOpen = false;
  uint64_t FEnginesFromMs = 0;  // when "SET-STATE" started the engines; 0 before
  std::atomic<uint64_t> FSendsFromMs{0};
  // The session the channels' readers hand received bytes to while the engines
  // run; otherwise null and the host loop has them, in order with the channel
  // events. A reader holds the lock shared while it calls the session.
  host::THostSession* FReceiver = nullptr;
  std::shared_mutex FReceiverLock;
  uint64_t FFirstOpenMs = 0;
  std::optional<TExitCode> FStop;
  std::string FStopMessage;
};

int THostRun::Run() {
  try {
    Prepare();
    host::TPluginLibrary library(PluginPathOf(FOptions.PluginPath));
    OpenOutput();
    MakeChannels();
    host::THostWindow window;
    host::THostLinks links;
    links.Sink = this;
    links.Window = &window;
    links.OnLog = [this](const std::vector<host::TLogLine>& lines) { OnLog(lines); };
    host::THostSession session(library, kHostContext, links);
    try {
      Drive(session);
    } catch (...) {
      DetachReceiver();
      throw;
    }
    DetachReceiver();
    Finish(session, library);
  } catch (const EHostStop& stop) {
    Stop(stop.Code, stop.what());
  } catch (const EPluginFiles& error) {
    Stop(kExitPlugin, error.what());
  } catch (const host::EPluginLibrary& error) {
    Stop(kExitPlugin, std::string("the plug-in cannot be loaded: ") + error.what());
  } catch (const ESettings& error) {
    Stop(kExitSettings, error.what());
  } catch (const std::exception& error) {
    Stop(kExitFailure, error.what());
  }
  StopChannels();
  FinishSinks();
  if (FDisplay) FDisplay->Hide();
  if (!FStopMessage.empty()) std::fprintf(stderr, "plchost: %s\n", FStopMessage.c_str());
  return *FStop;
}

void THostRun::Prepare() {
  CheckPluginFiles(PluginPathOf(FOptions.PluginPath));
  FSettings =
      PrepareSettings(FOptions, FTemporaryIni.Path(),
                      [this](TLogLevel, const std::string& line) { Say("request tree: " + line); });
  FChannel = ResolvedChannel(FOptions.Channel, FSettings.Protocol);
  const std::string mismatch = ChannelMismatch(FSettings.Protocol, FChannel.Kind);
  if (!mismatch.empty()) Say("warning: " + mismatch);
  FSummary = std::make_unique<TLiveSummary>(FSettings.Requests, SourcesOf(FOptions));
  if (FOptions.Summary && EnableTerminalControl(stderr)) {
    FDisplay = std::make_unique<TSummaryDisplay>(stderr);
  }
}

void THostRun::OpenOutput() { FOutput = std::make_unique<TRecordOutput>(FOptions.OutputFile); }

void THostRun::MakeChannels() {
  if (FOptions.Channel.Kind == TChannelKind::None) return;
  const auto attemptMs =
      static_cast<uint32_t>(std::min<double>(kLongestAttemptMs, FOptions.ConnectTimeout * 1000));
  for (const TLiveSummary::TSource& source : SourcesOf(FOptions)) {
    const int32_t id = source.Id;
    TChannelEvents events;
    events.Opened = [this, id] { FQueue.Push(THostEvent::Opened(id)); };
    events.Received = [this, id](std::vector<uint8_t> bytes) {
      // Once the engines run, the bytes reach the plug-in on the reader's own thread:
      // a detour through the host loop would cost every answer a thread wake-up.
      {
        std::shared_lock<std::shared_mutex> guard(FReceiverLock);
        if (FReceiver != nullptr) {
          FReceiver->ProcessData(id, bytes.data(), bytes.size());
          return;
        }
      }
      FQueue.Push(THostEvent::Received(id, std::move(bytes)));
    };
    events.Closed = [this, id](const std::string& reason) {
      FQueue.Push(THostEvent::Closed(id, reason));
    };
    events.OpenFailed = [this, id](const std::string& reason, uint32_t retryMs) {
      FQueue.Push(THostEvent::OpenFailed(id, reason, retryMs));
    };
    FChannels[id] = std::make_unique<TChannel>(LinkOpenerOf(FChannel, attemptMs), TBackoff(),
                                               std::move(events));
  }
}

void THostRun::Drive(host::THostSession& session) {
  Start(session);
  // S7 online: the plug-in's link reaches the PLC through the vendor's DLL itself.
  if (FChannels.empty()) {
    FFirstOpenMs = NowMs();
    StartEngines(session);
  }
  for (auto& channel : FChannels) channel.second->Start();
  Loop(session);
}

void THostRun::Start(host::THostSession& session) {
  session.Create();
  host::TLoadOptions load;
  load.RegistryPath = FSettings.Location.RegistryPath;
  load.IniSectionPrefix = FSettings.Location.IniSectionPrefix;
  load.IniFile = FSettings.Location.IniFile;
  const int32_t loaded = session.Load(load);
  if (loaded != 0)
    throw EHostStop(kExitFailure, "the plug-in refused LOAD (" + std::to_string(loaded) + ")");
  const host::TModuleInfo info = session.ModuleInfo();
  char version[32];
  std::snprintf(version, sizeof version, "%.1f", static_cast<double>(info.ModuleVersion));
  Say(info.Description + " " + version + " at " + ChannelText(FChannel));
  const int rows = FOptions.OutputFile.empty() ? TerminalRows(stdout) : 0;
  FOutput->Write([&] {
    FSinks = MakeRecordSinks(FOptions, FOutput->Stream(), session.ParserItems(),
                             static_cast<size_t>(rows));
  });
}

// The engines start once every channel is open (or when the first connection
// may take no longer), and hear "PORT-OPEN" before they run: an engine that
// connected before it would pause for the reset that follows.
void THostRun::StartEngines(host::THostSession& session) {
  FEnginesFromMs = NowMs();
  const int32_t state = session.SetState(JoinLines(DataSourcesOf(FOptions)), kStates, true);
  if (state != 0)
    throw EHostStop(kExitFailure, "the plug-in refused SET-STATE (" + std::to_string(state) + ")");
  std::unique_lock<std::shared_mutex> guard(FReceiverLock);
  FReceiver = &session;
}

// From here on no reader calls the session; one that is calling it has returned.
void THostRun::DetachReceiver() {
  std::unique_lock<std::shared_mutex> guard(FReceiverLock);
  FReceiver = nullptr;
}

void THostRun::Loop(host::THostSession& session) {
  const platform::Handle ready = FQueue.Handle();
  while (!FStop) {
    platform::MsgWaitForAny(&ready, 1, kLoopSliceMs);
    PumpMessages();
    for (THostEvent& event : FQueue.TakeAll()) {
      if (!FStop) Handle(session, event);
    }
    const uint64_t now = NowMs();
    // Some channels open, others still failing: the open ones do not wait longer.
    if (FEnginesFromMs == 0 && !FStop && FFirstOpenMs != 0 &&
        now - FStartMs >= FOptions.ConnectTimeout * 1000) {
      StartEngines(session);
    }
    if (StopRequested() && !FStop) FStop = kExitOk;
    CheckLimits(now);
    RelaySinkMessages();
    ShowSummary(now);
  }
}

void THostRun::Finish(host::THostSession& session, host::TPluginLibrary& library) {
  session.Unload();
  // The last log lines of the instance.
  PumpMessages();
  session.Free();
  library.FinalRelease();
}

void THostRun::PumpMessages() {
  platform::Message message;
  while (platform::PeekMessageRemove(message)) {
    if (message.message == platform::kMsgQuit) {
      if (!FStop) FStop = kExitOk;
      continue;
    }
    platform::TranslateMessageFor(message);
    platform::DispatchMessageTo(message);
  }
}

void THostRun::Handle(host::THostSession& session, THostEvent& event) {
  const std::string source = "data source " + std::to_string(event.Source);
  switch (event.Kind) {
    case THostEvent::TKind::Opened:
      if (FFirstOpenMs == 0) FFirstOpenMs = NowMs();
      FSummary->NoteChannel(event.Source, true);
      Say(source + ": channel open");
      ChannelOpened(session, event.Source);
      break;
    case THostEvent::TKind::Received:
      session.ProcessData(event.Source, event.Bytes.data(), event.Bytes.size());
      break;
    case THostEvent::TKind::Closed:
      FSummary->NoteChannel(event.Source, false);
      Say(source + ": channel closed (" + event.Reason + "), reconnecting");
      ChannelClosed(event.Source);
      break;
    case THostEvent::TKind::OpenFailed:
      FLastFailure[event.Source] = event.Reason;
      Say(source + ": cannot open " + ChannelText(FChannel) + " (" + event.Reason +
          "), next attempt in " + std::to_string(event.RetryMs) + " ms");
      break;
    case THostEvent::TKind::Record:
      FSummary->NoteRecord(event.Source, event.Record, event.AtMs);
      if (FDisplay) FDisplay->Hide();
      FOutput->Write([this, &event] { Deliver(event); });
      if (FOptions.Count > 0 && FSummary->Records() >= FOptions.Count) FStop = kExitOk;
      break;
  }
}

void THostRun::ChannelOpened(host::THostSession& session, int32_t source) {
  FOpenChannels.insert(source);
  if (FPortOpen || FOpenChannels.size() < FChannels.size()) return;
  if (FEnginesFromMs == 0) StartEngines(session);
  FPortOpen = true;
  if (FSendsFromMs != 0) FSendsFromMs = NowMs() + kResetGraceMs;
  session.Event("PORT-OPEN");
}

// Every engine connects anew after the next "PORT-OPEN"; the PLC takes a new
// connection request only on a new connection, so every channel opens anew.
void THostRun::ChannelClosed(int32_t source) {
  FOpenChannels.erase(source);
  if (!FPortOpen) return;
  FPortOpen = false;
  FSendsFromMs = UINT64_MAX;
  for (auto& channel : FChannels) {
    if (channel.first != source) channel.second->Reopen();
  }
}

// Every reader is asked to end before the first is waited for, so that the
// channels end together.
void THostRun::StopChannels() {
  for (auto& channel : FChannels) channel.second->RequestStop();
  for (auto& channel : FChannels) channel.second->Stop();
}

void THostRun::CheckLimits(uint64_t nowMs) {
  if (FStop) return;
  const uint64_t elapsed = nowMs - FStartMs;
  if (FOptions.Duration > 0 && elapsed >= FOptions.Duration * 1000) {
    FStop = kExitOk;
  } else if (FFirstOpenMs == 0 && elapsed >= FOptions.ConnectTimeout * 1000) {
    const std::string reason = FLastFailure.empty() ? "no answer" : FLastFailure.begin()->second;
    throw EHostStop(kExitUnreachable, "cannot reach " + ChannelText(FChannel) + ": " + reason);
  } else if (FEnginesFromMs != 0 && FSummary->Records() == 0 && FOptions.AnswerTimeout > 0 &&
             nowMs - FEnginesFromMs >= FOptions.AnswerTimeout * 1000) {
    throw EHostStop(kExitNoAnswer,
                    "the PLC at " + ChannelText(FChannel) + " does not answer: no record within " +
                        std::to_string(static_cast<int64_t>(FOptions.AnswerTimeout)) +
                        " s of connecting");
  }
}

void THostRun::ShowSummary(uint64_t nowMs) {
  FSummary->Tick(nowMs);
  if (!FDisplay || nowMs - FShownMs < kSummaryPeriodMs) return;
  std::vector<std::string> lines = FSummary->Lines();
  for (const auto& sink : FSinks) sink->AddSummary(lines);
  FDisplay->Show(lines);
  FShownMs = nowMs;
}

void THostRun::Deliver(const THostEvent& event) {
  TDeliveredRecord delivered;
  delivered.Source = event.Source;
  delivered.Record = &event.Record;
  const int index = MatchRequest(FSettings.Requests, event.Record);
  if (index >= 0) delivered.Request = &FSettings.Requests[static_cast<size_t>(index)];
  delivered.UnixNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count();
  for (const auto& sink : FSinks) sink->Write(delivered);
}

void THostRun::RelaySinkMessages() {
  for (const auto& sink : FSinks) {
    for (const std::string& message : sink->TakeMessages()) Say(message);
  }
}

// What the sinks still hold goes out before the run ends (each bounded in time).
void THostRun::FinishSinks() {
  if (FSinks.empty()) return;  // the run ended before its output was set up
  try {
    FOutput->Write([this] {
      for (const auto& sink : FSinks) sink->Finish();
    });
  } catch (const EOutput& error) {
    if (!FStop || *FStop == kExitOk) Stop(kExitFailure, error.what());
  }
  RelaySinkMessages();
}

void THostRun::Say(const std::string& line) {
  if (FDisplay) FDisplay->Hide();
  std::fprintf(stderr, "plchost: %s\n", line.c_str());
  FShownMs = 0;
}

void THostRun::OnLog(const std::vector<host::TLogLine>& lines) {
  if (FDisplay) FDisplay->Hide();
  for (const host::TLogLine& line : lines) {
    if (LevelRank(line.Level) > FOptions.LogLevel) continue;
    const std::string text = platform::WideToUtf8(platform::AnsiToWide(line.Text));
    std::fprintf(stderr, "[%s] %s\n", LevelName(line.Level), text.c_str());
  }
  FShownMs = 0;
}

void THostRun::Stop(TExitCode code, const std::string& message) {
  FStop = code;
  FStopMessage = message;
}

int32_t THostRun::SendBytes(int32_t clientId, const uint8_t* data, size_t length) {
  const auto found = FChannels.find(clientId);
  if (found == FChannels.end() || NowMs() < FSendsFromMs) return -1;
  FSummary->NoteSent(clientId, NowMs());
  return found->second->Send(data, length);
}

void THostRun::DeliverRecord(int32_t clientId, const host::TDataRecord& record) {
  FQueue.Push(THostEvent::Delivered(clientId, record, NowMs()));
}

}  // namespace

int RunHost(const TOptions& options) {
  InstallStopSignals();
  return THostRun(options).Run();
}

}  // namespace plchost
