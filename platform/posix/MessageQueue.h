#pragma once

// One thread's message queue: messages posted to it, messages other threads are
// sending to it, and the timers of its windows, which produce their timer
// message when the thread looks for input and nothing posted is waiting.

#include <deque>
#include <memory>
#include <vector>

#include "SocketSet.h"
#include "WaitCore.h"
#include "platform/Messages.h"

namespace platform::detail {

// A message sent from another thread. The sender and the queue share it, so a
// sender that gave up waiting leaves nothing behind that the owner could
// overwrite. The owner writes `result` and `delivered` before it sets `done`.
struct SentMessage {
  explicit SentMessage(const Message& sent) : message(sent) {}
  const Message message;
  Event done{false};
  intptr_t result = 0;
  bool delivered = false;
};

class MessageQueue : public WaitSource {
 public:
  // Both refuse once the queue is closed (its thread has ended). A post without
  // `wake` waits for the thread to look at its queue for another reason.
  bool Post(const Message& message, bool wake = true);
  bool Send(std::shared_ptr<SentMessage> message);

  std::shared_ptr<SentMessage> TakeSent();
  // The oldest posted message.
  bool TakePosted(Message& message);
  // The oldest posted message, else the timer message of the earliest ready timer.
  bool TakeInput(Message& message);

  bool HasSent();
  // Posted messages or a ready timer; otherwise brings wakeAt forward to the next due timer.
  bool HasInput(Clock::time_point now, Clock::time_point& wakeAt);

  // Starts or restarts timer `id` of a window.
  void StartTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs);
  void StopTimer(WindowHandle window, uintptr_t id);
  // Drops the posted messages and timers of a destroyed window; its pending
  // sends end undelivered.
  void ForgetWindow(WindowHandle window);
  // Refuses new messages and ends the pending sends undelivered.
  void Close();
  bool IsClosed();

  // The sockets watched for the thread's windows, made on first use.
  SocketSet& Sockets();
  // Their descriptor for the thread's message waits; -1 while none is watched.
  int SocketsDescriptor();
  // Posts the messages of the sockets ready now; on the owner thread, which
  // needs no wake-up for them.
  void PostReadySockets();

 private:
  // The thread wakes for a timer at `due`; from `ready` on it ticks when the
  // thread is awake anyway.
  struct Timer {
    WindowHandle window;
    uintptr_t id;
    Clock::duration interval;
    Clock::time_point due;
    Clock::time_point ready;
    void Restart(Clock::time_point now);
  };

  std::vector<Timer>::iterator FindTimer(WindowHandle window, uintptr_t id);
  bool TakePostedLocked(Message& message);

  std::deque<Message> posted_;
  std::deque<std::shared_ptr<SentMessage>> sent_;
  std::vector<Timer> timers_;
  bool closed_ = false;
  std::unique_ptr<SocketSet> sockets_;
};

}  // namespace platform::detail
