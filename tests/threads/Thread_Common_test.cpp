#include "threads/Thread_Common.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "ThreadTestSupport.h"

namespace {

using threads_test::Finishes;
using threads_test::RunAsync;
using threads_test::StaysBlocked;

using Lock = std::shared_ptr<TReadWriteLock>;

// Another thread takes one side of the lock and releases it again.
std::future<void> TakeAndRelease(const Lock& lock, bool exclusive, const char* note = nullptr,
                                 const std::shared_ptr<threads_test::Journal>& journal = nullptr) {
  return RunAsync([lock, exclusive, note, journal] {
    exclusive ? lock->BeginWrite() : lock->BeginRead();
    if (journal) journal->Add(note);
    exclusive ? lock->EndWrite() : lock->EndRead();
  });
}

TEST(ReadWriteLock, ExclusiveHolderRetakesBothSidesAndReleasesThemAll) {
  auto lock = std::make_shared<TReadWriteLock>();
  lock->BeginWrite();
  lock->BeginWrite();
  lock->BeginRead();
  lock->EndRead();
  lock->EndWrite();
  auto reader = TakeAndRelease(lock, false);
  EXPECT_TRUE(StaysBlocked(reader));
  lock->EndWrite();
  EXPECT_TRUE(Finishes(reader));
}

TEST(ReadWriteLock, ReadersShareAndKeepAWriterOutUntilTheyLeave) {
  auto lock = std::make_shared<TReadWriteLock>();
  lock->BeginRead();
  auto reader = TakeAndRelease(lock, false);
  EXPECT_TRUE(Finishes(reader));
  auto writer = TakeAndRelease(lock, true);
  EXPECT_TRUE(StaysBlocked(writer));
  lock->EndRead();
  EXPECT_TRUE(Finishes(writer));
}

TEST(ReadWriteLock, WaitingWriterGoesBeforeLaterReaders) {
  auto lock = std::make_shared<TReadWriteLock>();
  auto order = std::make_shared<threads_test::Journal>();
  lock->BeginRead();
  auto writer = TakeAndRelease(lock, true, "writer", order);
  ASSERT_TRUE(StaysBlocked(writer));
  auto reader = TakeAndRelease(lock, false, "reader", order);
  EXPECT_TRUE(StaysBlocked(reader));
  lock->BeginRead();  // a shared holder may take its side again although a writer waits
  lock->EndRead();
  lock->EndRead();
  ASSERT_TRUE(Finishes(writer));
  ASSERT_TRUE(Finishes(reader));
  EXPECT_EQ(order->Entries(), (std::vector<std::string>{"writer", "reader"}));
}

TEST(ReadWriteLock, ReaderUpgradesOnceTheOtherReadersLeave) {
  auto lock = std::make_shared<TReadWriteLock>();
  lock->BeginRead();
  auto upgrader = RunAsync([lock] {
    lock->BeginRead();
    lock->BeginWrite();
    lock->EndWrite();
    lock->EndRead();
  });
  EXPECT_TRUE(StaysBlocked(upgrader));
  lock->EndRead();
  EXPECT_TRUE(Finishes(upgrader));
}

// Both threads hold the shared side when both ask for the exclusive side: one
// must get through, and the two exclusive holds must not overlap.
TEST(ReadWriteLock, TwoReadersUpgradingAtOnceBothGetThroughInTurn) {
  for (int round = 0; round < 200; ++round) {
    auto lock = std::make_shared<TReadWriteLock>();
    auto reading = std::make_shared<std::atomic<int>>(0);
    auto writing = std::make_shared<std::atomic<int>>(0);
    auto overlaps = std::make_shared<std::atomic<int>>(0);
    auto upgrade = [=] {
      lock->BeginRead();
      reading->fetch_add(1);
      while (reading->load() < 2) std::this_thread::yield();
      lock->BeginWrite();
      if (writing->fetch_add(1) != 0) overlaps->fetch_add(1);
      writing->fetch_sub(1);
      lock->EndWrite();
      lock->EndRead();
    };
    auto first = RunAsync(upgrade);
    auto second = RunAsync(upgrade);
    ASSERT_TRUE(Finishes(first)) << "round " << round;
    ASSERT_TRUE(Finishes(second)) << "round " << round;
    ASSERT_EQ(overlaps->load(), 0);
  }
}

TEST(ReadWriteLock, ReleasingASideThatIsNotHeldRaisesAndChangesNothing) {
  TReadWriteLock lock;
  EXPECT_THROW(lock.EndRead(), std::logic_error);
  EXPECT_THROW(lock.EndWrite(), std::logic_error);
  lock.BeginRead();
  EXPECT_THROW(lock.EndWrite(), std::logic_error);
  lock.EndRead();
  lock.BeginWrite();
  lock.EndWrite();
}

TEST(ThreadObject, ReturnsTheGuardedObjectOrItself) {
  TObject guarded;
  TThreadObject holder(&guarded);
  EXPECT_EQ(holder.LockRead(), &guarded);
  holder.UnlockRead();
  TThreadObject self;
  EXPECT_EQ(self.LockWrite(), &self);
  self.Unlock();
}

// Fresh holder, first locks from several threads at once: the counter, guarded
// only by the lazily created lock, loses no update.
TEST(ThreadObject, FirstLocksFromManyThreadsShareOneLock) {
  constexpr int kThreads = 4;
  constexpr int kIncrements = 2000;
  auto holder = std::make_shared<TThreadObject>();
  auto counter = std::make_shared<int>(0);
  std::vector<std::future<void>> workers;
  workers.reserve(kThreads);
  for (int i = 0; i < kThreads; ++i) {
    workers.push_back(RunAsync([holder, counter] {
      for (int n = 0; n < kIncrements; ++n) {
        TWriteGuard<TThreadObject> guard(*holder);
        ++*counter;
      }
    }));
  }
  for (auto& worker : workers) ASSERT_TRUE(Finishes(worker));
  TReadGuard<TThreadObject> guard(*holder);
  EXPECT_EQ(*counter, kThreads * kIncrements);
}

TEST(FreeObject, SkipsNilAndMarkersAndSwallowsDestructorErrors) {
  FreeObject(nullptr);
  FreeObject(MarkerItem(1));
  FreeObject(new threads_test::FailingItem());
  EXPECT_TRUE(IsMarkerItem(MarkerItem(65535)));
  EXPECT_THROW(MarkerItem(0), std::invalid_argument);
  EXPECT_THROW(MarkerItem(0x10000), std::invalid_argument);
}

}  // namespace
