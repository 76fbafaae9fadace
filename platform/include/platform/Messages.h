#pragma once

#include <cstdint>

#include "platform/Export.h"

namespace platform {

// Hidden message windows owned by the thread that creates them, as on Windows:
// posted and sent messages and window timers are handled on that thread when it
// processes its messages.
using WindowHandle = uintptr_t;  // 0: no window
using WindowProc = intptr_t (*)(void* context, WindowHandle window, uint32_t message,
                                uintptr_t wParam, intptr_t lParam);

constexpr uint32_t kMsgQuit = 0x0012;
// The last message a window receives, on its owner thread, as it is destroyed:
// the procedure may release its context then.
constexpr uint32_t kMsgNcDestroy = 0x0082;
constexpr uint32_t kMsgTimer = 0x0113;
constexpr uint32_t kMsgUser = 0x0400;

struct Message {
  WindowHandle window;  // 0 for a thread message
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

// 0 when the window cannot be created.
MOX_PLATFORM_API WindowHandle CreateMessageWindow(WindowProc proc, void* context);
// Only the owner thread may destroy a window (false elsewhere, or when it is gone).
// Its queued messages and timers go with it; a window still alive when its owner
// thread ends is destroyed then.
MOX_PLATFORM_API bool DestroyMessageWindow(WindowHandle window);
MOX_PLATFORM_API bool IsWindowAlive(WindowHandle window);
MOX_PLATFORM_API uint32_t WindowOwnerThreadId(WindowHandle window);
// What a window procedure returns for a message it does not handle itself.
MOX_PLATFORM_API intptr_t DefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                                            intptr_t lParam);

MOX_PLATFORM_API bool PostMessageTo(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
// As PostMessageTo, but the owner thread is not woken for it: it finds the
// message when it next looks at its queue for another reason (a due timer,
// another message). For a message that only matters before the owner's next
// timer tick, since posted messages are taken before timer messages. Windows
// has no such post: there it is PostMessageTo.
MOX_PLATFORM_API bool PostMessageQuietly(WindowHandle window, uint32_t message, uintptr_t wParam,
                                         intptr_t lParam);
// Runs the window procedure on the owner thread and waits for it, at most timeoutMs,
// handling meanwhile what other threads send to the caller. On the owner thread the
// procedure is called directly. False on time-out or a dead window; after a time-out
// the owner may still handle the message later. `result` may be null.
MOX_PLATFORM_API bool SendMessageTimeoutTo(WindowHandle window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam, uint32_t timeoutMs, intptr_t* result);
// Posts the quit message (wParam = exit code) to the calling thread.
MOX_PLATFORM_API void PostQuit(int exitCode);

// Window timers: a timer message with wParam = id arrives on the owner thread
// every intervalMs while it processes messages; at most one is pending at a time.
// Only the owner thread may start a timer on its window; starting a running
// timer again restarts it. False when the platform refuses the timer.
MOX_PLATFORM_API bool StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs);
MOX_PLATFORM_API void StopWindowTimer(WindowHandle window, uintptr_t id);

// Takes the next message for the calling thread, after handling the messages
// that other threads are sending to it. False when none is waiting.
MOX_PLATFORM_API bool PeekMessageRemove(Message& message);
// Keyboard translation on Windows; nothing elsewhere.
MOX_PLATFORM_API void TranslateMessageFor(const Message& message);
// Calls the window procedure of a window message; a thread message is dropped.
// An exception that escapes a window procedure is dropped (result 0).
MOX_PLATFORM_API intptr_t DispatchMessageTo(const Message& message);

}  // namespace platform
