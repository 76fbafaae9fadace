#include "MessageQueue.h"

#include <algorithm>

namespace platform::detail {
namespace {

// Windows never lets a window timer run faster than this.
constexpr uint32_t kMinimumTimerMs = 10;
// A timer may tick this much early (at most a fifth of its interval) when the
// thread is awake anyway: a host with a hundred engines ticking every 50 ms then
// wakes for a handful of them at a time instead of once for each.
constexpr auto kMostTimerSlack = std::chrono::milliseconds(10);

Clock::duration SlackOf(Clock::duration interval) {
  return std::min(interval / 5, Clock::duration(kMostTimerSlack));
}

}  // namespace

bool MessageQueue::Post(const Message& message, bool wake) {
  PendingWakes wakes;
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return false;
  posted_.push_back(message);
  if (wake) WakeWaiters(wakes);
  return true;
}

bool MessageQueue::Send(std::shared_ptr<SentMessage> message) {
  PendingWakes wakes;
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return false;
  sent_.push_back(std::move(message));
  WakeWaiters(wakes);
  return true;
}

std::shared_ptr<SentMessage> MessageQueue::TakeSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (sent_.empty()) return nullptr;
  std::shared_ptr<SentMessage> message = std::move(sent_.front());
  sent_.pop_front();
  return message;
}

bool MessageQueue::TakePosted(Message& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  return TakePostedLocked(message);
}

bool MessageQueue::TakePostedLocked(Message& message) {
  if (posted_.empty()) return false;
  message = posted_.front();
  posted_.pop_front();
  return true;
}

bool MessageQueue::TakeInput(Message& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (TakePostedLocked(message)) return true;
  const Clock::time_point now = Clock::now();
  const auto next =
      std::min_element(timers_.begin(), timers_.end(),
                       [](const Timer& a, const Timer& b) { return a.ready < b.ready; });
  if (next == timers_.end() || next->ready > now) return false;
  next->Restart(now);
  message = Message{next->window, kMsgTimer, next->id, 0};
  return true;
}

bool MessageQueue::HasSent() {
  std::lock_guard<std::mutex> lock(mutex_);
  return !sent_.empty();
}

bool MessageQueue::HasInput(Clock::time_point now, Clock::time_point& wakeAt) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!posted_.empty()) return true;
  for (const Timer& timer : timers_) {
    if (timer.ready <= now) return true;
    wakeAt = std::min(wakeAt, timer.due);
  }
  return false;
}

void MessageQueue::Timer::Restart(Clock::time_point now) {
  due = now + interval;
  ready = due - SlackOf(interval);
}

std::vector<MessageQueue::Timer>::iterator MessageQueue::FindTimer(WindowHandle window,
                                                                   uintptr_t id) {
  return std::find_if(timers_.begin(), timers_.end(),
                      [&](const Timer& timer) { return timer.window == window && timer.id == id; });
}

void MessageQueue::StartTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs) {
  const Clock::duration interval = std::chrono::milliseconds(std::max(intervalMs, kMinimumTimerMs));
  PendingWakes wakes;
  std::lock_guard<std::mutex> lock(mutex_);
  Timer timer{window, id, interval, {}, {}};
  timer.Restart(Clock::now());
  const auto existing = FindTimer(window, id);
  if (existing == timers_.end()) {
    timers_.push_back(timer);
  } else {
    *existing = timer;
  }
  WakeWaiters(wakes);
}

void MessageQueue::StopTimer(WindowHandle window, uintptr_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto existing = FindTimer(window, id);
  if (existing != timers_.end()) timers_.erase(existing);
}

void MessageQueue::ForgetWindow(WindowHandle window) {
  std::deque<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto ofWindow = [window](const auto& item) { return item.window == window; };
    posted_.erase(std::remove_if(posted_.begin(), posted_.end(), ofWindow), posted_.end());
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(), ofWindow), timers_.end());
    const auto sentTo = [window](const auto& sent) { return sent->message.window == window; };
    const auto firstSent = std::stable_partition(sent_.begin(), sent_.end(),
                                                 [&](const auto& sent) { return !sentTo(sent); });
    abandoned.assign(std::make_move_iterator(firstSent), std::make_move_iterator(sent_.end()));
    sent_.erase(firstSent, sent_.end());
  }
  for (const auto& sent : abandoned) sent->done.Set();
}

void MessageQueue::Close() {
  std::deque<std::shared_ptr<SentMessage>> abandoned;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    posted_.clear();
    timers_.clear();
    abandoned.swap(sent_);
  }
  for (const auto& sent : abandoned) sent->done.Set();
}

bool MessageQueue::IsClosed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

SocketSet& MessageQueue::Sockets() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!sockets_) sockets_ = std::make_unique<SocketSet>();
  return *sockets_;
}

int MessageQueue::SocketsDescriptor() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sockets_ ? sockets_->Descriptor() : -1;
}

void MessageQueue::PostReadySockets() {
  SocketSet* sockets = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    sockets = sockets_.get();  // never replaced once made
  }
  if (sockets == nullptr) return;
  Message ready[SocketSet::kMostReady];
  const int count = sockets->TakeReady(ready);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!closed_) posted_.insert(posted_.end(), ready, ready + count);
}

}  // namespace platform::detail
