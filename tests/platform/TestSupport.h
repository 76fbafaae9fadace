#pragma once

// Helpers for tests that run threads and process window messages: bounded waits
// only, so a fault fails a test instead of hanging it.

#include <functional>
#include <utility>

#include "platform/Messages.h"
#include "platform/Sync.h"
#include "platform/Thread.h"
#include "platform/Ticks.h"

namespace test_support {

// Generous bound for anything that should happen "soon", also under wine on a
// loaded machine.
constexpr uint32_t kBoundMs = 10000;

// Handles every message waiting for the calling thread; returns how many.
inline int PumpPending() {
  int count = 0;
  platform::Message message;
  while (platform::PeekMessageRemove(message)) {
    platform::TranslateMessageFor(message);
    platform::DispatchMessageTo(message);
    ++count;
  }
  return count;
}

// Processes the calling thread's messages until done() or timeoutMs; returns done().
inline bool PumpUntil(const std::function<bool()>& done, uint32_t timeoutMs = kBoundMs) {
  const uint32_t start = platform::TickCount32();
  while (!done()) {
    const uint32_t elapsed = platform::TickCount32() - start;
    if (elapsed >= timeoutMs) return false;
    platform::MsgWaitForAny(nullptr, 0, timeoutMs - elapsed);
    PumpPending();
  }
  return true;
}

// Processes messages for timeoutMs, for checks that something does not happen.
inline void PumpFor(uint32_t timeoutMs) {
  PumpUntil([] { return false; }, timeoutMs);
}

// Processes the calling thread's messages until the event is set or timeoutMs.
inline bool PumpUntilSet(platform::Handle event, uint32_t timeoutMs = kBoundMs) {
  const uint32_t start = platform::TickCount32();
  for (;;) {
    const uint32_t elapsed = platform::TickCount32() - start;
    if (elapsed >= timeoutMs) return false;
    if (platform::MsgWaitForAny(&event, 1, timeoutMs - elapsed) == 0) return true;
    PumpPending();
  }
}

// A manual-reset event that closes itself.
class TestEvent {
 public:
  TestEvent() : handle_(platform::CreateManualResetEvent(false)) {}
  ~TestEvent() { platform::CloseEvent(handle_); }
  TestEvent(const TestEvent&) = delete;
  TestEvent& operator=(const TestEvent&) = delete;

  void Set() { platform::SetEvent(handle_); }
  bool WaitSet(uint32_t timeoutMs = kBoundMs) {
    return platform::WaitForAny(&handle_, 1, timeoutMs) == 0;
  }
  platform::Handle handle() const { return handle_; }

 private:
  platform::Handle handle_;
};

// A platform thread that runs a function; started at once unless asked not to.
class FunctionThread : public platform::Thread {
 public:
  explicit FunctionThread(std::function<void()> body, bool start = true) : body_(std::move(body)) {
    if (start) Resume();
  }
  // The body must be finished before its function object goes.
  ~FunctionThread() override { WaitFor(); }
  FunctionThread(const FunctionThread&) = delete;
  FunctionThread& operator=(const FunctionThread&) = delete;

 protected:
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

}  // namespace test_support
