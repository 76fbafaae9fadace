// Whole conversations with the simulated MPI adapter and PLC for each protocol code:
// adapter set-up, connection, reads compared with the PLC's memory, disconnection and
// reconnection; the bytes our side sends, against what adapters expect.
#include "MpiTestSupport.h"

namespace {

struct ReadCase {
  int32_t area;
  int32_t db;
  int32_t start;
  int32_t length;
};

const ReadCase kReads[] = {
    {daveDB, 1, 0, 222},    {daveDB, 1, 34, 8},     {daveDB, 1, 1000, 24},   {daveDB, 2, 100, 200},
    {daveInputs, 0, 0, 32}, {daveOutputs, 0, 0, 8}, {daveFlags, 0, 10, 100}, {daveCounter, 0, 0, 8},
    {daveTimer, 0, 0, 4},   {daveDB, 1, 512, 22},
};

using MpiConversation = MpiLineTest;

TEST_P(MpiConversation, ReadsDisconnectsAndReconnects) {
  Connect();
  for (int round = 0; round < 2; ++round) {
    for (const ReadCase& read : kReads) {
      ExpectRead(read.area, read.db, read.start, read.length);
    }
  }
  uint8_t buffer[240];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 223, buffer), daveResReadTooLarge);
  EXPECT_EQ(daveDisconnectPLC(dc_), daveResOK);
  EXPECT_EQ(daveDisconnectAdapter(di_), daveResOK);
  EXPECT_EQ(wire_->Unread(), 0U);
  Connect();
  ExpectRead(daveDB, 1, 34, 8);
}

TEST_P(MpiConversation, ItemErrorsComeThrough) {
  Connect();
  uint8_t buffer[16];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 99, 0, 4, buffer), daveResItemNotAvailable);
  ExpectRead(daveDB, 1, 34, 8);
}

INSTANTIATE_TEST_SUITE_P(Codes, MpiConversation, testing::ValuesIn(kMpiCodes), CodeName);

// What our side sends from the adapter's set-up to the first data telegram, as one
// stream, for the codes whose adapters are known byte for byte. On the 3964R line each
// answer costs two DLEs: one grants the adapter the line, one accepts its block.
struct WireCase {
  MpiCode code;
  std::vector<const char*> sent;
};

using MpiWire = MpiLine;

TEST_F(MpiWire, SentBytesMatchWhatAdaptersExpect) {
  const WireCase cases[] = {
      {kMpiCodes[0],
       {"02", "01 0D 02 10 03 1D", "10", "10", "02",
        "01 03 02 27 00 9F 01 3C 00 90 01 14 00 00 05 02 00 1F 02 01 01 03 80 10 03 8A", "10", "10",
        "02", "04 82 80 0D 00 14 E0 04 00 80 00 02 00 02 01 00 01 00 10 03 68", "10", "10", "02",
        "04 82 80 0C 12 14 05 01 10 03 1B", "10", "10", "02"}},
      {kMpiCodes[1],
       {"02", "01 03 02 17 00 9F 01 3C 00 90 01 14 00 00 05 02 00 0F 05 01 01 03 80 10 03 AD", "10",
        "10", "02", "00 0D 00 03 E0 04 00 80 00 02 01 06 01 00 00 01 02 02 01 00 10 03 7D", "10",
        "10", "02", "00 0C 03 03 05 01 10 03 1B", "10", "10", "02"}},
      {kMpiCodes[2],
       {"7E FC 9B CD 7E",
        "7E 00 17 E8 01 03 02 17 00 9F 01 3C 00 90 01 14 00 00 05 02 00 1F 05 01 01 03 80 34 78 "
        "7E",
        "7E 11 03 FC 01 08 02 C9 FB 7E",
        "7E 22 12 ED 04 82 00 0D 00 14 E0 04 00 80 00 02 00 02 01 00 01 00 CC FD 7E",
        "7E 33 08 F7 04 82 80 0C 12 14 05 01 82 6E 7E"}},
  };
  for (const WireCase& c : cases) {
    Start(c.code);
    ASSERT_EQ(daveInitAdapter(di_), daveResOK);
    dc_ = daveNewConnection(di_, 2, 0, 2);
    ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
    std::vector<Bytes> expected;
    for (const char* text : c.sent) {
      expected.push_back(Hex(text));
    }
    const Bytes sent = Join(wire_->Writes());
    const Bytes wanted = Join(expected);
    ASSERT_GE(sent.size(), wanted.size()) << c.code.personality;
    EXPECT_EQ(Bytes(sent.begin(), sent.begin() + wanted.size()), wanted) << c.code.personality;
  }
}

TEST_F(MpiWire, Step7LinkAcknowledgesAndNumbersLikeTheAdapter) {
  Start(kMpiCodes[2]);
  ASSERT_EQ(daveInitAdapter(di_), daveResOK);
  dc_ = daveNewConnection(di_, 2, 0, 2);
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  ExpectRead(daveDB, 1, 34, 8);
  const std::vector<Bytes>& writes = wire_->Writes();
  ASSERT_EQ(writes.size(), 9U);
  EXPECT_EQ(writes[5][1], 0x44);  // setup communication
  EXPECT_EQ(writes[6], Hex("7E 56 09 F6 04 82 80 0C 12 14 B0 01 00 B6 61 7E"));
  EXPECT_EQ(writes[7][1], 0x66);  // the read
  EXPECT_EQ(writes[8][1], 0x70);  // its acknowledgement: numbers wrap modulo 8
}

}  // namespace
