#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Sync.h"

using test_support::FunctionThread;

namespace {

// Whether another thread can enter the lock right now.
bool OtherThreadCanEnter(platform::CriticalSection& lock) {
  bool entered = false;
  FunctionThread other([&] {
    entered = lock.TryEnter();
    if (entered) lock.Leave();
  });
  other.WaitFor();
  return entered;
}

}  // namespace

TEST(CriticalSectionTest, OwnerReentersAndOthersWaitUntilEveryEnterIsLeft) {
  platform::CriticalSection lock;
  lock.Enter();
  lock.Enter();
  EXPECT_TRUE(lock.TryEnter());
  EXPECT_FALSE(OtherThreadCanEnter(lock));
  lock.Leave();
  lock.Leave();
  EXPECT_FALSE(OtherThreadCanEnter(lock));
  lock.Leave();
  EXPECT_TRUE(OtherThreadCanEnter(lock));
}

TEST(CriticalSectionTest, GuardSerialisesThreads) {
  platform::CriticalSection lock;
  int counter = 0;
  const auto increment = [&] {
    for (int i = 0; i < 20000; ++i) {
      platform::CriticalSectionGuard guard(lock);
      ++counter;
    }
  };
  {
    FunctionThread first(increment);
    FunctionThread second(increment);
  }
  EXPECT_EQ(counter, 40000);
}
