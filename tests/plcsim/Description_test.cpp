#include "Description.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace plcsim {
namespace {

TEST(Description, ReadsAreasBytesAndValues) {
  const Description description = ParseDescription(R"(
# a comment line
area i size 8 fill 0xaa       # comment after a statement
area db12 size 100 fill sequence
area c size 4
bytes db12.98 01 fF
value db12.0 real sine amplitude 2 offset 1 period 4
value i.1 string[3] text "a b" "#c"
)");
  ASSERT_EQ(description.blocks.size(), 3u);
  EXPECT_EQ(description.blocks[0].block.area, Area::kInputs);
  EXPECT_EQ(description.blocks[0].size, 8u);
  EXPECT_EQ(description.blocks[0].fill, 0xAA);
  EXPECT_EQ(description.blocks[1].block.number, 12);
  EXPECT_TRUE(description.blocks[1].sequence);
  EXPECT_EQ(description.blocks[2].block.area, Area::kCounters);
  ASSERT_EQ(description.bytes.size(), 1u);
  EXPECT_EQ(description.bytes[0].at.offset, 98u);
  EXPECT_EQ(description.bytes[0].bytes, (std::vector<uint8_t>{0x01, 0xFF}));
  ASSERT_EQ(description.values.size(), 2u);
  const Motion& sine = description.values[0].motion;
  EXPECT_EQ(sine.kind, MotionKind::kSine);
  EXPECT_EQ(sine.amplitude, 2);
  EXPECT_EQ(sine.offset, 1);
  EXPECT_EQ(sine.period, 4);
  const AnimatedValue& text = description.values[1];
  EXPECT_EQ(text.type, ValueType::kString);
  EXPECT_EQ(text.stringLength, 3u);
  EXPECT_EQ(text.motion.texts, (std::vector<std::string>{"a b", "#c"}));
  EXPECT_EQ(text.motion.period, 1);
}

TEST(Description, MotionsTakeTheirOwnDefaultPeriods) {
  const Description description = ParseDescription(
      "area m size 16\nvalue m.0 int sine\nvalue m.2 int ramp\nvalue m.4 int counter\n");
  EXPECT_EQ(description.values[0].motion.period, 10);
  EXPECT_EQ(description.values[1].motion.period, 10);
  EXPECT_EQ(description.values[2].motion.period, 1);
}

struct Mistake {
  const char* text;
  const char* message;
};

class Mistakes : public testing::TestWithParam<Mistake> {};

TEST_P(Mistakes, NameTheLineAndTheCause) {
  try {
    ParseDescription(std::string("area db1 size 16\n\n") + GetParam().text);
    ADD_FAILURE() << "accepted: " << GetParam().text;
  } catch (const DescriptionError& error) {
    EXPECT_EQ(std::string(error.what()), std::string("line 3: ") + GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Mistakes,
    testing::Values(
        Mistake{"aera i size 4", "unknown statement \"aera\"; expected area, bytes or value"},
        Mistake{"area x size 4",
                "unknown area \"x\"; expected i, q, m, c, t, p, sm, ai, aq, si or db1 to db65535"},
        Mistake{
            "area db0 size 4",
            "unknown area \"db0\"; expected i, q, m, c, t, p, sm, ai, aq, si or db1 to db65535"},
        Mistake{"area db1 size 4", "area declared twice"}, Mistake{"area i", "missing size"},
        Mistake{"area i length 4", "expected \"size\", found \"length\""},
        Mistake{"area i size -1", "size must be a whole number from 0 to 65536"},
        Mistake{"area i size 70000", "size must be a whole number from 0 to 65536"},
        Mistake{"area i size 4 fill 256", "fill byte must be a whole number from 0 to 255"},
        Mistake{"area i size 4 fill 1 2", "unexpected \"2\""},
        Mistake{"bytes db1.15 01 02", "2 bytes at offset 15 do not fit the area's 16 bytes"},
        Mistake{"bytes db1.0 123", "not a hexadecimal byte: \"123\""},
        Mistake{"bytes db1.0 0g", "not a hexadecimal byte: \"0g\""},
        Mistake{"bytes m.0 01", "area \"m\" is not declared"},
        Mistake{"bytes db1 01", "address \"db1\" is not NAME.OFFSET"},
        Mistake{"bytes db1.x 01", "offset is not a number: \"x\""},
        Mistake{"value db1.14 dint const 1", "4 bytes at offset 14 do not fit the area's 16 bytes"},
        Mistake{"value db1.0 long const 1",
                "unknown type \"long\"; expected byte, word, int, dword, dint, real or string[N]"},
        Mistake{"value db1.0 string[300] text \"a\"",
                "string length must be a whole number from 0 to 254"},
        Mistake{"value db1.0 string[20] text \"a\"",
                "22 bytes at offset 0 do not fit the area's 16 bytes"},
        Mistake{"value db1.0 int wave",
                "unknown motion \"wave\"; expected const, counter, sine, ramp, toggle or text"},
        Mistake{"value db1.0 int sine speed 3",
                "unknown option \"speed\" for sine; expected amplitude, offset, period"},
        Mistake{"value db1.0 int const 1 period 2", "unknown option \"period\" for const"},
        Mistake{"value db1.0 int const", "missing value"},
        Mistake{"value db1.0 int counter step", "missing step"},
        Mistake{"value db1.0 int counter step nan", "step is not a number: \"nan\""},
        Mistake{"value db1.0 int counter period 0", "period must be above 0"},
        Mistake{"value db1.0 int toggle pattern -1",
                "pattern must be a whole number from 0 to 0xffffffff"},
        Mistake{"value db1.0 real toggle", "a real cannot toggle bits"},
        Mistake{"value db1.0 int text \"a\"", "only a string takes the motion text"},
        Mistake{"value db1.0 string[4] const 1", "a string takes the motion text"},
        Mistake{"value db1.0 string[4] text", "missing text in double quotes"},
        Mistake{"value db1.0 string[2] text \"abc\"",
                "text \"abc\" is longer than the string's 2 characters"},
        Mistake{"value db1.0 string[4] text \"abc", "text without its closing quote"}));

TEST(Description, FileErrorsNameTheFile) {
  const std::string path = testing::TempDir() + "plcsim_description_test.txt";
  {
    std::ofstream file(path);
    file << "area i size 4\nbytes i.4 01\n";
  }
  try {
    ReadDescriptionFile(path);
    ADD_FAILURE() << "accepted";
  } catch (const DescriptionError& error) {
    EXPECT_EQ(std::string(error.what()),
              path + ": line 2: 1 bytes at offset 4 do not fit the area's 4 bytes");
  }
  std::remove(path.c_str());
  try {
    ReadDescriptionFile(path);
    ADD_FAILURE() << "read a missing file";
  } catch (const DescriptionError& error) {
    EXPECT_EQ(std::string(error.what()), path + ": cannot be read");
  }
}

}  // namespace
}  // namespace plcsim
