// Hidden message windows of one registered class, whose procedure and context
// are kept in the window's user data, and the system's message functions.
#include <windows.h>

#include "platform/Messages.h"

namespace platform {
namespace {

HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

WindowHandle ToHandle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

struct WindowBinding {
  WindowProc proc;
  void* context;
  // Set once CreateMessageWindow has the window: the procedure sees no message of
  // the creation, and a failed creation leaves the binding to its creator.
  bool created;
};

WindowBinding* BindingOf(HWND window) {
  return reinterpret_cast<WindowBinding*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK RouteMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    return DefWindowProcW(window, message, wParam, lParam);
  }
  WindowBinding* binding = BindingOf(window);
  if (binding == nullptr || !binding->created) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  // An exception must not unwind through user32's frames (in the 32-bit build
  // that ends the process), so it is dropped and the message's result is 0.
  LRESULT result = 0;
  try {
    result = binding->proc(binding->context, ToHandle(window), message, wParam, lParam);
  } catch (...) {
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete binding;
  }
  return result;
}

// The class is registered by the module that holds this code, and unregistered
// when that module unloads, so a reloaded plug-in registers it afresh.
class WindowClass {
 public:
  WindowClass() {
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&RouteMessage), &module_);
    WNDCLASSEXW description{};
    description.cbSize = sizeof(description);
    description.lpfnWndProc = &RouteMessage;
    description.hInstance = module_;
    description.lpszClassName = kName;
    RegisterClassExW(&description);
  }
  ~WindowClass() { UnregisterClassW(kName, module_); }
  WindowClass(const WindowClass&) = delete;
  WindowClass& operator=(const WindowClass&) = delete;

  HINSTANCE Module() const { return module_; }
  static constexpr const wchar_t* kName = L"moxMessageWindow";

 private:
  HMODULE module_ = nullptr;
};

const WindowClass& RegisteredClass() {
  static const WindowClass windowClass;
  return windowClass;
}

Message FromSystem(const MSG& message) {
  return {ToHandle(message.hwnd), message.message, message.wParam, message.lParam};
}

MSG ToSystem(const Message& message) {
  MSG system{};
  system.hwnd = ToHwnd(message.window);
  system.message = message.message;
  system.wParam = message.wParam;
  system.lParam = message.lParam;
  return system;
}

}  // namespace

WindowHandle CreateMessageWindow(WindowProc proc, void* context) {
  if (proc == nullptr) return 0;
  const WindowClass& windowClass = RegisteredClass();
  auto* binding = new WindowBinding{proc, context, false};
  const HWND window = CreateWindowExW(0, WindowClass::kName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, windowClass.Module(), binding);
  if (window == nullptr) {
    delete binding;
    return 0;
  }
  binding->created = true;
  return ToHandle(window);
}

bool DestroyMessageWindow(WindowHandle window) { return DestroyWindow(ToHwnd(window)) != FALSE; }

bool IsWindowAlive(WindowHandle window) { return window != 0 && IsWindow(ToHwnd(window)); }

uint32_t WindowOwnerThreadId(WindowHandle window) {
  return window == 0 ? 0 : GetWindowThreadProcessId(ToHwnd(window), nullptr);
}

intptr_t DefaultWindowProc(WindowHandle window, uint32_t message, uintptr_t wParam,
                           intptr_t lParam) {
  return DefWindowProcW(ToHwnd(window), message, wParam, lParam);
}

bool PostMessageTo(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return window != 0 && PostMessageW(ToHwnd(window), message, wParam, lParam) != FALSE;
}

bool PostMessageQuietly(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return PostMessageTo(window, message, wParam, lParam);
}

bool SendMessageTimeoutTo(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam,
                          uint32_t timeoutMs, intptr_t* result) {
  if (window == 0) return false;
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(ToHwnd(window), message, wParam, lParam, SMTO_NORMAL, timeoutMs,
                          &answer) == 0) {
    return false;
  }
  if (result != nullptr) *result = static_cast<intptr_t>(answer);
  return true;
}

void PostQuit(int exitCode) { PostQuitMessage(exitCode); }

bool StartWindowTimer(WindowHandle window, uintptr_t id, uint32_t intervalMs) {
  return window != 0 && SetTimer(ToHwnd(window), id, intervalMs, nullptr) != 0;
}

void StopWindowTimer(WindowHandle window, uintptr_t id) {
  if (window != 0) KillTimer(ToHwnd(window), id);
}

bool PeekMessageRemove(Message& message) {
  MSG system;
  if (PeekMessageW(&system, nullptr, 0, 0, PM_REMOVE) == FALSE) return false;
  message = FromSystem(system);
  return true;
}

void TranslateMessageFor(const Message& message) {
  const MSG system = ToSystem(message);
  TranslateMessage(&system);
}

intptr_t DispatchMessageTo(const Message& message) {
  if (message.window == 0) return 0;
  const MSG system = ToSystem(message);
  return DispatchMessageW(&system);
}

}  // namespace platform
