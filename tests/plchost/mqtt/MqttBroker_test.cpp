#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../PlchostTestSupport.h"
#include "MqttPublisher.h"
#include "RecordSink.h"

// The publisher against a real mosquitto broker on loopback: with QoS 1 every
// record arrives once and in order, also across a restart of the broker; a
// broker that is away costs the oldest records, never the host's time.

extern char** environ;

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr char kBroker[] = "/usr/sbin/mosquitto";
constexpr auto kLongWait = std::chrono::seconds(30);
constexpr char kSyncTopic[] = "sync";

int FreePort() {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(listener, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
  close(listener);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int client = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool connected =
      connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(client);
  return connected;
}

// mosquitto on a free loopback port, its sessions kept in a folder across restarts.
class TBroker {
 public:
  explicit TBroker(const plchost_test::TTestFolder& folder)
      : FPort(FreePort()), FConfig(folder.File("mosquitto.conf")) {
    std::ofstream config(FConfig);
    config << "listener " << FPort << " 127.0.0.1\nallow_anonymous true\npersistence true\n"
           << "persistence_location " << folder.File("") << "\nuser root\n"
           << "log_dest file " << folder.File("broker.log") << "\n";
  }
  ~TBroker() { Stop(); }
  TBroker(const TBroker&) = delete;
  TBroker& operator=(const TBroker&) = delete;

  int Port() const { return FPort; }

  bool Start() {
    char* arguments[] = {const_cast<char*>(kBroker), const_cast<char*>("-c"),
                         const_cast<char*>(FConfig.c_str()), nullptr};
    // Its warning about running as root would only clutter the test's output.
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&FPid, kBroker, &quiet, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0) return false;
    const auto until = steady_clock::now() + kLongWait;
    while (!Accepts(FPort)) {
      if (steady_clock::now() > until || waitpid(FPid, nullptr, WNOHANG) != 0) return false;
      std::this_thread::sleep_for(milliseconds(20));
    }
    return true;
  }

  // Stops it as a service stop does: it saves its sessions first.
  void Stop() {
    if (FPid <= 0) return;
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
    FPid = 0;
  }

 private:
  const int FPort;
  const std::string FConfig;
  pid_t FPid = 0;
};

// A subscriber with a lasting session that receives everything under "test/".
class TSubscriber {
 public:
  explicit TSubscriber(int port) {
    FClient = mosquitto_new("plchost-test-subscriber", false, this);
    mosquitto_connect_callback_set(FClient, [](mosquitto* client, void*, int code) {
      if (code != 0) return;
      mosquitto_subscribe(client, nullptr, "test/#", 1);
      mosquitto_subscribe(client, nullptr, kSyncTopic, 1);
    });
    mosquitto_subscribe_callback_set(FClient, [](mosquitto*, void* self, int, int, const int*) {
      auto& subscriber = *static_cast<TSubscriber*>(self);
      std::lock_guard<std::mutex> guard(subscriber.FLock);
      subscriber.FSubscribed = true;
      subscriber.FChanged.notify_all();
    });
    mosquitto_message_callback_set(
        FClient, [](mosquitto*, void* self, const mosquitto_message* message) {
          auto& subscriber = *static_cast<TSubscriber*>(self);
          std::lock_guard<std::mutex> guard(subscriber.FLock);
          if (std::string(message->topic) == kSyncTopic) {
            ++subscriber.FSyncs;
          } else {
            subscriber.FMessages.emplace_back(static_cast<const char*>(message->payload),
                                              static_cast<size_t>(message->payloadlen));
          }
          subscriber.FChanged.notify_all();
        });
    mosquitto_connect(FClient, "127.0.0.1", port, 30);
    mosquitto_loop_start(FClient);
  }
  ~TSubscriber() {
    mosquitto_disconnect(FClient);
    mosquitto_loop_stop(FClient, false);
    mosquitto_destroy(FClient);
  }
  TSubscriber(const TSubscriber&) = delete;
  TSubscriber& operator=(const TSubscriber&) = delete;

  // A message to itself through the broker: when it is back, the broker has
  // taken the acknowledgements of every message before it.
  bool Sync() {
    std::unique_lock<std::mutex> lock(FLock);
    const int wanted = FSyncs + 1;
    mosquitto_publish(FClient, nullptr, kSyncTopic, 0, nullptr, 1, false);
    return FChanged.wait_for(lock, kLongWait, [this, wanted] { return FSyncs >= wanted; });
  }

  bool WaitSubscribed() {
    std::unique_lock<std::mutex> lock(FLock);
    return FChanged.wait_for(lock, kLongWait, [this] { return FSubscribed; });
  }

  // The messages once `count` have arrived, or all there are after the wait.
  std::vector<std::string> WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(FLock);
    FChanged.wait_for(lock, kLongWait, [this, count] { return FMessages.size() >= count; });
    return FMessages;
  }

 private:
  mosquitto* FClient = nullptr;
  std::mutex FLock;
  std::condition_variable FChanged;
  bool FSubscribed = false;
  int FSyncs = 0;
  std::vector<std::string> FMessages;
};

// A record whose value N is `number`.
class TNumberedRecords {
 public:
  void Write(plchost::IRecordSink& sink, int from, int to) {
    for (int number = from; number < to; ++number) {
      host::TDataRecord record;
      record.Values = {{"DATA_SOURCE_NAME", TVariant::OfAnsi("PLC")},
                       {"N", TVariant::OfI4(number)}};
      plchost::TDeliveredRecord delivered;
      delivered.Record = &record;
      delivered.Request = &FRequest;
      sink.Write(delivered);
    }
  }

  static std::string Message(int number) {
    return "{\"time\":\"\",\"source\":\"PLC\",\"request\":\"R\",\"values\":{\"N\":" +
           std::to_string(number) + "}}";
  }

  // The numbers of the messages, -1 for a message that is not one of ours.
  static std::vector<int> Numbers(const std::vector<std::string>& messages) {
    std::vector<int> numbers;
    for (const std::string& message : messages) {
      const size_t at = message.find("\"N\":");
      const int number = at == std::string::npos ? -1 : std::atoi(message.c_str() + at + 4);
      numbers.push_back(message == Message(number) ? number : -1);
    }
    return numbers;
  }

  static std::vector<int> Range(int from, int to) {
    std::vector<int> numbers;
    for (int number = from; number < to; ++number) numbers.push_back(number);
    return numbers;
  }

 private:
  plchost::TPlannedRequest FRequest = [] {
    plchost::TPlannedRequest request;
    request.Name = "R";
    return request;
  }();
};

plchost::TMqttOptions Options(int port, size_t buffer) {
  plchost::TMqttOptions options;
  options.Host = "127.0.0.1";
  options.Port = port;
  options.TopicPrefix = "test";
  options.Qos = 1;
  options.BufferRecords = buffer;
  return options;
}

// Waits (bounded) until the sink's summary line holds `part`.
bool WaitForSummary(const plchost::IRecordSink& sink, const std::string& part) {
  const auto until = steady_clock::now() + kLongWait;
  for (;;) {
    std::vector<std::string> lines;
    sink.AddSummary(lines);
    if (lines.at(0).find(part) != std::string::npos) return true;
    if (steady_clock::now() > until) return false;
    std::this_thread::sleep_for(milliseconds(10));
  }
}

bool Says(const std::vector<std::string>& messages, const std::string& part) {
  for (const std::string& message : messages) {
    if (message.find(part) != std::string::npos) return true;
  }
  return false;
}

class PlchostMqttBroker : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kBroker, X_OK) != 0) GTEST_SKIP() << kBroker << " is not installed";
    mosquitto_lib_init();
  }
};

TEST_F(PlchostMqttBroker, EveryRecordArrivesOnceInOrderAcrossARestart) {
  const plchost_test::TTestFolder folder;
  TBroker broker(folder);
  ASSERT_TRUE(broker.Start());
  TSubscriber subscriber(broker.Port());
  ASSERT_TRUE(subscriber.WaitSubscribed());
  const auto publisher = plchost::MakeMqttPublisher(Options(broker.Port(), 1000));
  TNumberedRecords records;
  records.Write(*publisher, 0, 100);
  ASSERT_EQ(subscriber.WaitFor(100).size(), 100u);
  // The broker stops between messages: both ends have their acknowledgements.
  ASSERT_TRUE(WaitForSummary(*publisher, "published 100"));
  ASSERT_TRUE(subscriber.Sync());
  broker.Stop();
  records.Write(*publisher, 100, 200);
  ASSERT_TRUE(broker.Start());
  const std::vector<int> received = TNumberedRecords::Numbers(subscriber.WaitFor(200));
  std::string shown;
  for (const int number : received) shown += std::to_string(number) + " ";
  EXPECT_EQ(received, TNumberedRecords::Range(0, 200)) << shown;
  publisher->Finish();
  const std::vector<std::string> said = publisher->TakeMessages();
  EXPECT_TRUE(Says(said, "MQTT: lost 127.0.0.1:")) << said.size();
  EXPECT_TRUE(Says(said, "MQTT: connected again to 127.0.0.1:"));
  std::vector<std::string> summary;
  publisher->AddSummary(summary);
  ASSERT_EQ(summary.size(), 1u);
  EXPECT_NE(summary[0].find("published 200  held 0  dropped 0"), std::string::npos) << summary[0];
}

TEST_F(PlchostMqttBroker, ABrokerAwayCostsTheOldestRecords) {
  const plchost_test::TTestFolder folder;
  TBroker broker(folder);
  ASSERT_TRUE(broker.Start());
  TSubscriber subscriber(broker.Port());
  ASSERT_TRUE(subscriber.WaitSubscribed());
  broker.Stop();
  // Writing never waits for the broker: 20 records, of which the last 5 are kept.
  const auto publisher = plchost::MakeMqttPublisher(Options(broker.Port(), 5));
  TNumberedRecords records;
  const auto started = steady_clock::now();
  records.Write(*publisher, 0, 20);
  EXPECT_LT(steady_clock::now() - started, std::chrono::seconds(1));
  std::vector<std::string> summary;
  publisher->AddSummary(summary);
  EXPECT_NE(summary[0].find("not connected  published 0  held 5  dropped 15"), std::string::npos)
      << summary[0];
  EXPECT_TRUE(Says(publisher->TakeMessages(), "MQTT: the 5 records held for 127.0.0.1:"));
  ASSERT_TRUE(broker.Start());
  EXPECT_EQ(TNumberedRecords::Numbers(subscriber.WaitFor(5)), TNumberedRecords::Range(15, 20));
  publisher->Finish();
}

}  // namespace
