#pragma once

// The calling thread's side of messaging: its queue and the handling of the
// messages that other threads send to it.

#include <memory>

#include "MessageQueue.h"

namespace platform::detail {

// The calling thread's queue, created on first use.
std::shared_ptr<MessageQueue> CurrentQueue();

// Handles every message that other threads are sending to the calling thread.
void DeliverSentMessages(MessageQueue& queue);

// Destroys the calling thread's windows and closes its queue, as Windows does
// when a thread ends. Runs by itself when any thread ends; a platform Thread
// calls it before its handle is signalled.
void EndThreadMessages();

}  // namespace platform::detail
