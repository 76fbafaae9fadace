// Message windows, posting and sending, window timers and the calling thread's
// message processing, on the queues of the stand-in.
#include "platform/Messages.h"

#include "EventHandles.h"
#include "ThreadMessages.h"
#include "WindowTable.h"

namespace platform {

using detail::CurrentQueue;
using detail::Windows;

WindowHandle CreateMessageWindow(WindowProc proc, void* context) {
  std::shared_ptr<detail::MessageQueue> queue = CurrentQueue();
  if (proc == nullptr || queue->IsClosed()) return 0;
  return Windows().Add({proc, context, CurrentThreadId(), std::move(queue)});
}

bool DestroyMessageWindow(WindowHandle window) {
  const auto entry = Windows().Find(window);
  if (!entry || entry->ownerThread != CurrentThreadId() || !Windows().Remove(window)) return false;
  entry->queue->ForgetWindow(window);
  entry->Call(window, kMsgNcDestroy, 0, 0);
  return true;
}

bool IsWindowAlive(WindowHandle window) { return Windows().Find(window).has_value(); }

uint32_t WindowOwnerThreadId(WindowHandle window) {
  const auto entry = Windows().Find(window);
  return entry ? entry->ownerThread : 0;
}

intptr_t DefaultWindowProc(WindowHandle, uint32_t, uintptr_t, intptr_t) { return 0; }

bool PostMessageTo(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const auto entry = Windows().Find(window);
  return entry && entry->queue->Post({window, message, wParam, lParam});
}

bool PostMessageQuietly(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const auto entry = Windows().Find(window);
  return entry && entry->queue->Post({window, message, wParam, lParam}, false);
}

bool SendMessageTimeoutTo(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          uint32_t timeoutMs, intptr_t* result) {
  const auto entry = Windows().Find(window);
  if (!entry) return false;
  if (entry->ownerThread == CurrentThreadId()) {
    const intptr_t answer = entry->Call(window, message, wParam, lParam);
    if (result != nullptr) *result = answer;
    return true;
  }
  auto sent = std::make_shared<detail::SentMessage>(Message{window, message, wParam, lParam});
  if (!entry->queue->Send(sent)) return false;
  // While it waits, the sender handles what others send to it, so that two
  // threads sending to each other do not block each other.
  std::shared_ptr<detail::MessageQueue> own = CurrentQueue();
  const int done = detail::WaitUntil({&sent->done, own.get()}, detail::DeadlineAfter(timeoutMs),
                                     [&](auto, auto&) {
                                       detail::DeliverSentMessages(*own);
                                       return sent->done.IsSet() ? 0 : -1;
                                     });
  if (done < 0 || !sent->delivered) return false;
  if (result != nullptr) *result = sent->result;
  return true;
}

void PostQuit(int exitCode) {
  CurrentQueue()->Post({0, kMsgQuit, static_cast<uintptr_t>(exitCode), 0});
}

bool StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs) {
  const auto entry = Windows().Find(window);
  if (!entry || entry->ownerThread != CurrentThreadId()) return false;
  entry->queue->StartTimer(window, id, intervalMs);
  return true;
}

void StopWindowTimer(WindowHandle window, uintptr_t id) {
  if (const auto entry = Windows().Find(window)) entry->queue->StopTimer(window, id);
}

bool PeekMessageRemove(Message& message) {
  std::shared_ptr<detail::MessageQueue> queue = CurrentQueue();
  detail::DeliverSentMessages(*queue);
  if (queue->TakePosted(message)) return true;
  // Ready sockets post their messages without a wait, as Windows does, and
  // before a timer message, which comes only when nothing else is waiting.
  queue->PostReadySockets();
  return queue->TakeInput(message);
}

void TranslateMessageFor(const Message&) {}

intptr_t DispatchMessageTo(const Message& message) {
  if (message.window == 0) return 0;
  const auto entry = Windows().Find(message.window);
  if (!entry) return 0;
  return entry->Call(message.window, message.message, message.wParam, message.lParam);
}

int MsgWaitForAny(const Handle* handles, int count, uint32_t timeoutMs) {
  detail::EventList events;
  if (!detail::ResolveHandles(handles, count, 0, 63, events)) return kWaitFailed;
  std::shared_ptr<detail::MessageQueue> queue = CurrentQueue();
  std::vector<detail::WaitSource*> sources = detail::SourcesOf(events);
  sources.push_back(queue.get());
  const int ready = detail::WaitUntilOrReadable(
      sources, detail::DeadlineAfter(timeoutMs), queue->SocketsDescriptor(),
      [&] { queue->PostReadySockets(); },
      [&](auto now, auto& wakeAt) {
        const int set = detail::FirstSet(events);
        if (set >= 0) return set;
        detail::DeliverSentMessages(*queue);
        return queue->HasInput(now, wakeAt) ? count : -1;
      });
  return ready >= 0 ? ready : kWaitTimeout;
}

}  // namespace platform
