#include "ThreadMessages.h"

#include "WindowTable.h"
#include "platform/Sync.h"

namespace platform::detail {
namespace {

struct ThreadQueue {
  std::shared_ptr<MessageQueue> queue;
  ~ThreadQueue() { EndThreadMessages(); }
};

thread_local ThreadQueue current;

void Deliver(SentMessage& sent) {
  if (auto entry = Windows().Find(sent.message.window)) {
    sent.result = entry->Call(sent.message.window, sent.message.message, sent.message.wParam,
                              sent.message.lParam);
    sent.delivered = true;
  }
  sent.done.Set();
}

}  // namespace

std::shared_ptr<MessageQueue> CurrentQueue() {
  if (!current.queue) current.queue = std::make_shared<MessageQueue>();
  return current.queue;
}

void DeliverSentMessages(MessageQueue& queue) {
  while (std::shared_ptr<SentMessage> sent = queue.TakeSent()) Deliver(*sent);
}

void EndThreadMessages() {
  if (!current.queue || current.queue->IsClosed()) return;
  for (WindowHandle window : Windows().OwnedBy(CurrentThreadId())) DestroyMessageWindow(window);
  current.queue->Close();
}

}  // namespace platform::detail
