// End-to-end reads against the Snap7 server peer (scripts/peers.sh exports its
// address). Its memory follows tests/peers/PeerMemory.h.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "../peers/PeerMemory.h"
#include "nodave.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Expected(const peers::PeerArea& area, size_t start, size_t length) {
  Bytes bytes(length);
  for (size_t i = 0; i < length; ++i) {
    bytes[i] = peers::PeerByte(area.Seed, start + i);
  }
  return bytes;
}

const peers::PeerArea& Area(int s7Code, int db = 0) {
  const peers::PeerArea* area = peers::FindPeerArea(s7Code, db);
  EXPECT_NE(area, nullptr);
  return area != nullptr ? *area : peers::kPeerAreas[0];
}

class Snap7 : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* address = std::getenv("MOX_SNAP7_ADDR");
    if (address == nullptr || *address == '\0') {
      GTEST_SKIP() << "MOX_SNAP7_ADDR is not set: start the Snap7 peer with scripts/peers.sh "
                      "(peers_start) to run the end-to-end reads";
    }
    const std::string text = address;
    const size_t colon = text.rfind(':');
    ASSERT_NE(colon, std::string::npos) << "MOX_SNAP7_ADDR must be host:port";
    host_ = text.substr(0, colon);
    port_ = std::atoi(text.c_str() + colon + 1);
  }

  void TearDown() override {
    if (dc_ != nullptr) {
      daveDisconnectPLC(dc_);
      daveFree(dc_);
    }
    if (di_ != nullptr) {
      daveDisconnectAdapter(di_);
      daveFree(di_);
    }
    if (socket_ > 0) {
      closeSocket(socket_);
    }
  }

  void Connect(int32_t protocol = daveProtoISOTCP) {
    socket_ = openSocket(port_, host_.c_str());
    ASSERT_GT(socket_, 0) << "cannot reach the Snap7 peer at " << host_ << ":" << port_;
    di_ = daveNewInterface(daveOSserialType{socket_, socket_}, "IF1", 0, protocol, daveSpeed187k);
    di_->timeout = 5000000;
    dc_ = daveNewConnection(di_, 2, 0, 2);
    ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  }

  // Reads `length` bytes in pieces as large as the PDU allows.
  int32_t ReadAll(int32_t area, int32_t db, int32_t start, int32_t length, Bytes& out) {
    out.assign(static_cast<size_t>(length), 0);
    const int32_t piece = dc_->maxPDUlength - 18;
    for (int32_t done = 0; done < length; done += piece) {
      const int32_t result = daveReadBytes(dc_, area, db, start + done,
                                           std::min(piece, length - done), out.data() + done);
      if (result != daveResOK) {
        return result;
      }
    }
    return daveResOK;
  }

  std::string host_;
  int32_t port_ = 0;
  int32_t socket_ = 0;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

TEST_F(Snap7, NegotiatesAPduNoLargerThanAsked) {
  Connect();
  EXPECT_GE(dc_->maxPDUlength, 240);
  EXPECT_LE(dc_->maxPDUlength, daveRequestedPDU);
}

TEST_F(Snap7, WholeDataBlockInPduSizedPieces) {
  Connect();
  const peers::PeerArea& db1 = Area(peers::kS7DataBlock, 1);
  Bytes data;
  ASSERT_EQ(ReadAll(daveDB, 1, 0, db1.Size, data), daveResOK);
  EXPECT_EQ(data, Expected(db1, 0, static_cast<size_t>(db1.Size)));
}

TEST_F(Snap7, EveryServedArea) {
  Connect();
  struct Case {
    int32_t area;
    int s7Code;
    int db;
  };
  for (const Case& c :
       {Case{daveInputs, peers::kS7Inputs, 0}, Case{daveOutputs, peers::kS7Outputs, 0},
        Case{daveFlags, peers::kS7Flags, 0}, Case{daveDB, peers::kS7DataBlock, 2},
        Case{daveDB, peers::kS7DataBlock, 10}}) {
    const peers::PeerArea& area = Area(c.s7Code, c.db);
    Bytes data(13);
    ASSERT_EQ(daveReadBytes(dc_, c.area, c.db, 7, 13, data.data()), daveResOK) << area.Name;
    EXPECT_EQ(data, Expected(area, 7, 13)) << area.Name;
  }
}

TEST_F(Snap7, CountersAndTimersFromNumberZero) {
  Connect();
  for (int32_t area : {int32_t{daveCounter}, int32_t{daveTimer}}) {
    const peers::PeerArea& served =
        Area(area == daveCounter ? peers::kS7Counters : peers::kS7Timers);
    Bytes data(6);
    ASSERT_EQ(daveReadBytes(dc_, area, 0, 0, 6, data.data()), daveResOK) << served.Name;
    EXPECT_EQ(data, Expected(served, 0, 6)) << served.Name;
  }
}

TEST_F(Snap7, ItemErrorsOfMissingBlocksShortBlocksAndUnservedAreas) {
  Connect();
  uint8_t buffer[16];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 99, 0, 4, buffer), daveResItemNotAvailable);
  const peers::PeerArea& db10 = Area(peers::kS7DataBlock, 10);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 10, db10.Size - 4, 8, buffer), daveAddressOutOfRange);
  EXPECT_EQ(daveReadBytes(dc_, daveDI, 1, 0, 4, buffer), daveResItemNotAvailable);
  // The connection goes on after item errors.
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 10, 0, 4, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 4), Expected(db10, 0, 4));
}

TEST_F(Snap7, ReadLargerThanThePduIsRefusedLocally) {
  Connect();
  Bytes data(static_cast<size_t>(dc_->maxPDUlength));
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, dc_->maxPDUlength - 17, data.data()),
            daveResReadTooLarge);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, dc_->maxPDUlength - 18, data.data()), daveResOK);
}

TEST_F(Snap7, Cp243ProtocolConnectsAndReads) {
  Connect(daveProtoISOTCP243);
  const peers::PeerArea& db1 = Area(peers::kS7DataBlock, 1);
  Bytes data(32);
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 100, 32, data.data()), daveResOK);
  EXPECT_EQ(data, Expected(db1, 100, 32));
}

TEST_F(Snap7, ReconnectOnAFreshSocketManyTimes) {
  // Repeated connects must not run out of sockets or records.
  for (int i = 0; i < 20; ++i) {
    Connect();
    daveDisconnectPLC(dc_);
    daveFree(dc_);
    dc_ = nullptr;
    daveFree(di_);
    di_ = nullptr;
    ASSERT_EQ(closeSocket(socket_), daveResOK);
    socket_ = 0;
  }
}

}  // namespace
