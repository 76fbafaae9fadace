#include <algorithm>
#include <string>

#include "IsoTestSupport.h"

namespace {

constexpr uint8_t kGuard = 0xEE;

// A caller's buffer with guard bytes behind the wanted length.
struct Buffer {
  explicit Buffer(size_t wanted) : bytes(wanted + 8, kGuard), wanted(wanted) {}
  uint8_t* data() { return bytes.data(); }
  Bytes Wanted() const { return Bytes(bytes.begin(), bytes.begin() + wanted); }
  bool GuardsIntact() const {
    return std::all_of(bytes.begin() + wanted, bytes.end(), [](uint8_t b) { return b == kGuard; });
  }
  Bytes bytes;
  size_t wanted;
};

Bytes Counting(size_t n) {
  Bytes data(n);
  for (size_t i = 0; i < n; ++i) {
    data[i] = static_cast<uint8_t>(i + 1);
  }
  return data;
}

using IsoRead = IsoTcpTest;

TEST_F(IsoRead, DataBlockBytes) {
  StartConnected({AnswerRead(ReadItemData(0xFF, 0x04, 4 * 8, {0xDE, 0xAD, 0xBE, 0xEF}))});
  Buffer buffer(4);
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 7, 5, 4, buffer.data()), daveResOK);
  EXPECT_EQ(buffer.Wanted(), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
  EXPECT_TRUE(buffer.GuardsIntact());
  EXPECT_EQ(dc_->AnswLen, 4);
  const Bytes job = Finish().at(2);
  EXPECT_EQ(JobParameters(job), (Bytes{0x04, 0x01, 0x12, 0x0A, 0x10, 0x02, 0x00, 0x04, 0x00, 0x07,
                                       0x84, 0x00, 0x00, 0x28}));
}

struct AreaCase {
  int32_t area;
  uint8_t areaByte;
  uint8_t transportSize;
  int32_t start;
  int32_t length;
  uint16_t count;      // elements asked for
  uint32_t address;    // on the wire
  uint8_t answerSize;  // transport size of the answer
  uint16_t lengthField;
  size_t answerBytes;
};

class IsoReadArea : public IsoTcpTest, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(IsoReadArea, BuildsItemAndCopiesExactlyTheLength) {
  const AreaCase& c = GetParam();
  const Bytes data = Counting(c.answerBytes);
  StartConnected({AnswerRead(ReadItemData(0xFF, c.answerSize, c.lengthField, data))});
  Buffer buffer(static_cast<size_t>(c.length));
  ASSERT_EQ(daveReadBytes(dc_, c.area, 0, c.start, c.length, buffer.data()), daveResOK);
  EXPECT_EQ(buffer.Wanted(), Bytes(data.begin(), data.begin() + c.length));
  EXPECT_TRUE(buffer.GuardsIntact());
  const Bytes parameters = JobParameters(Finish().at(2));
  EXPECT_EQ(parameters,
            (Bytes{0x04, 0x01, 0x12, 0x0A, 0x10, c.transportSize,
                   static_cast<uint8_t>(c.count >> 8), static_cast<uint8_t>(c.count), 0x00, 0x00,
                   c.areaByte, static_cast<uint8_t>(c.address >> 16),
                   static_cast<uint8_t>(c.address >> 8), static_cast<uint8_t>(c.address)}));
}

INSTANTIATE_TEST_SUITE_P(
    Areas, IsoReadArea,
    ::testing::Values(AreaCase{daveInputs, 0x81, 0x02, 2, 3, 3, 16, 0x04, 24, 3},
                      AreaCase{daveOutputs, 0x82, 0x02, 1, 2, 2, 8, 0x04, 16, 2},
                      AreaCase{daveFlags, 0x83, 0x02, 100, 5, 5, 800, 0x04, 40, 5},
                      AreaCase{daveDB, 0x84, 0x02, 0, 1, 1, 0, 0x04, 8, 1},
                      AreaCase{daveDI, 0x85, 0x02, 3, 2, 2, 24, 0x04, 16, 2},
                      AreaCase{daveLocal, 0x86, 0x02, 0, 2, 2, 0, 0x04, 16, 2},
                      AreaCase{daveV, 0x87, 0x02, 0, 2, 2, 0, 0x04, 16, 2},
                      AreaCase{daveP, 0x80, 0x02, 256, 2, 2, 2048, 0x04, 16, 2},
                      AreaCase{daveSysInfo, 0x03, 0x02, 0, 2, 2, 0, 0x04, 16, 2},
                      AreaCase{daveSysFlags, 0x05, 0x02, 1, 2, 2, 8, 0x04, 16, 2},
                      // Two bytes per counter, timer or analog word: whole elements asked for.
                      AreaCase{daveCounter, 0x1C, 0x1C, 4, 4, 2, 4, 0x09, 4, 4},
                      AreaCase{daveCounter, 0x1C, 0x1C, 4, 3, 2, 4, 0x09, 4, 4},
                      AreaCase{daveTimer, 0x1D, 0x1D, 9, 2, 1, 9, 0x09, 2, 2},
                      AreaCase{daveAnaIn, 0x06, 0x04, 2, 4, 2, 16, 0x04, 32, 4},
                      AreaCase{daveAnaOut, 0x07, 0x04, 0, 3, 2, 0, 0x04, 32, 4}));

struct ItemError {
  uint8_t returnCode;
  int32_t result;
};

class IsoReadItemError : public IsoTcpTest, public ::testing::WithParamInterface<ItemError> {};

TEST_P(IsoReadItemError, MapsToResultAndLeavesBufferAlone) {
  // A failed item is 4 bytes whatever its length field says.
  StartConnected({AnswerRead(ReadItemData(GetParam().returnCode, 0x00, 0x0004))});
  Buffer buffer(4);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, buffer.data()), GetParam().result);
  EXPECT_EQ(buffer.bytes, Bytes(12, kGuard));
  EXPECT_EQ(dc_->AnswLen, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, IsoReadItemError,
                         ::testing::Values(ItemError{0x01, daveResNoPeripheralAtAddress},
                                           ItemError{0x03, daveResItemNotAvailable200},
                                           ItemError{0x05, daveAddressOutOfRange},
                                           ItemError{0x06, daveResMultipleBitsNotSupported},
                                           ItemError{0x07, daveWriteDataSizeMismatch},
                                           ItemError{0x0A, daveResItemNotAvailable},
                                           ItemError{0x85, 0x85},
                                           ItemError{0x00, daveResCPUNoData}));

TEST_F(IsoRead, HeaderErrorIsClassTimes256PlusCode) {
  StartConnected({AnswerWith([](uint16_t ref) { return AnswerPdu(ref, {}, {}, 0x8500); })});
  uint8_t buffer[4];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, buffer), 0x8500);
}

TEST_F(IsoRead, LargestReadIsPduMinus18) {
  const Bytes data = Counting(222);
  StartConnected({AnswerRead(ReadItemData(0xFF, 0x04, 222 * 8, data))});
  Buffer buffer(223);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 223, buffer.data()), daveResReadTooLarge);
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 222, buffer.data()), daveResOK);
  EXPECT_EQ(Bytes(buffer.bytes.begin(), buffer.bytes.begin() + 222), data);
  EXPECT_EQ(Finish().size(), 3u);  // connect request, setup, one read
  EXPECT_NE(std::string(daveStrerror(daveResReadTooLarge)).find("split"), std::string::npos);
}

TEST_F(IsoRead, CounterReadTooLargeCountsWholeCounters) {
  StartConnected({});
  uint8_t buffer[240];
  // 221 bytes are 111 counters, 222 bytes in the answer: fits; 223 does not.
  EXPECT_EQ(daveReadBytes(dc_, daveCounter, 0, 0, 223, buffer), daveResReadTooLarge);
  EXPECT_EQ(Finish().size(), 2u);
}

TEST_F(IsoRead, AnswerCarryingMoreThanAskedCopiesOnlyTheLength) {
  StartConnected({AnswerRead(ReadItemData(0xFF, 0x04, 8 * 8, Counting(8)))});
  Buffer buffer(3);
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 3, buffer.data()), daveResOK);
  EXPECT_EQ(buffer.Wanted(), (Bytes{1, 2, 3}));
  EXPECT_TRUE(buffer.GuardsIntact());
}

// A single-unit answer to a 2-byte read with job reference `reference`.
Bytes TwoBytesAnswer(uint16_t reference, uint8_t first, uint8_t second) {
  return DataUnit(AnswerPdu(reference, {0x04, 1}, ReadItemData(0xFF, 0x04, 16, {first, second})));
}

Bytes Joined(Bytes first, const Bytes& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

TEST_F(IsoRead, StaleAnswerBeforeTheRightOneIsSkipped) {
  StartConnected({[](const Bytes& job) {
    const uint16_t reference = JobReference(job);
    return ScriptServer::Reply{Joined(TwoBytesAnswer(static_cast<uint16_t>(reference - 1), 9, 9),
                                      TwoBytesAnswer(reference, 1, 2))};
  }});
  uint8_t buffer[2] = {};
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 2, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{1, 2}));
}

TEST_F(IsoRead, TimeOutThenTheLateAnswerIsSkipped) {
  uint16_t firstReference = 0;
  StartConnected({[&firstReference](const Bytes& job) {
                    firstReference = JobReference(job);
                    return ScriptServer::Reply{};
                  },
                  [&firstReference](const Bytes& job) {
                    return ScriptServer::Reply{Joined(TwoBytesAnswer(firstReference, 9, 9),
                                                      TwoBytesAnswer(JobReference(job), 1, 2))};
                  }});
  di_->timeout = 200000;
  uint8_t buffer[2] = {};
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 2, buffer), daveResTimeout);
  di_->timeout = kTimeoutUs;
  ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 2, buffer), daveResOK);
  EXPECT_EQ(Bytes(buffer, buffer + 2), (Bytes{1, 2}));
  const std::vector<Bytes> jobs = Finish();
  ASSERT_EQ(jobs.size(), 4u);
  EXPECT_NE(JobReference(jobs[2]), JobReference(jobs[3]));
}

TEST_F(IsoRead, ArgumentsCheckedBeforeAnythingIsSent) {
  StartConnected({});
  uint8_t buffer[4];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, nullptr), daveResNoBuffer);
  EXPECT_EQ(daveReadBytes(dc_, 99, 1, 0, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, -1, 0, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 70000, 0, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, -8, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0x200000, 4, buffer), daveResInvalidParam);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 0, buffer), daveResInvalidLength);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, -4, buffer), daveResInvalidLength);
  EXPECT_EQ(Finish().size(), 2u);
}

TEST_F(IsoRead, NotConnectedBeforeConnectAndAfterDisconnect) {
  Start({Confirm(), GrantPdu(240)});
  uint8_t buffer[4];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, buffer), daveResNotConnected);
  ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  EXPECT_EQ(daveDisconnectPLC(dc_), daveResOK);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, buffer), daveResNotConnected);
}

}  // namespace
