// The AS511 framing helpers against the protocol's worked example (DB5, data word 0
// at 0x1234, 0x15 words long).
#include <gtest/gtest.h>

#include "As511Frames.h"

namespace {

using nodave::Bytes;
using namespace nodave::as511;

struct Reading {
  BlockReader::Step step;
  Bytes data;
};

Reading Read(const Bytes& raw, size_t largest = 64) {
  BlockReader reader(largest);
  BlockReader::Step step = BlockReader::Step::kMore;
  for (size_t i = 0; i < raw.size() && step == BlockReader::Step::kMore; ++i) {
    step = reader.Feed(raw[i]);
  }
  return {step, reader.Data()};
}

TEST(As511Frames, RequestHeadersDoubleDleAndEndWithDleEot) {
  EXPECT_EQ(RequestHeader(BlockInfoHeader(5)), (Bytes{0x01, 0x05, 0x10, 0x04}));
  EXPECT_EQ(RequestHeader(ReadMemoryHeader(0x1238, 0x123D)),
            (Bytes{0x12, 0x38, 0x12, 0x3D, 0x10, 0x04}));
  EXPECT_EQ(RequestHeader(ReadMemoryHeader(0x1010, 0x1011)),
            (Bytes{0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x11, 0x10, 0x04}));
  EXPECT_EQ(RequestHeader({}), (Bytes{0x10, 0x04}));
}

TEST(As511Frames, BlockReaderUndoesDoublingAndStopsAtTheEndMark) {
  struct Case {
    Bytes raw;
    BlockReader::Step step;
    Bytes data;
  };
  const Case cases[] = {
      {{0x00, 0x10, 0x10, 0x05, 0x10, 0x03}, BlockReader::Step::kEnd, {0x00, 0x10, 0x05}},
      {{0x10, 0x03}, BlockReader::Step::kEnd, {}},
      {{0x10, 0x10, 0x10}, BlockReader::Step::kMore, {0x10}},
      {{0x01, 0x10, 0x55}, BlockReader::Step::kBroken, {0x01}},  // DLE before a data byte
      {{0x01, 0x10, 0x04}, BlockReader::Step::kBroken, {0x01}},  // the PG's end mark
  };
  for (const Case& c : cases) {
    const Reading reading = Read(c.raw);
    EXPECT_EQ(reading.step, c.step);
    EXPECT_EQ(reading.data, c.data);
  }
  EXPECT_EQ(Read(Bytes(5, 0x01), 4).step, BlockReader::Step::kBroken);
}

TEST(As511Frames, LeastStillComingNeverAsksBeyondTheBlock) {
  BlockReader reader(64);
  EXPECT_EQ(reader.LeastStillComing(5), 7u);  // five data bytes and DLE ETX
  reader.Feed(0x01);
  reader.Feed(0x10);
  EXPECT_EQ(reader.LeastStillComing(5), 1u);  // a doubled DLE or the end mark
  reader.Feed(0x10);
  EXPECT_EQ(reader.LeastStillComing(5), 5u);
  EXPECT_EQ(reader.LeastStillComing(0), 2u);
}

TEST(As511Frames, BlockInfoOfTheWorkedExample) {
  const Reading reading = Read(
      {0x00, 0x12, 0x34, 0x70, 0x70, 0x41, 0x05, 0x80, 0x00, 0x00, 0x00, 0x00, 0x15, 0x10, 0x03});
  ASSERT_EQ(reading.step, BlockReader::Step::kEnd);
  S5Block block;
  ASSERT_EQ(ParseBlockInfo(reading.data, 5, block), daveResOK);
  EXPECT_EQ(block.address, 0x1234);
  EXPECT_EQ(block.size, 32u);  // 0x15 words less the 5-word header

  struct Case {
    size_t at;
    uint8_t value;
    int32_t result;
  };
  const Case broken[] = {
      {3, 0x71, daveResS5BadAnswer},     // no block marker
      {5, 0x48, daveResS5BadAnswer},     // a function block
      {6, 0x06, daveResS5BadAnswer},     // another block's information
      {5, 0x01, daveResS5BlockMissing},  // not valid
      {12, 0x04, daveResS5BadAnswer},    // shorter than its own header
  };
  for (const Case& c : broken) {
    Bytes data = reading.data;
    data[c.at] = c.value;
    EXPECT_EQ(ParseBlockInfo(data, 5, block), c.result) << c.at;
  }
  EXPECT_EQ(ParseBlockInfo(Bytes(reading.data.begin(), reading.data.end() - 1), 5, block),
            daveResS5BadAnswer);
}

TEST(As511Frames, SystemParametersGiveTheAreaAddresses) {
  Bytes data{0x00, 0xF0, 0x00, 0xF0, 0x00, 0xEF, 0x00, 0xEF, 0x80,
             0xEE, 0x00, 0xED, 0x00, 0xEC, 0x00, 0xEA, 0x00};
  S5Areas areas;
  ASSERT_EQ(ParseSystemParameters(data, areas), daveResOK);
  EXPECT_EQ(areas.inputs, 0xEF00);
  EXPECT_EQ(areas.outputs, 0xEF80);
  EXPECT_EQ(areas.flags, 0xEE00);
  EXPECT_EQ(areas.timers, 0xED00);
  EXPECT_EQ(areas.counters, 0xEC00);
  EXPECT_EQ(areas.systemData, 0xEA00);
  data.pop_back();
  EXPECT_EQ(ParseSystemParameters(data, areas), daveResS5BadAnswer);
}

TEST(As511Frames, ReadAnswerCarriesFiveLeadingBytesAndExactlyTheCount) {
  EXPECT_EQ(CheckReadAnswer(Bytes(11, 0), 6), daveResOK);
  EXPECT_EQ(CheckReadAnswer(Bytes(10, 0), 6), daveResS5BadAnswer);
  EXPECT_EQ(CheckReadAnswer(Bytes(12, 0), 6), daveResS5BadAnswer);
}

}  // namespace
