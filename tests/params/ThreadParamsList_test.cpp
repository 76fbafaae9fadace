#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "ParamsTestSupport.h"
#include "moxShared/Public/Common/moxThreadParamsList.h"

namespace {

constexpr std::chrono::seconds kBound{10};

// Runs `body` on a thread of its own; the future is ready when it returns. A
// body still blocked when its test fails is left behind, so what it uses is
// kept alive through shared pointers.
std::future<void> RunAsync(std::function<void()> body) {
  std::packaged_task<void()> task(std::move(body));
  std::future<void> done = task.get_future();
  std::thread(std::move(task)).detach();
  return done;
}

TEST(ThreadParamsList, ReadersSeeWholeRowsWhileAWriterAddsThem) {
  auto holder = std::make_shared<TmoxThreadParamsList>();
  constexpr int kRows = 200;
  auto badReads = std::make_shared<std::atomic<int>>(0);
  auto writing = std::make_shared<std::atomic<bool>>(true);
  std::vector<std::future<void>> readers;
  readers.reserve(2);
  for (int r = 0; r < 2; ++r) {
    readers.push_back(RunAsync([holder, badReads, writing] {
      while (writing->load()) {
        const TmoxParamsList* list = holder->LockList();
        // Every row is "n", "$NEW_ROW$": a reader never sees half a row.
        if (list->Count() % 2 != 0) ++*badReads;
        holder->UnlockList();
      }
    }));
  }
  std::future<void> writer = RunAsync([holder, writing] {
    for (int i = 0; i < kRows; ++i) {
      TmoxParamsList* list = holder->LockListForWrite();
      list->Add("n", TVariant::OfI4(i));
      list->NewRow();
      holder->UnlockListForWrite();
    }
    writing->store(false);
  });
  ASSERT_EQ(writer.wait_for(kBound), std::future_status::ready);
  for (auto& reader : readers) ASSERT_EQ(reader.wait_for(kBound), std::future_status::ready);
  EXPECT_EQ(badReads->load(), 0);
  TmoxParamsList* list = holder->LockList();
  EXPECT_EQ(list->Count(), 2 * kRows);
  EXPECT_EQ(list->GetValue("n", 2 * (kRows - 1)), TVariant::OfI4(kRows - 1));
  holder->UnlockList();
}

TEST(ThreadParamsList, TheWriterMayReadItsOwnList) {
  TmoxThreadParamsList holder;
  TmoxParamsList* written = holder.LockListForWrite();
  written->Add("a", TVariant::OfI4(1));
  const TmoxParamsList* read = holder.LockList();  // nested on the writing thread
  EXPECT_EQ(read, written);
  EXPECT_EQ(read->Count(), 1);
  holder.UnlockList();
  holder.UnlockListForWrite();
}

}  // namespace
