#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Sync.h"

using platform::kWaitFailed;
using platform::kWaitTimeout;
using test_support::FunctionThread;
using test_support::TestEvent;

TEST(EventsTest, ManualResetEventStaysSetUntilReset) {
  TestEvent event;
  EXPECT_FALSE(event.WaitSet(0));
  event.Set();
  EXPECT_TRUE(event.WaitSet(0));
  EXPECT_TRUE(event.WaitSet(0)) << "a wait must not reset a manual-reset event";
  platform::ResetEvent(event.handle());
  EXPECT_FALSE(event.WaitSet(0));

  platform::Handle initiallySet = platform::CreateManualResetEvent(true);
  EXPECT_EQ(platform::WaitForAny(&initiallySet, 1, 0), 0);
  platform::CloseEvent(initiallySet);
}

TEST(EventsTest, LowestSignalledIndexWins) {
  TestEvent first, second, third;
  second.Set();
  third.Set();
  const platform::Handle handles[] = {first.handle(), second.handle(), third.handle()};
  EXPECT_EQ(platform::WaitForAny(handles, 3, 0), 1);
  first.Set();
  EXPECT_EQ(platform::WaitForAny(handles, 3, 0), 0);
}

TEST(EventsTest, TimesOutWhenNothingIsSet) {
  TestEvent first, second;
  const platform::Handle handles[] = {first.handle(), second.handle()};
  EXPECT_EQ(platform::WaitForAny(handles, 2, 0), kWaitTimeout);
  EXPECT_EQ(platform::WaitForAny(handles, 2, 30), kWaitTimeout);
}

TEST(EventsTest, WakesWhenAnotherThreadSetsTheEvent) {
  TestEvent idle, awaited, waiting;
  FunctionThread setter([&] {
    waiting.WaitSet();
    awaited.Set();
  });
  const platform::Handle handles[] = {idle.handle(), awaited.handle()};
  waiting.Set();
  EXPECT_EQ(platform::WaitForAny(handles, 2, test_support::kBoundMs), 1);
}

// Two threads hand a turn back and forth many times, each waiting with a time
// limit or without one: a wake-up lost between setting and blocking stalls a
// round until the bound.
TEST(EventsTest, ThreadsHandingATurnBackAndForthLoseNoWakeUp) {
  constexpr int kRounds = 2000;
  TestEvent ping, pong;
  const platform::Handle pingHandle = ping.handle(), pongHandle = pong.handle();
  FunctionThread partner([&] {
    for (int round = 0; round < kRounds; ++round) {
      const uint32_t timeout = round % 2 == 0 ? platform::kInfinite : test_support::kBoundMs;
      if (platform::WaitForAny(&pingHandle, 1, timeout) != 0) return;
      platform::ResetEvent(pingHandle);
      pong.Set();
    }
  });
  int rounds = 0;
  for (; rounds < kRounds; ++rounds) {
    ping.Set();
    if (platform::WaitForAny(&pongHandle, 1, test_support::kBoundMs) != 0) break;
    platform::ResetEvent(pongHandle);
  }
  EXPECT_EQ(rounds, kRounds);
  if (rounds < kRounds) ping.Set();  // lets the partner end
}

TEST(EventsTest, BadArgumentsFailTheWait) {
  TestEvent event;
  platform::Handle closed = platform::CreateManualResetEvent(true);
  platform::CloseEvent(closed);
  const platform::Handle withNull[] = {event.handle(), nullptr};
  const platform::Handle repeated[] = {event.handle(), event.handle()};
  platform::Handle many[65];
  for (auto& handle : many) handle = event.handle();

  EXPECT_EQ(platform::WaitForAny(nullptr, 1, 0), kWaitFailed);
  EXPECT_EQ(platform::WaitForAny(many, 0, 0), kWaitFailed);
  EXPECT_EQ(platform::WaitForAny(many, 65, 0), kWaitFailed);
  EXPECT_EQ(platform::WaitForAny(withNull, 2, 0), kWaitFailed);
  EXPECT_EQ(platform::WaitForAny(repeated, 2, 0), kWaitFailed);
  EXPECT_EQ(platform::WaitForAny(&closed, 1, 0), kWaitFailed);
  EXPECT_EQ(platform::MsgWaitForAny(many, 64, 0), kWaitFailed);
  EXPECT_EQ(platform::MsgWaitForAny(&closed, 1, 0), kWaitFailed);
}

TEST(EventsTest, MsgWaitForAnyPrefersHandlesAndReportsMessagesAtCount) {
  TestEvent event;
  const platform::Handle handle = event.handle();
  EXPECT_EQ(platform::MsgWaitForAny(&handle, 1, 0), kWaitTimeout);
  EXPECT_EQ(platform::MsgWaitForAny(nullptr, 0, 0), kWaitTimeout);

  platform::PostQuit(0);
  EXPECT_EQ(platform::MsgWaitForAny(&handle, 1, 0), 1);
  event.Set();
  EXPECT_EQ(platform::MsgWaitForAny(&handle, 1, 0), 0);
  EXPECT_EQ(test_support::PumpPending(), 1);
}
