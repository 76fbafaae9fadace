// S5 over the programming port (AS511): the library against plcsim's S5 personality on
// an in-process line, values compared with the simulator's memory; then the faults of
// a serial line, each a clear error within the time-out and the next call working.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

#include "As511Personality.h"
#include "LineWire.h"
#include "MemoryLoader.h"

namespace {

using Bytes = std::vector<uint8_t>;
using plcsim::Area;
using plcsim::BlockId;
using Clock = std::chrono::steady_clock;

constexpr int32_t kTimeoutUs = 1500000;  // room for a retry after the PLC's 500 ms pause
constexpr uint8_t kGuard = 0xEE;

class As511 : public ::testing::Test {
 protected:
  void SetUp() override {
    plcsim::LoadMemory(plcsim::ParseDescription(plcsim::kDefaultDescription), memory_);
    plc_ = std::make_unique<plcsim::As511Personality>(memory_);
    wire_ = std::make_unique<LineWire>(*plc_);
    di_ = daveNewInterface(daveOSserialType{1, 1}, "S5", 0, daveProtoAS511, daveSpeed9k);
    di_->timeout = kTimeoutUs;
    wire_->Attach(di_);
    dc_ = daveNewConnection(di_, 2, 0, 0);
  }
  void TearDown() override {
    daveDisconnectPLC(dc_);
    daveFree(dc_);
    daveFree(di_);
  }

  void Connect() { ASSERT_EQ(daveConnectPLC(dc_), daveResOK); }

  Bytes Memory(BlockId block, size_t offset, size_t length) const {
    Bytes bytes(length);
    memory_.Read(block, offset, length, bytes.data());
    return bytes;
  }

  // Reads into a buffer with guard bytes behind the length; the result and the bytes.
  int32_t Read(int32_t area, int32_t db, int32_t start, int32_t length, Bytes& data) {
    Bytes buffer(static_cast<size_t>(length) + 8, kGuard);
    const int32_t result = daveReadBytes(dc_, area, db, start, length, buffer.data());
    EXPECT_TRUE(
        std::all_of(buffer.begin() + length, buffer.end(), [](uint8_t b) { return b == kGuard; }));
    data.assign(buffer.begin(), buffer.begin() + length);
    return result;
  }

  // Function codes the library sent, in order: the byte after each STX.
  Bytes Functions() const {
    Bytes functions;
    const auto& writes = wire_->Writes();
    for (size_t i = 0; i + 1 < writes.size(); ++i) {
      if (writes[i] == Bytes{0x02}) {
        functions.push_back(writes[i + 1].at(0));
      }
    }
    return functions;
  }

  void ExpectDb1Works() {
    Bytes data;
    EXPECT_EQ(Read(daveDB, 1, 34, 18, data), daveResOK);
    EXPECT_EQ(data, Memory({Area::kDataBlocks, 1}, 34, 18));
  }

  plcsim::PlcMemory memory_;
  std::unique_ptr<plcsim::As511Personality> plc_;
  std::unique_ptr<LineWire> wire_;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

TEST_F(As511, ConnectReadsTheSystemParametersInOneTransaction) {
  Connect();
  EXPECT_EQ(dc_->maxPDUlength, 240);
  const std::vector<Bytes> pg = {{0x02},       {0x18},       {0x10, 0x06},
                                 {0x10, 0x06}, {0x10, 0x04}, {0x10, 0x06},
                                 {0x10, 0x06}, {0x10, 0x06}, {0x10, 0x06}};
  EXPECT_EQ(wire_->Writes(), pg);
  EXPECT_EQ(wire_->Unread(), 0u);
}

struct AreaCase {
  int32_t area;
  int32_t db;
  int32_t start;
  int32_t length;
  BlockId block;
  size_t offset;  // in the block
};

TEST_F(As511, EveryAreaReadsTheSimulatorsMemory) {
  Connect();
  const AreaCase cases[] = {
      {daveDB, 1, 34, 18, {Area::kDataBlocks, 1}, 34},      // fixed bytes, REAL, INT, DINT
      {daveDB, 1, 0, 240, {Area::kDataBlocks, 1}, 0},       // the largest read
      {daveDB, 1, 1000, 24, {Area::kDataBlocks, 1}, 1000},  // the block's last bytes
      {daveDB, 2, 0, 200, {Area::kDataBlocks, 2}, 0},       // holds every byte, 0x10 too
      {daveInputs, 0, 1, 31, {Area::kInputs, 0}, 1},
      {daveOutputs, 0, 0, 8, {Area::kOutputs, 0}, 0},  // 0x10 among them
      {daveFlags, 0, 2, 200, {Area::kFlags, 0}, 2},
      {daveCounter, 0, 1, 4, {Area::kCounters, 0}, 2},  // C1 = 42, C2
      {daveTimer, 0, 1, 6, {Area::kTimers, 0}, 2},      // T1..T3
  };
  for (const AreaCase& c : cases) {
    Bytes data;
    EXPECT_EQ(Read(c.area, c.db, c.start, c.length, data), daveResOK) << c.area;
    EXPECT_EQ(data, Memory(c.block, c.offset, static_cast<size_t>(c.length))) << c.area;
    EXPECT_EQ(dc_->AnswLen, c.length);
  }
  EXPECT_EQ(wire_->Unread(), 0u);
}

TEST_F(As511, EveryDataBlockReadLocatesTheBlockFirst) {
  Connect();
  Bytes data;
  ASSERT_EQ(Read(daveDB, 1, 0, 4, data), daveResOK);
  ASSERT_EQ(Read(daveFlags, 0, 0, 4, data), daveResOK);
  ASSERT_EQ(Read(daveDB, 2, 0, 4, data), daveResOK);
  EXPECT_EQ(Functions(), (Bytes{0x18, 0x1A, 0x04, 0x04, 0x1A, 0x04}));
}

TEST_F(As511, SystemDataAndRawMemoryAreAbsoluteAddresses) {
  Connect();
  Bytes raw;
  Bytes header;
  ASSERT_EQ(Read(daveRawMemoryS5, 0, 0xEE00 + 2, 16, raw), daveResOK);
  EXPECT_EQ(raw, Memory({Area::kFlags, 0}, 2, 16));
  ASSERT_EQ(Read(daveRawMemoryS5, 0, 0x1000, 10, header), daveResOK);  // DB1's block header
  EXPECT_EQ(header, (Bytes{0x70, 0x70, 0x41, 0x01, 0x80, 0x00, 0x00, 0x00, 0x02, 0x05}));
  EXPECT_EQ(Read(daveSysDataS5, 0, 0, 16, raw), daveResOK);
}

TEST_F(As511, RequestsThatCannotBeServedAreClearErrors) {
  Connect();
  // Shorter than the PLC's pause after the refusal: each read after it still goes out.
  di_->timeout = 300000;
  struct Case {
    int32_t area;
    int32_t db;
    int32_t start;
    int32_t length;
    int32_t result;
  };
  const Case cases[] = {
      {daveDB, 99, 0, 4, daveResS5BlockMissing},
      {daveDB, 2, 500, 20, daveResS5ReadPastBlock},  // DB2 has 512 bytes
      {daveDB, 2, 512, 1, daveResS5ReadPastBlock},
      {daveDB, 256, 0, 4, daveResInvalidParam},
      {daveDI, 1, 0, 4, daveNotAvailableInS5},
      {daveP, 0, 0, 4, daveNotAvailableInS5},
      {daveFlags, 0, 0, 241, daveResReadTooLarge},
      {daveFlags, 0, -1, 4, daveResInvalidParam},
      {daveFlags, 0, 0, 0, daveResInvalidLength},
      {daveRawMemoryS5, 0, 0xFFF0, 17, daveResS5AddressRange},
  };
  for (const Case& c : cases) {
    Bytes data;
    EXPECT_EQ(Read(c.area, c.db, c.start, c.length, data), c.result) << c.area << " " << c.db;
    EXPECT_EQ(dc_->AnswLen, 0);
  }
  // Only the data blocks' B_INFO reached the line: no memory read was sent.
  EXPECT_EQ(Functions(), (Bytes{0x18, 0x1A, 0x1A, 0x1A}));
  ExpectDb1Works();
}

TEST_F(As511, ReadsNeedAConnectionAndStopAtDisconnect) {
  Bytes data;
  EXPECT_EQ(Read(daveFlags, 0, 0, 4, data), daveResNotConnected);
  Connect();
  EXPECT_EQ(daveDisconnectPLC(dc_), daveResOK);
  EXPECT_EQ(Read(daveFlags, 0, 0, 4, data), daveResNotConnected);
  EXPECT_EQ(wire_->Writes().size(), 9u);  // the connect only
}

// Faults on the line. Each call must end within the time-out with a clear error (or
// recover by itself), and the call after it must work.

bool IsReadAnswer(const Bytes& bytes) {
  return bytes.size() > 12 &&
         std::all_of(bytes.begin(), bytes.begin() + 5, [](uint8_t b) { return b == 0; });
}

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

struct FaultCase {
  const char* name;
  LineWire::Fault fromPlc;
  bool once;       // the fault hits one answer only
  int32_t result;  // of the read while the fault lasts
};

TEST_F(As511, LineFaultsEndInAClearErrorAndTheNextReadWorks) {
  const FaultCase cases[] = {
      {"lost byte",
       [](Bytes& b) {
         if (IsReadAnswer(b)) b.erase(b.begin() + 8);
       },
       false, daveResTimeout},
      {"lost byte once",
       [](Bytes& b) {
         if (IsReadAnswer(b)) b.erase(b.begin() + 8);
       },
       true, daveResOK},
      {"broken DLE sequence",
       [](Bytes& b) {
         if (IsReadAnswer(b)) b.insert(b.begin() + 8, {0x10, 0x55});
       },
       false, daveResLineErrors},
      {"broken DLE sequence once",
       [](Bytes& b) {
         if (IsReadAnswer(b)) b.insert(b.begin() + 8, {0x10, 0x55});
       },
       true, daveResOK},
      {"longer answer than asked",
       [](Bytes& b) {
         if (IsReadAnswer(b)) b.insert(b.begin() + 8, 4, 0x77);
       },
       false, daveResLineErrors},
      {"short block information",
       [](Bytes& b) {
         if (b.size() > 8 && b[4] == 0x70) b.erase(b.begin() + 6, b.end() - 2);
       },
       false, daveResS5BadAnswer},
      {"silent PLC", [](Bytes& b) { b.clear(); }, false, daveResTimeout},
      {"PLC stops answering mid-transaction",
       [](Bytes& b) {
         if (b.size() == 1 && b[0] == 0x02) b.clear();
       },
       false, daveResTimeout},
      {"not ready",
       [](Bytes& b) {
         if (b == Bytes{0x10, 0x06}) b = {0x10, 0x15};
       },
       false, daveResLineErrors},
      {"late bytes of an earlier answer",
       [](Bytes& b) {
         if (b == Bytes{0x10, 0x06}) b = {0x00, 0x10, 0x10, 0x06, 0x10, 0x03, 0x10, 0x06};
       },
       true, daveResOK},
  };
  Connect();
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.name);
    bool hit = false;
    wire_->fromPlc = [&hit, &c](Bytes& bytes) {
      if (!(c.once && hit)) {
        const Bytes before = bytes;
        c.fromPlc(bytes);
        hit = hit || bytes != before;
      }
    };
    Bytes data;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Read(daveDB, 1, 34, 18, data), c.result);
    EXPECT_LT(Seconds(Clock::now() - start), kTimeoutUs / 1e6 + 1.0);
    EXPECT_TRUE(hit);
    if (c.result == daveResOK) {
      EXPECT_EQ(data, Memory({Area::kDataBlocks, 1}, 34, 18));
    }
    wire_->fromPlc = nullptr;
    ExpectDb1Works();
  }
}

// Transactions on a line where silence lasts the time-out. Each read has a time-out
// of its own, so a transaction may take longer than one while no gap does; a broken
// transaction is tried once more, after the PLC's pause if that fits in a time-out.
TEST_F(As511, EachReadWaitsItsOwnTimeOutAndABrokenTransactionIsTriedOnceMore) {
  using std::chrono::microseconds;
  using std::chrono::milliseconds;
  constexpr int kEvery = -1;
  constexpr milliseconds kPause(550);  // the PLC's, before a new transaction
  struct Case {
    const char* name;
    milliseconds timeout;
    microseconds byteGap;
    int ignored;  // openings (STX) that the PLC does not see
    int32_t result;
    size_t openings;  // sent: block information, then the read
  };
  const Case cases[] = {
      {"slow line", milliseconds(100), microseconds(2500), 0, daveResOK, 2},
      {"first opening ignored", milliseconds(600), microseconds(0), 1, daveResOK, 3},
      {"every opening ignored", milliseconds(600), microseconds(0), kEvery, daveResTimeout, 2},
  };
  const auto openings = [this] {
    const auto& writes = wire_->Writes();
    return static_cast<size_t>(std::count(writes.begin(), writes.end(), Bytes{0x02}));
  };
  Connect();
  wire_->silenceLasts = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    di_->timeout = static_cast<int32_t>(microseconds(c.timeout).count());
    wire_->byteGap = c.byteGap;
    auto left = std::make_shared<int>(c.ignored);
    wire_->toPlc = [left](Bytes& bytes) {
      if (*left != 0 && bytes == Bytes{0x02}) {
        --*left;
        bytes.clear();
      }
    };
    const size_t before = openings();
    Bytes data;
    const Clock::time_point start = Clock::now();
    EXPECT_EQ(Read(daveDB, 1, 34, 18, data), c.result);
    EXPECT_LT(Clock::now() - start, static_cast<int>(c.openings) * (c.timeout + kPause));
    EXPECT_EQ(openings() - before, c.openings);
    wire_->toPlc = nullptr;
  }
  wire_->byteGap = microseconds(0);
  ExpectDb1Works();
}

TEST_F(As511, ConnectFailsClearlyWhenNoPlcAnswers) {
  wire_->fromPlc = [](Bytes& bytes) { bytes.clear(); };
  EXPECT_EQ(daveConnectPLC(dc_), daveResTimeout);
  EXPECT_EQ(dc_->connected, 0);
  wire_->fromPlc = nullptr;
  Connect();
  ExpectDb1Works();
}

}  // namespace
