#include "threads/Thread_ProcessData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ThreadTestSupport.h"
#include "platform/Messages.h"
#include "platform/Sync.h"

namespace {

using threads_test::Journal;
using threads_test::NamedItem;

using Names = std::vector<std::string>;

const auto kBoundMs = static_cast<uint32_t>(threads_test::kBound.count());

class Event {
 public:
  Event() : handle_(platform::CreateManualResetEvent(false)) {}
  ~Event() { platform::CloseEvent(handle_); }
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;
  void Set() const { platform::SetEvent(handle_); }
  bool WaitFor(uint32_t timeoutMs = kBoundMs) const {
    return platform::WaitForAny(&handle_, 1, timeoutMs) == 0;
  }

 private:
  platform::Handle handle_;
};

bool Ends(const platform::Thread& thread) {
  const platform::Handle handle = thread.GetHandle();
  return platform::WaitForAny(&handle, 1, kBoundMs) == 0;
}

class WorkerTest : public ::testing::Test {
 protected:
  void TearDown() override { StopAndFreeWorker(worker_); }

  // Notes each item and sets `idle_` on the marker 2; `behaviour` runs after the note.
  void Handle(const std::function<void(TObject*&)>& behaviour = nullptr) {
    worker_->SetOnProcess([this, behaviour](TProcessDataThread&, TObject*& item) {
      if (IsMarkerItem(item)) {  // left as it is: a marker is never freed
        if (item == MarkerItem(2)) idle_.Set();
        return;
      }
      journal_->Add("handle " + static_cast<NamedItem*>(item)->Name());
      if (behaviour) behaviour(item);
    });
  }
  void Push(const char* name) { worker_->WorkQueue().Push(new NamedItem(journal_, name)); }
  // Waits until the worker has handled everything pushed before.
  bool WaitUntilIdle() {
    worker_->WorkQueue().Push(MarkerItem(2));
    return idle_.WaitFor();
  }

  std::shared_ptr<Journal> journal_ = std::make_shared<Journal>();
  std::unique_ptr<TProcessDataThread> worker_ = std::make_unique<TProcessDataThread>(false);
  Event idle_;
};

TEST_F(WorkerTest, HandlesItemsInPushOrderAndFreesEachAfterItsHandler) {
  Handle();
  Push("A");
  Push("B");
  worker_->WorkQueue().Push(MarkerItem(1));
  Push("C");
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(journal_->Entries(),
            (Names{"handle A", "free A", "handle B", "free B", "handle C", "free C"}));
}

TEST_F(WorkerTest, HandlerKeepsTheItemsItSetsToNilAndSurvivesItsExceptions) {
  std::unique_ptr<TObject> kept;
  Handle([&kept](TObject*& item) {
    if (kept) throw std::runtime_error("handler failed");
    kept.reset(item);
    item = nullptr;
  });
  Push("kept");
  Push("failing");
  Push("next");
  ASSERT_TRUE(WaitUntilIdle());
  EXPECT_EQ(journal_->Entries(),
            (Names{"handle kept", "handle failing", "free failing", "handle next", "free next"}));
}

TEST_F(WorkerTest, WithoutHandlerItemsAreOnlyFreed) {
  Push("A");
  Push("B");
  worker_->Stop(true);
  ASSERT_TRUE(Ends(*worker_));
  StopAndFreeWorker(worker_);
  const Names entries = journal_->Entries();
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "free A"), 1);
  EXPECT_EQ(std::count(entries.begin(), entries.end(), "free B"), 1);
  EXPECT_EQ(entries.size(), 2u);
}

TEST_F(WorkerTest, StopWhileIdleEndsTheLoopAtOnce) {
  worker_->Stop(true);
  ASSERT_TRUE(Ends(*worker_));
  EXPECT_TRUE(worker_->Terminated());
}

TEST_F(WorkerTest, StopWhileHandlingFinishesTheItemAndFreesTheRestUnhandled) {
  Event entered;
  Event release;
  Handle([&](TObject*&) {
    entered.Set();
    release.WaitFor();
  });
  Push("busy");
  Push("queued 1");
  Push("queued 2");
  ASSERT_TRUE(entered.WaitFor());
  worker_->Stop(true);
  release.Set();
  ASSERT_TRUE(Ends(*worker_));
  StopAndFreeWorker(worker_);
  EXPECT_EQ(journal_->Entries(),
            (Names{"handle busy", "free busy", "free queued 2", "free queued 1"}));
}

TEST_F(WorkerTest, HolderOfTheItemLockKeepsItemsFromBeingHandled) {
  Handle([this](TObject*&) { idle_.Set(); });
  worker_->ItemLock().Enter();
  Push("waits");
  EXPECT_FALSE(idle_.WaitFor(threads_test::kBlockedFor.count()));
  worker_->ItemLock().Leave();
  EXPECT_TRUE(idle_.WaitFor());
}

// Notes its hooks; ends the worker itself since it overrides them.
class HookedWorker : public TProcessDataThread {
 public:
  explicit HookedWorker(std::shared_ptr<Journal> journal)
      : TProcessDataThread(true), journal_(std::move(journal)) {}
  ~HookedWorker() override { EndExecution(); }

 protected:
  void DoStart() override { journal_->Add("start"); }
  void DoStop() override {
    journal_->Add("stop");
    throw std::runtime_error("stop hook failed");
  }

 private:
  std::shared_ptr<Journal> journal_;
};

TEST(ProcessDataThread, SuspendedWorkerStartsWhenStoppedAndRunsItsHooksOnce) {
  auto journal = std::make_shared<Journal>();
  HookedWorker worker(journal);
  const platform::Handle started = worker.StartedEvent();
  EXPECT_EQ(platform::WaitForAny(&started, 1, 0), platform::kWaitTimeout);
  worker.Stop(true);  // a worker that never ran is started to see the request
  ASSERT_TRUE(Ends(worker));
  EXPECT_EQ(platform::WaitForAny(&started, 1, 0), 0);
  EXPECT_EQ(journal->Entries(), (Names{"start", "stop"}));
}

// --- ProcessMessages

constexpr uint32_t kFailingMessage = platform::kMsgUser + 99;

intptr_t RecordingProc(void* context, platform::WindowHandle, uint32_t message, uintptr_t,
                       intptr_t) {
  if (message == kFailingMessage) throw std::runtime_error("window procedure failed");
  if (message >= platform::kMsgUser)
    static_cast<std::vector<uint32_t>*>(context)->push_back(message);
  return 0;
}

class ProcessMessagesTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(window_, 0u); }
  void TearDown() override { platform::DestroyMessageWindow(window_); }
  void Post(uint32_t message, int count = 1) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(platform::PostMessageTo(window_, message, 0, 0));
  }

  std::vector<uint32_t> handled_;
  platform::WindowHandle window_ = platform::CreateMessageWindow(RecordingProc, &handled_);
};

TEST_F(ProcessMessagesTest, HandlesAtMostMaxCountOrAllWithZero) {
  Post(platform::kMsgUser, 12);
  ProcessMessages(5);
  EXPECT_EQ(handled_.size(), 5u);
  ProcessMessages(0);
  EXPECT_EQ(handled_.size(), 12u);
}

TEST_F(ProcessMessagesTest, QuitMessageStopsItAndStaysPending) {
  Post(platform::kMsgUser, 3);
  platform::PostQuit(7);
  ProcessMessages(0);
  EXPECT_EQ(handled_.size(), 3u);
  ProcessMessages(0);  // the quit message is still first
  platform::Message message{};
  ASSERT_TRUE(platform::PeekMessageRemove(message));
  EXPECT_EQ(message.message, platform::kMsgQuit);
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(ProcessMessagesTest, FailingWindowProcedureDoesNotStopIt) {
  Post(kFailingMessage);
  Post(platform::kMsgUser);
  ProcessMessages(0);
  EXPECT_EQ(handled_, (std::vector<uint32_t>{platform::kMsgUser}));
}

}  // namespace
