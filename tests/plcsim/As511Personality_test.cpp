// The S5 personality answers the PG's bytes as the protocol's transaction tables give
// them, its memory image places the data blocks behind their block headers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "As511Personality.h"
#include "MemoryLoader.h"

namespace plcsim {
namespace {

class As511PersonalityTest : public ::testing::Test {
 protected:
  void SetUp() override { LoadMemory(ParseDescription(kDefaultDescription), memory_); }

  Bytes Send(const Bytes& bytes) { return plc_->OnBytes(bytes.data(), bytes.size()); }

  // The transaction up to the request header's acknowledge; what the PLC answers to it.
  Bytes Open(uint8_t function, const Bytes& header) {
    EXPECT_EQ(Send({0x02}), (Bytes{0x10, 0x06}));
    EXPECT_EQ(Send({function}), (Bytes{0x02}));
    EXPECT_EQ(Send({0x10, 0x06}), (Bytes{0x16, 0x10, 0x03}));
    EXPECT_EQ(Send({0x10, 0x06}), Bytes{});
    return Send(header);
  }

  // The answer data block and the closing block.
  Bytes Finish() {
    Bytes data = Send({0x10, 0x06});
    EXPECT_EQ(Send({0x10, 0x06}), (Bytes{0x02}));
    EXPECT_EQ(Send({0x10, 0x06}), (Bytes{0x12, 0x10, 0x03}));
    EXPECT_EQ(Send({0x10, 0x06}), Bytes{});
    return data;
  }

  PlcMemory memory_;
  std::unique_ptr<LinePersonality> plc_ = nullptr;
};

TEST_F(As511PersonalityTest, ServesSystemParametersBlockInfoAndMemory) {
  plc_ = MakeAs511Personality(PersonalitySettings{&memory_, 2});
  ASSERT_EQ(Open(0x18, {0x10, 0x04}), (Bytes{0x10, 0x06, 0x02}));
  Bytes sysPar = Finish();
  ASSERT_EQ(sysPar.size(), 53u);  // 00 + 50 bytes, DLE ETX
  EXPECT_EQ(Bytes(sysPar.begin(), sysPar.begin() + 17),
            (Bytes{0x00, 0xF0, 0x00, 0xF0, 0x00, 0xEF, 0x00, 0xEF, 0x80, 0xEE, 0x00, 0xED, 0x00,
                   0xEC, 0x00, 0xEA, 0x00}));

  // DB1: data word 0 at 0x100A (the DLE doubled), 0x205 words with the header.
  ASSERT_EQ(Open(0x1A, {0x01, 0x01, 0x10, 0x04}), (Bytes{0x10, 0x06, 0x02}));
  EXPECT_EQ(Finish(), (Bytes{0x00, 0x10, 0x10, 0x0A, 0x70, 0x70, 0x41, 0x01, 0x80, 0x00, 0x00, 0x00,
                             0x02, 0x05, 0x10, 0x03}));

  // DB1 bytes 34..37, and the output bytes 3..4 (08 10: the DLE doubled).
  ASSERT_EQ(Open(0x04, {0x10, 0x10, 0x2C, 0x10, 0x10, 0x2F, 0x10, 0x04}),
            (Bytes{0x10, 0x06, 0x02}));
  EXPECT_EQ(Finish(), (Bytes{0, 0, 0, 0, 0, 0x12, 0x34, 0x56, 0x78, 0x10, 0x03}));
  ASSERT_EQ(Open(0x04, {0xEF, 0x83, 0xEF, 0x84, 0x10, 0x04}), (Bytes{0x10, 0x06, 0x02}));
  EXPECT_EQ(Finish(), (Bytes{0, 0, 0, 0, 0, 0x08, 0x10, 0x10, 0x10, 0x03}));
}

TEST_F(As511PersonalityTest, RefusesWhatItCannotServe) {
  plc_ = MakeAs511Personality(PersonalitySettings{&memory_, 2});
  const Bytes refusals[][2] = {
      {{0x1A}, {0x01, 0x63, 0x10, 0x04}},                    // DB99 does not exist
      {{0x1A}, {0x08, 0x01, 0x10, 0x04}},                    // a function block
      {{0x04}, {0x00, 0x10, 0x10, 0x00, 0x0F, 0x10, 0x04}},  // end before start
      {{0x03}, {0x00, 0x00, 0x01, 0x10, 0x04}},              // writing
  };
  for (const auto& refusal : refusals) {
    EXPECT_EQ(Open(refusal[0][0], refusal[1]), (Bytes{0x10, 0x15}));
  }
}

TEST_F(As511PersonalityTest, GivesUpATransactionAfterAGap) {
  plc_ = MakeAs511Personality(PersonalitySettings{&memory_, 2});
  EXPECT_EQ(Send({0x02, 0x18}), (Bytes{0x10, 0x06, 0x02}));
  EXPECT_EQ(Send({0x10, 0x55}), Bytes{});  // broken: the PLC waits for a new STX
  EXPECT_EQ(Send({0x10, 0x06}), Bytes{});
  EXPECT_EQ(Send({0x02}), (Bytes{0x10, 0x06}));
  std::this_thread::sleep_for(std::chrono::milliseconds(550));
  EXPECT_EQ(Send({0x02}), (Bytes{0x10, 0x06}));  // a new transaction, not the function code
}

}  // namespace
}  // namespace plcsim
