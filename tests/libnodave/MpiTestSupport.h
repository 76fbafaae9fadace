#pragma once

// A whole MPI line in the test's thread: our library's interface on one end, the
// simulator's adapter with its PLC on the other, over a LineWire (or a TimedWire that
// gives every byte its own arrival time).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "LinePersonality.h"
#include "LineWire.h"
#include "PlcMemory.h"
#include "nodave.h"

using Bytes = std::vector<uint8_t>;

// "7E FC 9B CD 7E" as bytes.
Bytes Hex(const std::string& text);
Bytes Join(const std::vector<Bytes>& pieces);

struct MpiCode {
  int32_t protocol;
  const char* personality;  // plcsim's name
  bool step7;               // the Step 7 link's frames instead of 3964R
};
extern const MpiCode kMpiCodes[4];
std::string CodeName(const testing::TestParamInfo<MpiCode>& info);

// The simulator's demo memory, loaded once; nothing animates it here.
const plcsim::PlcMemory& DemoMemory();

// The telegrams in what one side sent in one go, changed by `edit` and framed again
// (3964R block, or the Step 7 link's data frames); other bytes stay as they are.
using TelegramEdit = std::function<void(Bytes& telegram)>;
void EditTelegrams(bool step7, Bytes& chunk, const TelegramEdit& edit);

// A line on which each byte arrives `gap` after the one before, from when the far end
// sent it. A read waits (really) until its bytes are there, or gives up after the
// interface's time-out, as the plug-in's read function does.
class TimedWire {
 public:
  TimedWire(plcsim::LinePersonality& farEnd, std::chrono::microseconds gap)
      : farEnd_(farEnd), gap_(gap) {}
  void Attach(daveInterface* di);

 private:
  static int32_t DAVE_CALL Read(daveInterface* di, char* buffer, int32_t length);
  static int32_t DAVE_CALL Write(daveInterface* di, const char* buffer, int32_t length);

  plcsim::LinePersonality& farEnd_;
  std::chrono::microseconds gap_;
  std::vector<std::pair<std::chrono::steady_clock::time_point, uint8_t>> pending_;
};

class MpiLine : public testing::Test {
 protected:
  // The simulator of the code on a fresh wire, and a new interface on it.
  void Start(const MpiCode& code);
  void TearDown() override;

  // A new interface (local address 0, 187.5 kbit/s) on the wire.
  void NewInterface(int32_t localAddress = 0);
  // Adapter initialised and connected to the PLC at `address`; asserts success.
  void Connect(int32_t address = 2);
  // Reads and compares every byte with the simulator's memory.
  void ExpectRead(int32_t area, int32_t db, int32_t start, int32_t length);
  void Release();

  MpiCode code_{};
  std::unique_ptr<plcsim::LinePersonality> adapter_;
  std::unique_ptr<LineWire> wire_;
  daveInterface* di_ = nullptr;
  daveConnection* dc_ = nullptr;
};

class MpiLineTest : public MpiLine, public testing::WithParamInterface<MpiCode> {
 protected:
  void SetUp() override { Start(GetParam()); }
};
