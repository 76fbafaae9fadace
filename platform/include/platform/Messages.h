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
constexpr uint32_t kMsgTimer = 0x0113;
constexpr uint32_t kMsgUser = 0x0400;

struct Message {
  WindowHandle window;  // 0 for a thread message
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
};

MOX_PLATFORM_API WindowHandle CreateMessageWindow(WindowProc proc, void* context);
MOX_PLATFORM_API void DestroyMessageWindow(WindowHandle window);
MOX_PLATFORM_API bool IsWindowAlive(WindowHandle window);
MOX_PLATFORM_API uint32_t WindowOwnerThreadId(WindowHandle window);

MOX_PLATFORM_API bool PostMessageTo(WindowHandle window, uint32_t message, uintptr_t wParam,
                                    intptr_t lParam);
// Runs the window procedure on the owner thread and waits for it, at most timeoutMs.
// On the owner thread the procedure is called directly. False on time-out or a dead window.
MOX_PLATFORM_API bool SendMessageTimeoutTo(WindowHandle window, uint32_t message, uintptr_t wParam,
                                           intptr_t lParam, uint32_t timeoutMs, intptr_t* result);
MOX_PLATFORM_API void PostQuit(int exitCode);

// Window timers: a timer message with wParam = id arrives on the owner thread
// every intervalMs while it processes messages; at most one is pending at a time.
MOX_PLATFORM_API bool StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs);
MOX_PLATFORM_API void StopWindowTimer(WindowHandle window, uintptr_t id);

// Takes the next message for the calling thread, after handling the messages
// that other threads are sending to it. False when none is waiting.
MOX_PLATFORM_API bool PeekMessageRemove(Message& message);
// Keyboard translation on Windows; nothing elsewhere.
MOX_PLATFORM_API void TranslateMessageFor(const Message& message);
// Calls the window procedure of a window message; a thread message is dropped.
MOX_PLATFORM_API intptr_t DispatchMessageTo(const Message& message);

}  // namespace platform
