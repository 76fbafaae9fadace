// Decoding single values: byte order, sign, scale, strings and bits, and the
// defaults of values that the response does not cover.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "moxShared/Public/Common/moxVarConvert.h"
#include "plc/PluginDM_ValueDecoder.h"
#include "plc/PluginDM_ValueDefaults.h"

namespace {

TResponseItem ItemOf(TDataType type) {
  TResponseItem item;
  item.DataType = type;
  item.Size = ValueSizeOf(type);
  return item;
}

TVariant Decoded(const TResponseItem& item, const std::vector<uint8_t>& bytes,
                 int32_t counter = 0) {
  int64_t size = item.Size;
  return DecodeValue(item, bytes.data(), bytes.size(), counter, size);
}

TResponseItem WithDefault(TDataType type, const char* text, bool isUnsigned = true) {
  TResponseItem item = ItemOf(type);
  item.Default = TVariant::OfAnsi(text);
  item.Unsigned = isUnsigned;
  return item;
}

TEST(ByteOrder, WordsSwappedAndLittleEndianGiveTheFourOrders) {
  const uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  EXPECT_EQ(ReadOrderedBits(bytes, 4, true, false), 0x01020304u);
  EXPECT_EQ(ReadOrderedBits(bytes, 4, false, false), 0x03040102u);
  EXPECT_EQ(ReadOrderedBits(bytes, 4, true, true), 0x04030201u);
  EXPECT_EQ(ReadOrderedBits(bytes, 4, false, true), 0x02010403u);
  EXPECT_EQ(ReadOrderedBits(bytes, 2, true, false), 0x0102u);
  EXPECT_EQ(ReadOrderedBits(bytes, 2, false, false), 0x0102u);
  EXPECT_EQ(ReadOrderedBits(bytes, 2, false, true), 0x0201u);
  EXPECT_EQ(ReadOrderedBits(bytes, 8, true, false), 0x0102030405060708u);
  EXPECT_EQ(ReadOrderedBits(bytes, 8, true, true), 0x0807060504030201u);
  EXPECT_EQ(ReadOrderedBits(bytes, 8, false, false), 0x0708050603040102u);
  EXPECT_EQ(ReadOrderedBits(bytes, 8, false, true), 0x0201040306050807u);
}

TEST(IntegerValues, TypeFollowsSizeAndSign) {
  TResponseItem d16 = ItemOf(TDataType::D16);
  EXPECT_EQ(Decoded(d16, {0x12, 0x34}), TVariant::OfUI2(0x1234));
  d16.LE = true;
  EXPECT_EQ(Decoded(d16, {0x12, 0x34}), TVariant::OfUI2(0x3412));
  d16.LE = false;
  d16.Unsigned = false;
  EXPECT_EQ(Decoded(d16, {0xFF, 0xFE}), TVariant::OfI2(-2));

  TResponseItem d8 = ItemOf(TDataType::D8);
  EXPECT_EQ(Decoded(d8, {0xFB}), TVariant::OfUI1(251));
  d8.Unsigned = false;
  EXPECT_EQ(Decoded(d8, {0xFB}), TVariant::OfI1(-5));

  TResponseItem d32 = ItemOf(TDataType::D32);
  EXPECT_EQ(Decoded(d32, {0xFF, 0xFF, 0xFF, 0xFE}), TVariant::OfUI4(0xFFFFFFFEu));
  d32.Unsigned = false;
  EXPECT_EQ(Decoded(d32, {0xFF, 0xFF, 0xFF, 0xFE}), TVariant::OfI4(-2));
  d32.Swapped = false;
  EXPECT_EQ(Decoded(d32, {0x00, 0x01, 0x80, 0x00}), TVariant::OfI4(-2147483647));

  TResponseItem d64 = ItemOf(TDataType::D64);  // unsigned has no effect
  EXPECT_EQ(Decoded(d64, std::vector<uint8_t>(8, 0xFF)), TVariant::OfI8(-1));
  d64.Swapped = false;
  d64.LE = true;
  EXPECT_EQ(Decoded(d64, {1, 2, 3, 4, 5, 6, 7, 8}), TVariant::OfI8(0x0201040306050807));
}

TEST(FloatValues, SingleAndDoubleInEveryOrder) {
  float single = -1.5f;
  uint8_t s[4];
  std::memcpy(s, &single, 4);  // little-endian host bytes
  TResponseItem f32 = ItemOf(TDataType::F32);
  EXPECT_EQ(Decoded(f32, {s[3], s[2], s[1], s[0]}), TVariant::OfR8(-1.5));
  f32.LE = true;
  EXPECT_EQ(Decoded(f32, {s[0], s[1], s[2], s[3]}), TVariant::OfR8(-1.5));
  f32.LE = false;
  f32.Swapped = false;
  EXPECT_EQ(Decoded(f32, {s[1], s[0], s[3], s[2]}), TVariant::OfR8(-1.5));

  double wide = 1234.5678;
  uint8_t d[8];
  std::memcpy(d, &wide, 8);
  TResponseItem f64 = ItemOf(TDataType::F64);
  EXPECT_EQ(Decoded(f64, {d[7], d[6], d[5], d[4], d[3], d[2], d[1], d[0]}), TVariant::OfR8(wide));
  f64.Swapped = false;
  f64.LE = true;
  EXPECT_EQ(Decoded(f64, {d[6], d[7], d[4], d[5], d[2], d[3], d[0], d[1]}), TVariant::OfR8(wide));
}

TEST(ScaledValues, AScaleOtherThanOneGivesADouble) {
  TResponseItem d16 = ItemOf(TDataType::D16);
  d16.Scale = 0.1L;
  const TVariant scaled = Decoded(d16, {0x04, 0xD2});  // 1234
  ASSERT_EQ(scaled.Type(), VarType::R8);
  EXPECT_NEAR(scaled.Data().R8, 123.4, 1e-12);
  d16.Unsigned = false;
  EXPECT_EQ(Decoded(d16, {0xFF, 0xF6}).Data().R8, -1.0);  // -10 * 0.1, signed
  TResponseItem d64 = ItemOf(TDataType::D64);
  d64.Scale = 2;
  EXPECT_EQ(Decoded(d64, std::vector<uint8_t>(8, 0xFF)), TVariant::OfR8(-2));  // always signed
  TResponseItem d32 = ItemOf(TDataType::D32);
  d32.Scale = 1e308L;  // beyond the double range: infinite, not undefined
  EXPECT_TRUE(std::isinf(Decoded(d32, {0xFF, 0xFF, 0xFF, 0xFF}).Data().R8));
  TResponseItem f32 = ItemOf(TDataType::F32);
  f32.Scale = -1;
  EXPECT_EQ(Decoded(f32, {0x3F, 0xC0, 0x00, 0x00}), TVariant::OfR8(-1.5));
}

TEST(StringValues, TakeTheRestWithoutZerosAndAdvanceToTheEnd) {
  const TResponseItem s = ItemOf(TDataType::S);
  int64_t size = s.Size;
  const std::vector<uint8_t> bytes = {'a', 0, 'b', 'c', 0, 0, 'd'};
  const TVariant value = DecodeValue(s, bytes.data(), bytes.size(), 0, size);
  EXPECT_EQ(VarToAnsi(value), "abcd");
  EXPECT_EQ(size, 7);
}

TEST(BitValues, CounterPicksTheBitAndOnlyBitSevenAdvances) {
  TResponseItem bit = ItemOf(TDataType::BIT);
  for (int32_t counter = 0; counter < 16; ++counter) {
    int64_t size = -1;
    const uint8_t byte = 0x05;  // bits 0 and 2
    const TVariant value = DecodeValue(bit, &byte, 1, counter, size);
    EXPECT_EQ(value, TVariant::OfBool(counter % 8 == 0 || counter % 8 == 2)) << counter;
    EXPECT_EQ(size, counter % 8 == 7 ? 1 : 0);
  }
  bit.LE = true;
  int64_t size = 0;
  const uint8_t high = 0x80;
  EXPECT_EQ(DecodeValue(bit, &high, 1, 0, size), TVariant::OfBool(true));
  EXPECT_EQ(DecodeValue(bit, &high, 1, 7, size), TVariant::OfBool(false));
}

TEST(Range, BitsNeedTheirByteOthersTheirWholeSize) {
  EXPECT_TRUE(ValueInRange(TDataType::D16, 2, 2, 4));
  EXPECT_FALSE(ValueInRange(TDataType::D16, 3, 2, 4));
  EXPECT_FALSE(ValueInRange(TDataType::D16, -1, 2, 4));
  EXPECT_FALSE(ValueInRange(TDataType::S, 2, 255, 100));
  EXPECT_TRUE(ValueInRange(TDataType::BIT, 3, 0, 4));
  EXPECT_FALSE(ValueInRange(TDataType::BIT, 4, 0, 4));
  EXPECT_FALSE(ValueInRange(TDataType::D64, 2147483647LL, 8, 128000));
}

TEST(Defaults, IntegersKeepTheirLowBitsInTheItemsType) {
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D8, "300")), TVariant::OfUI1(44));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D8, "-1", false)), TVariant::OfI1(-1));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D16, "70000")), TVariant::OfUI2(4464));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D16, "-2", false)), TVariant::OfI2(-2));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D32, "4294967295")),
            TVariant::OfUI4(0xFFFFFFFFu));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D32, "-1")), TVariant::OfUI4(0xFFFFFFFFu));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D32, "-7", false)), TVariant::OfI4(-7));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D64, "-9000000000")),
            TVariant::OfI8(-9000000000LL));
}

TEST(Defaults, FloatsStringsAndBits) {
  const TVariant single = DefaultValueOf(WithDefault(TDataType::F32, "0.1"));
  EXPECT_EQ(single, TVariant::OfR8(static_cast<double>(0.1f)));
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::F64, "0.1")), TVariant::OfR8(0.1));
  EXPECT_EQ(VarToAnsi(DefaultValueOf(WithDefault(TDataType::S, "n/a"))), "n/a");
  for (const char* truth : {"1", "y", "yes", "Yes", "ON", "high"}) {
    EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::BIT, truth)), TVariant::OfBool(true)) << truth;
  }
  for (const char* lie : {"0", "yes ", "true", "", "no"}) {
    EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::BIT, lie)), TVariant::OfBool(false)) << lie;
  }
}

TEST(Defaults, TextsThatDoNotConvertGiveByteZero) {
  const TVariant zero = TVariant::OfUI1(0);
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D16, "abc")), zero);
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D32, "99999999999", false)), zero);
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::D64, "")), zero);
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::F32, "1e300")), zero);
  EXPECT_EQ(DefaultValueOf(WithDefault(TDataType::F64, "x1")), zero);
}

}  // namespace
