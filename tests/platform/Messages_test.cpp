#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "TestSupport.h"
#include "platform/Messages.h"

using platform::kMsgNcDestroy;
using platform::kMsgQuit;
using platform::kMsgTimer;
using platform::kMsgUser;
using platform::WindowHandle;
using test_support::FunctionThread;
using test_support::kBoundMs;
using test_support::PumpPending;
using test_support::PumpUntil;
using test_support::PumpUntilSet;
using test_support::TestEvent;

namespace {

struct Received {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  uint32_t thread;
};

// A message window on the creating thread that records the messages of interest
// (user messages, timers, destruction) and answers through onMessage.
class RecordingWindow {
 public:
  RecordingWindow() : window_(platform::CreateMessageWindow(&Procedure, this)) {}
  ~RecordingWindow() {
    if (platform::WindowOwnerThreadId(window_) == platform::CurrentThreadId()) {
      platform::DestroyMessageWindow(window_);
    }
  }
  RecordingWindow(const RecordingWindow&) = delete;
  RecordingWindow& operator=(const RecordingWindow&) = delete;

  WindowHandle handle() const { return window_; }

  std::vector<Received> received() {
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

  size_t CountOf(uint32_t message) {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t count = 0;
    for (const Received& item : received_) count += item.message == message ? 1 : 0;
    return count;
  }

  std::function<intptr_t(uint32_t message, uintptr_t wParam)> onMessage;

 private:
  static intptr_t Procedure(void* context, WindowHandle window, uint32_t message, uintptr_t wParam,
                            intptr_t lParam) {
    if (message < kMsgUser && message != kMsgTimer && message != kMsgNcDestroy) {
      return platform::DefaultWindowProc(window, message, wParam, lParam);
    }
    auto* self = static_cast<RecordingWindow*>(context);
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->received_.push_back({message, wParam, lParam, platform::CurrentThreadId()});
    }
    return self->onMessage ? self->onMessage(message, wParam) : 0;
  }

  std::mutex mutex_;
  std::vector<Received> received_;
  const WindowHandle window_;
};

}  // namespace

TEST(MessagesTest, PostedMessagesArriveInOrderOnTheOwnerThread) {
  RecordingWindow window;
  ASSERT_NE(window.handle(), 0u);
  EXPECT_EQ(platform::WindowOwnerThreadId(window.handle()), platform::CurrentThreadId());
  FunctionThread poster([&] {
    for (int i = 1; i <= 3; ++i) platform::PostMessageTo(window.handle(), kMsgUser, i, -i);
  });
  ASSERT_TRUE(PumpUntil([&] { return window.CountOf(kMsgUser) == 3; }));
  const std::vector<Received> received = window.received();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(received[i].wParam, uintptr_t(i + 1));
    EXPECT_EQ(received[i].lParam, -(i + 1));
    EXPECT_EQ(received[i].thread, platform::CurrentThreadId());
  }
}

TEST(MessagesTest, QuitMessageGoesToTheCallingThreadAndIsNotDispatched) {
  platform::PostQuit(7);
  platform::Message message{};
  ASSERT_TRUE(platform::PeekMessageRemove(message));
  EXPECT_EQ(message.window, 0u);
  EXPECT_EQ(message.message, kMsgQuit);
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_EQ(platform::DispatchMessageTo(message), 0);
  EXPECT_FALSE(platform::PeekMessageRemove(message));
}

TEST(MessagesTest, ADestroyedWindowDropsItsMessagesAndRefusesNewOnes) {
  RecordingWindow window;
  const WindowHandle handle = window.handle();
  ASSERT_TRUE(platform::PostMessageTo(handle, kMsgUser, 1, 0));
  ASSERT_TRUE(platform::PostMessageTo(handle, kMsgUser, 2, 0));
  ASSERT_TRUE(platform::DestroyMessageWindow(handle));

  platform::Message message{};
  EXPECT_FALSE(platform::PeekMessageRemove(message));
  const std::vector<Received> received = window.received();
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, kMsgNcDestroy);
  EXPECT_FALSE(platform::IsWindowAlive(handle));
  EXPECT_EQ(platform::WindowOwnerThreadId(handle), 0u);
  EXPECT_FALSE(platform::PostMessageTo(handle, kMsgUser, 3, 0));
  EXPECT_FALSE(platform::SendMessageTimeoutTo(handle, kMsgUser, 4, 0, 100, nullptr));
  EXPECT_FALSE(platform::DestroyMessageWindow(handle));
  EXPECT_FALSE(platform::PostMessageTo(0, kMsgUser, 5, 0));
}

TEST(MessagesTest, OnlyTheOwnerThreadDestroysAWindow) {
  RecordingWindow window;
  bool destroyed = true;
  FunctionThread other([&] { destroyed = platform::DestroyMessageWindow(window.handle()); });
  other.WaitFor();
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(platform::IsWindowAlive(window.handle()));
}

TEST(MessagesTest, WindowsGoWhenTheirThreadEnds) {
  std::atomic<WindowHandle> left{0};
  FunctionThread owner([&] {
    left = platform::CreateMessageWindow(
        [](void*, WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
          return platform::DefaultWindowProc(window, message, wParam, lParam);
        },
        nullptr);
  });
  owner.WaitFor();
  ASSERT_NE(left.load(), 0u);
  EXPECT_FALSE(platform::IsWindowAlive(left.load()));
  EXPECT_FALSE(platform::PostMessageTo(left.load(), kMsgUser, 1, 0));
}

TEST(MessagesTest, SendOnTheOwnerThreadCallsTheProcedureDirectly) {
  RecordingWindow window;
  window.onMessage = [](uint32_t, uintptr_t wParam) { return intptr_t(wParam * 2); };
  intptr_t result = 0;
  EXPECT_TRUE(platform::SendMessageTimeoutTo(window.handle(), kMsgUser, 21, 0, 0, &result));
  EXPECT_EQ(result, 42);
}

TEST(MessagesTest, SendFromAnotherThreadIsHandledWhenTheOwnerPumps) {
  RecordingWindow window;
  window.onMessage = [](uint32_t, uintptr_t wParam) { return intptr_t(wParam + 1); };
  TestEvent done;
  bool sent = false;
  intptr_t result = 0;
  FunctionThread sender([&] {
    sent = platform::SendMessageTimeoutTo(window.handle(), kMsgUser, 41, 0, kBoundMs, &result);
    done.Set();
  });
  ASSERT_TRUE(PumpUntilSet(done.handle()));
  sender.WaitFor();
  EXPECT_TRUE(sent);
  EXPECT_EQ(result, 42);
  EXPECT_EQ(window.received().at(0).thread, platform::CurrentThreadId());
}

// A procedure that raises must not take the message system down: posted and
// sent messages alike are answered with 0 and the next message still arrives.
TEST(MessagesTest, AnExceptionFromAProcedureIsDroppedWithResultZero) {
  RecordingWindow window;
  window.onMessage = [](uint32_t message, uintptr_t) -> intptr_t {
    if (message == kMsgUser) throw std::runtime_error("handler failed");
    return 7;
  };
  ASSERT_TRUE(platform::PostMessageTo(window.handle(), kMsgUser, 0, 0));
  ASSERT_TRUE(platform::PostMessageTo(window.handle(), kMsgUser + 1, 0, 0));
  EXPECT_TRUE(PumpUntil([&] { return window.CountOf(kMsgUser + 1) == 1; }));

  TestEvent done;
  bool sent = false;
  intptr_t result = -1;
  FunctionThread sender([&] {
    sent = platform::SendMessageTimeoutTo(window.handle(), kMsgUser, 0, 0, kBoundMs, &result);
    done.Set();
  });
  ASSERT_TRUE(PumpUntilSet(done.handle()));
  sender.WaitFor();
  EXPECT_TRUE(sent);
  EXPECT_EQ(result, 0);
}

// The sender gives up while the owner does not pump; when the owner pumps later
// it must not write into the sender's long gone stack frame (AddressSanitizer).
TEST(MessagesTest, SendTimesOutWhileTheOwnerDoesNotPump) {
  TestEvent ready, release, finished;
  std::atomic<WindowHandle> handle{0};
  std::atomic<size_t> handled{0};
  FunctionThread owner([&] {
    RecordingWindow window;
    window.onMessage = [](uint32_t, uintptr_t) { return intptr_t(99); };
    handle = window.handle();
    ready.Set();
    release.WaitSet();
    test_support::PumpFor(100);
    handled = window.CountOf(kMsgUser);
    finished.Set();
  });
  ASSERT_TRUE(ready.WaitSet());
  auto sendOnce = [&] {
    intptr_t result = 0;
    const bool sent = platform::SendMessageTimeoutTo(handle, kMsgUser, 1, 0, 50, &result);
    EXPECT_EQ(result, 0);
    return sent;
  };
  EXPECT_FALSE(sendOnce());
  release.Set();
  ASSERT_TRUE(finished.WaitSet());
  EXPECT_LE(handled.load(), 1u);
}

TEST(MessagesTest, ThreadsSendingToEachOtherDoNotBlock) {
  RecordingWindow mine;
  mine.onMessage = [](uint32_t, uintptr_t) { return intptr_t(5); };
  TestEvent ready, stop;
  std::atomic<WindowHandle> theirs{0};
  FunctionThread other([&] {
    RecordingWindow window;
    window.onMessage = [&](uint32_t message, uintptr_t) {
      if (message != kMsgUser) return intptr_t(0);
      intptr_t answer = 0;
      platform::SendMessageTimeoutTo(mine.handle(), kMsgUser + 1, 0, 0, kBoundMs, &answer);
      return answer + 1;
    };
    theirs = window.handle();
    ready.Set();
    PumpUntilSet(stop.handle());
  });
  ASSERT_TRUE(ready.WaitSet());
  intptr_t result = 0;
  EXPECT_TRUE(platform::SendMessageTimeoutTo(theirs, kMsgUser, 0, 0, kBoundMs, &result));
  EXPECT_EQ(result, 6);
  ASSERT_EQ(mine.CountOf(kMsgUser + 1), 1u);
  EXPECT_EQ(mine.received()[0].thread, platform::CurrentThreadId());
  stop.Set();
}

TEST(MessagesTest, TimerTicksOnTheOwnerThreadOnly) {
  RecordingWindow window;
  TestEvent ticked;
  std::atomic<int> elsewhere{0};
  FunctionThread other([&] {
    while (!ticked.WaitSet(0)) {
      platform::MsgWaitForAny(nullptr, 0, 20);
      elsewhere += PumpPending();
    }
  });
  ASSERT_TRUE(platform::StartWindowTimer(window.handle(), 5, 10));
  EXPECT_TRUE(PumpUntil([&] { return window.CountOf(kMsgTimer) >= 3; }));
  ticked.Set();
  platform::StopWindowTimer(window.handle(), 5);
  other.WaitFor();
  for (const Received& item : window.received()) {
    EXPECT_EQ(item.wParam, 5u);
    EXPECT_EQ(item.thread, platform::CurrentThreadId());
  }
  EXPECT_EQ(elsewhere.load(), 0);
  PumpPending();
}

TEST(MessagesTest, AtMostOneTimerMessageIsPending) {
  RecordingWindow window;
  ASSERT_TRUE(platform::StartWindowTimer(window.handle(), 1, 200));
  TestEvent().WaitSet(700);  // several periods pass without processing messages
  platform::Message message{};
  ASSERT_TRUE(platform::PeekMessageRemove(message));
  EXPECT_EQ(message.message, kMsgTimer);
  EXPECT_EQ(message.window, window.handle());
  EXPECT_EQ(message.wParam, 1u);
  EXPECT_FALSE(platform::PeekMessageRemove(message));
  platform::StopWindowTimer(window.handle(), 1);
}

TEST(MessagesTest, MsgWaitForAnyWakesWhenATimerIsDue) {
  RecordingWindow window;
  TestEvent unset;
  const platform::Handle handle = unset.handle();
  ASSERT_TRUE(platform::StartWindowTimer(window.handle(), 1, 20));
  EXPECT_EQ(platform::MsgWaitForAny(&handle, 1, kBoundMs), 1);
  platform::Message message{};
  ASSERT_TRUE(platform::PeekMessageRemove(message));
  EXPECT_EQ(message.message, kMsgTimer);
  platform::StopWindowTimer(window.handle(), 1);
}

// A quiet post (a timer switched off from another thread) is found by the owner
// before its next timer message, after what was posted before it.
TEST(MessagesTest, AQuietPostComesBeforeTheNextTimerTick) {
  RecordingWindow window;
  ASSERT_TRUE(platform::StartWindowTimer(window.handle(), 1, 30));
  FunctionThread poster([&] {
    platform::PostMessageTo(window.handle(), kMsgUser + 1, 0, 0);
    platform::PostMessageQuietly(window.handle(), kMsgUser + 2, 0, 0);
  });
  poster.WaitFor();
  EXPECT_TRUE(PumpUntil([&] { return window.CountOf(kMsgTimer) >= 1; }));
  platform::StopWindowTimer(window.handle(), 1);
  const std::vector<Received> received = window.received();
  ASSERT_GE(received.size(), 3u);
  EXPECT_EQ(received[0].message, kMsgUser + 1);
  EXPECT_EQ(received[1].message, kMsgUser + 2);
  EXPECT_EQ(received[1].thread, platform::CurrentThreadId());
  EXPECT_EQ(received[2].message, kMsgTimer);
}

TEST(MessagesTest, StoppedTimersAndTimersOfDestroyedWindowsFallSilent) {
  RecordingWindow stopped;
  ASSERT_TRUE(platform::StartWindowTimer(stopped.handle(), 1, 10));
  platform::StopWindowTimer(stopped.handle(), 1);
  {
    RecordingWindow destroyed;
    ASSERT_TRUE(platform::StartWindowTimer(destroyed.handle(), 1, 10));
  }
  EXPECT_EQ(platform::MsgWaitForAny(nullptr, 0, 100), platform::kWaitTimeout);
  EXPECT_EQ(PumpPending(), 0);
}
