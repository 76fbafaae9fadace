#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Ticks.h"

TEST(TicksTest, TickCountsAreMonotonicAndAgree) {
  const platform::TickFunction64 tick64 = platform::FindTickCount64();
  ASSERT_NE(tick64, nullptr) << "both platforms of the project have a 64-bit tick count";
  uint64_t previous = tick64();
  EXPECT_GT(previous, 0u);
  for (int i = 0; i < 1000; ++i) {
    const uint64_t now = tick64();
    ASSERT_GE(now, previous);
    previous = now;
  }
  const auto difference =
      static_cast<int32_t>(platform::TickCount32() - static_cast<uint32_t>(tick64()));
  EXPECT_LE(std::abs(difference), 1000) << "the 32-bit count is the low half of the 64-bit one";
}

TEST(TicksTest, SleepPassesTime) {
  const platform::TickFunction64 tick64 = platform::FindTickCount64();
  const uint64_t start = tick64();
  platform::SleepMs(0);
  // The tick count moves in steps of up to 16 ms on Windows (and under wine on
  // a loaded machine): a sleep well above a step shows however the steps fall.
  platform::SleepMs(60);
  EXPECT_GE(tick64() - start, 30u);
}
