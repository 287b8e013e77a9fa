// The calling thread's message queue: posted messages, WM_QUIT and user input; GetMessageA,
// PeekMessageA, TranslateMessage, DispatchMessageA, PostMessageA, PostQuitMessage and
// SendMessageA.
#include <chrono>
#include <deque>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

struct InputEvent {
  MSG message;
  InputNeed need;
};

// One thread's queue. As in Win32, a fetch takes posted messages first, then WM_QUIT, then user
// input, then painting.
struct MessageQueue {
  std::deque<MSG> posted;
  std::deque<InputEvent> input;
  bool quitPosted = false;
  int exitCode = 0;
};

thread_local MessageQueue queue;

// Milliseconds since the window system started, as the time of a message.
DWORD messageTime() {
  static const auto start = std::chrono::steady_clock::now();
  auto elapsed = std::chrono::steady_clock::now() - start;
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, messageTime(), POINT{0, 0}};
}

// True when the message passes the window filter (the window or a descendant; -1 only thread
// messages) and the range filter (0, 0: every message).
bool matches(const MSG& message, HWND filter, UINT first, UINT last) {
  if (first != 0 || last != 0) {
    if (message.message < first || message.message > last) return false;
  }
  if (filter == reinterpret_cast<HWND>(-1)) return message.hwnd == nullptr;
  return filter == nullptr || isSelfOrAncestor(filter, message.hwnd);
}

// An input message dropped before it reaches its window: an edit's replacement text goes too.
void dropInput(const MSG& message) {
  if (message.message != kUserReplaceTextMessage) return;
  if (Window* window = findWindow(message.hwnd)) {
    if (!window->edit.userTexts.empty()) window->edit.userTexts.pop_front();
  }
}

// Takes the first posted message that matches. Returns false when none does.
bool fetchPosted(MSG* message, HWND filter, UINT first, UINT last, bool remove) {
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!matches(*it, filter, first, last)) continue;
    *message = *it;
    if (remove) queue.posted.erase(it);
    return true;
  }
  return false;
}

// Takes the first input message that matches, dropping on the way those whose window can no
// longer take them (destroyed, hidden or disabled since they were queued). Returns false when
// none is left.
bool fetchInput(MSG* message, HWND filter, UINT first, UINT last, bool remove) {
  for (auto it = queue.input.begin(); it != queue.input.end();) {
    if (!acceptsInput(it->message.hwnd, it->need)) {
      dropInput(it->message);
      it = queue.input.erase(it);
      continue;
    }
    if (!matches(it->message, filter, first, last)) {
      ++it;
      continue;
    }
    *message = it->message;
    if (remove) queue.input.erase(it);
    return true;
  }
  return false;
}

}  // namespace

// Queues a user input message for the calling thread's loop.
void queueInput(const MSG& message, InputNeed need) {
  MSG stamped = message;
  stamped.time = messageTime();
  queue.input.push_back(InputEvent{stamped, need});
}

// Returns true when `handle` can take input: a live window that is enabled with all its
// ancestors and, for onScreen, visible and not inside a minimised window.
bool acceptsInput(HWND handle, InputNeed need) {
  if (!isEnabledForInput(handle)) return false;
  if (need == InputNeed::enabledWindow) return true;
  return isVisible(handle) && !isMinimized(topLevelOf(handle));
}

// Takes the next message without waiting: posted, WM_QUIT (when asked), input, painting.
// WM_PAINT is never removed: it comes again until the window is validated. Returns false when
// there is none.
bool fetchMessage(MSG* message, HWND filter, UINT first, UINT last, bool remove, bool withQuit) {
  if (fetchPosted(message, filter, first, last, remove)) return true;
  const bool quitInRange = (first == 0 && last == 0) || (first <= WM_QUIT && WM_QUIT <= last);
  if (withQuit && queue.quitPosted && quitInRange) {
    *message = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.exitCode), 0);
    if (remove) queue.quitPosted = false;
    return true;
  }
  if (fetchInput(message, filter, first, last, remove)) return true;
  const bool paintInRange = (first == 0 && last == 0) || (first <= WM_PAINT && WM_PAINT <= last);
  if (!paintInRange || filter == reinterpret_cast<HWND>(-1)) return false;
  if (HWND painted = windowNeedingPaint(filter)) {
    *message = makeMessage(painted, WM_PAINT, 0, 0);
    return true;
  }
  return false;
}

// Removes every queued message for `handle`.
void purgeMessagesFor(HWND handle) {
  std::erase_if(queue.posted, [handle](const MSG& message) { return message.hwnd == handle; });
  std::erase_if(queue.input,
                [handle](const InputEvent& event) { return event.message.hwnd == handle; });
}

// Empties the calling thread's queue and forgets WM_QUIT.
void resetQueue() { queue = MessageQueue{}; }

// Dispatches every message waiting, WM_QUIT left queued. Returns the number dispatched.
int dispatchAvailableMessages() {
  int count = 0;
  MSG message;
  while (fetchMessage(&message, nullptr, 0, 0, true, false)) {
    DispatchMessageA(&message);
    ++count;
  }
  return count;
}

}  // namespace model

// Takes the next message of the calling thread, waiting for the display driver's input while
// there is none. Returns 0 for WM_QUIT (its wParam is PostQuitMessage's exit code), -1 for an
// invalid window filter, nonzero otherwise. When the driver says no input can ever come, the
// process ends with a message rather than waiting forever.
BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT msgFilterMin, UINT msgFilterMax) {
  if (msg == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (window != nullptr && window != reinterpret_cast<HWND>(-1) &&
      model::findWindowOrFail(window) == nullptr) {
    return -1;
  }
  while (!model::fetchMessage(msg, window, msgFilterMin, msgFilterMax, true, true)) {
    model::reportPaintedPixels();
    if (!driver::current().waitForInput()) {
      model::fatal("GetMessageA waits for a message, but the display driver has no more input");
    }
  }
  return msg->message == WM_QUIT ? 0 : 1;
}

// Takes the next message if there is one, without waiting; PM_REMOVE removes it (WM_PAINT
// stays until the window is painted). Returns FALSE when there is none.
BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT msgFilterMin, UINT msgFilterMax,
                         UINT removeMsg) {
  if (msg == nullptr) return FALSE;
  return model::fetchMessage(msg, window, msgFilterMin, msgFilterMax, (removeMsg & PM_REMOVE) != 0,
                             true)
             ? TRUE
             : FALSE;
}

// The display drivers deliver typed characters as WM_CHAR already, never key strokes, so no
// message is ever translated. Returns FALSE.
BOOL WINAPI TranslateMessage(const MSG*) { return FALSE; }

// Calls the window procedure of the message's window. After WM_PAINT a window that was not
// painted is validated, so that WM_PAINT does not come forever. Returns the procedure's result;
// 0 for a thread message or an invalid window.
LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  if (model::findWindowOrFail(msg->hwnd) == nullptr) return 0;
  LRESULT result = SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT) {
    if (model::Window* window = model::findWindow(msg->hwnd)) model::validate(*window);
  }
  return result;
}

// Queues a message for the window (null: a thread message). FALSE with
// ERROR_INVALID_WINDOW_HANDLE for an invalid window.
BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && model::findWindowOrFail(window) == nullptr) return FALSE;
  model::queue.posted.push_back(model::makeMessage(window, message, wParam, lParam));
  return TRUE;
}

// Asks the calling thread's loop to end: once no posted message is left, GetMessageA returns 0
// with WM_QUIT and `exitCode` in wParam.
void WINAPI PostQuitMessage(int exitCode) {
  model::queue.quitPosted = true;
  model::queue.exitCode = exitCode;
}

// Calls the window procedure at once and returns its result; 0 with
// ERROR_INVALID_WINDOW_HANDLE for an invalid window.
LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  model::Window* target = model::findWindowOrFail(window);
  if (target == nullptr) return 0;
  WNDPROC procedure = target->procedure;
  return procedure(window, message, wParam, lParam);
}
