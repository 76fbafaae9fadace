#include "Animation.h"
#include "AnimationThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "Description.h"
#include "MemoryLoader.h"
#include "ValueEncoding.h"

namespace plcsim {
namespace {

using Bytes = std::vector<uint8_t>;

AnimatedValue OnlyValue(const std::string& statement) {
  const Description description = ParseDescription("area db1 size 64\n" + statement);
  EXPECT_EQ(description.values.size(), 1u);
  return description.values.at(0);
}

Bytes At(const std::string& statement, double seconds) {
  return ValueBytes(OnlyValue(statement), seconds);
}

float RealAt(const std::string& statement, double seconds) {
  const Bytes bytes = At(statement, seconds);
  const uint32_t bits =
      uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(Animation, CounterStepsOncePerPeriodAndWraps) {
  const std::string counter = "value db1.0 dint counter start 5 step 2 period 0.5";
  EXPECT_EQ(At(counter, 0), (Bytes{0, 0, 0, 5}));
  EXPECT_EQ(At(counter, 0.49), (Bytes{0, 0, 0, 5}));
  EXPECT_EQ(At(counter, 0.5), (Bytes{0, 0, 0, 7}));
  EXPECT_EQ(At(counter, 10.2), (Bytes{0, 0, 0, 45}));
  EXPECT_EQ(At("value db1.0 byte counter start 250 step 3", 2), (Bytes{0}));
  EXPECT_EQ(At("value db1.0 int counter step -1", 3), (Bytes{0xFF, 0xFD}));
}

TEST(Animation, SineIsARealOfThePeriod) {
  const std::string sine = "value db1.0 real sine amplitude 100 offset 5 period 8";
  EXPECT_FLOAT_EQ(RealAt(sine, 0), 5);
  EXPECT_FLOAT_EQ(RealAt(sine, 2), 105);
  EXPECT_NEAR(RealAt(sine, 4), 5, 1e-4);
  EXPECT_FLOAT_EQ(RealAt(sine, 6), -95);
  EXPECT_EQ(At("value db1.0 int sine amplitude 1000 period 4", 3), (Bytes{0xFC, 0x18}));
}

TEST(Animation, RampRisesAndStartsAgain) {
  const std::string ramp = "value db1.0 int ramp min 100 max 200 period 10";
  EXPECT_EQ(At(ramp, 0), (Bytes{0, 100}));
  EXPECT_EQ(At(ramp, 2.5), (Bytes{0, 125}));
  EXPECT_EQ(At(ramp, 9.9), (Bytes{0, 199}));
  EXPECT_EQ(At(ramp, 12.5), (Bytes{0, 125}));
}

TEST(Animation, ToggleAlternatesPatternAndComplement) {
  const std::string toggle = "value db1.0 byte toggle pattern 0x0f period 2";
  EXPECT_EQ(At(toggle, 0), Bytes{0x0F});
  EXPECT_EQ(At(toggle, 2), Bytes{0xF0});
  EXPECT_EQ(At(toggle, 4.5), Bytes{0x0F});
  EXPECT_EQ(At("value db1.0 word toggle", 1), (Bytes{0xFF, 0xAA}));
}

TEST(Animation, TextCyclesAsAnS7String) {
  const std::string text = R"(value db1.0 string[6] text "ab" "cde" period 3)";
  EXPECT_EQ(At(text, 0), (Bytes{6, 2, 'a', 'b', 0, 0, 0, 0}));
  EXPECT_EQ(At(text, 3), (Bytes{6, 3, 'c', 'd', 'e', 0, 0, 0}));
  EXPECT_EQ(At(text, 6), (Bytes{6, 2, 'a', 'b', 0, 0, 0, 0}));
}

TEST(Animation, TimeBeforeTheStartStaysInRange) {
  EXPECT_EQ(At(R"(value db1.0 string[2] text "a" "b")", -1), (Bytes{2, 1, 'b', 0}));
  EXPECT_EQ(At("value db1.0 byte toggle", -1), Bytes{0xAA});
}

TEST(Animation, ConstantsInEveryType) {
  EXPECT_EQ(At("value db1.0 dint const -2", 7), (Bytes{0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(At("value db1.0 dword const 0x12345678", 0), (Bytes{0x12, 0x34, 0x56, 0x78}));
  EXPECT_EQ(At("value db1.0 word const 70000", 0), (Bytes{0x11, 0x70}));
  EXPECT_EQ(At("value db1.0 real const 1.5", 0), (Bytes{0x3F, 0xC0, 0, 0}));
}

TEST(Animation, AnimateWritesEveryValueIntoMemory) {
  const Description description = ParseDescription(
      "area db1 size 8\n"
      "value db1.0 word counter\n"
      "value db1.2 byte toggle\n");
  PlcMemory memory;
  LoadMemory(description, memory);
  Animate(description.values, memory, 3);
  Bytes bytes(4);
  ASSERT_EQ(memory.Read({Area::kDataBlocks, 1}, 0, 4, bytes.data()), ItemResult::kSuccess);
  EXPECT_EQ(bytes, (Bytes{0, 3, 0xAA, 0}));
}

TEST(DefaultMemory, HoldsTheDocumentedLayout) {
  PlcMemory memory;
  LoadMemory(ParseDescription(kDefaultDescription), memory);
  Bytes db1(534);
  ASSERT_EQ(memory.Read({Area::kDataBlocks, 1}, 0, db1.size(), db1.data()), ItemResult::kSuccess);
  EXPECT_EQ(Bytes(db1.begin(), db1.begin() + 4), (Bytes{0, 0, 0, 0}));      // counter
  EXPECT_EQ(Bytes(db1.begin() + 4, db1.begin() + 8), (Bytes{0, 0, 0, 0}));  // sine at 0
  EXPECT_EQ(db1[10], 0x55);
  EXPECT_EQ(Bytes(db1.begin() + 512, db1.begin() + 520),
            (Bytes{20, 6, 'p', 'l', 'c', 's', 'i', 'm'}));
  EXPECT_EQ(Bytes(db1.begin() + 34, db1.begin() + 42),
            (Bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0}));
  EXPECT_EQ(Bytes(db1.begin() + 46, db1.begin() + 52), (Bytes{0xFB, 0x2E, 0x07, 0x5B, 0xCD, 0x15}));
  for (Area area : {Area::kInputs, Area::kOutputs, Area::kFlags, Area::kCounters, Area::kTimers}) {
    uint8_t byte = 0;
    EXPECT_EQ(memory.Read({area, 0}, 0, 1, &byte), ItemResult::kSuccess);
  }
  uint8_t last = 0;
  EXPECT_EQ(memory.Read({Area::kDataBlocks, 2}, 511, 1, &last), ItemResult::kSuccess);
  EXPECT_EQ(last, 0xFF);
}

TEST(AnimationThread, KeepsRewritingTheValuesWhileReadersRead) {
  const Description description =
      ParseDescription("area db1 size 4\nvalue db1.0 dint counter period 0.001\n");
  PlcMemory memory;
  LoadMemory(description, memory);
  Bytes bytes(4);
  {
    AnimationThread animation(description.values, memory, std::chrono::milliseconds(1));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));  // polling, bounded
      ASSERT_EQ(memory.Read({Area::kDataBlocks, 1}, 0, 4, bytes.data()), ItemResult::kSuccess);
    } while (bytes == Bytes(4, 0) && std::chrono::steady_clock::now() < deadline);
  }
  EXPECT_NE(bytes, Bytes(4, 0));
}

}  // namespace
}  // namespace plcsim
