// Answers to a read that arrive in pieces, malformed, or not at all.
#include <algorithm>
#include <string>

#include "IsoTestSupport.h"

namespace {

const Bytes kData{0x11, 0x22, 0x33, 0x44, 0x55, 0x66};

Bytes GoodAnswer(uint16_t reference) {
  return AnswerPdu(reference, {0x04, 1}, ReadItemData(0xFF, 0x04, 6 * 8, kData));
}

// The PDU cut into data units of at most `piece` bytes, only the last one marked.
Bytes Fragmented(const Bytes& pdu, size_t piece) {
  Bytes units;
  for (size_t at = 0; at < pdu.size(); at += piece) {
    const size_t end = std::min(pdu.size(), at + piece);
    const Bytes unit = DataUnit(Bytes(pdu.begin() + at, pdu.begin() + end), end == pdu.size());
    units.insert(units.end(), unit.begin(), unit.end());
  }
  return units;
}

ScriptServer::Step Raw(const std::function<Bytes(uint16_t reference)>& make, bool close = false) {
  return [make, close](const Bytes& job) {
    return ScriptServer::Reply{make(JobReference(job)), close};
  };
}

using IsoFrames = IsoTcpTest;

TEST_F(IsoFrames, FragmentedAnswerIsJoined) {
  StartConnected({Raw([](uint16_t ref) { return Fragmented(GoodAnswer(ref), 5); })});
  uint8_t buffer[6] = {};
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 6), kData);
}

TEST_F(IsoFrames, EmptyDataUnitBeforeTheAnswerIsSkipped) {
  StartConnected({Raw([](uint16_t ref) {
    Bytes units = DataUnit({});
    const Bytes answer = DataUnit(GoodAnswer(ref));
    units.insert(units.end(), answer.begin(), answer.end());
    return units;
  })});
  uint8_t buffer[6] = {};
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 6), kData);
}

TEST_F(IsoFrames, GarbageIsDroppedAndTheNextReadWorks) {
  StartConnected({Send({0x47, 0x45, 0x54, 0x20, 0x2F, 0x20, 0x48, 0x54, 0x54, 0x50}),
                  Raw([](uint16_t ref) { return DataUnit(GoodAnswer(ref)); })});
  uint8_t buffer[6] = {};
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResCannotEvaluatePDU);
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 6), kData);
}

TEST_F(IsoFrames, PlcClosingOrDisconnectingIsConnectionLost) {
  StartConnected({Send({}, true)});
  uint8_t buffer[6];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResConnectionLost);
  Finish();

  StartConnected({Send(Tpkt({0x06, 0x80, 0x00, 0x01, 0x00, 0x01, 0x80}))});
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResConnectionLost);
}

TEST_F(IsoFrames, PacketCutOffByCloseIsConnectionLost) {
  StartConnected({Raw(
      [](uint16_t ref) {
        const Bytes unit = DataUnit(GoodAnswer(ref));
        return Bytes(unit.begin(), unit.begin() + 12);
      },
      true)});
  uint8_t buffer[6];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResConnectionLost);
}

TEST_F(IsoFrames, AnswerLongerThanAnyPduIsRefusedWithoutOverrun) {
  // 9000 bytes of PDU in units: more than the library accepts as one answer.
  StartConnected({Raw([](uint16_t ref) {
                    Bytes pdu = GoodAnswer(ref);
                    pdu.resize(9000, 0x5A);
                    return Fragmented(pdu, 1000);
                  }),
                  Raw([](uint16_t ref) { return DataUnit(GoodAnswer(ref)); })});
  uint8_t buffer[6] = {};
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResCannotEvaluatePDU);
  // The oversized answer was read to its end: the stream is still in step.
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 6), kData);
}

struct BadAnswer {
  const char* what;
  std::function<Bytes(uint16_t)> pdu;
  int32_t result;
};

class IsoBadAnswer : public IsoTcpTest, public ::testing::WithParamInterface<BadAnswer> {};

TEST_P(IsoBadAnswer, GivesResultCodeAndLeavesBufferAlone) {
  StartConnected({AnswerWith(GetParam().pdu)});
  Bytes buffer(16, 0xEE);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 6, buffer.data()), GetParam().result)
      << GetParam().what;
  EXPECT_EQ(buffer, Bytes(16, 0xEE));
  EXPECT_EQ(dc_->AnswLen, 0);
}

Bytes Modified(uint16_t ref, size_t at, uint8_t value) {
  Bytes pdu = GoodAnswer(ref);
  pdu.at(at) = value;
  return pdu;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, IsoBadAnswer,
    ::testing::Values(
        BadAnswer{"header cut short",
                  [](uint16_t) {
                    return Bytes{0x32, 0x03, 0x00};
                  },
                  daveResShortPacket},
        BadAnswer{"not an S7 PDU", [](uint16_t ref) { return Modified(ref, 0, 0x33); },
                  daveResCannotEvaluatePDU},
        BadAnswer{"a job instead of an answer", [](uint16_t ref) { return Modified(ref, 1, 0x01); },
                  daveResCannotEvaluatePDU},
        BadAnswer{"data length beyond the PDU", [](uint16_t ref) { return Modified(ref, 9, 0x40); },
                  daveResCannotEvaluatePDU},
        BadAnswer{"data length short of the PDU",
                  [](uint16_t ref) { return Modified(ref, 9, 0x04); }, daveResCannotEvaluatePDU},
        BadAnswer{"item length beyond the data",
                  [](uint16_t ref) { return Modified(ref, 17, 0x80); }, daveResCannotEvaluatePDU},
        BadAnswer{"item header cut short",
                  [](uint16_t ref) {
                    return AnswerPdu(ref, {0x04, 1}, {0xFF, 0x04});
                  },
                  daveResCannotEvaluatePDU},
        BadAnswer{"two items for one", [](uint16_t ref) { return Modified(ref, 13, 0x02); },
                  daveResCannotEvaluatePDU},
        BadAnswer{"other function", [](uint16_t ref) { return Modified(ref, 12, 0x05); },
                  daveResUnexpectedFunc},
        BadAnswer{"unknown transport size", [](uint16_t ref) { return Modified(ref, 15, 0x0F); },
                  daveResUnknownDataUnitSize},
        BadAnswer{"fewer bytes than asked",
                  [](uint16_t ref) {
                    return AnswerPdu(ref, {0x04, 1}, ReadItemData(0xFF, 0x04, 16, {1, 2}));
                  },
                  daveResCPUNoData}));

}  // namespace
