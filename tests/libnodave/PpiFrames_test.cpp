// PPI telegrams byte for byte: an S7-200 at station 2, the PC at station 0.
#include <gtest/gtest.h>

#include <string>

#include "PpiFrame.h"
#include "nodave.h"

namespace {

using nodave::Bytes;

Bytes Hex(const std::string& text) {
  Bytes bytes;
  for (size_t at = 0; at + 1 < text.size(); at += 3) {
    bytes.push_back(static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16)));
  }
  return bytes;
}

// Setup communication asking for 960, and a read of 4 bytes of V memory at 0.
const Bytes kSetupRequest =
    Hex("68 15 15 68 02 00 6C 32 01 00 00 FF FF 00 08 00 00 F0 00 00 01 00 01 03 C0 5C 16");
const Bytes kReadRequest =
    Hex("68 1B 1B 68 02 00 6C 32 01 00 00 00 00 00 0E 00 00 04 01 12 0A 10 02 00 04 00 01 84 00 "
        "00 00 6B 16");
const Bytes kSetupAnswer =
    Hex("68 17 17 68 00 02 08 32 03 00 00 FF FF 00 08 00 00 00 00 F0 00 00 01 00 01 00 F0 27 16");
const Bytes kReadAnswer =
    Hex("68 19 19 68 00 02 08 32 03 00 00 00 00 00 02 00 08 00 00 04 01 FF 04 00 20 11 22 33 44 "
        "1B 16");
const Bytes kFailedReadAnswer =
    Hex("68 15 15 68 00 02 08 32 03 00 00 00 00 00 02 00 04 00 00 04 01 0A 00 00 00 54 16");
const Bytes kWriteAnswer =
    Hex("68 12 12 68 00 02 08 32 03 00 00 00 00 00 02 00 01 00 00 05 01 FF 47 16");

// The S7 PDU a variable telegram carries: between FC and FCS.
Bytes PduOf(const Bytes& telegram) { return Bytes(telegram.begin() + 7, telegram.end() - 2); }

TEST(PpiFrames, RequestsAndPollAreBuiltByteForByte) {
  EXPECT_EQ(nodave::PpiRequestTelegram(2, 0, PduOf(kSetupRequest)), kSetupRequest);
  EXPECT_EQ(nodave::PpiRequestTelegram(2, 0, PduOf(kReadRequest)), kReadRequest);
  EXPECT_EQ(nodave::PpiPollTelegram(2, 0, 0x5C), Hex("10 02 00 5C 5E 16"));
  EXPECT_EQ(nodave::PpiPollTelegram(2, 0, 0x7C), Hex("10 02 00 7C 7E 16"));
}

TEST(PpiFrames, AnswersAreTakenApart) {
  for (const Bytes& answer : {kSetupAnswer, kReadAnswer, kFailedReadAnswer, kWriteAnswer}) {
    nodave::PpiTelegram telegram;
    ASSERT_EQ(nodave::ParsePpiTelegram(answer, telegram), daveResOK);
    EXPECT_EQ(nodave::PpiTelegramSize(answer.data(), answer.size()), answer.size());
    EXPECT_EQ(telegram.start, nodave::kPpiVariable);
    EXPECT_EQ(telegram.destination, 0);
    EXPECT_EQ(telegram.source, 2);
    EXPECT_EQ(telegram.function, 0x08);
    EXPECT_EQ(telegram.data, PduOf(answer));
  }
  nodave::PpiTelegram ack;
  ASSERT_EQ(nodave::ParsePpiTelegram({0xE5}, ack), daveResOK);
  EXPECT_EQ(ack.start, nodave::kPpiShortAck);
  nodave::PpiTelegram poll;
  ASSERT_EQ(nodave::ParsePpiTelegram(Hex("10 02 00 5C 5E 16"), poll), daveResOK);
  EXPECT_EQ(poll.destination, 2);
  EXPECT_EQ(poll.function, 0x5C);
  EXPECT_TRUE(poll.data.empty());
}

TEST(PpiFrames, SizeIsKnownFromTheFirstBytes) {
  EXPECT_EQ(nodave::PpiTelegramSize(kReadAnswer.data(), 1), 4u);  // header still to come
  EXPECT_EQ(nodave::PpiTelegramSize(kReadAnswer.data(), 4), kReadAnswer.size());
  EXPECT_EQ(nodave::PpiTelegramSize(Hex("10").data(), 1), 6u);
  EXPECT_EQ(nodave::PpiTelegramSize(Hex("E5").data(), 1), 1u);
  for (const char* none :
       {"00", "16", "68 19 18 68", "68 19 19 10", "68 02 02 68", "68 F4 F4 68"}) {
    const Bytes bytes = Hex(none);
    EXPECT_EQ(nodave::PpiTelegramSize(bytes.data(), bytes.size()), 0u) << none;
  }
  const Bytes largest = Hex("68 F3 F3 68");  // DA SA FC and a 240-byte PDU
  EXPECT_EQ(nodave::PpiTelegramSize(largest.data(), largest.size()), 4u + 0xF3 + 2);
}

struct Damage {
  const char* name;
  size_t at;   // byte changed, or where one is removed or added
  int change;  // +1 / -1: a byte added / removed; 0: the byte's value changed
};

class PpiFramesDamaged : public ::testing::TestWithParam<Damage> {};

TEST_P(PpiFramesDamaged, AreLineErrors) {
  Bytes bytes = kReadAnswer;
  const Damage& damage = GetParam();
  if (damage.change > 0) {
    bytes.insert(bytes.begin() + static_cast<ptrdiff_t>(damage.at), 0x00);
  } else if (damage.change < 0) {
    bytes.erase(bytes.begin() + static_cast<ptrdiff_t>(damage.at));
  } else {
    bytes[damage.at] ^= 0x01;
  }
  nodave::PpiTelegram telegram;
  EXPECT_EQ(nodave::ParsePpiTelegram(bytes, telegram), daveResLineErrors);
}

INSTANTIATE_TEST_SUITE_P(Telegrams, PpiFramesDamaged,
                         ::testing::Values(Damage{"checksum", 29, 0}, Damage{"data", 26, 0},
                                           Damage{"end", 30, 0}, Damage{"length", 1, 0},
                                           Damage{"repeatedLength", 2, 0},
                                           Damage{"secondStart", 3, 0}, Damage{"byteLost", 20, -1},
                                           Damage{"byteAdded", 20, 1}, Damage{"endLost", 30, -1}),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                           return std::string(info.param.name);
                         });

TEST(PpiFrames, DamagedPollAndEmptyInputAreLineErrors) {
  nodave::PpiTelegram telegram;
  EXPECT_EQ(nodave::ParsePpiTelegram(Hex("10 02 00 5C 5F 16"), telegram), daveResLineErrors);
  EXPECT_EQ(nodave::ParsePpiTelegram(Hex("10 02 00 5C 5E"), telegram), daveResLineErrors);
  EXPECT_EQ(nodave::ParsePpiTelegram({}, telegram), daveResLineErrors);
  EXPECT_EQ(nodave::ParsePpiTelegram(Hex("E5 E5"), telegram), daveResLineErrors);
}

}  // namespace
