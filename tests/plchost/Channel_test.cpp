#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "Backoff.h"
#include "Channel.h"
#include "HostEvents.h"
#include "LinkOpener.h"
#include "platform/Messages.h"
#include "platform/Sockets.h"

// The channel against a local TCP listener: it opens, hands on bytes, and
// opens again with growing pauses when the peer drops it or refuses it.

namespace {

using plchost::THostEvent;
using Kind = THostEvent::TKind;

constexpr auto kPatience = std::chrono::seconds(20);

TEST(PlchostBackoff, DoublesUpToTheLongestPauseAndStartsAgainAfterAReset) {
  plchost::TBackoff backoff(500, 3000);
  EXPECT_EQ(backoff.Next(), 500u);
  EXPECT_EQ(backoff.Next(), 1000u);
  EXPECT_EQ(backoff.Next(), 2000u);
  EXPECT_EQ(backoff.Next(), 3000u);
  EXPECT_EQ(backoff.Next(), 3000u);
  backoff.Reset();
  EXPECT_EQ(backoff.Next(), 500u);
  plchost::TBackoff huge(0x80000000u, 0xFFFFFFFFu);
  huge.Next();
  EXPECT_EQ(huge.Next(), 0xFFFFFFFFu) << "no overflow";
}

// Waits for channel events while this thread handles its messages (the
// listener's events arrive through them), until `done` holds or time is up.
class ChannelFixture : public testing::Test {
 protected:
  plchost::TChannelEvents Events() {
    plchost::TChannelEvents events;
    events.Opened = [this] { Queue.Push(THostEvent::Opened(0)); };
    events.Received = [this](std::vector<uint8_t> bytes) {
      Queue.Push(THostEvent::Received(0, std::move(bytes)));
    };
    events.Closed = [this](const std::string& reason) {
      Queue.Push(THostEvent::Closed(0, reason));
    };
    events.OpenFailed = [this](const std::string& reason, uint32_t retryMs) {
      Queue.Push(THostEvent::OpenFailed(0, reason, retryMs));
    };
    return events;
  }

  bool WaitUntil(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    const platform::Handle ready = Queue.Handle();
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      platform::MsgWaitForAny(&ready, 1, 50);
      platform::Message message;
      while (platform::PeekMessageRemove(message)) platform::DispatchMessageTo(message);
      for (THostEvent& event : Queue.TakeAll()) Seen.push_back(std::move(event));
    }
    return true;
  }

  int Count(Kind kind) const {
    int count = 0;
    for (const THostEvent& event : Seen) count += event.Kind == kind;
    return count;
  }

  static plchost::TLinkOpener Opener(int port) {
    plchost::TChannelOptions options;
    options.Kind = plchost::TChannelKind::Tcp;
    options.Host = "127.0.0.1";
    options.Port = port;
    return plchost::LinkOpenerOf(options, 2000);
  }

  plchost::THostEventQueue Queue;
  std::vector<THostEvent> Seen;
};

TEST_F(ChannelFixture, OpensAgainAfterThePeerDropsTheConnection) {
  int connections = 0;
  std::vector<uint8_t> fromHost;
  platform::TcpListener* self = nullptr;
  platform::ListenerEvents events;
  events.connected = [&](platform::ClientId client) {
    ++connections;
    const uint8_t hello[] = {'h', 'i'};
    self->Send(client, hello, sizeof hello);
  };
  events.received = [&](platform::ClientId client, const std::vector<uint8_t>& bytes) {
    fromHost.insert(fromHost.end(), bytes.begin(), bytes.end());
    self->DropClient(client);
  };
  platform::TcpListener listener(events);
  self = &listener;
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0));

  plchost::TChannel channel(Opener(listener.Port()), plchost::TBackoff(10, 40), Events());
  const uint8_t ping[] = {'p'};
  EXPECT_EQ(channel.Send(ping, 1), -1) << "not open yet";
  channel.Start();

  // Each connection: the peer greets, the host answers, the peer drops.
  ASSERT_TRUE(WaitUntil([&] {
    if (!Seen.empty() && Seen.back().Kind == Kind::Received) channel.Send(ping, 1);
    return Count(Kind::Closed) >= 2 && Count(Kind::Opened) >= 3 && connections >= 3;
  }));
  channel.Stop();

  EXPECT_GE(connections, 3);
  EXPECT_GE(fromHost.size(), 2u);
  // Opened, the greeting (in one piece or more), Closed, Opened again.
  ASSERT_EQ(Seen.front().Kind, Kind::Opened);
  std::string greeting;
  size_t next = 1;
  for (; next < Seen.size() && Seen[next].Kind == Kind::Received; ++next) {
    greeting.append(Seen[next].Bytes.begin(), Seen[next].Bytes.end());
  }
  EXPECT_EQ(greeting, "hi");
  ASSERT_LT(next + 1, Seen.size());
  EXPECT_EQ(Seen[next].Kind, Kind::Closed);
  EXPECT_FALSE(Seen[next].Reason.empty());
  EXPECT_EQ(Seen[next + 1].Kind, Kind::Opened);
  EXPECT_EQ(Count(Kind::OpenFailed), 0);
}

TEST_F(ChannelFixture, WaitsLongerAfterEveryRefusedAttempt) {
  int port = 0;
  {
    platform::TcpListener closed({});
    ASSERT_TRUE(closed.Listen("127.0.0.1", 0));
    port = closed.Port();
  }
  plchost::TChannel channel(Opener(port), plchost::TBackoff(5, 20), Events());
  channel.Start();
  ASSERT_TRUE(WaitUntil([&] { return Count(Kind::OpenFailed) >= 4; }));
  channel.Stop();

  ASSERT_EQ(Seen[0].Kind, Kind::OpenFailed);
  EXPECT_FALSE(Seen[0].Reason.empty());
  EXPECT_EQ(Seen[0].RetryMs, 5u);
  EXPECT_EQ(Seen[1].RetryMs, 10u);
  EXPECT_EQ(Seen[2].RetryMs, 20u);
  EXPECT_EQ(Seen[3].RetryMs, 20u);
  const uint8_t ping[] = {'p'};
  EXPECT_EQ(channel.Send(ping, 1), -1);
}

TEST_F(ChannelFixture, StopsPromptlyWhilePausing) {
  plchost::TChannel channel(
      [](std::string& error) {
        error = "refused";
        return std::unique_ptr<plchost::IChannelLink>();
      },
      plchost::TBackoff(3600000, 3600000), Events());
  channel.Start();
  ASSERT_TRUE(WaitUntil([&] { return Count(Kind::OpenFailed) >= 1; }));
  channel.Stop();  // returns although the pause would last an hour
  EXPECT_EQ(Seen[0].Reason, "refused");
}

TEST_F(ChannelFixture, ReopenClosesTheOpenConnectionAndOpensANewOne) {
  int connections = 0;
  int closedByHost = 0;
  platform::ListenerEvents events;
  events.connected = [&](platform::ClientId) { ++connections; };
  events.closed = [&](platform::ClientId) { ++closedByHost; };
  platform::TcpListener listener(events);
  ASSERT_TRUE(listener.Listen("127.0.0.1", 0));
  plchost::TChannel channel(Opener(listener.Port()), plchost::TBackoff(10, 40), Events());
  channel.Reopen();  // nothing open yet: the first connection stays
  channel.Start();
  ASSERT_TRUE(WaitUntil([&] { return Count(Kind::Opened) >= 1 && connections >= 1; }));
  channel.Reopen();
  ASSERT_TRUE(WaitUntil([&] { return Count(Kind::Opened) >= 2 && connections >= 2; }));
  ASSERT_TRUE(WaitUntil([&] { return closedByHost >= 1; }));
  channel.Stop();

  ASSERT_GE(Seen.size(), 3u);
  EXPECT_EQ(Seen[0].Kind, Kind::Opened);
  EXPECT_EQ(Seen[1].Kind, Kind::Closed);
  EXPECT_EQ(Seen[1].Reason, "reopened");
  EXPECT_EQ(Seen[2].Kind, Kind::Opened);
  EXPECT_EQ(connections, 2);
}

}  // namespace
