#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "NoDaveTestSupport.h"

namespace {

class Read : public nodave_test::LinkTest {
 protected:
  void ConnectWithPdu(int32_t pduLength) {
    control_->pduLength = pduLength;
    link_->PortHandle = 1;
    link_->ReadOnConnect = false;
    link_->Connect();
    ASSERT_TRUE(link_->Active());
  }

  // The stand-in's read data: each byte is the low byte of its PLC address.
  static bool HoldsAddresses(const std::vector<uint8_t>& buffer, int32_t start) {
    for (size_t i = 0; i < buffer.size(); ++i) {
      if (buffer[i] != static_cast<uint8_t>(start + static_cast<int32_t>(i))) return false;
    }
    return true;
  }
};

// Counters and timers are addressed by number (two bytes each), every other area by
// byte: a piece of a long read must start where the last one ended in the area's unit.
TEST_F(Read, ALongReadGoesInPduSizedPiecesEachToItsPlace) {
  struct Piece {
    int32_t start, length;
  };
  const struct {
    TNoDaveArea area;
    int32_t areaCode, start, size, pdu;
    std::vector<Piece> pieces;
  } cases[] = {
      {daveDB, 132, 100, 500, 240, {{100, 216}, {316, 216}, {532, 68}}},
      {daveCounter, 28, 10, 500, 240, {{10, 216}, {118, 216}, {226, 68}}},
      {daveTimer, 29, 0, 300, 240, {{0, 216}, {108, 84}}},
      {daveCounter, 28, 4, 10, 29, {{4, 4}, {6, 4}, {8, 2}}},  // 5 bytes a piece: 2 counters
      {daveFlags, 131, 4, 10, 29, {{4, 5}, {9, 5}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("area " + std::to_string(c.areaCode) + ", PDU " + std::to_string(c.pdu));
    *control_ = TFakeNoDaveControl();
    link_->Disconnect();
    ConnectWithPdu(c.pdu);
    std::vector<uint8_t> buffer(static_cast<size_t>(c.size));
    link_->ReadBytes(c.area, 5, c.start, c.size, buffer.data());
    EXPECT_EQ(link_->LastError(), 0);
    ASSERT_EQ(control_->readCalls, static_cast<int32_t>(c.pieces.size()));
    for (size_t i = 0; i < c.pieces.size(); ++i) {
      EXPECT_EQ(control_->reads[i].area, c.areaCode);
      EXPECT_EQ(control_->reads[i].start, c.pieces[i].start) << "piece " << i;
      EXPECT_EQ(control_->reads[i].length, c.pieces[i].length) << "piece " << i;
    }
    if (c.area == daveDB) {
      EXPECT_TRUE(HoldsAddresses(buffer, c.start));
    }
  }
  EXPECT_TRUE(errors_.empty());
}

TEST_F(Read, AFailedPieceFailsTheWholeReadAndIsReportedWithTheLibrarysText) {
  ConnectWithPdu(240);
  for (const int32_t failing : {1, 2, 3}) {
    *control_ = TFakeNoDaveControl();
    control_->failingRead = failing;
    errors_.clear();
    std::vector<uint8_t> buffer(500);
    link_->ReadBytes(daveDB, 1, 0, 500, buffer.data());
    EXPECT_EQ(link_->LastError(), 5) << "piece " << failing;
    EXPECT_EQ(control_->readCalls, failing);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0],
              "Error in function TNoDave.DoReadBytes: the PLC refused the request (area " +
                  std::to_string(132) + ", DB 1, offset " + std::to_string(216 * (failing - 1)) +
                  ", " + (failing == 3 ? "68" : "216") + " bytes)");
  }
  EXPECT_EQ(link_->LastErrMsg(), "the PLC refused the request");

  // A good read of another range is no recovery of the failing one, so a
  // request that keeps failing beside good ones does not flood the log.
  *control_ = TFakeNoDaveControl();
  std::vector<uint8_t> buffer(500);
  link_->ReadBytes(daveDB, 1, 0, 10, buffer.data());
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_TRUE(infos_.empty());
  link_->ReadBytes(daveDB, 1, 0, 500, buffer.data());
  link_->ReadBytes(daveDB, 1, 0, 500, buffer.data());
  EXPECT_EQ(infos_, std::vector<std::string>{
                        "Reading from the PLC again (area 132, DB 1, offset 0, 500 bytes)"});
}

// Only a connection that is gone (lost, no longer connected, ended by the PLC as a
// gateway reports it) is given up: a read that timed out or was refused may
// succeed next time on the same connection.
TEST_F(Read, AConnectionThePlcEndedLeavesTheLinkInactive) {
  const struct {
    int32_t failure;
    bool staysActive;
  } cases[] = {{5, true}, {-1025, true}, {-1026, false}, {-1028, false}, {-1044, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE("read result " + std::to_string(c.failure));
    link_->Disconnect();
    *control_ = TFakeNoDaveControl();
    ConnectWithPdu(240);
    control_->failingRead = 1;
    control_->readFailure = c.failure;
    std::vector<uint8_t> buffer(10);
    link_->ReadBytes(daveDB, 1, 0, 10, buffer.data());
    EXPECT_EQ(link_->LastError(), c.failure);
    EXPECT_EQ(link_->Active(), c.staysActive);
    EXPECT_EQ(control_->plcDisconnects, c.staysActive ? 0 : 1);
  }
}

TEST_F(Read, ReadSizesFollowTheConnectionAndTheGateway) {
  EXPECT_EQ(link_->MaxReadSize(), 200);
  ConnectWithPdu(10);
  EXPECT_EQ(link_->MaxReadSize(), 200);
  link_->SetProtocol(daveProtoIBH);
  ConnectWithPdu(960);
  EXPECT_EQ(link_->MaxReadSize(), 220);
  link_->SetProtocol(daveProtoISOTCP);
  ConnectWithPdu(960);
  EXPECT_EQ(link_->MaxReadSize(), 936);
}

TEST_F(Read, NothingToReadMakesNoCallAndNonsenseIsRefused) {
  ConnectWithPdu(240);
  std::vector<uint8_t> longRead(216 * 30);  // 30 pieces of at least 1 ms each
  link_->ReadBytes(daveDB, 1, 0, static_cast<int32_t>(longRead.size()), longRead.data());
  EXPECT_GT(link_->CycleTime(), 0u);
  control_->readCalls = 0;
  uint8_t byte = 0;
  link_->ReadBytes(daveDB, 1, 0, 0, &byte);
  EXPECT_EQ(link_->LastError(), TNoDave::kNoLibraryCall);
  EXPECT_EQ(link_->CycleTime(), 0u);
  link_->ReadBytes(daveDB, 1, -4, 1, &byte);
  link_->ReadBytes(daveDB, 1, 0x7FFFFFFF, 2, &byte);
  link_->DoReadBytes(daveDB, 1, 0, 4, nullptr);
  EXPECT_EQ(link_->LastError(), TNoDave::kNoLibraryCall);
  EXPECT_EQ(control_->readCalls, 0);
  ASSERT_EQ(errors_.size(), 3u);
  EXPECT_EQ(errors_[2], "Error in function TNoDave.DoReadBytes: no buffer to read into");
}

TEST_F(Read, AClosedLinkReadsNothingAndTouchesNoRecord) {
  ConnectWithPdu(240);
  link_->Disconnect();
  link_->ReadData();
  EXPECT_EQ(link_->LastError(), TNoDave::kNotConnected);
  uint8_t buffer[4];
  link_->ReadBytes(daveDB, 1, 0, 4, buffer);
  EXPECT_EQ(link_->LastError(), TNoDave::kNotConnected);
  EXPECT_EQ(link_->LastErrMsg(), "not connected to the PLC");
  EXPECT_EQ(control_->readCalls, 0);
}

TEST_F(Read, WithoutABufferTheOwnBufferTakesTheRangeAndOnReadIsRaised) {
  ConnectWithPdu(240);
  int reads = 0;
  link_->OnRead = [&](TNoDave&) { ++reads; };
  link_->ReadBytes(daveInputs, 0, 10, 3, nullptr);
  EXPECT_EQ(link_->LastError(), 0);
  EXPECT_EQ(reads, 1);
  EXPECT_EQ(link_->Area(), daveInputs);
  EXPECT_EQ(link_->BufOffs(), 10);
  EXPECT_EQ(link_->BufLen(), 3);
  EXPECT_EQ(link_->Buffer(), "0A 0B 0C");
  EXPECT_EQ(control_->reads[0].area, 129);
}

TEST_F(Read, ReadsFromSeveralThreadsDoNotMeetInsideTheLibrary) {
  ConnectWithPdu(240);
  errors_.clear();
  auto reader = [this](int32_t start) {
    std::vector<uint8_t> buffer(300);
    for (int i = 0; i < 10; ++i) link_->DoReadBytes(daveDB, 1, start, 300, buffer.data());
  };
  std::thread first(reader, 0);
  std::thread second(reader, 1000);
  first.join();
  second.join();
  EXPECT_EQ(control_->readCalls, 40);
  EXPECT_EQ(control_->overlappingReads, 0);
}

}  // namespace
