#include "moxTimerEx.h"

#include <mutex>

#include "moxShared/Public/Common/moxScopeExit.h"
#include "platform/Sync.h"

namespace {

// Private messages of the hidden window.
constexpr uint32_t kMsgSetEnabled = 0x0810;  // wParam 1 or 0, from another thread
constexpr uint32_t kMsgDestroyWindow = 0x0811;
constexpr uint32_t kMsgApplyInterval = 0x0812;  // a new interval, set from another thread

constexpr uintptr_t kTimerId = 1;
// How long a destructor on another thread waits for each request to the owner.
constexpr uint32_t kShutdownSendMs = 5000;

}  // namespace

// What the hidden window knows of its timer. The window keeps its own reference,
// as it may outlive the timer: a destructor on another thread whose requests
// timed out leaves them queued, and the owner thread handles them later.
// The lock is held while the owner thread runs a message for the timer, so
// that a destructor detaches only between two messages.
struct TmoxTimerEx::WindowLink {
  std::recursive_mutex lock;
  TmoxTimerEx* timer = nullptr;  // null once the timer is gone
};

TmoxTimerEx::TmoxTimerEx()
    : ownerThread_(platform::CurrentThreadId()), link_(std::make_shared<WindowLink>()) {
  link_->timer = this;
  auto* windowReference = new std::shared_ptr<WindowLink>(link_);
  window_ = platform::CreateMessageWindow(&WindowProcedure, windowReference);
  if (window_ == 0) {
    delete windowReference;
    throw EOutOfResources("The timer window could not be created");
  }
}

TmoxTimerEx::~TmoxTimerEx() {
  const bool fromOwner = platform::CurrentThreadId() == ownerThread_;
  const platform::WindowHandle window = window_.load();
  if (!fromOwner && platform::IsWindowAlive(window)) {
    forwarded_.fetch_add(1);
    platform::SendMessageTimeoutTo(window, kMsgSetEnabled, 0, 0, kShutdownSendMs, nullptr);
  }
  DetachFromWindow();
  onTimer_ = nullptr;
  enabled_.store(false);
  platform::StopWindowTimer(window, kTimerId);
  DestroyWindow(fromOwner);
}

void TmoxTimerEx::SetEnabled(bool value) {
  const platform::WindowHandle window = window_.load();
  if (AppliesHere(window)) {
    if (enabled_.exchange(value) != value) UpdateTimer();
    return;
  }
  // A request that would change nothing costs the owner thread no wake-up (a
  // worker confirms a running timer after every read): nothing is forwarded when
  // no request is on its way and the value stands already.
  if (forwarded_.load() == 0 && enabled_.load() == value) return;
  forwarded_.fetch_add(1);
  // Switching off need not wake the owner either: a running timer wakes it for
  // its next tick, and the owner takes posted messages before timer messages, so
  // that tick never comes. (A worker switches off before each decode and on
  // after it: the owner then wakes once, for both.)
  const bool posted = value ? platform::PostMessageTo(window, kMsgSetEnabled, 1, 0)
                            : platform::PostMessageQuietly(window, kMsgSetEnabled, 0, 0);
  if (!posted) forwarded_.fetch_sub(1);
}

void TmoxTimerEx::SetInterval(uint32_t value) {
  if (interval_.exchange(value) == value) return;
  const platform::WindowHandle window = window_.load();
  if (AppliesHere(window)) {
    UpdateTimer();
  } else {
    // Only the owner thread may set its window's timer: it re-arms it.
    platform::PostMessageTo(window, kMsgApplyInterval, 0, 0);
  }
}

void TmoxTimerEx::SetOnTimer(TNotifyEvent handler) {
  onTimer_ = std::move(handler);
  UpdateTimer();
}

void TmoxTimerEx::DropOnTimer() {
  // The owner thread runs the handler under the window link's lock: another thread
  // (freeing an engine, say) does not drop it while it runs. Only here: a handler
  // set under a lock that the handler takes too would make a lock cycle.
  const std::lock_guard<std::recursive_mutex> guard(link_->lock);
  SetOnTimer(nullptr);
}

void TmoxTimerEx::DoTimer() {
  if (onTimer_) onTimer_(*this);
}

bool TmoxTimerEx::AppliesHere(platform::WindowHandle window) const {
  return platform::CurrentThreadId() == ownerThread_ || !platform::IsWindowAlive(window);
}

void TmoxTimerEx::UpdateTimer() {
  const platform::WindowHandle window = window_.load();
  platform::StopWindowTimer(window, kTimerId);
  if (interval_.load() != 0 && enabled_.load() && onTimer_ &&
      !platform::StartWindowTimer(window, kTimerId, interval_.load())) {
    throw EOutOfResources("Not enough timers available");
  }
}

intptr_t TmoxTimerEx::WindowProcedure(void* context, platform::WindowHandle window,
                                      uint32_t message, uintptr_t wParam, intptr_t lParam) {
  auto* windowReference = static_cast<std::shared_ptr<WindowLink>*>(context);
  if (message == platform::kMsgNcDestroy) {
    delete windowReference;
    return platform::DefaultWindowProc(window, message, wParam, lParam);
  }
  if (message != platform::kMsgTimer && message != kMsgSetEnabled && message != kMsgApplyInterval &&
      message != kMsgDestroyWindow) {
    return platform::DefaultWindowProc(window, message, wParam, lParam);
  }
  // Held for the whole message: the timer may free itself while handling it.
  const std::shared_ptr<WindowLink> link = *windowReference;
  std::lock_guard<std::recursive_mutex> guard(link->lock);
  if (link->timer != nullptr) {
    link->timer->HandleMessage(message, wParam);
  } else if (message == kMsgDestroyWindow) {
    platform::DestroyMessageWindow(window);
  }
  return 0;
}

void TmoxTimerEx::HandleMessage(uint32_t message, uintptr_t wParam) {
  try {
    if (message == platform::kMsgTimer && wParam == kTimerId) {
      DoTimer();
    } else if (message == kMsgSetEnabled) {
      const TScopeExit handled([this] { forwarded_.fetch_sub(1); });
      SetEnabled(wParam == 1);
    } else if (message == kMsgApplyInterval) {
      UpdateTimer();
    } else if (message == kMsgDestroyWindow) {
      platform::DestroyMessageWindow(window_.exchange(0));
    }
  } catch (const std::exception& error) {
    ReportError(error);
  } catch (...) {
    ReportError(std::runtime_error("Unknown exception"));
  }
}

void TmoxTimerEx::ReportError(const std::exception& error) noexcept {
  try {
    if (onError_) onError_(error);
  } catch (...) {
    // A failing error hook must not take the owner thread's message loop down.
  }
}

void TmoxTimerEx::DetachFromWindow() {
  std::lock_guard<std::recursive_mutex> guard(link_->lock);
  link_->timer = nullptr;
}

void TmoxTimerEx::DestroyWindow(bool fromOwner) {
  const platform::WindowHandle window = window_.exchange(0);
  if (fromOwner || !platform::IsWindowAlive(window)) {
    platform::DestroyMessageWindow(window);
  } else {
    platform::SendMessageTimeoutTo(window, kMsgDestroyWindow, 0, 0, kShutdownSendMs, nullptr);
  }
}

void SilenceTimer(TmoxTimerEx& timer) {
  try {
    timer.SetEnabled(false);
  } catch (...) {
    // Shutting down regardless.
  }
  try {
    timer.DropOnTimer();
  } catch (...) {
    // Shutting down regardless.
  }
}

void FreeTimer(std::unique_ptr<TmoxTimerEx>& timer) {
  if (!timer) return;
  SilenceTimer(*timer);
  timer.reset();
}

// Tick source ----------------------------------------------------------------

namespace {

struct SharedTickSource {
  std::atomic<platform::TickFunction64> tick64;
  std::atomic<platform::TickFunction32> tick32;
};

SharedTickSource& TickSourceStore() {
  static SharedTickSource store{{platform::FindTickCount64()}, {&platform::TickCount32}};
  return store;
}

// Chosen while the module initialises, not at the first measurement.
[[maybe_unused]] const bool tickSourceChosen = (TickSourceStore(), true);

uint64_t ReadTickCount64() {
  const SharedTickSource& store = TickSourceStore();
  if (const platform::TickFunction64 tick64 = store.tick64.load()) return tick64();
  return store.tick32.load()();
}

bool UsesTickCount32() { return TickSourceStore().tick64.load() == nullptr; }

}  // namespace

TickSource CurrentTickSource() {
  const SharedTickSource& store = TickSourceStore();
  return {store.tick64.load(), store.tick32.load()};
}

TickSource ReplaceTickSource(TickSource source) {
  SharedTickSource& store = TickSourceStore();
  return {store.tick64.exchange(source.tick64), store.tick32.exchange(source.tick32)};
}

// TmoxTimeout -----------------------------------------------------------------

void TmoxTimeout::StartMeasuring() {
  // A tick of 0 would read as "not started"; the measurement starts 1 ms later.
  const uint64_t now = ReadTickCount64();
  startTick_ = now == 0 ? 1 : now;
  lastLowTick_ = static_cast<uint32_t>(now);
  wrapCount_ = 0;
}

void TmoxTimeout::Start() {
  StartMeasuring();
  deadline_ = 0;
  hasTimeout_ = false;
}

void TmoxTimeout::StartTimeout(uint32_t ms) {
  StartMeasuring();
  SetTimeout(ms);
  hasTimeout_ = true;
}

uint64_t TmoxTimeout::SetTimeout(uint32_t ms) {
  timeout_ = ms;
  deadline_ = startTick_ + ms;
  return deadline_;
}

void TmoxTimeout::Restart() {
  if (hasTimeout_) {
    StartTimeout(timeout_);
  } else {
    Start();
  }
}

uint64_t TmoxTimeout::NowTicks() {
  const uint64_t now = ReadTickCount64();
  if (!UsesTickCount32()) return now;
  const auto low = static_cast<uint32_t>(now);
  if (low < lastLowTick_) ++wrapCount_;
  lastLowTick_ = low;
  return (static_cast<uint64_t>(wrapCount_) << 32) | low;
}

bool TmoxTimeout::ExpiredAfter(uint32_t ms) {
  if (IsClear()) return true;
  if (!hasTimeout_) SetTimeout(ms);
  return Expired();
}

uint64_t TmoxTimeout::Elapsed() {
  if (IsClear()) return 0;
  const uint64_t now = NowTicks();
  return now > startTick_ ? now - startTick_ : 0;
}
