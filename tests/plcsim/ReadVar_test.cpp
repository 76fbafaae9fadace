#include <gtest/gtest.h>

#include "PlcsimTestSupport.h"

namespace plcsim_test {
namespace {

constexpr char kMemory[] = R"(
area i size 16 fill sequence
area q size 16 fill 0x11
area m size 16 fill 0x22
area c size 8 fill sequence
area t size 8 fill 0x44
area p size 4 fill 0x55
area db1 size 64 fill sequence
area db7 size 4 fill 0x77
bytes db7.0 80 01
)";

constexpr uint8_t kSuccess = 0xFF;
constexpr uint8_t kOutOfRange = 0x05;
constexpr uint8_t kTypeNotSupported = 0x06;
constexpr uint8_t kMissing = 0x0A;

Bytes Sequence(uint8_t first, size_t count) {
  Bytes bytes(count);
  for (size_t k = 0; k < count; ++k) {
    bytes[k] = static_cast<uint8_t>(first + k);
  }
  return bytes;
}

class ReadVar : public testing::Test {
 protected:
  ReadVar() : server_(kMemory), client_(server_.Port()) { client_.Connect(960); }

  RunningServer server_;
  RawClient client_;
};

TEST_F(ReadVar, EveryServedAreaAnswersItsBytes) {
  const std::vector<ItemData> items = client_.Read({
      ByteRead(0x81, 0, 2, 3), ByteRead(0x82, 0, 0, 2), ByteRead(0x83, 0, 15, 1),
      ByteRead(0x84, 1, 60, 4), ByteRead(0x85, 1, 0, 2),  // instance data blocks are data blocks
      ByteRead(0x80, 0, 0, 4), ReadItem{0x1C, 2, 0, 0x1C, 1},  // counters C1 and C2
      ReadItem{0x1D, 1, 0, 0x1D, 3},                           // timer T3
  });
  ASSERT_EQ(items.size(), 8u);
  const Bytes expected[] = {{2, 3, 4}, {0x11, 0x11},   {0x22},       {60, 61, 62, 63},
                            {0, 1},    Bytes(4, 0x55), {2, 3, 4, 5}, {0x44, 0x44}};
  for (size_t k = 0; k < items.size(); ++k) {
    EXPECT_EQ(items[k].result, kSuccess) << "item " << k;
    EXPECT_EQ(items[k].bytes, expected[k]) << "item " << k;
  }
}

struct ItemCase {
  const char* name;
  ReadItem item;
  uint8_t result;
};

class ItemErrors : public testing::TestWithParam<ItemCase> {};

TEST_P(ItemErrors, AnswerTheItemCode) {
  RunningServer server(kMemory);
  RawClient client(server.Port());
  client.Connect();
  // Between two good items, so that a wrong item length would show.
  const std::vector<ItemData> items =
      client.Read({ByteRead(0x84, 1, 0, 1), GetParam().item, ByteRead(0x84, 1, 1, 1)});
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].result, GetParam().result);
  EXPECT_EQ(items[0].bytes, Bytes{0});
  EXPECT_EQ(items[2].bytes, Bytes{1});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ItemErrors,
    testing::Values(ItemCase{"MissingDataBlock", ByteRead(0x84, 2, 0, 1), kMissing},
                    ItemCase{"DataBlockZero", ByteRead(0x84, 0, 0, 1), kMissing},
                    ItemCase{"MissingInstanceBlock", ByteRead(0x85, 9, 0, 1), kMissing},
                    ItemCase{"PastTheEnd", ByteRead(0x84, 1, 60, 5), kOutOfRange},
                    ItemCase{"StartPastTheEnd", ByteRead(0x84, 7, 4, 1), kOutOfRange},
                    ItemCase{"FarAddress", ReadItem{0x02, 1, 1, 0x84, 0xFFFFF8}, kOutOfRange},
                    ItemCase{"InputsPastTheEnd", ByteRead(0x81, 0, 16, 1), kOutOfRange},
                    ItemCase{"SystemInfo", ByteRead(0x03, 0, 0, 1), kMissing},
                    ItemCase{"SystemFlags", ByteRead(0x05, 0, 0, 1), kMissing},
                    ItemCase{"AnalogIn", ReadItem{0x04, 1, 0, 0x06, 0}, kMissing},
                    ItemCase{"LocalData", ByteRead(0x86, 0, 0, 1), kMissing},
                    ItemCase{"UnknownArea", ByteRead(0x42, 0, 0, 1), kMissing},
                    ItemCase{"CountersPastTheEnd", ReadItem{0x1C, 2, 0, 0x1C, 3}, kOutOfRange},
                    ItemCase{"CountersAsBytes", ByteRead(0x1C, 0, 0, 2), kOutOfRange},
                    ItemCase{"CounterSizeOnTimers", ReadItem{0x1C, 1, 0, 0x1D, 0}, kOutOfRange},
                    ItemCase{"CounterSizeOnADataBlock", ReadItem{0x1C, 1, 1, 0x84, 0}, kOutOfRange},
                    ItemCase{"BytesNotOnAByte", ReadItem{0x02, 1, 1, 0x84, 3}, kOutOfRange},
                    ItemCase{"SeveralBits", ReadItem{0x01, 2, 1, 0x84, 0}, kTypeNotSupported},
                    ItemCase{"UnknownTransportSize", ReadItem{0x0B, 1, 1, 0x84, 0},
                             kTypeNotSupported}),
    [](const testing::TestParamInfo<ItemCase>& info) { return info.param.name; });

TEST_F(ReadVar, AnswerLayoutFollowsTheTransportSize) {
  const std::optional<Answer> answer = client_.Exchange(ReadJob({
      ReadItem{0x01, 1, 7, 0x84, 7},   // bit DB7.DBX0.7
      ByteRead(0x84, 2, 0, 1),         // missing: 4 bytes only
      ReadItem{0x04, 1, 1, 0x84, 8},   // word
      ReadItem{0x05, 1, 1, 0x84, 16},  // int
      ReadItem{0x08, 1, 1, 0x84, 32},  // real
      ReadItem{0x03, 3, 1, 0x84, 0},   // chars, odd and last: no fill byte
  }));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->error, 0);
  EXPECT_EQ(answer->data, (Bytes{0xFF, 0x03, 0, 1,  1, 0,        // bit, fill byte
                                 0x0A, 0,    0, 0,               //
                                 0xFF, 0x04, 0, 16, 1, 2,        //
                                 0xFF, 0x05, 0, 16, 2, 3,        //
                                 0xFF, 0x07, 0, 4,  4, 5, 6, 7,  //
                                 0xFF, 0x09, 0, 3,  0, 1, 2}));
}

TEST_F(ReadVar, BitsAreReadAtTheirBitAddress) {
  EXPECT_EQ(client_.ReadOne(ReadItem{0x01, 1, 7, 0x84, 7}).bytes, Bytes{1});
  EXPECT_EQ(client_.ReadOne(ReadItem{0x01, 1, 7, 0x84, 6}).bytes, Bytes{0});
  EXPECT_EQ(client_.ReadOne(ReadItem{0x01, 1, 7, 0x84, 8}).bytes, Bytes{1});
  EXPECT_EQ(client_.ReadOne(ReadItem{0x01, 1, 0, 0x81, 3 * 8 + 1}).bytes, Bytes{1});
  EXPECT_EQ(client_.ReadOne(ReadItem{0x01, 1, 7, 0x84, 32}).result, kOutOfRange);
}

TEST_F(ReadVar, ZeroBytesAreAnEmptySuccess) {
  const ItemData item = client_.ReadOne(ByteRead(0x84, 1, 64, 0));
  EXPECT_EQ(item.result, kSuccess);
  EXPECT_TRUE(item.bytes.empty());
}

TEST(ReadVarPdu, TheAnswerNeverExceedsTheNegotiatedPdu) {
  RunningServer server("area db1 size 1024 fill sequence");
  RawClient client(server.Port());
  ASSERT_EQ(client.Connect(240), 240);
  EXPECT_EQ(client.ReadOne(ByteRead(0x84, 1, 0, 222)).bytes, Sequence(0, 222));
  std::optional<Answer> answer = client.Exchange(ReadJob({ByteRead(0x84, 1, 0, 223)}));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->error, 0x8500);
  EXPECT_TRUE(answer->data.empty());
  // Two items that fit alone but not together, and one far beyond any PDU.
  answer = client.Exchange(ReadJob({ByteRead(0x84, 1, 0, 110), ByteRead(0x84, 1, 0, 110)}));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->error, 0x8500);
  answer = client.Exchange(ReadJob({ByteRead(0x84, 1, 0, 65535)}));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->error, 0x8500);
  // The connection goes on.
  EXPECT_EQ(client.ReadOne(ByteRead(0x84, 1, 1000, 2)).bytes, (Bytes{0xE8, 0xE9}));
}

TEST_F(ReadVar, JobsItDoesNotServeGetAnErrorAndTheConnectionGoesOn) {
  const Bytes jobs[] = {
      Job({0x05, 0x01}),                                                     // write
      Job({0x29, 0, 0, 0, 0, 0, 0, 9, 'P', '_', 'P'}),                       // stop
      Job({}),                                                               // no function
      Job({0x04, 0x00}),                                                     // read without items
      Job({0x04, 0x02, 0x12, 0x0A, 0x10, 0x02, 0, 1, 0, 1, 0x84, 0, 0, 0}),  // one item short
      Job({0xF0, 0, 0, 1}),                                                  // short setup
  };
  for (const Bytes& job : jobs) {
    const std::optional<Answer> answer = client_.Exchange(job);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->error, 0x8104);
    EXPECT_EQ(answer->reference, 7);
  }
  EXPECT_EQ(client_.ReadOne(ByteRead(0x84, 1, 5, 1)).bytes, Bytes{5});
}

TEST(ReadVarPdu, JobsBeforeSetupAreServedWithTheSmallestPdu) {
  RunningServer server("area db1 size 1024");
  RawClient client(server.Port());
  client.Send(ConnectRequest({1, 2}));
  ASSERT_TRUE(client.ReceivePacket());
  EXPECT_EQ(client.ReadOne(ByteRead(0x84, 1, 0, 222)).result, kSuccess);
  const std::optional<Answer> answer = client.Exchange(ReadJob({ByteRead(0x84, 1, 0, 223)}));
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->error, 0x8500);
}

TEST_F(ReadVar, ShowsWhatTheMemoryHoldsNow) {
  server_.Memory().Write({plcsim::Area::kDataBlocks, 1}, 2, {0xAB, 0xCD});
  EXPECT_EQ(client_.ReadOne(ByteRead(0x84, 1, 1, 3)).bytes, (Bytes{1, 0xAB, 0xCD}));
}

}  // namespace
}  // namespace plcsim_test
