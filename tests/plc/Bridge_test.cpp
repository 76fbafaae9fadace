#include "plc/PluginDM_Bridge.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "../platform/LoopbackClient.h"
#include "../platform/TestSupport.h"
#include "plc/PluginDM_Link.h"

using test_support::kBoundMs;
using test_support::LoopbackClient;
using test_support::PumpPending;

namespace {

using Bytes = std::vector<uint8_t>;

constexpr int kClientWaitMs = 5000;

// What an engine gives its bridge, recorded: bytes sent to the host's channel,
// log lines, the link's socket and the process arguments.
struct EngineSide {
  std::mutex mutex;
  Bytes sent;
  std::vector<std::pair<TLogLevel, std::string>> log;
  int32_t sendResult = 0;
  std::atomic<intptr_t> linkSocket{0};
  std::vector<std::string> arguments{"host"};

  TBridgeHooks Hooks() {
    TBridgeHooks hooks;
    hooks.SendToPort = [this](const uint8_t* data, int32_t length) {
      std::lock_guard<std::mutex> lock(mutex);
      sent.insert(sent.end(), data, data + length);
      return sendResult;
    };
    hooks.Log = [this](TLogLevel level, const std::string& text) {
      std::lock_guard<std::mutex> lock(mutex);
      log.emplace_back(level, text);
    };
    hooks.LinkSocket = [this] { return static_cast<int32_t>(linkSocket.load()); };
    hooks.Arguments = [this] { return arguments; };
    return hooks;
  }

  Bytes Sent() {
    std::lock_guard<std::mutex> lock(mutex);
    return sent;
  }
  size_t SentCount() { return Sent().size(); }
  std::vector<std::pair<TLogLevel, std::string>> Log() {
    std::lock_guard<std::mutex> lock(mutex);
    return log;
  }
};

// Processes this thread's messages (where the listener's events run) until
// done(), looking at least every few milliseconds; false after the bound.
bool Serve(const std::function<bool()>& done) {
  const uint32_t start = platform::TickCount32();
  while (platform::TickCount32() - start < kBoundMs) {
    PumpPending();
    if (done()) return true;
    platform::MsgWaitForAny(nullptr, 0, 10);
  }
  return false;
}

// An interface record as the link fills it for the bridge.
TDaveInterfaceRecord InterfaceOf(TTransportBridge* bridge, int32_t timeoutUs) {
  TDaveInterfaceRecord intf{};
  intf.timeout = timeoutUs;
  intf.userData = bridge;
  return intf;
}

// Port registry ------------------------------------------------------------------

TEST(LoopbackPorts, EnginesTakeUnusedPortsFirstAndGonePortsOnlyAfterTheRange) {
  TLoopbackPorts ports(45001, 45003);
  EngineSide engine;
  auto first =
      std::make_unique<TTransportBridge>(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  TTransportBridge second(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_EQ(first->ListenPort(), 45001);
  EXPECT_EQ(second.ListenPort(), 45002);

  first.reset();
  TTransportBridge third(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_EQ(third.ListenPort(), 45003);
  // The range is used up: the port whose engine is gone serves again, once.
  TTransportBridge fourth(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_EQ(fourth.ListenPort(), 45001);
  TTransportBridge fifth(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_EQ(fifth.ListenPort(), 0);
}

TEST(LoopbackPorts, RefusedPortsAreSkippedAndTriedAgainLast) {
  TLoopbackPorts ports(100, 102);
  auto all = [](int32_t) { return true; };
  EXPECT_EQ(ports.Claim([](int32_t port) { return port != 100; }).Port, 101);
  EXPECT_EQ(ports.Claim(all).Port, 102);
  EXPECT_EQ(ports.Claim(all).Port, 100);
  EXPECT_EQ(ports.Claim(all).Port, 0);
  ports.Release(101);
  ports.Release(7);  // not in the range
  EXPECT_EQ(ports.Claim(all).Port, 101);
  EXPECT_EQ(ports.Claim([](int32_t) { return false; }).Port, 0);
}

TEST(LoopbackPorts, ConcurrentClaimsNeverShareAPort) {
  TLoopbackPorts ports(1, 400);
  std::vector<int32_t> taken[2];
  auto claimMany = [&](std::vector<int32_t>* into) {
    for (int i = 0; i < 200; ++i) into->push_back(ports.Claim([](int32_t) { return true; }).Port);
  };
  std::thread other(claimMany, &taken[0]);
  claimMany(&taken[1]);
  other.join();
  std::vector<int32_t> all(taken[0]);
  all.insert(all.end(), taken[1].begin(), taken[1].end());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
  EXPECT_EQ(all.front(), 1);
  EXPECT_EQ(all.back(), 400);
}

// Debug switch and link set-up ---------------------------------------------------

TEST(BridgeDebugSwitch, OnlyTheFirstEngineOfTheProcessTracesAndAnyCaseCounts) {
  TLoopbackPorts ports;
  EngineSide engine;
  engine.arguments = {"host.exe", "/config", "/DEBUGNoDave"};
  TTransportBridge first(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  TTransportBridge second(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_EQ(first.ListenPort(), 45001);
  EXPECT_TRUE(first.DebugLink());
  EXPECT_FALSE(second.DebugLink());
}

TEST(BridgeDebugSwitch, TheProgramNameAndSimilarArgumentsDoNotCount) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"/debugnodave"}, std::vector<std::string>{"host", "/debugnodave2"},
        std::vector<std::string>{"host", "debugnodave"}, std::vector<std::string>{}}) {
    TLoopbackPorts ports;
    EngineSide engine;
    engine.arguments = arguments;
    TTransportBridge bridge(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
    EXPECT_FALSE(bridge.DebugLink()) << (arguments.empty() ? "" : arguments.back());
  }
}

TEST(BridgeLinkSetup, AnS7onlineLinkOpensTheVendorsAccessPoint) {
  TLoopbackPorts ports;
  EngineSide engine;
  TTransportBridge bridge(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  TLinkSettings settings;
  settings.Protocol = daveProtoS7Online;
  TNoDaveEx s7online;
  SetUpLink(s7online, bridge, settings, "$1234");
  EXPECT_EQ(s7online.COMPort(), "S7ONLINE");
  settings.Protocol = daveProtoAS511;
  TNoDaveEx as511;
  SetUpLink(as511, bridge, settings, "$1234");
  EXPECT_EQ(as511.COMPort(), "COM1:");  // its bytes run through the callbacks
}

TEST(BridgeLinkSetup, CallbackPathUsesTheDummyHandleAndTheCallbacks) {
  TLoopbackPorts ports;
  EngineSide engine;
  engine.arguments = {"host", "/debugnodave"};
  TTransportBridge bridge(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  TNoDaveEx link;
  bridge.ConfigureLink(link);
  EXPECT_EQ(link.IPPort(), 45001);
  EXPECT_EQ(link.PortHandle, 1);
  EXPECT_EQ(link.ReadFunc, &TTransportBridge::ReadCallback);
  EXPECT_EQ(link.WriteFunc, &TTransportBridge::WriteCallback);
  EXPECT_EQ(link.DebugFunc, &TTransportBridge::DebugCallback);
  EXPECT_EQ(link.DebugOptions(), 0xFFFF);
  EXPECT_EQ(link.UserData, &bridge);

  TTransportBridge quiet(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  quiet.ConfigureLink(link);
  EXPECT_EQ(link.DebugFunc, nullptr);
}

// Callback path ----------------------------------------------------------------------

class CallbackPathTest : public ::testing::Test {
 protected:
  TLoopbackPorts ports_;
  EngineSide engine_;
  TTransportBridge bridge_{TTransportPath::FifoCallbacks, engine_.Hooks(), ports_};
  // A short interface timeout: a read that cannot complete gives up after 30 ms.
  TDaveInterfaceRecord intf_ = InterfaceOf(&bridge_, 30000);
};

TEST_F(CallbackPathTest, AReadTakesExactlyItsLengthOrNothing) {
  const Bytes six{1, 2, 3, 4, 5, 6};
  bridge_.FromHost(six.data(), 6);
  uint8_t buffer[12] = {};
  EXPECT_EQ(TTransportBridge::ReadCallback(&intf_, buffer, 10), 0);
  EXPECT_EQ(bridge_.Fifo().Count(), 6);

  const Bytes more{7, 8, 9, 10, 11, 12};
  bridge_.FromHost(more.data(), 6);
  EXPECT_EQ(TTransportBridge::ReadCallback(&intf_, buffer, 10), 10);
  EXPECT_EQ(Bytes(buffer, buffer + 10), (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(bridge_.Fifo().Count(), 2);
}

TEST_F(CallbackPathTest, AWaitingReadTakesBytesWrittenMeanwhileByAnotherThread) {
  intf_.timeout = kBoundMs * 1000;
  Bytes received(300);
  auto reader = std::async(std::launch::async, [&] {
    int32_t total = 0;
    for (size_t offset = 0; offset < received.size(); offset += 10) {
      total += TTransportBridge::ReadCallback(&intf_, received.data() + offset, 10);
    }
    return total;
  });
  Bytes sent(300);
  for (size_t i = 0; i < sent.size(); i += 7) {
    const size_t piece = std::min<size_t>(7, sent.size() - i);
    for (size_t k = 0; k < piece; ++k) sent[i + k] = static_cast<uint8_t>(i + k);
    bridge_.FromHost(sent.data() + i, static_cast<int32_t>(piece));
  }
  ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(kBoundMs)), std::future_status::ready);
  EXPECT_EQ(reader.get(), 300);
  EXPECT_EQ(received, sent);
}

TEST_F(CallbackPathTest, CloseEndsAWaitingRead) {
  intf_.timeout = 60 * 1000 * 1000;
  auto reader = std::async(std::launch::async, [&] {
    uint8_t buffer[4];
    return TTransportBridge::ReadCallback(&intf_, buffer, 4);
  });
  bridge_.Close();
  ASSERT_EQ(reader.wait_for(std::chrono::milliseconds(kBoundMs)), std::future_status::ready);
  EXPECT_EQ(reader.get(), 0);
  EXPECT_TRUE(bridge_.Closing());
}

TEST_F(CallbackPathTest, WritesReachTheHostUnlessItRefuses) {
  const Bytes bytes{0x68, 0x01, 0x16};
  EXPECT_EQ(TTransportBridge::WriteCallback(&intf_, bytes.data(), 3), 3);
  EXPECT_EQ(engine_.Sent(), bytes);
  engine_.sendResult = -1;
  EXPECT_EQ(TTransportBridge::WriteCallback(&intf_, bytes.data(), 3), 0);
  EXPECT_EQ(TTransportBridge::WriteCallback(&intf_, nullptr, 3), 0);
  EXPECT_EQ(TTransportBridge::WriteCallback(&intf_, bytes.data(), -5), 0);
}

TEST_F(CallbackPathTest, DebugTextIsTrimmedAndBlankTextDropped) {
  const std::string text = "PDU sent \r\n  \r\nrest";
  TTransportBridge::DebugCallback(&intf_, 7, text.data(), static_cast<int32_t>(text.size()) - 4);
  TTransportBridge::DebugCallback(&intf_, 0, " \r\n \n", 5);
  TTransportBridge::DebugCallback(&intf_, 0, "x", 0);
  TTransportBridge::DebugCallback(&intf_, 0, nullptr, 3);
  const auto log = engine_.Log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].first, TLogLevel::Information);
  EXPECT_EQ(log[0].second, "PDU sent");
}

TEST_F(CallbackPathTest, CallbacksDoNothingForAMissingOrInvalidBridge) {
  const Bytes bytes{1, 2};
  bridge_.FromHost(bytes.data(), 2);
  TDaveInterfaceRecord orphan = InterfaceOf(nullptr, 30000);
  uint8_t buffer[2];
  EXPECT_EQ(TTransportBridge::ReadCallback(nullptr, buffer, 2), 0);
  EXPECT_EQ(TTransportBridge::ReadCallback(&orphan, buffer, 2), 0);
  EXPECT_EQ(TTransportBridge::WriteCallback(&orphan, bytes.data(), 2), 0);

  bridge_.Invalidate();
  EXPECT_EQ(bridge_.ValidityStamp(), 0u);
  EXPECT_EQ(TTransportBridge::ReadCallback(&intf_, buffer, 2), 0);
  EXPECT_EQ(TTransportBridge::WriteCallback(&intf_, bytes.data(), 2), 0);
  TTransportBridge::DebugCallback(&intf_, 0, "text", 4);
  EXPECT_EQ(bridge_.Fifo().Count(), 2);
  EXPECT_TRUE(engine_.Sent().empty());
  EXPECT_TRUE(engine_.Log().empty());
}

TEST_F(CallbackPathTest, BadHostBlocksChangeNothing) {
  const Bytes bytes{1};
  bridge_.FromHost(bytes.data(), 0);
  bridge_.FromHost(bytes.data(), -1);
  bridge_.FromHost(nullptr, 1);
  EXPECT_EQ(bridge_.Fifo().Count(), 0);
  EXPECT_FALSE(bridge_.Listening());
}

// Loopback path ----------------------------------------------------------------------

// A bridge on a private range of ports: the test holds the first one with a
// listener of its own, as another process could.
class LoopbackPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(foreign_.Listen("127.0.0.1", 0));
    heldPort_ = foreign_.Port();
    ports_ = std::make_unique<TLoopbackPorts>(heldPort_, heldPort_ + 50);
    bridge_ = std::make_unique<TTransportBridge>(TTransportPath::LoopbackListener, engine_.Hooks(),
                                                 *ports_);
    ASSERT_TRUE(bridge_->Listening());
  }

  // A client standing for the link: the link's socket is the client's.
  std::unique_ptr<LoopbackClient> ConnectLink() {
    auto link = std::make_unique<LoopbackClient>(bridge_->ListenPort());
    EXPECT_TRUE(link->Connected());
    engine_.linkSocket = link->Handle();
    return link;
  }

  bool HostReceived(size_t count) {
    return Serve([&] { return engine_.SentCount() >= count; });
  }

  bool LogMentions(const std::string& part) {
    for (const auto& line : engine_.Log()) {
      if (line.second.find(part) != std::string::npos) return true;
    }
    return false;
  }

  platform::TcpListener foreign_{platform::ListenerEvents{}};
  int heldPort_ = 0;
  EngineSide engine_;
  std::unique_ptr<TLoopbackPorts> ports_;
  std::unique_ptr<TTransportBridge> bridge_;
};

TEST_F(LoopbackPathTest, APortAnotherSocketHoldsIsSkipped) {
  EXPECT_NE(bridge_->ListenPort(), heldPort_);
  EXPECT_GT(bridge_->ListenPort(), heldPort_);
  TNoDaveEx link;
  link.SetProtocol(daveProtoISOTCP);
  bridge_->ConfigureLink(link);
  EXPECT_EQ(link.IPPort(), bridge_->ListenPort());
  EXPECT_EQ(link.PortHandle, 0);
}

TEST_F(LoopbackPathTest, TheLinksBytesGoToTheHostOnlyWhileTheLinkIsOpen) {
  auto link = ConnectLink();
  ASSERT_TRUE(link->Send({1, 2}));  // before the link is open: dropped
  // Once the bridge has handled them it knows the link's connection and answers it.
  const uint8_t probe = 0x55;
  ASSERT_TRUE(Serve([&] {
    bridge_->FromHost(&probe, 1);
    return !link->Receive(1, 0).empty();
  }));
  bridge_->SetLinkClosed(false);
  ASSERT_TRUE(link->Send({3, 4, 5}));
  ASSERT_TRUE(HostReceived(3));
  EXPECT_EQ(engine_.Sent(), (Bytes{3, 4, 5}));

  const Bytes answer{9, 8, 7};
  bridge_->FromHost(answer.data(), 3);
  EXPECT_EQ(link->Receive(3, kClientWaitMs), answer);
  EXPECT_EQ(bridge_->Fifo().Count(), 0);
}

TEST_F(LoopbackPathTest, OtherLocalConnectionsAreRefused) {
  bridge_->SetLinkClosed(false);
  auto early = std::make_unique<LoopbackClient>(bridge_->ListenPort());
  auto link = ConnectLink();
  auto intruder = std::make_unique<LoopbackClient>(bridge_->ListenPort());
  ASSERT_TRUE(intruder->Send({0x66, 0x66}));
  EXPECT_TRUE(Serve([&] { return intruder->ClosedByPeer(0); }));
  ASSERT_TRUE(link->Send({1}));
  ASSERT_TRUE(HostReceived(1));
  // Knowing the link's connection, the bridge closes the silent early one too.
  EXPECT_TRUE(Serve([&] { return early->ClosedByPeer(0); }));

  const Bytes answer{5};
  bridge_->FromHost(answer.data(), 1);
  EXPECT_EQ(link->Receive(1, kClientWaitMs), answer);
  EXPECT_EQ(engine_.Sent(), Bytes{1});
  EXPECT_TRUE(LogMentions("refused"));
}

TEST_F(LoopbackPathTest, WithoutALinkSocketEveryConnectionIsRefused) {
  bridge_->SetLinkClosed(false);
  LoopbackClient client(bridge_->ListenPort());
  ASSERT_TRUE(client.Send({1}));
  EXPECT_TRUE(Serve([&] { return client.ClosedByPeer(0); }));
  EXPECT_TRUE(engine_.Sent().empty());
  EXPECT_TRUE(LogMentions(std::to_string(platform::SocketLocalPort(client.Handle()))));
}

TEST_F(LoopbackPathTest, AReconnectDropsTheConnectionAndAcceptsTheNextOne) {
  bridge_->SetLinkClosed(false);
  auto link = ConnectLink();
  ASSERT_TRUE(link->Send({1}));
  ASSERT_TRUE(HostReceived(1));

  bridge_->SetLinkClosed(true);
  bridge_->DropClients();
  EXPECT_TRUE(link->ClosedByPeer(kClientWaitMs));
  const Bytes lost{2};
  bridge_->FromHost(lost.data(), 1);  // nobody to take it: dropped

  bridge_->SetLinkClosed(false);
  auto next = ConnectLink();
  ASSERT_TRUE(next->Send({3}));
  ASSERT_TRUE(HostReceived(2));
  EXPECT_EQ(engine_.Sent(), (Bytes{1, 3}));
  const Bytes answer{4};
  bridge_->FromHost(answer.data(), 1);
  EXPECT_EQ(next->Receive(1, kClientWaitMs), answer);
}

TEST_F(LoopbackPathTest, CloseClosesTheListener) {
  auto link = ConnectLink();
  bridge_->Close();
  EXPECT_FALSE(bridge_->Listening());
  EXPECT_TRUE(link->ClosedByPeer(kClientWaitMs));
  const Bytes bytes{1};
  bridge_->FromHost(bytes.data(), 1);  // no longer listening: kept for nobody
  EXPECT_EQ(bridge_->Fifo().Count(), 1);
}

// A port held by another program is skipped; with none left the link has no
// transport (its engine says so at every connect) and nothing listens.
TEST(LoopbackPathExhausted, APortHeldElsewhereLeavesTheLinkWithoutTransport) {
  platform::TcpListener holder{platform::ListenerEvents{}};
  ASSERT_TRUE(holder.Listen("127.0.0.1", 0));
  TLoopbackPorts ports(holder.Port(), holder.Port());
  EngineSide engine;
  TTransportBridge bridge(TTransportPath::LoopbackListener, engine.Hooks(), ports);
  EXPECT_EQ(bridge.ListenPort(), 0);
  EXPECT_FALSE(bridge.Listening());
  EXPECT_FALSE(bridge.HasTransport());
  EXPECT_NE(TTransportBridge::NoPortText().find("no free loopback port in 45001..45101"),
            std::string::npos);
  // The callback path needs no port.
  TTransportBridge serial(TTransportPath::FifoCallbacks, engine.Hooks(), ports);
  EXPECT_TRUE(serial.HasTransport());
}

}  // namespace
