// Faults on the MPI adapter's line, for each protocol code: lost and corrupted bytes,
// refusals, silence, foreign and overlong frames, wrong addresses, slow lines. The
// library retries where the link does, each try within a time-out of its own, names
// what to check when it gives up, and the next call works.
#include <algorithm>
#include <chrono>
#include <memory>

#include "Frame3964.h"
#include "HdlcFrame.h"
#include "MpiTestSupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// Applies `change` once, to the n-th chunk (from 1) longer than `longer` bytes.
LineWire::Fault Once(int n, size_t longer, std::function<void(Bytes&)> change) {
  auto seen = std::make_shared<int>(0);
  return [=](Bytes& chunk) {
    if (chunk.size() > longer && ++*seen == n) {
      change(chunk);
    }
  };
}

// The check of the chunk's last block or frame, changed.
void DamageCheck(bool step7, Bytes& chunk) { chunk[chunk.size() - (step7 ? 2 : 1)] ^= 0x5A; }

Bytes Overlong(bool step7) {
  if (step7) {  // the length promises a whole frame, but no flag closes it
    Bytes frame = {nodave::kHdlcFlag, 0x00, 0xFF, 0x00};
    frame.resize(nodave::kHdlcHead + 0xFF + 2, 0x20);
    return frame;
  }
  return nodave::FrameBlock(Bytes(300, 0x20));
}

struct FaultCase {
  const char* what;
  bool toPlc;
  std::function<LineWire::Fault(bool step7)> make;
  bool recovers;  // the call with the fault still succeeds
};

const FaultCase kFaults[] = {
    {"lost byte to the adapter", true,
     [](bool) { return Once(1, 3, [](Bytes& c) { c.erase(c.begin() + 3); }); }, false},
    {"lost byte from the adapter", false,
     [](bool) { return Once(1, 3, [](Bytes& c) { c.erase(c.begin() + 3); }); }, false},
    {"corrupted check to the adapter", true,
     [](bool step7) { return Once(1, 5, [=](Bytes& c) { DamageCheck(step7, c); }); }, true},
    {"corrupted check from the adapter", false,
     [](bool step7) { return Once(1, 5, [=](Bytes& c) { DamageCheck(step7, c); }); }, true},
    {"noise before an answer", false,
     [](bool) { return Once(1, 0, [](Bytes& c) {
                  c.insert(c.begin(), {0xFF, 0x00, 0x55});
                }); },
     true},
    {"block or frame longer than any valid one", false,
     [](bool step7) {
       return Once(1, 5, [=](Bytes& c) {
         const Bytes junk = Overlong(step7);
         if (step7) {
           c.insert(c.begin(), junk.begin(), junk.end());
         } else {
           c = junk;
         }
       });
     },
     true},
};

using MpiFaults = MpiLineTest;

TEST_P(MpiFaults, EachFaultIsSurvived) {
  const bool step7 = GetParam().step7;
  for (const FaultCase& fault : kFaults) {
    SCOPED_TRACE(fault.what);
    Connect();
    (fault.toPlc ? wire_->toPlc : wire_->fromPlc) = fault.make(step7);
    uint8_t buffer[8 + 16];
    const int32_t result = daveReadBytes(dc_, daveDB, 1, 34, 8, buffer);
    wire_->toPlc = nullptr;
    wire_->fromPlc = nullptr;
    if (fault.recovers) {
      EXPECT_EQ(result, daveResOK) << daveStrerror(result);
    } else if (result != daveResOK) {
      EXPECT_TRUE(result == daveResTimeout || result == daveResLineErrors ||
                  result == daveResNoPlcAtAddress)
          << result;
      EXPECT_NE(std::string(daveStrerror(result)).find("check"), std::string::npos);
    }
    ExpectRead(daveDB, 1, 34, 8);
    ExpectRead(daveDB, 1, 0, 100);
    EXPECT_EQ(daveDisconnectPLC(dc_), daveResOK);
    EXPECT_EQ(daveDisconnectAdapter(di_), daveResOK);
  }
}

TEST_P(MpiFaults, SilentPeerIsATimeoutAndTheNextCallWorks) {
  Connect();
  wire_->fromPlc = [](Bytes& chunk) { chunk.clear(); };
  uint8_t buffer[8];
  EXPECT_EQ(daveReadBytes(dc_, daveDB, 1, 34, 8, buffer), daveResTimeout);
  EXPECT_NE(std::string(daveStrerror(daveResTimeout)).find("baud rate, parity"), std::string::npos);
  wire_->fromPlc = nullptr;
  ExpectRead(daveDB, 1, 34, 8);
}

TEST_P(MpiFaults, NoPlcAtTheAddress) {
  ASSERT_EQ(daveInitAdapter(di_), daveResOK);
  dc_ = daveNewConnection(di_, 5, 0, 2);
  EXPECT_EQ(daveConnectPLC(dc_), daveResNoPlcAtAddress);
  Connect(2);
  ExpectRead(daveDB, 1, 34, 8);
}

TEST_P(MpiFaults, AnotherStationAnswers) {
  const bool step7 = GetParam().step7;
  const bool shortHeader =
      GetParam().protocol == daveProtoMPI2 || GetParam().protocol == daveProtoMPI4;
  ASSERT_EQ(daveInitAdapter(di_), daveResOK);
  wire_->fromPlc = [=](Bytes& chunk) {
    EditTelegrams(step7, chunk, [=](Bytes& telegram) {
      const size_t function = shortHeader ? 4 : 6;
      if (telegram.size() > 15 && telegram[function] == 0xD0) {
        telegram[shortHeader ? 15 : 1] ^= 0x07;  // the station the answer names
      }
    });
  };
  dc_ = daveNewConnection(di_, 2, 0, 2);
  EXPECT_EQ(daveConnectPLC(dc_), daveResWrongAddress);
  wire_->fromPlc = nullptr;
  Connect(2);
  ExpectRead(daveDB, 1, 34, 8);
}

TEST_P(MpiFaults, AdapterRefusesALocalAddressInUse) {
  NewInterface(2);  // the PLC's own address
  EXPECT_EQ(daveInitAdapter(di_), daveResAdapterRefused);
  NewInterface(0);
  Connect();
  ExpectRead(daveDB, 1, 34, 8);
}

TEST_P(MpiFaults, BytesArrivingOneAtATime) {
  TimedWire slow(*adapter_, std::chrono::microseconds(200));
  slow.Attach(di_);
  di_->timeout = 1000000;
  Connect();
  ExpectRead(daveDB, 1, 34, 8);
  ExpectRead(daveDB, 1, 0, 100);
}

// An adapter that ignores our transmissions (STX on the 3964R line, any frame on the
// Step 7 link), on a line where silence lasts the time-out. Each transmission waits a
// time-out of its own, so it goes out again after silence; a step gives up after its
// third, within about three time-outs.
constexpr int kEvery = -1;
constexpr size_t kTransmissions = 3;

struct Ignored {
  const char* what;
  bool init;  // the adapter's initialisation, else a read
  int times;  // the first ones ignored
  int32_t result;
};

const Ignored kIgnored[] = {
    {"the read's first transmission", false, 1, daveResOK},
    {"every transmission of the read", false, kEvery, daveResTimeout},
    {"every transmission of the initialisation", true, kEvery, daveResTimeout},
};

bool IsTransmission(bool step7, const Bytes& write) { return step7 || write == Bytes{0x02}; }

TEST_P(MpiFaults, EachTransmissionWaitsItsOwnTimeOut) {
  constexpr auto kTimeout = std::chrono::milliseconds(100);
  const bool step7 = GetParam().step7;
  const auto transmissions = [&](size_t from) {
    const auto& writes = wire_->Writes();
    return static_cast<size_t>(
        std::count_if(writes.begin() + static_cast<std::ptrdiff_t>(from), writes.end(),
                      [=](const Bytes& w) { return IsTransmission(step7, w); }));
  };
  for (const Ignored& c : kIgnored) {
    SCOPED_TRACE(c.what);
    Start(GetParam());
    wire_->silenceLasts = true;
    di_->timeout = static_cast<int32_t>(std::chrono::microseconds(kTimeout).count());
    uint8_t buffer[8];
    size_t quiet = 0;  // transmissions of the call when nothing is ignored
    if (!c.init) {
      Connect();
      const size_t from = wire_->Writes().size();
      ASSERT_EQ(daveReadBytes(dc_, daveDB, 1, 34, 8, buffer), daveResOK);
      quiet = transmissions(from);
    }
    auto left = std::make_shared<int>(c.times);
    wire_->toPlc = [=](Bytes& write) {
      if (*left != 0 && IsTransmission(step7, write)) {
        --*left;
        write.clear();
      }
    };
    const size_t from = wire_->Writes().size();
    const auto start = Clock::now();
    EXPECT_EQ(c.init ? daveInitAdapter(di_) : daveReadBytes(dc_, daveDB, 1, 34, 8, buffer),
              c.result);
    const size_t expected =
        c.times == kEvery ? kTransmissions : quiet + static_cast<size_t>(c.times);
    EXPECT_LT(Clock::now() - start, static_cast<int>(expected + 2) * kTimeout);
    EXPECT_EQ(transmissions(from), expected);
    wire_->toPlc = nullptr;
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, MpiFaults, testing::ValuesIn(kMpiCodes), CodeName);

class MpiStep7Session : public MpiLineTest {
 protected:
  bool Sent(const Bytes& frame) const {
    for (const Bytes& write : wire_->Writes()) {
      if (write == frame) {
        return true;
      }
    }
    return false;
  }
};

TEST_P(MpiStep7Session, RefusedOpenIsClosedAndOpenedAgain) {
  for (const uint8_t refusal : {nodave::kHdlcRefuse, nodave::kHdlcClose}) {
    wire_->fromPlc = Once(1, 0, [=](Bytes& c) { c = nodave::ControlFrame(refusal); });
    Connect();
    wire_->fromPlc = nullptr;
    EXPECT_EQ(Sent(nodave::ControlFrame(nodave::kHdlcClose)), refusal == nodave::kHdlcRefuse);
    ExpectRead(daveDB, 1, 34, 8);
    Start(GetParam());
  }
}

TEST_P(MpiStep7Session, KeepAliveIsEchoed) {
  Connect();
  const Bytes keepAlive = Hex("7E 89 B1 E9 7E");
  wire_->fromPlc = Once(1, 0, [&](Bytes& c) {
    c.insert(c.begin(), keepAlive.begin(), keepAlive.end());
    c.insert(c.begin(), keepAlive.begin(), keepAlive.end());
  });
  ExpectRead(daveDB, 1, 34, 8);
  EXPECT_TRUE(Sent(keepAlive));
}

TEST_P(MpiStep7Session, SessionStillOpenGoesOnFromItsNumbers) {
  wire_->fromPlc = Once(1, 0, [](Bytes& c) { c = nodave::ControlFrame(0x8B); });
  ASSERT_EQ(daveInitAdapter(di_), daveResOK);
  EXPECT_EQ(wire_->Writes().at(1).at(1), 0x33);
}

INSTANTIATE_TEST_SUITE_P(Codes, MpiStep7Session, testing::Values(kMpiCodes[2]), CodeName);

}  // namespace
