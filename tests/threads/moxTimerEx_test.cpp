#include "threads/moxTimerEx.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "../platform/TestSupport.h"
#include "ThreadTestSupport.h"

using test_support::FunctionThread;
using test_support::PumpFor;
using test_support::PumpPending;
using test_support::PumpUntil;
using test_support::TestEvent;

namespace {

// Counts the ticks of a timer and the threads they ran on.
struct TickLog {
  std::atomic<int> ticks{0};
  std::atomic<bool> offOwnerThread{false};
  TestEvent ticked;

  TmoxTimerEx::TNotifyEvent Handler() {
    return [this](TmoxTimerEx& sender) {
      if (platform::CurrentThreadId() != sender.OwnerThread()) offOwnerThread = true;
      ++ticks;
      ticked.Set();
    };
  }
  // Processes the calling (owner) thread's messages until count ticks have run.
  bool WaitForTicks(int count) {
    return PumpUntil([&] { return ticks.load() >= count; });
  }
};

}  // namespace

TEST(TmoxTimerExTest, DefaultTimerTicksOnTheCreatingThread) {
  TmoxTimerEx timer;
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  EXPECT_EQ(timer.OwnerThread(), platform::CurrentThreadId());
  TickLog log;
  timer.SetOnTimer(log.Handler());
  EXPECT_TRUE(log.WaitForTicks(1));
  EXPECT_FALSE(log.offOwnerThread.load());
}

TEST(TmoxTimerExTest, IntervalZeroStopsTicksButKeepsEnabled) {
  TmoxTimerEx timer;
  timer.SetInterval(10);
  std::atomic<int> ticks{0};
  timer.SetOnTimer([&](TmoxTimerEx& sender) {
    if (++ticks == 2) sender.SetInterval(0);
  });
  ASSERT_TRUE(PumpUntil([&] { return ticks.load() >= 2; }));
  PumpFor(100);
  EXPECT_EQ(ticks.load(), 2);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 0u);
}

// A settings reload on a host thread switches an engine's timer and sets its
// interval: both reach the owner thread, and nothing raises on the caller's.
TEST(TmoxTimerExTest, EnabledAndIntervalFromAnotherThreadAreAppliedByTheOwnerThread) {
  TmoxTimerEx timer;
  timer.SetInterval(10);
  timer.SetEnabled(false);
  TickLog log;
  timer.SetOnTimer(log.Handler());

  FunctionThread([&] { timer.SetEnabled(true); }).WaitFor();
  ASSERT_TRUE(PumpUntil([&] { return timer.Enabled(); }));
  ASSERT_TRUE(log.WaitForTicks(2));

  FunctionThread([&] {
    timer.SetEnabled(false);
    timer.SetInterval(20);
    timer.SetEnabled(true);
  }).WaitFor();
  EXPECT_EQ(timer.Interval(), 20u);
  ASSERT_TRUE(log.WaitForTicks(log.ticks.load() + 2));

  FunctionThread([&] { timer.SetEnabled(false); }).WaitFor();
  ASSERT_TRUE(PumpUntil([&] { return !timer.Enabled(); }));
  const int ticksWhenStopped = log.ticks.load();
  PumpFor(100);
  EXPECT_EQ(log.ticks.load(), ticksWhenStopped);
  EXPECT_FALSE(log.offOwnerThread.load());
}

TEST(TmoxTimerExTest, ErrorsOfTheHandlerGoToTheHookAndTheTimerGoesOn) {
  TmoxTimerEx timer;
  timer.SetInterval(10);
  std::vector<std::string> errors;
  timer.SetOnError([&](const std::exception& error) { errors.emplace_back(error.what()); });
  timer.SetOnTimer([](TmoxTimerEx&) { throw std::runtime_error("tick failed"); });
  ASSERT_TRUE(PumpUntil([&] { return errors.size() >= 2; }));
  EXPECT_EQ(errors[0], "tick failed");

  timer.SetOnError(nullptr);
  std::atomic<int> ticks{0};
  timer.SetOnTimer([&](TmoxTimerEx&) {
    ++ticks;
    throw 42;  // not even a std::exception
  });
  EXPECT_TRUE(PumpUntil([&] { return ticks.load() >= 2; }));
}

TEST(TmoxTimerExTest, RefusedTimerRaisesAndKeepsTheNewValue) {
  std::unique_ptr<TmoxTimerEx> timer;
  // The owner thread ends at once, and its window with it.
  FunctionThread([&] { timer = std::make_unique<TmoxTimerEx>(); }).WaitFor();
  try {
    timer->SetOnTimer([](TmoxTimerEx&) {});
    FAIL() << "a timer without its window cannot run";
  } catch (const EOutOfResources& error) {
    EXPECT_STREQ(error.what(), "Not enough timers available");
  }
  EXPECT_TRUE(static_cast<bool>(timer->OnTimer()));
  FreeTimer(timer);
  EXPECT_EQ(timer, nullptr);
}

TEST(TmoxTimerExTest, FreeTimerStopsTicksAndClearsTheReference) {
  auto timer = std::make_unique<TmoxTimerEx>();
  timer->SetInterval(10);
  TickLog log;
  timer->SetOnTimer(log.Handler());
  ASSERT_TRUE(log.WaitForTicks(1));
  FreeTimer(timer);
  EXPECT_EQ(timer, nullptr);
  const int ticks = log.ticks.load();
  PumpFor(100);
  EXPECT_EQ(log.ticks.load(), ticks);
  FreeTimer(timer);  // a cleared reference is left alone
}

TEST(TmoxTimerExTest, DestroyedFromAnotherThreadWhileTheOwnerPumps) {
  TestEvent created, destroyed;
  std::unique_ptr<TmoxTimerEx> timer;
  TickLog log;
  std::atomic<int> ticksAfterDestruction{-1};
  FunctionThread owner([&] {
    timer = std::make_unique<TmoxTimerEx>();
    timer->SetInterval(10);
    timer->SetOnTimer(log.Handler());
    created.Set();
    test_support::PumpUntilSet(destroyed.handle());
    const int ticks = log.ticks.load();
    PumpFor(100);
    ticksAfterDestruction = log.ticks.load() - ticks;
  });
  ASSERT_TRUE(created.WaitSet());
  ASSERT_TRUE(log.ticked.WaitSet());
  timer.reset();
  destroyed.Set();
  owner.WaitFor();
  EXPECT_EQ(ticksAfterDestruction.load(), 0);
  EXPECT_FALSE(log.offOwnerThread.load());
}

// An engine freed on another thread silences its timer while a tick may be running:
// the handler is not replaced under its feet, and the silencing returns after it.
TEST(TmoxTimerExTest, SilencingFromAnotherThreadWaitsForARunningHandler) {
  auto timer = std::make_unique<TmoxTimerEx>();
  std::future<void> silenced;
  std::atomic<bool> waitedForTheHandler{false};
  timer->SetInterval(10);
  timer->SetOnTimer([&](TmoxTimerEx& sender) {
    if (silenced.valid()) return;
    silenced = threads_test::RunAsync([&sender] { SilenceTimer(sender); });
    waitedForTheHandler = threads_test::StaysBlocked(silenced);
  });
  ASSERT_TRUE(PumpUntil([&] { return silenced.valid(); }));
  ASSERT_TRUE(threads_test::Finishes(silenced));
  EXPECT_TRUE(waitedForTheHandler.load());
  FreeTimer(timer);
}

// The owner thread does not process messages: the destructor gives up after its
// two bounded requests, and what the owner handles later must not reach the
// freed timer (AddressSanitizer watches).
TEST(TmoxTimerExTest, DestroyedFromAnotherThreadWhileTheOwnerDoesNotPump) {
  TestEvent created, release;
  std::unique_ptr<TmoxTimerEx> timer;
  std::atomic<int> ticks{0};
  std::atomic<int> lateTicks{-1};
  FunctionThread owner([&] {
    timer = std::make_unique<TmoxTimerEx>();
    timer->SetInterval(10);
    timer->SetOnTimer([&](TmoxTimerEx&) { ++ticks; });
    created.Set();
    release.WaitSet(60000);
    const int before = ticks.load();
    PumpFor(200);
    lateTicks = ticks.load() - before;
  });
  ASSERT_TRUE(created.WaitSet());
  const uint32_t start = platform::TickCount32();
  timer.reset();
  EXPECT_LT(platform::TickCount32() - start, 30000u) << "the destructor's waits are bounded";
  release.Set();
  owner.WaitFor();
  EXPECT_EQ(lateTicks.load(), 0);
  PumpPending();
}

// TmoxTimeout ------------------------------------------------------------------

namespace {

std::atomic<uint64_t> fakeNow{0};

uint64_t FakeTick64() { return fakeNow.load(); }
uint32_t FakeTick32() { return static_cast<uint32_t>(fakeNow.load()); }

// Runs each test on a tick count it moves by hand.
class TmoxTimeoutTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = ReplaceTickSource({&FakeTick64, &FakeTick32}); }
  void TearDown() override { ReplaceTickSource(saved_); }
  static void UseTickCount32() { ReplaceTickSource({nullptr, &FakeTick32}); }
  static void SetNow(uint64_t now) { fakeNow = now; }
  static void Advance(uint64_t ms) { fakeNow += ms; }

 private:
  TickSource saved_;
};

}  // namespace

TEST(TickSourceTest, ThePlatformsSixtyFourBitCountIsChosenWhenPresent) {
  EXPECT_EQ(CurrentTickSource().tick64, platform::FindTickCount64());
  EXPECT_NE(CurrentTickSource().tick32, nullptr);
}

TEST_F(TmoxTimeoutTest, AClearedRecordCountsAsExpired) {
  SetNow(5000);
  TmoxTimeout timeout;
  EXPECT_TRUE(timeout.IsClear());
  EXPECT_EQ(timeout.Elapsed(), 0u);
  EXPECT_TRUE(timeout.Expired());
  EXPECT_TRUE(timeout.ExpiredAfter(100000));

  timeout.StartTimeout(100);
  timeout.Clear();
  EXPECT_TRUE(timeout.IsClear());
  EXPECT_TRUE(timeout.ExpiredAfter(100000));
}

TEST_F(TmoxTimeoutTest, StartTimeoutExpiresAtItsDeadlineAndIgnoresExpiredAfter) {
  SetNow(1000);
  TmoxTimeout timeout;
  timeout.StartTimeout(500);
  EXPECT_FALSE(timeout.IsClear());
  Advance(100);
  EXPECT_FALSE(timeout.ExpiredAfter(10));
  Advance(399);
  EXPECT_FALSE(timeout.Expired());
  EXPECT_EQ(timeout.Elapsed(), 499u);
  Advance(1);
  EXPECT_TRUE(timeout.Expired());
  EXPECT_TRUE(timeout.ExpiredAfter(100000));
}

TEST_F(TmoxTimeoutTest, ExpiredAfterMeasuresEveryTimeoutFromTheSameStart) {
  SetNow(1000);
  TmoxTimeout timeout;
  timeout.Start();
  Advance(199);
  EXPECT_FALSE(timeout.ExpiredAfter(200));
  Advance(1);
  EXPECT_TRUE(timeout.ExpiredAfter(200));
  Advance(799);
  EXPECT_FALSE(timeout.ExpiredAfter(1000));
  Advance(1);
  EXPECT_TRUE(timeout.ExpiredAfter(1000));
}

TEST_F(TmoxTimeoutTest, RestartMeasuresAFreshPeriod) {
  SetNow(1000);
  TmoxTimeout withTimeout;
  withTimeout.StartTimeout(300);
  Advance(1000);
  ASSERT_TRUE(withTimeout.Expired());
  withTimeout.Restart();
  Advance(299);
  EXPECT_FALSE(withTimeout.Expired());
  Advance(1);
  EXPECT_TRUE(withTimeout.Expired());

  TmoxTimeout withoutTimeout;
  withoutTimeout.Start();
  Advance(1000);
  withoutTimeout.Restart();
  EXPECT_EQ(withoutTimeout.Elapsed(), 0u);
  Advance(50);
  EXPECT_EQ(withoutTimeout.Elapsed(), 50u);
  EXPECT_TRUE(withoutTimeout.Expired()) << "no deadline after Start";
  EXPECT_FALSE(withoutTimeout.ExpiredAfter(51));
}

TEST_F(TmoxTimeoutTest, DeadlineIsReachedAcrossAMultipleOfTwoToThe32) {
  SetNow(0x1FFFFFF00ull);
  TmoxTimeout timeout;
  timeout.StartTimeout(0x80);  // deadline 0x1FFFFFF80: low half larger than what follows
  Advance(0x7F);
  EXPECT_FALSE(timeout.Expired());
  SetNow(0x200000010ull);
  EXPECT_TRUE(timeout.Expired());
  EXPECT_EQ(timeout.Elapsed(), 0x110u);
}

TEST_F(TmoxTimeoutTest, ThirtyTwoBitSourceKeepsCountingAcrossWraps) {
  UseTickCount32();
  SetNow(0xFFFFFFF0u);
  TmoxTimeout timeout;
  timeout.StartTimeout(100);
  Advance(0x20);  // the 32-bit count wraps to 0x10
  EXPECT_EQ(timeout.Elapsed(), 0x20u);
  EXPECT_FALSE(timeout.Expired());
  Advance(0x44);
  EXPECT_TRUE(timeout.Expired());
  EXPECT_EQ(timeout.NowTicks(), 0x100000054u);

  // Consulted at least once per wrap, it follows several wraps.
  for (int wrap = 0; wrap < 3; ++wrap) {
    Advance(0x80000000u);
    timeout.Elapsed();
    Advance(0x80000000u);
    timeout.Elapsed();
  }
  EXPECT_EQ(timeout.Elapsed(), 0x300000064u);
}

TEST_F(TmoxTimeoutTest, AStartAtTickZeroStillCountsAsStarted) {
  UseTickCount32();
  SetNow(0x100000000ull);  // the 32-bit count reads 0
  TmoxTimeout timeout;
  timeout.StartTimeout(10);
  EXPECT_FALSE(timeout.IsClear());
  EXPECT_FALSE(timeout.Expired());
  Advance(11);
  EXPECT_TRUE(timeout.Expired());
}
