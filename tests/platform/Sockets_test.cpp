#include "platform/Sockets.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "LoopbackClient.h"
#include "TestSupport.h"

using platform::ClientId;
using platform::TcpListener;
using test_support::FunctionThread;
using test_support::LoopbackClient;
using test_support::PumpFor;
using test_support::PumpUntil;
using test_support::PumpUntilSet;
using test_support::TestEvent;

namespace {

const std::string kLoopback = "127.0.0.1";
constexpr int kClientWaitMs = 5000;

// What a listener reported, with the threads the events ran on.
struct Journal {
  std::mutex mutex;
  std::vector<ClientId> connected;
  std::vector<ClientId> closed;
  std::vector<uint8_t> received;
  std::vector<uint32_t> threads;
  TestEvent dataArrived;  // for waits on a thread other than the listener's

  platform::ListenerEvents Events() {
    platform::ListenerEvents events;
    events.connected = [this](ClientId client) { Note(&connected, client); };
    events.closed = [this](ClientId client) { Note(&closed, client); };
    events.received = [this](ClientId, const std::vector<uint8_t>& bytes) {
      std::lock_guard<std::mutex> lock(mutex);
      received.insert(received.end(), bytes.begin(), bytes.end());
      threads.push_back(platform::CurrentThreadId());
      dataArrived.Set();
    };
    return events;
  }

  void Note(std::vector<ClientId>* list, ClientId client) {
    std::lock_guard<std::mutex> lock(mutex);
    list->push_back(client);
    threads.push_back(platform::CurrentThreadId());
  }

  size_t ConnectedCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return connected.size();
  }
  size_t ClosedCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return closed.size();
  }
  size_t ReceivedCount() {
    std::lock_guard<std::mutex> lock(mutex);
    return received.size();
  }
};

class ListenerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(listener_.Listen(kLoopback, 0)); }

  // A connected client whose connection the listener has reported.
  std::unique_ptr<LoopbackClient> Connect() {
    const size_t before = journal_.ConnectedCount();
    auto client = std::make_unique<LoopbackClient>(listener_.Port());
    EXPECT_TRUE(client->Connected());
    EXPECT_TRUE(PumpUntil([&] { return journal_.ConnectedCount() > before; }));
    return client;
  }

  ClientId LastConnected() {
    std::lock_guard<std::mutex> lock(journal_.mutex);
    return journal_.connected.back();
  }

  Journal journal_;
  TcpListener listener_{journal_.Events()};
};

TEST_F(ListenerTest, ReportsConnectionDataAndCloseOnTheCreatingThread) {
  auto client = Connect();
  const ClientId id = LastConnected();
  EXPECT_EQ(listener_.PeerPort(id), platform::SocketLocalPort(client->Handle()));
  EXPECT_EQ(listener_.Clients(), std::vector<ClientId>{id});

  ASSERT_TRUE(client->Send({1, 2, 3}));
  ASSERT_TRUE(PumpUntil([&] { return journal_.ReceivedCount() == 3; }));
  client.reset();
  ASSERT_TRUE(PumpUntil([&] { return journal_.ClosedCount() == 1; }));

  std::lock_guard<std::mutex> lock(journal_.mutex);
  EXPECT_EQ(journal_.received, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(journal_.closed, std::vector<ClientId>{id});
  for (uint32_t thread : journal_.threads) EXPECT_EQ(thread, platform::CurrentThreadId());
  EXPECT_TRUE(listener_.Clients().empty());
}

// A host that only peeks at its messages, never waiting, still gets the
// listener's events, as it gets Windows' posted socket messages.
TEST_F(ListenerTest, EventsReachAThreadThatOnlyPeeks) {
  LoopbackClient client(listener_.Port());
  ASSERT_TRUE(client.Connected());
  ASSERT_TRUE(client.Send({4, 5}));
  const uint32_t start = platform::TickCount32();
  while (journal_.ReceivedCount() < 2 && platform::TickCount32() - start < kClientWaitMs) {
    test_support::PumpPending();
  }
  EXPECT_EQ(journal_.ConnectedCount(), 1u);
  EXPECT_EQ(journal_.ReceivedCount(), 2u);
}

TEST_F(ListenerTest, SendsToOneClientAndRefusesUnknownOnes) {
  auto first = Connect();
  const ClientId firstId = LastConnected();
  auto second = Connect();

  const std::vector<uint8_t> bytes{9, 8, 7, 6};
  EXPECT_TRUE(listener_.Send(firstId, bytes.data(), bytes.size()));
  EXPECT_EQ(first->Receive(4, kClientWaitMs), bytes);
  EXPECT_TRUE(second->Receive(1, 50).empty());
  EXPECT_FALSE(listener_.Send(firstId + 100, bytes.data(), bytes.size()));
}

TEST_F(ListenerTest, LargeTransfersArriveWholeAndInOrder) {
  auto client = Connect();
  const ClientId id = LastConnected();
  std::vector<uint8_t> bytes(300000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);

  FunctionThread sender([&] { client->Send(bytes); });
  ASSERT_TRUE(PumpUntil([&] { return journal_.ReceivedCount() == bytes.size(); }));
  {
    std::lock_guard<std::mutex> lock(journal_.mutex);
    EXPECT_EQ(journal_.received, bytes);
  }
  std::vector<uint8_t> back;
  FunctionThread receiver([&] { back = client->Receive(bytes.size(), kClientWaitMs); });
  EXPECT_TRUE(listener_.Send(id, bytes.data(), bytes.size()));
  receiver.WaitFor();
  EXPECT_EQ(back, bytes);
}

TEST_F(ListenerTest, DroppedClientsAreClosedWithoutAnEvent) {
  auto first = Connect();
  auto second = Connect();
  listener_.DropClient(LastConnected());
  EXPECT_TRUE(second->ClosedByPeer(kClientWaitMs));
  EXPECT_EQ(listener_.Clients().size(), 1u);

  listener_.DropClients();
  EXPECT_TRUE(first->ClosedByPeer(kClientWaitMs));
  EXPECT_TRUE(listener_.Clients().empty());
  PumpFor(50);
  EXPECT_EQ(journal_.ClosedCount(), 0u);
}

TEST_F(ListenerTest, APortIsNeverShared) {
  const int port = listener_.Port();
  ASSERT_NE(port, 0);
  Journal other;
  TcpListener second(other.Events());
  EXPECT_FALSE(second.Listen(kLoopback, port));
  EXPECT_FALSE(listener_.Listen(kLoopback, port));  // already listening

  auto client = Connect();
  listener_.Close();
  EXPECT_FALSE(listener_.IsListening());
  EXPECT_EQ(listener_.Port(), 0);
  EXPECT_TRUE(client->ClosedByPeer(kClientWaitMs));
  EXPECT_TRUE(second.Listen(kLoopback, port));
}

TEST(ListenerBadInput, RefusesBadAddressesAndPortsAndUnknownHandles) {
  Journal journal;
  TcpListener listener(journal.Events());
  EXPECT_FALSE(listener.Listen("not an address", 0));
  EXPECT_FALSE(listener.Listen(kLoopback, 70000));
  EXPECT_FALSE(listener.Listen(kLoopback, -1));
  EXPECT_FALSE(listener.IsListening());
  EXPECT_EQ(platform::SocketLocalPort(-1), 0);
  EXPECT_EQ(platform::SocketLocalPort(123456), 0);
  EXPECT_EQ(listener.PeerPort(1), 0);
}

TEST(ListenerThreads, EventsRunOnTheCreatorAndStopWithTheDestructorElsewhere) {
  Journal journal;
  std::unique_ptr<TcpListener> listener;
  std::atomic<int> port{0};
  std::atomic<uint32_t> ownerThread{0};
  TestEvent ready;
  TestEvent stop;
  FunctionThread owner([&] {
    ownerThread = platform::CurrentThreadId();
    listener = std::make_unique<TcpListener>(journal.Events());
    port = listener->Listen(kLoopback, 0) ? listener->Port() : -1;
    ready.Set();
    PumpUntilSet(stop.handle());
  });
  ASSERT_TRUE(ready.WaitSet());
  ASSERT_GT(port.load(), 0);

  LoopbackClient client(port);
  ASSERT_TRUE(client.Send({5}));
  ASSERT_TRUE(journal.dataArrived.WaitSet());
  listener.reset();  // from this thread, while the owner processes messages
  EXPECT_TRUE(client.ClosedByPeer(kClientWaitMs));
  stop.Set();
  owner.WaitFor();

  std::lock_guard<std::mutex> lock(journal.mutex);
  EXPECT_EQ(journal.closed.size(), 0u);
  for (uint32_t thread : journal.threads) EXPECT_EQ(thread, ownerThread.load());
}

}  // namespace
