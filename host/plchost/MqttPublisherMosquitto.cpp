// The MQTT publisher over libmosquitto. Every call of the library happens on
// the publishing thread; the host thread only fills the bounded queue.
#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "MqttMessage.h"
#include "MqttPublisher.h"

namespace plchost {

bool MqttAvailable() { return true; }

namespace {

using std::chrono::milliseconds;

constexpr int kKeepAliveSeconds = 30;
constexpr int kLoopSliceMs = 50;
constexpr int kFirstRetryMs = 250;
constexpr int kLongestRetryMs = 5000;
constexpr auto kDrainWait = std::chrono::seconds(5);
constexpr auto kStopWait = std::chrono::seconds(2);

struct TMessage {
  std::string Topic;
  std::string Payload;
};

std::string ReadPassword(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::string line;
  if (!file || !std::getline(file, line)) {
    throw std::runtime_error("--password-file: " + path + " cannot be read");
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::string ErrorText(int code) {
  return code == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(code);
}

// The connection and the queue, shared by the host thread and the publishing
// thread; the thread holds it too, so that a thread still stuck in a connect
// when the host ends may be left to finish alone.
class TMqttLink {
 public:
  TMqttLink(const TMqttOptions& options, const std::string& password);
  ~TMqttLink() { mosquitto_destroy(FClient); }
  TMqttLink(const TMqttLink&) = delete;
  TMqttLink& operator=(const TMqttLink&) = delete;

  void Enqueue(TMessage message);
  void Run();
  bool WaitDrained();
  void Stop();
  bool WaitStopped();
  std::string Summary() const;
  std::vector<std::string> TakeMessages();

 private:
  static void OnConnect(mosquitto* client, void* self, int code);
  static void OnPublish(mosquitto* client, void* self, int mid);

  void PublishNext();
  void ConnectionLost(const std::string& reason);
  void Pause(int& retryMs);
  void Say(const std::string& text);  // FLock held

  const TMqttOptions FOptions;
  const std::string FBroker;
  mosquitto* FClient = nullptr;
  mutable std::mutex FLock;
  std::condition_variable FChanged;
  std::deque<TMessage> FQueue;
  bool FInFlight = false;  // the queue's head is with the library
  bool FConnected = false;
  bool FEverConnected = false;
  bool FOutage = false;
  bool FDropping = false;
  bool FStop = false;
  bool FStopped = false;
  int64_t FPublished = 0;
  int64_t FDropped = 0;
  std::vector<std::string> FMessages;
};

TMqttLink::TMqttLink(const TMqttOptions& options, const std::string& password)
    : FOptions(options), FBroker(options.Host + ":" + std::to_string(options.Port)) {
  static const int initialised = mosquitto_lib_init();
  if (initialised != MOSQ_ERR_SUCCESS) throw std::runtime_error("MQTT: the library cannot start");
  FClient = mosquitto_new(nullptr, true, this);
  if (FClient == nullptr) throw std::runtime_error("MQTT: no client: " + ErrorText(MOSQ_ERR_ERRNO));
  mosquitto_connect_callback_set(FClient, &TMqttLink::OnConnect);
  mosquitto_publish_callback_set(FClient, &TMqttLink::OnPublish);
  if (!options.Username.empty()) {
    mosquitto_username_pw_set(FClient, options.Username.c_str(),
                              options.PasswordFile.empty() ? nullptr : password.c_str());
  }
}

void TMqttLink::Enqueue(TMessage message) {
  std::lock_guard<std::mutex> guard(FLock);
  if (FQueue.size() >= FOptions.BufferRecords) {
    // The head may be with the library already: the oldest after it goes.
    FQueue.erase(FQueue.begin() + (FInFlight ? 1 : 0));
    ++FDropped;
    if (!FDropping) {
      FDropping = true;
      Say("the " + std::to_string(FOptions.BufferRecords) + " records held for " + FBroker +
          " fill the buffer; dropping the oldest");
    }
  }
  FQueue.push_back(std::move(message));
  FChanged.notify_all();
}

void TMqttLink::Run() {
  int retryMs = kFirstRetryMs;
  bool open = false;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(FLock);
      if (FStop) break;
    }
    if (!open) {
      const int code =
          mosquitto_connect(FClient, FOptions.Host.c_str(), FOptions.Port, kKeepAliveSeconds);
      if (code != MOSQ_ERR_SUCCESS) {
        ConnectionLost(ErrorText(code));
        Pause(retryMs);
        continue;
      }
      open = true;
    }
    PublishNext();
    const int code = mosquitto_loop(FClient, kLoopSliceMs, 1);
    if (code != MOSQ_ERR_SUCCESS) {
      open = false;
      ConnectionLost(ErrorText(code));
      Pause(retryMs);
      continue;
    }
    std::lock_guard<std::mutex> guard(FLock);
    if (FConnected) retryMs = kFirstRetryMs;
  }
  if (open) {
    mosquitto_disconnect(FClient);
    mosquitto_loop(FClient, kLoopSliceMs, 1);
  }
  std::lock_guard<std::mutex> guard(FLock);
  FStopped = true;
  FChanged.notify_all();
}

void TMqttLink::PublishNext() {
  TMessage head;
  {
    std::lock_guard<std::mutex> guard(FLock);
    if (!FConnected || FInFlight || FQueue.empty()) return;
    head = FQueue.front();
    FInFlight = true;
  }
  // A QoS 0 message may be reported published within this call.
  const int code =
      mosquitto_publish(FClient, nullptr, head.Topic.c_str(), static_cast<int>(head.Payload.size()),
                        head.Payload.data(), FOptions.Qos, false);
  if (code != MOSQ_ERR_SUCCESS) {
    std::lock_guard<std::mutex> guard(FLock);
    FInFlight = false;
  }
}

void TMqttLink::ConnectionLost(const std::string& reason) {
  std::lock_guard<std::mutex> guard(FLock);
  FConnected = false;
  // The library sends a QoS 1 message again after reconnecting; a QoS 0
  // message not yet written is gone, so it is published anew.
  if (FOptions.Qos == 0) FInFlight = false;
  if (FOutage) return;
  FOutage = true;
  FChanged.notify_all();
  Say((FEverConnected ? "lost " : "cannot reach ") + FBroker + " (" + reason +
      "); records are held and published when it is back");
}

void TMqttLink::Pause(int& retryMs) {
  std::unique_lock<std::mutex> lock(FLock);
  FChanged.wait_for(lock, milliseconds(retryMs), [this] { return FStop; });
  retryMs = std::min(retryMs * 2, kLongestRetryMs);
}

void TMqttLink::OnConnect(mosquitto* /*client*/, void* self, int code) {
  auto& link = *static_cast<TMqttLink*>(self);
  std::lock_guard<std::mutex> guard(link.FLock);
  if (code != 0) {
    link.Say(link.FBroker + " refuses the connection: " + mosquitto_connack_string(code));
    return;
  }
  link.Say((link.FEverConnected ? "connected again to " : "connected to ") + link.FBroker);
  link.FConnected = true;
  link.FEverConnected = true;
  link.FOutage = false;
}

void TMqttLink::OnPublish(mosquitto* /*client*/, void* self, int /*mid*/) {
  auto& link = *static_cast<TMqttLink*>(self);
  std::lock_guard<std::mutex> guard(link.FLock);
  if (!link.FInFlight || link.FQueue.empty()) return;
  link.FQueue.pop_front();
  link.FInFlight = false;
  ++link.FPublished;
  if (link.FDropping && link.FQueue.size() < link.FOptions.BufferRecords / 2) {
    link.FDropping = false;
    link.Say(link.FBroker + " takes records again; " + std::to_string(link.FDropped) +
             " dropped in all");
  }
  link.FChanged.notify_all();
}

bool TMqttLink::WaitDrained() {
  std::unique_lock<std::mutex> lock(FLock);
  // A broker that is away is not waited for.
  FChanged.wait_for(lock, kDrainWait, [this] { return FQueue.empty() || FOutage; });
  if (!FQueue.empty()) {
    Say(std::to_string(FQueue.size()) + " records not published to " + FBroker);
    return false;
  }
  return true;
}

void TMqttLink::Stop() {
  std::lock_guard<std::mutex> guard(FLock);
  FStop = true;
  FChanged.notify_all();
}

bool TMqttLink::WaitStopped() {
  std::unique_lock<std::mutex> lock(FLock);
  return FChanged.wait_for(lock, kStopWait, [this] { return FStopped; });
}

std::string TMqttLink::Summary() const {
  std::lock_guard<std::mutex> guard(FLock);
  return "MQTT " + FBroker + ": " + (FConnected ? "connected" : "not connected") + "  published " +
         std::to_string(FPublished) + "  held " + std::to_string(FQueue.size()) + "  dropped " +
         std::to_string(FDropped);
}

std::vector<std::string> TMqttLink::TakeMessages() {
  std::lock_guard<std::mutex> guard(FLock);
  return std::exchange(FMessages, {});
}

void TMqttLink::Say(const std::string& text) { FMessages.push_back("MQTT: " + text); }

class TMqttPublisher final : public IRecordSink {
 public:
  explicit TMqttPublisher(const TMqttOptions& options)
      : FPrefix(options.TopicPrefix),
        FLink(std::make_shared<TMqttLink>(
            options, options.PasswordFile.empty() ? "" : ReadPassword(options.PasswordFile))) {
    FThread = std::thread([link = FLink] { link->Run(); });
  }

  ~TMqttPublisher() override { Stop(); }
  TMqttPublisher(const TMqttPublisher&) = delete;
  TMqttPublisher& operator=(const TMqttPublisher&) = delete;

  void Write(const TDeliveredRecord& record) override {
    FLink->Enqueue({MqttTopic(FPrefix, record), MqttPayload(record)});
  }

  void AddSummary(std::vector<std::string>& lines) const override {
    lines.push_back(FLink->Summary());
  }

  std::vector<std::string> TakeMessages() override { return FLink->TakeMessages(); }

  void Finish() override {
    FLink->WaitDrained();
    Stop();
  }

 private:
  void Stop() {
    if (!FThread.joinable()) return;
    FLink->Stop();
    if (FLink->WaitStopped()) {
      FThread.join();
    } else {
      FThread.detach();
    }
  }

  const std::string FPrefix;
  std::shared_ptr<TMqttLink> FLink;
  std::thread FThread;
};

}  // namespace

std::unique_ptr<IRecordSink> MakeMqttPublisher(const TMqttOptions& options) {
  return std::make_unique<TMqttPublisher>(options);
}

}  // namespace plchost
