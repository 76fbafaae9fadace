#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "PlcsimTestSupport.h"

namespace plcsim_test {
namespace {

// A client that stays connected beside the bad one must still be served.
void ExpectStillServing(RawClient& bystander) {
  EXPECT_EQ(bystander.ReadOne(ByteRead(0x84, 2, 3, 2)).bytes, (Bytes{3, 4}));
}

struct BadInput {
  const char* name;
  bool connectFirst;
  Bytes bytes;
};

class BadFrames : public testing::TestWithParam<BadInput> {};

TEST_P(BadFrames, CloseTheConnectionAndLeaveOthersServed) {
  RunningServer server;
  RawClient bystander(server.Port());
  bystander.Connect();
  RawClient client(server.Port());
  if (GetParam().connectFirst) {
    client.Connect();
  }
  client.Send(GetParam().bytes);
  EXPECT_TRUE(client.WaitForClose());
  ExpectStillServing(bystander);
  RawClient next(server.Port());
  EXPECT_EQ(next.Connect(), 960);
}

Bytes Oversized() {
  Bytes packet = {3, 0, 0x10, 0x01, 2, 0xF0, 0x80};  // 4097 bytes
  packet.resize(4097, 0);
  return packet;
}

// Fragments without an end, adding up to more than any PDU.
Bytes EndlessFragments() {
  Bytes bytes;
  for (int k = 0; k < 5; ++k) {
    const Bytes piece = DataPacket(Bytes(1000, 0x32), false);
    bytes.insert(bytes.end(), piece.begin(), piece.end());
  }
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadFrames,
    testing::Values(
        BadInput{"HttpRequest", false, {'G', 'E', 'T', ' ', '/', ' ', 'H', 'T', 'T', 'P'}},
        BadInput{"WrongTpktVersion", false, {4, 0, 0, 7, 2, 0xF0, 0x80}},
        BadInput{"TpktShorterThanATpdu", false, {3, 0, 0, 6, 2, 0xF0}},
        BadInput{"TpktLongerThanAllowed", false, Oversized()},
        BadInput{"LengthIndicatorPastThePacket", false, {3, 0, 0, 7, 0x20, 0xE0, 0}},
        BadInput{"DataBeforeConnecting", false, DataPacket(SetupJob(240))},
        BadInput{"ConnectionRequestWithBrokenParameters", false,
                 Tpkt({9, 0xE0, 0, 0, 0, 1, 0, 0xC1, 5, 1, 0})},
        BadInput{"UnknownTpdu", true, Tpkt({2, 0x70, 0x80})},
        BadInput{"SecondConnectionRequest", true, ConnectRequest({1, 2})},
        BadInput{"NotS7", true, DataPacket({0x33, 1, 0, 0, 0, 0, 0, 0, 0, 0})},
        BadInput{"ShortS7Header", true, DataPacket({0x32, 1, 0, 0})},
        BadInput{"S7LengthsTooLong", true, DataPacket({0x32, 1, 0, 0, 0, 0, 0, 8, 0, 0, 0xF0})},
        BadInput{"S7LengthsTooShort", true, DataPacket({0x32, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0})},
        BadInput{"AnAnswerInsteadOfAJob", true,
                 DataPacket({0x32, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})},
        BadInput{"DataHeaderTooLong", true, Tpkt({3, 0xF0, 0x80, 0, 0x32})},
        BadInput{"FragmentsBeyondAnyPdu", true, EndlessFragments()}),
    [](const testing::TestParamInfo<BadInput>& info) { return info.param.name; });

TEST(Robustness, PacketCutShortEndsWithTheClient) {
  RunningServer server;
  {
    RawClient client(server.Port());
    client.Connect();
    client.Send({3, 0, 0, 31, 2, 0xF0, 0x80, 0x32});
  }
  RawClient bystander(server.Port());
  bystander.Connect();
  ExpectStillServing(bystander);
}

TEST(Robustness, RandomPacketsNeverStopTheServer) {
  RunningServer server;
  RawClient bystander(server.Port());
  bystander.Connect();
  std::mt19937 random(20261209);
  for (int round = 0; round < 60; ++round) {
    RawClient client(server.Port());
    client.Connect();
    // A valid DT frame around a random S7 PDU, sometimes with a valid header.
    Bytes pdu(1 + random() % 40, 0);
    for (uint8_t& byte : pdu) {
      byte = static_cast<uint8_t>(random());
    }
    if (round % 2 == 0 && pdu.size() >= 10) {
      pdu[0] = 0x32;
      pdu[1] = 1;
      pdu[6] = 0;
      pdu[7] = static_cast<uint8_t>(pdu.size() - 10);
      pdu[8] = 0;
      pdu[9] = 0;
    }
    client.Send(DataPacket(pdu));
    // Either an answer or the end of the connection, never silence.
    const std::optional<Bytes> answer = client.ReceivePdu();
    if (answer) {
      EXPECT_EQ((*answer)[1], 3);
    } else {
      EXPECT_TRUE(client.WaitForClose());
    }
  }
  ExpectStillServing(bystander);
}

TEST(Robustness, ClientsBeyondTheLimitAreTurnedAway) {
  RunningServer server(plcsim::kDefaultDescription, 960, 2);
  RawClient first(server.Port());
  first.Connect();
  RawClient second(server.Port());
  second.Connect();
  RawClient third(server.Port());
  EXPECT_TRUE(third.WaitForClose());
  ExpectStillServing(first);
}

TEST(Robustness, BadConnectionsAreLogged) {
  RunningServer server;
  {
    RawClient client(server.Port());
    client.Send({4, 0, 0, 7, 2, 0xF0, 0x80});
    EXPECT_TRUE(client.WaitForClose());
  }
  server.Server().Stop();
  bool logged = false;
  for (const std::string& line : server.Log()) {
    logged = logged || line.find("disconnected: not a TPKT packet") != std::string::npos;
  }
  EXPECT_TRUE(logged);
}

TEST(SeveralClients, AreServedAtOnce) {
  RunningServer server;
  constexpr int kClients = 8;
  constexpr int kReads = 50;
  std::vector<std::thread> threads;
  threads.reserve(kClients);
  std::vector<int> good(kClients, 0);
  for (int k = 0; k < kClients; ++k) {
    threads.emplace_back([&server, &good, k] {
      RawClient client(server.Port());
      if (client.Connect(240) != 240) {
        return;
      }
      for (int read = 0; read < kReads; ++read) {
        const uint32_t offset = static_cast<uint32_t>(k * 40 + read);
        const ItemData item = client.ReadOne(ByteRead(0x84, 2, offset, 3));
        const Bytes expected = {static_cast<uint8_t>(offset), static_cast<uint8_t>(offset + 1),
                                static_cast<uint8_t>(offset + 2)};
        good[k] += item.bytes == expected ? 1 : 0;
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (int k = 0; k < kClients; ++k) {
    EXPECT_EQ(good[k], kReads) << "client " << k;
  }
}

TEST(SeveralClients, StopEndsIdleConnections) {
  RunningServer server;
  RawClient idle(server.Port());
  idle.Connect();
  RawClient silent(server.Port());  // connected, never sent anything
  server.Server().Stop();
  EXPECT_TRUE(idle.WaitForClose());
  EXPECT_TRUE(silent.WaitForClose());
}

}  // namespace
}  // namespace plcsim_test
