#include <gtest/gtest.h>

#include "PlcsimTestSupport.h"

namespace plcsim_test {
namespace {

// The confirm a client expects: the request with code D0, the client's
// reference as destination and ours as source.
Bytes ExpectedConfirm(Bytes request) {
  request[5] = 0xD0;
  request[6] = request[8];
  request[7] = request[9];
  request[8] = 0;
  request[9] = 1;
  return request;
}

TEST(Connection, AcceptsAnyRackSlotAndTsapAndMirrorsTheRequest) {
  RunningServer server;
  const Bytes tsaps[] = {{1, 2}, {1, 0}, {2, 0x23}, {3, 0x3F}, {0x4D, 0x57}};
  for (const Bytes& tsap : tsaps) {
    RawClient client(server.Port());
    const Bytes request = ConnectRequest(tsap);
    client.Send(request);
    EXPECT_EQ(client.ReceivePacket(), ExpectedConfirm(request));
    // 22 bytes: what clients that look for an exact confirm need.
    EXPECT_EQ(request.size(), 22u);
  }
}

TEST(Connection, TpduSizeIsCappedAt1024AndAddedWhenMissing) {
  RunningServer server;
  {
    RawClient client(server.Port());
    client.Send(ConnectRequest({1, 2}, {0xC0, 1, 0x0D}));
    const std::optional<Bytes> confirm = client.ReceivePacket();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(confirm->back(), 0x0A);
  }
  RawClient client(server.Port());
  client.Send(ConnectRequest({1, 2}, {}));
  const std::optional<Bytes> confirm = client.ReceivePacket();
  ASSERT_TRUE(confirm);
  ASSERT_EQ(confirm->size(), 22u);
  EXPECT_EQ(Bytes(confirm->end() - 3, confirm->end()), (Bytes{0xC0, 1, 0x07}));
}

struct Negotiation {
  uint16_t offered;
  uint16_t requested;
  uint16_t granted;
};

class PduNegotiation : public testing::TestWithParam<Negotiation> {};

TEST_P(PduNegotiation, GrantsTheRequestWithinTheOffer) {
  RunningServer server(plcsim::kDefaultDescription, GetParam().offered);
  RawClient client(server.Port());
  EXPECT_EQ(client.Connect(GetParam().requested), GetParam().granted);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PduNegotiation,
                         testing::Values(Negotiation{960, 960, 960}, Negotiation{960, 240, 240},
                                         Negotiation{960, 480, 480}, Negotiation{960, 1920, 960},
                                         Negotiation{960, 100, 240}, Negotiation{480, 960, 480},
                                         Negotiation{240, 960, 240}));

TEST(Connection, SetupAnswerIsTwentyBytesWithTheJobsReference) {
  RunningServer server;
  RawClient client(server.Port());
  client.Send(ConnectRequest({1, 2}));
  ASSERT_TRUE(client.ReceivePacket());
  client.Send(DataPacket(Job({0xF0, 0, 0, 3, 0, 2, 0x03, 0xC0}, 0xFFFF)));
  const std::optional<Bytes> pdu = client.ReceivePdu();
  EXPECT_EQ(pdu,
            (Bytes{0x32, 3, 0, 0, 0xFF, 0xFF, 0, 8, 0, 0, 0, 0, 0xF0, 0, 0, 3, 0, 2, 0x03, 0xC0}));
}

TEST(Connection, DisconnectRequestIsConfirmedAndTheConnectionCloses) {
  RunningServer server;
  RawClient client(server.Port());
  client.Connect();
  client.Send(Tpkt({6, 0x80, 0, 1, 0x12, 0x34, 0x80}));
  EXPECT_EQ(client.ReceivePacket(), Tpkt({5, 0xC0, 0x12, 0x34, 0, 1}));
  EXPECT_TRUE(client.WaitForClose());
}

TEST(Connection, AnswersLargerThanTheTpduAreSentInFragments) {
  RunningServer server;
  RawClient client(server.Port());
  client.Send(ConnectRequest({1, 2}, {0xC0, 1, 0x07}));  // 128-byte TPDUs
  ASSERT_TRUE(client.ReceivePacket());
  ASSERT_TRUE(client.Exchange(SetupJob(960)));
  client.Send(DataPacket(ReadJob({ByteRead(0x84, 2, 0, 300)})));
  int tpdus = 0;
  const std::optional<Bytes> pdu = client.ReceivePdu(&tpdus);
  ASSERT_TRUE(pdu);
  EXPECT_EQ(pdu->size(), 12u + 2 + 4 + 300);
  EXPECT_EQ(tpdus, 3);  // 125 data bytes per TPDU
}

TEST(Connection, RequestsSentInFragmentsAreReassembled) {
  RunningServer server;
  RawClient client(server.Port());
  client.Connect();
  const Bytes job = ReadJob({ByteRead(0x84, 2, 10, 4)});
  client.Send(DataPacket(Bytes(job.begin(), job.begin() + 5), false));
  client.Send(DataPacket(Bytes(job.begin() + 5, job.end())));
  const std::optional<Bytes> pdu = client.ReceivePdu();
  ASSERT_TRUE(pdu);
  EXPECT_EQ(Bytes(pdu->end() - 4, pdu->end()), (Bytes{10, 11, 12, 13}));
}

}  // namespace
}  // namespace plcsim_test
