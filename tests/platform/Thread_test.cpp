#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "TestSupport.h"
#include "platform/Thread.h"

using platform::ThreadPriority;
using test_support::FunctionThread;
using test_support::kBoundMs;
using test_support::TestEvent;

TEST(ThreadTest, RunsExecuteOnANewThreadOnlyAfterResume) {
  std::atomic<uint32_t> executedOn{0};
  FunctionThread thread([&] { executedOn = platform::CurrentThreadId(); }, false);
  EXPECT_TRUE(thread.Suspended());
  EXPECT_EQ(thread.ThreadId(), 0u);
  thread.WaitFor();  // returns at once: the thread never started
  EXPECT_EQ(executedOn.load(), 0u);

  thread.Resume();
  thread.WaitFor();
  EXPECT_FALSE(thread.Suspended());
  EXPECT_NE(executedOn.load(), 0u);
  EXPECT_NE(executedOn.load(), platform::CurrentThreadId());
  EXPECT_EQ(thread.ThreadId(), executedOn.load());
}

TEST(ThreadTest, HandleIsSignalledOnceExecuteReturns) {
  TestEvent release, other;
  FunctionThread thread([&] { release.WaitSet(); });
  const platform::Handle handles[] = {other.handle(), thread.GetHandle()};
  EXPECT_EQ(platform::WaitForAny(handles, 2, 0), platform::kWaitTimeout);
  release.Set();
  EXPECT_EQ(platform::WaitForAny(handles, 2, kBoundMs), 1);
}

TEST(ThreadTest, HandleOfAThreadNotYetStartedCanBeWaitedOn) {
  FunctionThread thread([] {}, false);
  const platform::Handle handle = thread.GetHandle();
  EXPECT_EQ(platform::WaitForAny(&handle, 1, 0), platform::kWaitTimeout);
  thread.Resume();
  EXPECT_EQ(platform::WaitForAny(&handle, 1, kBoundMs), 0);
}

TEST(ThreadTest, AThrowingExecuteEndsTheThreadQuietly) {
  FunctionThread thread([] { throw std::runtime_error("failed"); });
  const platform::Handle handle = thread.GetHandle();
  EXPECT_EQ(platform::WaitForAny(&handle, 1, kBoundMs), 0);
}

TEST(ThreadTest, TerminateAsksExecuteToEndAndWaitForWaitsForIt) {
  TestEvent running, idle;
  std::atomic<bool> finished{false};
  FunctionThread* self = nullptr;
  FunctionThread thread(
      [&] {
        running.Set();
        while (!self->Terminated()) idle.WaitSet(5);
        finished = true;
      },
      false);
  self = &thread;
  thread.Resume();
  ASSERT_TRUE(running.WaitSet());
  EXPECT_FALSE(thread.Terminated());
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(finished.load());
}

TEST(ThreadTest, ADestroyedThreadThatNeverStartedNeverRuns) {
  std::atomic<bool> ran{false};
  {
    FunctionThread thread([&] { ran = true; }, false);
  }
  EXPECT_FALSE(ran.load());
}

TEST(ThreadTest, PrioritiesAreKeptBeforeAndWhileRunning) {
  TestEvent release;
  FunctionThread thread([&] { release.WaitSet(); }, false);
  EXPECT_EQ(thread.Priority(), ThreadPriority::Normal);
  thread.SetPriority(ThreadPriority::Lower);
  thread.Resume();
  EXPECT_EQ(thread.Priority(), ThreadPriority::Lower);
  thread.SetPriority(ThreadPriority::Idle);
  EXPECT_EQ(thread.Priority(), ThreadPriority::Idle);
  thread.SetPriority(ThreadPriority::Normal);
  EXPECT_EQ(thread.Priority(), ThreadPriority::Normal);
  release.Set();
  const platform::Handle handle = thread.GetHandle();
  EXPECT_EQ(platform::WaitForAny(&handle, 1, kBoundMs), 0) << "a lowered thread still runs";
}
