#include "threads/Thread_Queue.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ThreadTestSupport.h"
#include "platform/Sync.h"

namespace {

using threads_test::Journal;
using threads_test::NamedItem;

bool IsSet(platform::Handle event) { return platform::WaitForAny(&event, 1, 0) == 0; }

class NumberedItem : public TObject {
 public:
  NumberedItem(int producer, int number) : Producer(producer), Number(number) {}
  const int Producer;
  const int Number;
};

int PopNumber(TThreadSafeQueue& queue) {
  std::unique_ptr<TObject> item(queue.Pop());
  return item ? static_cast<NumberedItem&>(*item).Number : -1;
}

size_t StoredSlots(TThreadSafeQueue& queue) {
  const size_t slots = queue.Lock()->size();
  queue.Unlock();
  return slots;
}

TEST(ThreadSafeQueue, PopsInPushOrderAndDrivesTheSignal) {
  TThreadSafeQueue queue;
  queue.Push(nullptr);
  EXPECT_FALSE(IsSet(queue.Signal()));
  queue.Push(new NumberedItem(0, 1));
  queue.Push(new NumberedItem(0, 2));
  queue.Push(nullptr);
  EXPECT_TRUE(IsSet(queue.Signal()));
  EXPECT_EQ(PopNumber(queue), 1);
  EXPECT_FALSE(IsSet(queue.Signal()));  // consumers pop until nil
  EXPECT_EQ(PopNumber(queue), 2);
  EXPECT_EQ(PopNumber(queue), -1);
}

TEST(ThreadSafeQueue, CompactsAtThe16384thPopAndKeepsTheOrder) {
  constexpr int kPops = TThreadSafeQueue::kCompactionThreshold + 1;
  TThreadSafeQueue queue;
  for (int i = 0; i < kPops + 2; ++i) queue.Push(new NumberedItem(0, i));
  for (int i = 0; i < kPops - 1; ++i) ASSERT_EQ(PopNumber(queue), i);
  EXPECT_EQ(StoredSlots(queue), static_cast<size_t>(kPops + 2));  // consumed slots stay
  EXPECT_EQ(PopNumber(queue), kPops - 1);
  EXPECT_EQ(StoredSlots(queue), 2u);  // only the live entries
  queue.Push(new NumberedItem(0, kPops + 2));
  for (int i = kPops; i <= kPops + 2; ++i) EXPECT_EQ(PopNumber(queue), i);
  EXPECT_EQ(PopNumber(queue), -1);
}

TEST(ThreadSafeQueue, ClearAndDestructorFreeOnlyQueuedItemsLastFirst) {
  auto journal = std::make_shared<Journal>();
  {
    TThreadSafeQueue queue;
    queue.Push(new NamedItem(journal, "popped"));
    queue.Push(new NamedItem(journal, "a"));
    queue.Push(new threads_test::FailingItem());
    queue.Push(MarkerItem(1));
    queue.Push(new NamedItem(journal, "b"));
    std::unique_ptr<TObject> popped(queue.Pop());
    queue.Clear();
    EXPECT_EQ(journal->Entries(), (std::vector<std::string>{"free b", "free a"}));
    EXPECT_FALSE(IsSet(queue.Signal()));
    queue.Push(new NamedItem(journal, "left"));
  }
  EXPECT_EQ(journal->Entries(),
            (std::vector<std::string>{"free b", "free a", "free popped", "free left"}));
}

// Producers on several threads, one consumer that waits on the signal: every
// item arrives once, and each producer's items in its order.
TEST(ThreadSafeQueue, ItemsFromSeveralProducersArriveOnceAndInOrder) {
  constexpr int kProducers = 3;
  constexpr int kItems = 3000;
  auto queue = std::make_shared<TThreadSafeQueue>();
  std::vector<std::future<void>> producers;
  producers.reserve(kProducers);
  for (int p = 0; p < kProducers; ++p) {
    producers.push_back(threads_test::RunAsync([queue, p] {
      for (int n = 0; n < kItems; ++n) queue->Push(new NumberedItem(p, n));
    }));
  }
  std::vector<int> next(kProducers, 0);
  const platform::Handle signal = queue->Signal();
  for (int received = 0; received < kProducers * kItems;) {
    ASSERT_EQ(platform::WaitForAny(&signal, 1, threads_test::kBound.count()), 0)
        << "lost wake-up after " << received << " items";
    while (std::unique_ptr<TObject> item{queue->Pop()}) {
      const auto& numbered = static_cast<NumberedItem&>(*item);
      ASSERT_EQ(numbered.Number, next[numbered.Producer]++);
      ++received;
    }
  }
  for (auto& producer : producers) ASSERT_TRUE(threads_test::Finishes(producer));
}

}  // namespace
