// S7 online end to end in the process: our library, the stand-in in place of the
// vendor's DLL, and an S7 server answering from plcsim's memory.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "S7onlineTestSupport.h"
#include "nodave.h"

namespace {

using plcsim::Area;
using Clock = std::chrono::steady_clock;

constexpr int32_t kTimeoutUs = 1000000;

bool Has(int32_t code, const std::string& part) {
  return std::string(daveStrerror(code)).find(part) != std::string::npos;
}

class S7onlineLink : public ::testing::Test {
 protected:
  void TearDown() override {
    if (dc_ != nullptr) {
      daveDisconnectPLC(dc_);
      daveFree(dc_);
    }
    if (di_ != nullptr) {
      daveDisconnectAdapter(di_);
      daveFree(di_);
    }
    if (handle_ >= 0) {
      EXPECT_EQ(closeS7online(handle_), daveResOK);
      EXPECT_EQ(closeS7online(handle_), daveResInvalidParam);
    }
  }

  // The stand-in's settings for the server, which is started when none is.
  standin::Settings Settings() {
    if (!server_) server_ = MemoryServer();
    standin::Settings settings;
    settings.plcPort = server_->Port();
    return settings;
  }

  // Opens the access point and connects as the plug-in does; the connect's result.
  int32_t Connect(int32_t plcAddress = 2, int32_t rack = 0, int32_t slot = 2) {
    handle_ = openS7online("S7ONLINE", nullptr);
    EXPECT_GE(handle_, 0);
    EXPECT_EQ(daveS7onlineError(), daveResOK);
    di_ = daveNewInterface(daveOSserialType{handle_, handle_}, "IF1", 0, daveProtoS7Online, 2);
    di_->timeout = kTimeoutUs;
    EXPECT_EQ(daveInitAdapter(di_), daveResOK);
    dc_ = daveNewConnection(di_, plcAddress, rack, slot);
    return daveConnectPLC(dc_);
  }

  Bytes Read(int32_t area, int32_t db, int32_t start, int32_t length, int32_t& result) {
    Bytes buffer(static_cast<size_t>(length) + 4, 0xEE);
    result = daveReadBytes(dc_, area, db, start, length, buffer.data());
    EXPECT_EQ(Bytes(buffer.end() - 4, buffer.end()), Bytes(4, 0xEE)) << "written past the end";
    buffer.resize(static_cast<size_t>(length));
    return buffer;
  }

  std::unique_ptr<ScriptServer> server_;
  int32_t handle_ = -1;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

struct AreaRead {
  const char* what;
  int32_t area;
  int32_t db;
  int32_t start;
  int32_t length;
  plcsim::BlockId block;
  size_t offset;  // in the simulator's block
};

TEST_F(S7onlineLink, ReadsEveryAreaAsTheSimulatorHoldsIt) {
  const InProcessStandIn standIn(Settings());
  ASSERT_EQ(Connect(), daveResOK);
  EXPECT_EQ(dc_->maxPDUlength, 480);  // asked for, and granted
  const AreaRead reads[] = {
      {"DB1 fixed bytes and values", daveDB, 1, 34, 18, {Area::kDataBlocks, 1}, 34},
      {"DB2, one large piece", daveDB, 2, 50, 456, {Area::kDataBlocks, 2}, 50},
      {"inputs", daveInputs, 0, 4, 20, {Area::kInputs, 0}, 4},
      {"outputs", daveOutputs, 0, 0, 8, {Area::kOutputs, 0}, 0},
      {"flags", daveFlags, 0, 10, 100, {Area::kFlags, 0}, 10},
      {"counters C1..C2", daveCounter, 0, 1, 4, {Area::kCounters, 0}, 2},
      {"timers T2..T4", daveTimer, 0, 2, 6, {Area::kTimers, 0}, 4},
  };
  for (const AreaRead& read : reads) {
    int32_t result = 0;
    const Bytes got = Read(read.area, read.db, read.start, read.length, result);
    EXPECT_EQ(result, daveResOK) << read.what << ": " << daveStrerror(result);
    EXPECT_EQ(got, MemoryBytes(read.block, read.offset, static_cast<size_t>(read.length)))
        << read.what;
  }
  // The known values behind the fixed bytes of DB1.
  int32_t result = 0;
  EXPECT_EQ(Read(daveDB, 1, 46, 2, result), (Bytes{0xFB, 0x2E}));  // INT -1234
  EXPECT_EQ(Read(daveCounter, 0, 1, 2, result), (Bytes{0x00, 0x2A}));
}

TEST_F(S7onlineLink, AMissingBlockAndATooLargeReadAreTheirOwnErrors) {
  const InProcessStandIn standIn(Settings());
  ASSERT_EQ(Connect(), daveResOK);
  int32_t result = 0;
  Read(daveDB, 99, 0, 4, result);
  EXPECT_GT(result, 0) << "an item error of the PLC";
  Read(daveDB, 1, 0, 463, result);
  EXPECT_EQ(result, daveResReadTooLarge);
  EXPECT_EQ(Read(daveDB, 1, 34, 4, result), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(result, daveResOK);
}

TEST_F(S7onlineLink, ASilentPlcTimesOutAndTheNextReadWorks) {
  server_ = MemoryServer(40, 1);  // setup communication is answered, the first read not
  const InProcessStandIn standIn(Settings());
  ASSERT_EQ(Connect(), daveResOK);
  int32_t result = 0;
  const Clock::time_point start = Clock::now();
  Read(daveDB, 1, 34, 4, result);
  const auto took = Clock::now() - start;
  EXPECT_EQ(result, daveResTimeout);
  EXPECT_GE(took, std::chrono::microseconds(kTimeoutUs));
  EXPECT_LT(took, std::chrono::microseconds(kTimeoutUs) + std::chrono::milliseconds(500));
  EXPECT_EQ(Read(daveDB, 1, 34, 4, result), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(result, daveResOK);
}

TEST_F(S7onlineLink, APlcThatCannotBeReachedRefusesTheConnection) {
  standin::Settings settings;
  settings.plcPort = 1;  // nobody listens there
  const InProcessStandIn standIn(settings);
  EXPECT_EQ(Connect(), daveResConnectionRefused);
  EXPECT_FALSE(dc_->connected);
}

TEST_F(S7onlineLink, AnAccessPointThatCannotBeOpenedNamesTheScpError) {
  standin::Settings settings;
  settings.accessPoint = "CP_L2_1:";
  const InProcessStandIn standIn(settings);
  EXPECT_EQ(openS7online("S7ONLINE", nullptr), -1);
  EXPECT_EQ(daveS7onlineError(), daveResS7onlineOpenFailed);
  for (const char* part :
       {"refused the access point (S7ONLINE, SCP error 4865: CP name does not exist)",
        "Set PG/PC interface"}) {
    EXPECT_TRUE(Has(daveResS7onlineOpenFailed, part)) << daveStrerror(daveResS7onlineOpenFailed);
  }
  EXPECT_GE(handle_ = openS7online("CP_L2_1:", nullptr), 0);
  EXPECT_EQ(daveS7onlineError(), daveResOK);
}

TEST_F(S7onlineLink, NoAccessPointNameMeansS7online) {
  const InProcessStandIn standIn(standin::Settings{});
  EXPECT_GE(handle_ = openS7online(nullptr, nullptr), 0);
}

// Faults between the DLL and the library: each a clear result within the
// time-out, and the next read works once they are gone.
struct BlockFault {
  const char* what;
  std::function<bool(Bytes& block)> fault;
  int32_t receiveError;
  int32_t result;
  const char* text;  // in daveStrerror's text
};

class S7onlineFaults : public S7onlineLink, public ::testing::WithParamInterface<BlockFault> {};

bool IsData(const Bytes& block) { return block.size() > 80 && block[13] == 7; }

TEST_P(S7onlineFaults, GiveAClearErrorAndTheLinkRecovers) {
  const BlockFault& c = GetParam();
  const InProcessStandIn standIn(Settings());
  ASSERT_EQ(Connect(), daveResOK);
  InProcessStandIn::receiveFault = c.fault;
  InProcessStandIn::receiveError = c.receiveError;
  int32_t result = 0;
  const Clock::time_point start = Clock::now();
  Read(daveDB, 1, 34, 4, result);
  EXPECT_LT(Clock::now() - start,
            std::chrono::microseconds(kTimeoutUs) + std::chrono::milliseconds(500));
  EXPECT_EQ(result, c.result) << daveStrerror(result);
  EXPECT_TRUE(Has(result, c.text)) << daveStrerror(result);
  InProcessStandIn::receiveFault = nullptr;
  InProcessStandIn::receiveError = 0;
  EXPECT_EQ(Read(daveDB, 1, 34, 4, result), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(result, daveResOK) << daveStrerror(result);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, S7onlineFaults,
    ::testing::Values(BlockFault{"data_lost", [](Bytes& b) { return !IsData(b); }, 0,
                                 daveResTimeout, "time-out"},
                      BlockFault{"valid_length_too_long",
                                 [](Bytes& b) {
                                   if (IsData(b)) b[17] = 0x40;
                                   return true;
                                 },
                                 0, daveResCannotEvaluatePDU, "malformed"},
                      BlockFault{"block_cut",
                                 [](Bytes& b) {
                                   b.resize(40);
                                   return true;
                                 },
                                 0, daveResShortPacket, "shorter"},
                      BlockFault{"send_not_confirmed",
                                 [](Bytes& b) {
                                   if (b[13] == 6) b[14] = 2;
                                   return true;
                                 },
                                 0, daveResConnectionLost, "connect again"},
                      BlockFault{"cp_does_not_react", nullptr, 208, daveResS7onlineScpError,
                                 "SCP error 208: the CP does not react"}),
    [](const ::testing::TestParamInfo<BlockFault>& info) { return std::string(info.param.what); });

TEST(S7onlineHandles, AHandleNotFromOpenS7onlineIsRefused) {
  daveInterface* di =
      daveNewInterface(daveOSserialType{12345, 12345}, "IF1", 0, daveProtoS7Online, 2);
  daveConnection* dc = daveNewConnection(di, 2, 0, 2);
  const int32_t result = daveConnectPLC(dc);
#if defined(_WIN32)
  EXPECT_EQ(result, daveResInvalidParam);
#else
  EXPECT_EQ(result, daveResS7onlineNotAvailable);
#endif
  EXPECT_EQ(closeS7online(12345), daveResInvalidParam);
  daveFree(dc);
  daveFree(di);
}

#if !defined(_WIN32)
TEST(S7onlineElsewhere, IsNotAvailableOnThisPlatform) {
  EXPECT_EQ(openS7online("S7ONLINE", nullptr), -1);
  EXPECT_EQ(daveS7onlineError(), daveResS7onlineNotAvailable);
  EXPECT_TRUE(Has(daveResS7onlineNotAvailable, "not available on this platform"));
  EXPECT_TRUE(Has(daveResS7onlineNotAvailable, "Windows"));
}
#endif

}  // namespace
