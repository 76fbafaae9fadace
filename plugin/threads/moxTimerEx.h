#pragma once

// Time for the rest of the plug-in: TmoxTimerEx calls its handler periodically on
// the thread that created it; TmoxTimeout measures elapsed time and deadlines on
// a 64-bit millisecond tick count.

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>

#include "platform/Messages.h"
#include "platform/Ticks.h"

// Raised when the system has no timer (or window) left for a TmoxTimerEx.
class EOutOfResources : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A timer whose ticks arrive as window messages of a hidden window, so they run
// on the creating (owner) thread whenever it processes its messages.
//
// Enabled may be set from any thread: elsewhere than on the owner thread the
// change is posted to the owner and applied when it next processes messages.
// Interval, OnTimer and OnError are to be set on the owner thread.
class TmoxTimerEx {
 public:
  using TNotifyEvent = std::function<void(TmoxTimerEx& sender)>;
  // Receives what a tick handler raised; the timer keeps running. Without it the
  // exception is dropped: a message box could block a service thread forever.
  using TErrorEvent = std::function<void(const std::exception& error)>;

  TmoxTimerEx();
  // From another thread it asks the owner thread, at most twice 5000 ms, to stop
  // and close the window; the owner never touches this object afterwards.
  virtual ~TmoxTimerEx();
  TmoxTimerEx(const TmoxTimerEx&) = delete;
  TmoxTimerEx& operator=(const TmoxTimerEx&) = delete;

  bool Enabled() const { return enabled_.load(); }
  void SetEnabled(bool value);
  uint32_t Interval() const { return interval_.load(); }
  void SetInterval(uint32_t value);
  uint32_t OwnerThread() const { return ownerThread_; }
  const TNotifyEvent& OnTimer() const { return onTimer_; }
  // Set by the owner thread, or before the timer first runs.
  void SetOnTimer(TNotifyEvent handler);
  // Drops the handler from any thread; a tick the owner thread is running ends first.
  void DropOnTimer();
  void SetOnError(TErrorEvent handler) { onError_ = std::move(handler); }

 protected:
  virtual void DoTimer();

 private:
  struct WindowLink;

  static intptr_t WindowProcedure(void* context, platform::WindowHandle window, uint32_t message,
                                  uintptr_t wParam, intptr_t lParam);
  void HandleMessage(uint32_t message, uintptr_t wParam);
  void UpdateTimer();
  // Whether a change is applied on the calling thread: it owns the window, or the
  // window (and its owner thread) is gone. Otherwise it is forwarded to the owner.
  bool AppliesHere(platform::WindowHandle window) const;
  void ReportError(const std::exception& error) noexcept;
  void DetachFromWindow();
  void DestroyWindow(bool fromOwner);

  std::atomic<bool> enabled_{true};
  // Requests to set Enabled posted from other threads and not yet handled.
  std::atomic<int32_t> forwarded_{0};
  std::atomic<uint32_t> interval_{1000};
  const uint32_t ownerThread_;
  TNotifyEvent onTimer_;
  TErrorEvent onError_;
  std::atomic<platform::WindowHandle> window_{0};
  std::shared_ptr<WindowLink> link_;
};

// Shutdown used by owners: disables the timer and drops its handler (failures
// of both are ignored), so that it never fires again; other threads may still
// switch it on or off harmlessly until it is freed. Returns after a running tick.
void SilenceTimer(TmoxTimerEx& timer);
// SilenceTimer, then frees the timer and clears the reference.
void FreeTimer(std::unique_ptr<TmoxTimerEx>& timer);

// Where TmoxTimeout reads the time: the platform's 64-bit tick count, or, where
// the system has none, the 32-bit count that each record extends with its own
// wrap counter.
struct TickSource {
  platform::TickFunction64 tick64 = nullptr;  // used when set
  platform::TickFunction32 tick32 = nullptr;
};

// The source chosen when the module starts.
TickSource CurrentTickSource();
// For tests: installs another source and returns the one it replaces.
TickSource ReplaceTickSource(TickSource source);

// Elapsed time and deadlines in milliseconds; a value embedded in its users. It
// is not synchronised: one thread uses a record at a time.
class TmoxTimeout {
 public:
  void Clear() { *this = TmoxTimeout(); }
  void Start();
  void StartTimeout(uint32_t ms);
  uint64_t SetTimeout(uint32_t ms);
  void Restart();
  // The current tick as this record sees it: with the 32-bit source, extended
  // by the wraps seen since the start.
  uint64_t NowTicks();
  bool Expired() { return NowTicks() >= deadline_; }
  bool ExpiredAfter(uint32_t ms);
  bool IsClear() const { return startTick_ == 0; }
  uint64_t Elapsed();

 private:
  void StartMeasuring();

  uint64_t startTick_ = 0;  // 0: not started
  uint64_t deadline_ = 0;
  uint32_t lastLowTick_ = 0;
  uint32_t wrapCount_ = 0;
  uint32_t timeout_ = 0;
  bool hasTimeout_ = false;
};
