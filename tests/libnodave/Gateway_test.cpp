// Our library against the simulator's Ethernet gateways on loopback sockets: the
// frames on the wire, reads compared with the simulator's memory, several connections
// at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include "GatewayTestSupport.h"

namespace {

bool Contains(const Bytes& stream, const Bytes& frame, size_t& from) {
  const auto found = std::search(stream.begin() + static_cast<std::ptrdiff_t>(from), stream.end(),
                                 frame.begin(), frame.end());
  from = static_cast<size_t>(found - stream.begin()) + frame.size();
  return found != stream.end();
}

class Gateways : public ::testing::TestWithParam<Gateway> {
 protected:
  GatewayServer server_{GetParam().make, Memory()};
};

TEST_P(Gateways, ReadsEqualTheSimulatorsMemory) {
  Client client(server_.Port(), GetParam());
  ASSERT_EQ(client.Connect(), daveResOK);
  EXPECT_EQ(client.Connection()->maxPDUlength, 240);
  ExpectReadsMatchMemory(client);
  Bytes data;
  EXPECT_EQ(client.Read(daveDB, 2, 0, 223, data), daveResReadTooLarge);
}

TEST_P(Gateways, ServesSeveralConnectionsAtOnce) {
  constexpr int kConnections = 3;
  std::vector<std::thread> threads;
  threads.reserve(kConnections);
  for (int k = 0; k < kConnections; ++k) {
    threads.emplace_back([this] {
      Client client(server_.Port(), GetParam());
      ASSERT_EQ(client.Connect(), daveResOK);
      for (int round = 0; round < 5; ++round) {
        ExpectReadsMatchMemory(client);
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
}

INSTANTIATE_TEST_SUITE_P(All, Gateways, ::testing::Values(kIbh, kIbhPpi, kNetLink),
                         [](const auto& info) { return std::string(info.param.name); });

// The frames of a connect and a read of 16 bytes of DB1 from 0 (PLC 2, local 0,
// 187.5 kbit/s), as the gateways know them.
TEST(GatewayFrames, AreTheGatewaysOwn) {
  const Bytes readPdu{0x32, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x0E, 0x00, 0x00, 0x04, 0x01,
                      0x12, 0x0A, 0x10, 0x02, 0x00, 0x10, 0x00, 0x01, 0x84, 0x00, 0x00, 0x00};
  const auto with = [&readPdu](Bytes head) {
    head.insert(head.end(), readPdu.begin(), readPdu.end());
    return head;
  };
  const struct {
    Gateway gateway;
    std::vector<Bytes> frames;
  } cases[] = {
      {kIbh,
       {{0x07, 0xFF, 0x06, 0x01, 0x00, 0x00, 0x97, 0x00, 0x14, 0xFF, 0xF0, 0xF0, 0xF0, 0xF0},
        {0x07, 0xFF, 0x11, 0x02, 0x00, 0x00, 0x82, 0x00, 0x14, 0x00, 0x02, 0x01, 0x0C,
         0xE0, 0x04, 0x00, 0x80, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x01, 0x00},
        {0xFF, 0x07, 0x05, 0x02, 0x82, 0x00, 0x00, 0x00, 0x14, 0x02, 0x14, 0x01, 0x09},
        {0x07, 0xFF, 0x07, 0x03, 0x00, 0x00, 0x82, 0x00, 0x14, 0x14, 0x02, 0x00, 0x02, 0x05, 0x01},
        {0x07, 0xFF, 0x19, 0x04, 0x00, 0x00, 0x82, 0x00, 0x14, 0x14, 0x02, 0x00, 0x14, 0xF1, 0x00},
        {0x07, 0xFF, 0x08, 0x05, 0x00, 0x00, 0x82, 0x00, 0x14, 0x14, 0x02, 0x00, 0x03, 0xB0, 0x01,
         0x00},
        with({0x07, 0xFF, 0x1F, 0x05, 0x00, 0x00, 0x82, 0x00, 0x14, 0x14, 0x02, 0x00, 0x1A, 0xF1,
              0x01}),
        {0x07, 0xFF, 0x08, 0x05, 0x00, 0x00, 0x82, 0x00, 0x14, 0x14, 0x02, 0x00, 0x03, 0xB0, 0x01,
         0x01}}},
      {kIbhPpi,
       {with({0x07, 0xFF, 0x1D, 0x02, 0x00, 0x00, 0x82, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x18}),
        {0x07, 0xFF, 0x05, 0x01, 0x00, 0x00, 0x82, 0x00, 0xFF, 0xFF, 0x02, 0x00, 0x00}}},
      {kNetLink,
       {{0x00, 0x17, 0x01, 0x03, 0x02, 0x27, 0x00, 0x9F, 0x01, 0x14, 0x00, 0x90, 0x01,
         0x0C, 0x00, 0x00, 0x05, 0x02, 0x00, 0x0F, 0x05, 0x01, 0x01, 0x03, 0x81},
        {0x00, 0x12, 0x04, 0x82, 0x80, 0x0D, 0x00, 0x14, 0xE0, 0x04,
         0x00, 0x80, 0x00, 0x02, 0x00, 0x02, 0x01, 0x00, 0x01, 0x00},
        {0x00, 0x08, 0x04, 0x82, 0x80, 0x0C, 0x03, 0x14, 0x05, 0x07},
        with({0x00, 0x1E, 0x14, 0x82, 0x80, 0x0C, 0x03, 0x14})}},
  };
  for (const auto& c : cases) {
    GatewayServer server(c.gateway.make, Memory());
    {
      Client client(server.Port(), c.gateway);
      ASSERT_EQ(client.Connect(), daveResOK) << c.gateway.name;
      Bytes data;
      ASSERT_EQ(client.Read(daveDB, 1, 0, 16, data), daveResOK) << c.gateway.name;
    }
    const Bytes stream = server.Received();
    size_t from = 0;
    for (const Bytes& frame : c.frames) {
      EXPECT_TRUE(Contains(stream, frame, from))
          << c.gateway.name << ": frame " << (&frame - c.frames.data());
    }
  }
}

// Our data frames through the IBH-Link count 0 to 255, then go on at 1; the packet
// numbers of the data frames count on from 4 and wrap at 256.
TEST(GatewayFrames, IbhNumbersWrapWithoutZero) {
  constexpr int kReads = 300;
  GatewayServer server(kIbh.make, Memory());
  {
    Client client(server.Port(), kIbh);
    ASSERT_EQ(client.Connect(), daveResOK);
    Bytes data;
    for (int k = 0; k < kReads; ++k) {
      ASSERT_EQ(client.Read(daveDB, 1, 0, 4, data), daveResOK);
    }
  }
  const Bytes stream = server.Received();
  std::vector<uint8_t> numbers;
  std::vector<uint8_t> packets;
  for (size_t at = 0; at + 15 <= stream.size(); at += 8 + size_t{stream[at + 2]}) {
    if (stream[at] == 0x07 && stream[at + 6] == 0x82 && stream[at + 13] == 0xF1) {
      numbers.push_back(stream[at + 14]);
      packets.push_back(stream[at + 3]);
    }
  }
  ASSERT_EQ(numbers.size(), size_t{kReads + 1});  // and setup communication first
  for (size_t k = 0; k < numbers.size(); ++k) {
    EXPECT_EQ(numbers[k], k < 256 ? k : k - 255) << k;
    EXPECT_EQ(packets[k], static_cast<uint8_t>(4 + k)) << k;
  }
}

}  // namespace
