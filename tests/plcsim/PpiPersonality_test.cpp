// The simulated S7-200 on its PPI port, byte for byte against a recorded conversation
// (PLC at station 2, PC at station 0), and how it treats telegrams that are not its own.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "PlcMemory.h"
#include "PpiPersonality.h"

namespace {

using plcsim::Bytes;

Bytes Hex(const std::string& text) {
  Bytes bytes;
  for (size_t at = 0; at + 1 < text.size(); at += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

const Bytes kAck{0xE5};
const Bytes kPoll = Hex("10 02 00 5C 5E 16");
const Bytes kSetup =
    Hex("68 15 15 68 02 00 6C 32 01 00 00 FF FF 00 08 00 00 F0 00 00 01 00 01 03 C0 5C 16");
const Bytes kSetupAnswer =
    Hex("68 17 17 68 00 02 08 32 03 00 00 FF FF 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0 27 16");
const Bytes kRead =
    Hex("68 1B 1B 68 02 00 6C 32 01 00 00 00 00 00 0E 00 00 04 01 12 0A 10 02 00 04 00 01 84 00 "
        "00 00 6B 16");
const Bytes kReadAnswer =
    Hex("68 19 19 68 00 02 08 32 03 00 00 00 00 00 02 00 08 00 00 04 01 FF 04 00 20 11 22 33 44 "
        "1B 16");
const Bytes kFailedReadAnswer =
    Hex("68 15 15 68 00 02 08 32 03 00 00 00 00 00 02 00 04 00 00 04 01 0A 00 00 00 54 16");

class PpiPersonality : public ::testing::Test {
 protected:
  void SetUp() override {
    memory_.AddBlock(plcsim::BlockId{plcsim::Area::kDataBlocks, 1}, 64, 0);
    memory_.Write(plcsim::BlockId{plcsim::Area::kDataBlocks, 1}, 0, {0x11, 0x22, 0x33, 0x44});
    plc_ = plcsim::MakePpiPersonality({&memory_, 2});
  }

  Bytes Send(const Bytes& bytes) { return plc_->OnBytes(bytes.data(), bytes.size()); }

  plcsim::PlcMemory memory_;
  std::unique_ptr<plcsim::LinePersonality> plc_;
};

TEST_F(PpiPersonality, AnswersTheRecordedConversation) {
  EXPECT_EQ(Send(kPoll), kAck);  // nothing to hand out yet
  EXPECT_EQ(Send(kSetup), kAck);
  EXPECT_EQ(Send(kPoll), kSetupAnswer);
  EXPECT_EQ(Send(kRead), kAck);
  EXPECT_EQ(Send(kPoll), kReadAnswer);
  EXPECT_EQ(Send(Hex("10 02 00 7C 7E 16")), kReadAnswer);  // kept for a repeated poll
  const plcsim::PlcMemory empty;
  const auto bare = plcsim::MakePpiPersonality({&empty, 2});
  EXPECT_EQ(bare->OnBytes(kRead.data(), kRead.size()), kAck);
  EXPECT_EQ(bare->OnBytes(kPoll.data(), kPoll.size()), kFailedReadAnswer);
}

TEST_F(PpiPersonality, TelegramsArrivingInPiecesOrBehindGarbageAreAnswered) {
  Bytes reply;
  for (uint8_t byte : kSetup) {
    const Bytes part = Send({byte});
    reply.insert(reply.end(), part.begin(), part.end());
  }
  EXPECT_EQ(reply, kAck);
  Bytes damaged = kRead;
  damaged.erase(damaged.begin() + 12);  // one byte lost: the request sent again follows
  Bytes line = Hex("00 FF 68 01 02 68 16");
  line.insert(line.end(), damaged.begin(), damaged.end());
  line.insert(line.end(), kRead.begin(), kRead.end());
  EXPECT_EQ(Send(line), kAck);
  EXPECT_EQ(Send(kPoll), kReadAnswer);
}

TEST_F(PpiPersonality, IgnoresOtherStationsAndDamagedTelegrams) {
  ASSERT_EQ(Send(kRead), kAck);
  Bytes forStation3 = kRead;
  forStation3[4] = 3;
  forStation3[forStation3.size() - 2] += 1;
  EXPECT_TRUE(Send(forStation3).empty());
  EXPECT_TRUE(Send(Hex("10 03 00 5C 5F 16")).empty());  // a poll for station 3
  Bytes damaged = kRead;
  damaged[damaged.size() - 2] ^= 0x10;
  EXPECT_TRUE(Send(damaged).empty());
  EXPECT_EQ(Send(Hex("10 02 05 5C 63 16")), kAck);  // another master: nothing for it
  EXPECT_EQ(Send(kPoll), kReadAnswer);
}

}  // namespace
