#include <gtest/gtest.h>

#include "S7onlineBlock.h"
#include "nodave.h"

namespace {

using nodave::Bytes;

uint16_t Le16(const Bytes& block, size_t at) {
  return static_cast<uint16_t>(block.at(at) | block.at(at + 1) << 8);
}

struct BlockCase {
  const char* what;
  uint8_t opcode;
  Bytes userData;
  size_t segment;
  size_t size;            // of the whole block
  uint16_t offset;        // of the user data, 0 without a segment
  uint8_t localSap;       // byte 42
  uint8_t remoteStation;  // byte 44
};

class S7onlineBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(S7onlineBlocks, HeaderAsTheDllReadsIt) {
  const BlockCase& c = GetParam();
  const Bytes block = nodave::MakeBlock(c.opcode, 0x1234, c.userData, c.segment);
  ASSERT_EQ(block.size(), c.size);
  EXPECT_EQ((Bytes{block[0], block[1], block[2], block[3]}), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(block[4], 80);            // header length
  EXPECT_EQ(Le16(block, 5), 0x1234);  // the application's number
  EXPECT_EQ(block[7], 2);             // request block type
  EXPECT_EQ(block[12], 0x40);         // S7 connection services
  EXPECT_EQ(block[13], c.opcode);
  EXPECT_EQ(Le16(block, 14), 0x00FF);  // a request's status word
  EXPECT_EQ(Le16(block, 16), c.userData.size());
  EXPECT_EQ(Le16(block, 19), c.segment);
  EXPECT_EQ(Le16(block, 21), c.offset);
  EXPECT_EQ(Le16(block, 25), 0);  // no second segment
  EXPECT_EQ(Le16(block, 28), 0);
  EXPECT_EQ(block[35], 1);  // application block subsystem
  EXPECT_EQ(block[42], c.localSap);
  EXPECT_EQ(block[44], c.remoteStation);
  EXPECT_EQ(Bytes(block.begin() + 80, block.begin() + 80 + c.userData.size()), c.userData);
}

const Bytes kPdu = {0x32, 0x01, 0, 0, 0, 1, 0, 8, 0, 0, 0xF0, 0, 0, 1, 0, 1, 1, 0xE0};

INSTANTIATE_TEST_SUITE_P(
    Opcodes, S7onlineBlocks,
    ::testing::Values(BlockCase{"open", nodave::kOpcodeOpen, {}, 0, 80, 0, 0, 0},
                      BlockCase{"connect", nodave::kOpcodeConnect,
                                nodave::ConnectParameters(2, 0, 2), 126, 206, 80, 2, 114},
                      BlockCase{"send", nodave::kOpcodeSend, kPdu, 18, 98, 80, 0, 0},
                      BlockCase{"receive", nodave::kOpcodeReceive, {}, 1024, 1104, 80, 0, 0},
                      BlockCase{"disconnect", nodave::kOpcodeDisconnect, {}, 0, 80, 0, 0, 0}),
    [](const ::testing::TestParamInfo<BlockCase>& info) { return std::string(info.param.what); });

TEST(S7onlineConnectParameters, AddressConnectionTypeAndRackSlot) {
  const Bytes parameters = nodave::ConnectParameters(5, 1, 3);
  ASSERT_EQ(parameters.size(), 126u);
  Bytes expected(126, 0);
  const Bytes head = {0x00, 0x02, 0x01, 0x00, 0x0C, 0x01, 0, 0,    0,    5,
                      0,    0,    0,    0,    0,    0x01, 0, 0x02, 0x01, 1 << 5 | 3};
  std::copy(head.begin(), head.end(), expected.begin());
  EXPECT_EQ(parameters, expected);
}

struct ParseCase {
  const char* what;
  Bytes block;
  int32_t result;
};

Bytes Answer(uint8_t opcode, uint16_t response, const Bytes& data) {
  Bytes block(80 + data.size(), 0);
  std::copy(data.begin(), data.end(), block.begin() + 80);
  block[12] = 0x40;
  block[13] = opcode;
  block[14] = static_cast<uint8_t>(response);
  block[15] = static_cast<uint8_t>(response >> 8);
  block[16] = static_cast<uint8_t>(data.size());
  block[17] = static_cast<uint8_t>(data.size() >> 8);
  return block;
}

Bytes Truncated(Bytes block, size_t size) {
  block.resize(size);
  return block;
}

class S7onlineAnswers : public ::testing::TestWithParam<ParseCase> {};

TEST_P(S7onlineAnswers, LengthsAreCheckedBeforeTheDataIsTaken) {
  const ParseCase& c = GetParam();
  nodave::ScpBlock block;
  EXPECT_EQ(nodave::ParseBlock(c.block.data(), c.block.size(), block), c.result);
  if (c.result == daveResOK) {
    EXPECT_EQ(block.opcode, 7);
    EXPECT_EQ(block.response, 3);
    EXPECT_EQ(block.userData, (Bytes{0x32, 0x03, 0xAA}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, S7onlineAnswers,
    ::testing::Values(ParseCase{"pdu", Answer(7, 3, {0x32, 0x03, 0xAA}), daveResOK},
                      // A larger buffer than the valid data: only the valid bytes count.
                      ParseCase{"padded",
                                [] {
                                  Bytes b = Answer(7, 3, {0x32, 0x03, 0xAA});
                                  b.resize(1104, 0xEE);
                                  return b;
                                }(),
                                daveResOK},
                      ParseCase{"header_cut", Truncated(Answer(7, 3, {}), 79), daveResShortPacket},
                      ParseCase{"empty", {}, daveResShortPacket},
                      ParseCase{"data_cut", Truncated(Answer(7, 3, {1, 2, 3}), 82),
                                daveResCannotEvaluatePDU}),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.what); });

}  // namespace
