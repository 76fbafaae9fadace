// PPI through the C API against the simulator's S7-200 on an in-process line: the
// conversation, and the faults of a serial line, each followed by a read that works.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "Description.h"
#include "LineWire.h"
#include "MemoryLoader.h"
#include "PlcMemory.h"
#include "PpiPersonality.h"
#include "nodave.h"

namespace {

using Bytes = LineWire::Bytes;
using plcsim::Area;
using plcsim::BlockId;

constexpr int32_t kPlc = 2;
constexpr int32_t kLocal = 0;
constexpr int32_t kTimeoutUs = 2000000;
constexpr int32_t kShortTimeoutUs = 50000;  // for faults that last until the deadline

uint8_t Sum(const Bytes& bytes, size_t from, size_t to) {
  unsigned sum = 0;
  for (size_t i = from; i < to; ++i) {
    sum += bytes[i];
  }
  return static_cast<uint8_t>(sum);
}

bool IsVariable(const Bytes& bytes) { return !bytes.empty() && bytes[0] == 0x68; }
bool IsPoll(const Bytes& bytes) { return !bytes.empty() && bytes[0] == 0x10; }

// Recomputes the checksum of a variable telegram after its bytes were changed.
void Reseal(Bytes& telegram) {
  telegram[telegram.size() - 2] = Sum(telegram, 4, telegram.size() - 2);
}

class PpiTest : public ::testing::Test {
 protected:
  void SetUp() override { Open(kPlc, kLocal, kPlc); }
  void TearDown() override { Close(); }

  void Open(int32_t plcAddress, int32_t localAddress, uint8_t simulatedAddress) {
    plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), memory_);
    personality_ = plcsim::MakePpiPersonality({&memory_, simulatedAddress});
    wire_ = std::make_unique<LineWire>(*personality_);
    di_ =
        daveNewInterface(daveOSserialType{1, 1}, "IF1", localAddress, daveProtoPPI, daveSpeed187k);
    di_->timeout = kTimeoutUs;
    wire_->Attach(di_);
    dc_ = daveNewConnection(di_, plcAddress, 0, 2);
  }

  void Close() {
    daveDisconnectPLC(dc_);
    daveFree(dc_);
    daveDisconnectAdapter(di_);
    daveFree(di_);
  }

  void Connect() {
    ASSERT_EQ(daveInitAdapter(di_), daveResOK);
    ASSERT_EQ(daveConnectPLC(dc_), daveResOK);
  }

  // Reads and compares every byte with the simulator's memory.
  void ExpectRead(int32_t area, int32_t db, int32_t start, int32_t length, BlockId block,
                  size_t offset) {
    std::vector<uint8_t> got(static_cast<size_t>(length) + 1, 0xA5);
    const int32_t result = daveReadBytes(dc_, area, db, start, length, got.data());
    ASSERT_EQ(result, daveResOK) << daveStrerror(result);
    std::vector<uint8_t> want(static_cast<size_t>(length));
    ASSERT_EQ(memory_.Read(block, offset, want.size(), want.data()), plcsim::ItemResult::kSuccess);
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.end() - 1), want);
    EXPECT_EQ(got.back(), 0xA5);  // nothing written past the length
  }

  void ExpectFixedBytes() { ExpectRead(daveDB, 1, 34, 18, BlockId{Area::kDataBlocks, 1}, 34); }

  size_t WritesMatching(bool (*kind)(const Bytes&)) const {
    size_t count = 0;
    for (const Bytes& write : wire_->Writes()) {
      count += kind(write) ? 1 : 0;
    }
    return count;
  }

  plcsim::PlcMemory memory_;
  std::unique_ptr<plcsim::LinePersonality> personality_;
  std::unique_ptr<LineWire> wire_;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

TEST_F(PpiTest, ConnectIsSetupCommunicationForA240BytePdu) {
  Connect();
  EXPECT_EQ(dc_->maxPDUlength, 240);
  ASSERT_EQ(wire_->Writes().size(), 2u);
  const Bytes& request = wire_->Writes()[0];
  // 68 LE LE 68, to station 2 from 0 (SRD), setup communication asking for 00 F0.
  ASSERT_EQ(request.size(), 27u);
  EXPECT_EQ(Bytes(request.begin(), request.begin() + 7),
            (Bytes{0x68, 0x15, 0x15, 0x68, 0x02, 0x00, 0x6C}));
  EXPECT_EQ(Bytes(request.begin() + 17, request.end() - 2),
            (Bytes{0xF0, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0xF0}));
  EXPECT_EQ(wire_->Writes()[1], (Bytes{0x10, 0x02, 0x00, 0x5C, 0x5E, 0x16}));
  EXPECT_EQ(wire_->Unread(), 0u);
  // Disconnecting sends nothing.
  EXPECT_EQ(daveDisconnectPLC(dc_), daveResOK);
  EXPECT_EQ(daveDisconnectAdapter(di_), daveResOK);
  EXPECT_EQ(wire_->Writes().size(), 2u);
}

TEST_F(PpiTest, ReadsOfEveryAreaAndSizeMatchTheMemory) {
  Connect();
  const BlockId db1{Area::kDataBlocks, 1};
  ExpectRead(daveDB, 1, 0, 4, db1, 0);
  ExpectFixedBytes();
  ExpectRead(daveV, 0, 34, 18, db1, 34);      // V memory is data block 1
  ExpectRead(daveV, 7, 500, 40, db1, 500);    // whatever DB number is given
  ExpectRead(daveDB, 1, 512, 222, db1, 512);  // the largest read: PDU 240 - 18
  ExpectRead(daveDB, 2, 100, 216, BlockId{Area::kDataBlocks, 2}, 100);  // the plug-in's piece
  ExpectRead(daveInputs, 0, 1, 31, BlockId{Area::kInputs, 0}, 1);
  ExpectRead(daveOutputs, 0, 0, 8, BlockId{Area::kOutputs, 0}, 0);
  ExpectRead(daveFlags, 0, 10, 100, BlockId{Area::kFlags, 0}, 10);
  ExpectRead(daveCounter, 0, 1, 4, BlockId{Area::kCounters, 0}, 2);
  ExpectRead(daveTimer, 0, 0, 6, BlockId{Area::kTimers, 0}, 0);
  uint8_t buffer[223];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 223, buffer), daveResReadTooLarge);
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 9, 0, 4, buffer), daveResItemNotAvailable);
  ExpectRead(daveDB, 1, 1020, 4, db1, 1020);
  // Every telegram went from station 0 to station 2.
  for (const Bytes& write : wire_->Writes()) {
    const size_t at = IsVariable(write) ? 4 : 1;
    ASSERT_GT(write.size(), at + 1);
    EXPECT_EQ(write[at], kPlc);
    EXPECT_EQ(write[at + 1], kLocal);
  }
}

TEST_F(PpiTest, AddressesAreTheConnectionsAndTheInterfaces) {
  Close();
  Open(7, 5, 7);
  Connect();
  ExpectFixedBytes();
  EXPECT_EQ(wire_->Writes().back(), (Bytes{0x10, 0x07, 0x05, 0x5C, 0x68, 0x16}));
}

TEST_F(PpiTest, AddressesThatAreNoStationsAreRefusedBeforeAnythingIsSent) {
  for (const auto& [plc, local] :
       std::vector<std::pair<int32_t, int32_t>>{{127, 0}, {-1, 0}, {2, 127}, {2, 2}}) {
    Close();
    Open(plc, local, 2);
    EXPECT_EQ(daveConnectPLC(dc_), daveResBadStationAddress) << plc << " " << local;
    EXPECT_TRUE(wire_->Writes().empty());
  }
  EXPECT_NE(std::string(daveStrerror(daveResBadStationAddress)).find("0 to 126"),
            std::string::npos);
}

TEST_F(PpiTest, APlcAtAnotherAddressIsATimeOutThatNamesTheAddress) {
  Close();
  Open(3, 0, 2);
  EXPECT_EQ(daveConnectPLC(dc_), daveResTimeout);
  EXPECT_EQ(WritesMatching(IsVariable), 3u);  // three transmissions, then given up
  const std::string text = daveStrerror(daveResTimeout);
  for (const char* part : {"cable", "baud", "address"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part;
  }
}

// One fault on the line during a read: what the read returns, and whether it was
// resent or polled again.
struct LineFault {
  const char* name;
  std::function<void(LineWire&)> install;
  int32_t result;
  const char* advice;  // a word of the result's text
};

void PrintTo(const LineFault& fault, std::ostream* out) { *out << fault.name; }

// Applies `change` to the first `times` answers of the simulator for which `which` holds.
LineWire::Fault First(int times, bool (*which)(const Bytes&), std::function<void(Bytes&)> change) {
  auto left = std::make_shared<int>(times);
  return [left, which, change](Bytes& bytes) {
    if (*left != 0 && which(bytes)) {
      --*left;
      change(bytes);
    }
  };
}

constexpr int kAlways = -1;

bool IsAck(const Bytes& bytes) { return bytes == Bytes{0xE5}; }

void DropByte(Bytes& bytes) { bytes.erase(bytes.begin() + 10); }
void BreakChecksum(Bytes& bytes) { bytes[bytes.size() - 2] ^= 0xFF; }
void Silence(Bytes& bytes) { bytes.clear(); }
void NotReady(Bytes& bytes) { bytes = {0xE5}; }
void FromStation5(Bytes& bytes) {
  bytes[5] = 5;
  Reseal(bytes);
}
void ForStation9(Bytes& bytes) {
  bytes[4] = 9;
  Reseal(bytes);
}
void ByteAddedBeforeChecksum(Bytes& bytes) { bytes.insert(bytes.end() - 2, 0x00); }
void GarbageFirst(Bytes& bytes) {
  const Bytes garbage{0x00, 0xFF, 0x68, 0x01, 0x02, 0x68, 0x16, 0x42};
  bytes.insert(bytes.begin(), garbage.begin(), garbage.end());
}
void OverlongTelegramFirst(Bytes& bytes) {
  Bytes overlong{0x68, 0xFA, 0xFA, 0x68, 0x00, 0x02, 0x08};
  overlong.resize(4 + 0xFA + 2, 0x00);
  overlong.back() = 0x16;
  bytes.insert(bytes.begin(), overlong.begin(), overlong.end());
}
void OtherStationsTrafficFirst(Bytes& bytes) {
  Bytes other{0x68, 0x05, 0x05, 0x68, 0x03, 0x04, 0x08, 0x32, 0x03, 0x00, 0x16};
  Reseal(other);
  const Bytes poll{0x10, 0x04, 0x03, 0x5C, 0x63, 0x16};
  bytes.insert(bytes.begin(), poll.begin(), poll.end());
  bytes.insert(bytes.begin(), other.begin(), other.end());
}

class PpiLineFault : public PpiTest, public ::testing::WithParamInterface<LineFault> {};

TEST_P(PpiLineFault, ReadReportsItAndTheNextReadWorks) {
  Connect();
  const LineFault& fault = GetParam();
  di_->timeout = kShortTimeoutUs;
  fault.install(*wire_);
  uint8_t buffer[19] = {};
  buffer[18] = 0xA5;
  const int32_t result = daveReadBytes(dc_, daveDB, 1, 34, 18, buffer);
  EXPECT_EQ(result, fault.result) << daveStrerror(result);
  EXPECT_NE(std::string(daveStrerror(result)).find(fault.advice), std::string::npos);
  EXPECT_EQ(buffer[18], 0xA5);
  EXPECT_EQ(di_->timeout, kShortTimeoutUs);  // the caller's, untouched
  wire_->toPlc = nullptr;
  wire_->fromPlc = nullptr;
  ExpectFixedBytes();
  ExpectFixedBytes();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PpiLineFault,
    ::testing::Values(
        LineFault{"RequestLosesAByteOnce",
                  [](LineWire& w) { w.toPlc = First(1, IsVariable, DropByte); }, daveResOK, "ok"},
        LineFault{"RequestLosesAByteEveryTime",
                  [](LineWire& w) { w.toPlc = First(kAlways, IsVariable, DropByte); },
                  daveResTimeout, "cable"},
        LineFault{"AcknowledgeLostOnce", [](LineWire& w) { w.fromPlc = First(1, IsAck, Silence); },
                  daveResOK, "ok"},
        LineFault{"AnswerLosesAByteOnce",
                  [](LineWire& w) { w.fromPlc = First(1, IsVariable, DropByte); }, daveResOK, "ok"},
        LineFault{"AnswerChecksumBrokenOnce",
                  [](LineWire& w) { w.fromPlc = First(1, IsVariable, BreakChecksum); }, daveResOK,
                  "ok"},
        LineFault{"AnswerChecksumBrokenEveryTime",
                  [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, BreakChecksum); },
                  daveResLineErrors, "baud"},
        LineFault{
            "AnswerLongerThanItsLengthEveryTime",
            [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, ByteAddedBeforeChecksum); },
            daveResLineErrors, "cable"},
        LineFault{"AnswerFromAnotherStation",
                  [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, FromStation5); },
                  daveResWrongAddress, "address"},
        LineFault{"AnswerForAnotherStation",
                  [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, ForStation9); },
                  daveResWrongAddress, "address"},
        LineFault{
            "OtherStationsTrafficBeforeTheAnswer",
            [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, OtherStationsTrafficFirst); },
            daveResOK, "ok"},
        LineFault{"GarbageBeforeTheAnswer",
                  [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, GarbageFirst); },
                  daveResOK, "ok"},
        LineFault{
            "TelegramLongerThanAnyBeforeTheAnswer",
            [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, OverlongTelegramFirst); },
            daveResOK, "ok"},
        LineFault{"NotReadyForTwoPolls",
                  [](LineWire& w) { w.fromPlc = First(2, IsVariable, NotReady); }, daveResOK, "ok"},
        LineFault{"NeverReady",
                  [](LineWire& w) { w.fromPlc = First(kAlways, IsVariable, NotReady); },
                  daveResAnswerNotReady, "time-out"},
        LineFault{"PeerStopsAnswering",
                  [](LineWire& w) {
                    w.fromPlc = First(
                        kAlways, [](const Bytes&) { return true; }, Silence);
                  },
                  daveResTimeout, "address"}),
    [](const ::testing::TestParamInfo<LineFault>& info) { return std::string(info.param.name); });

TEST_F(PpiTest, PollAfterNotReadyTogglesTheFrameCountBitAndARepeatedPollKeepsIt) {
  Connect();
  auto answers = std::make_shared<int>(0);
  wire_->fromPlc = [answers](Bytes& bytes) {
    if (IsVariable(bytes) && ++*answers <= 3) {
      if (*answers < 3) {
        bytes = {0xE5};  // not ready, twice
      } else {
        BreakChecksum(bytes);  // then a damaged answer
      }
    }
  };
  const size_t before = wire_->Writes().size();
  ExpectFixedBytes();
  std::vector<uint8_t> functions;
  for (size_t i = before; i < wire_->Writes().size(); ++i) {
    if (IsPoll(wire_->Writes()[i])) {
      functions.push_back(wire_->Writes()[i][3]);
    }
  }
  EXPECT_EQ(functions, (std::vector<uint8_t>{0x5C, 0x7C, 0x5C, 0x5C}));
}

TEST_F(PpiTest, BytesArrivingOneAtATimeWithinTheTimeOutMakeARead) {
  wire_->silenceLasts = true;
  wire_->byteGap = std::chrono::milliseconds(2);
  Connect();
  ExpectFixedBytes();
}

// A PLC that leaves requests or polls unanswered, on a line where silence lasts the
// time-out: each transmission of a request waits a time-out of its own, so the
// request goes out again after silence; the answer gets one time-out from the first
// poll. The call ends within its transmissions' time-outs.
struct Unanswered {
  const char* name;
  bool requests;  // the requests go unanswered, else the answers
  int times;
  void (*change)(Bytes&);
  int32_t result;
  size_t transmissions;  // of the request
};

TEST_F(PpiTest, EachTransmissionWaitsItsOwnTimeOut) {
  constexpr auto kTimeout = std::chrono::milliseconds(100);
  const Unanswered cases[] = {
      {"first request", true, 1, Silence, daveResOK, 2},
      {"two requests", true, 2, Silence, daveResOK, 3},
      {"every request", true, kAlways, Silence, daveResTimeout, 3},
      {"every answer", false, kAlways, Silence, daveResTimeout, 1},
      // Last: its last poll, sent just before the time-out, leaves an E5 on the line.
      {"answer never ready", false, kAlways, NotReady, daveResAnswerNotReady, 1},
  };
  Connect();
  wire_->silenceLasts = true;
  di_->timeout = static_cast<int32_t>(std::chrono::microseconds(kTimeout).count());
  for (const Unanswered& c : cases) {
    SCOPED_TRACE(c.name);
    (c.requests ? wire_->toPlc : wire_->fromPlc) = First(c.times, IsVariable, c.change);
    const size_t before = WritesMatching(IsVariable);
    uint8_t buffer[4];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 0, 4, buffer), c.result);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              static_cast<int>(c.transmissions + 2) * kTimeout);
    EXPECT_EQ(WritesMatching(IsVariable) - before, c.transmissions);
    wire_->toPlc = nullptr;
    wire_->fromPlc = nullptr;
  }
  ExpectFixedBytes();
}

}  // namespace
