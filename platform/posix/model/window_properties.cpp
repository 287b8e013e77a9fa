// What a window is and shows: visibility and minimised state (ShowWindow), enabled state, text,
// rectangles and the keyboard focus.
#include <algorithm>
#include <cstring>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

HWND focus = nullptr;

// The visibility and minimised state a ShowWindow command asks for, given the present ones.
// Returns false for an unknown command.
bool showTarget(int command, bool& visible, bool& minimized) {
  switch (command) {
    case SW_HIDE:
      visible = false;
      return true;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      visible = true;
      minimized = true;
      return true;
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:  // no window here can be maximised: shown in its normal size
    case SW_SHOWNOACTIVATE:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
      visible = true;
      minimized = false;
      return true;
    case SW_SHOW:
    case SW_SHOWNA:
      visible = true;
      return true;
    default:
      return false;
  }
}

// Shows or hides the window: WM_SHOWWINDOW first, then the style, the driver and, when it
// appears, the need of painting.
void changeVisibility(HWND handle, bool visible) {
  SendMessageA(handle, WM_SHOWWINDOW, visible ? TRUE : FALSE, 0);
  Window* window = findWindow(handle);
  if (window == nullptr) return;
  if (visible) {
    window->style |= WS_VISIBLE;
  } else {
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  driver::current().visibilityChanged(handle);
  if (visible) invalidateTree(handle);
}

// The screen position of the window's client-area origin.
POINT clientOriginOnScreen(const Window& window) {
  POINT offset = clientOffsetFor(window.style, window.exStyle);
  POINT origin{window.rect.left + offset.x, window.rect.top + offset.y};
  if (const Window* parent = findWindow(window.parent)) {
    POINT parentOrigin = clientOriginOnScreen(*parent);
    origin.x += parentOrigin.x;
    origin.y += parentOrigin.y;
  }
  return origin;
}

}  // namespace

// Removes the focus, without messages, when it lies in the tree of `handle`.
void dropFocusWithin(HWND handle) {
  if (focus != nullptr && isSelfOrAncestor(handle, focus)) focus = nullptr;
}

// Sets the window's minimised state, tells the driver and, when restored, marks the window as
// needing painting. Returns false when the state was already so.
bool changeMinimized(HWND handle, bool minimized) {
  Window* window = findWindow(handle);
  if (window == nullptr || ((window->style & WS_MINIMIZE) != 0) == minimized) return false;
  if (minimized) {
    window->style |= WS_MINIMIZE;
  } else {
    window->style &= ~static_cast<DWORD>(WS_MINIMIZE);
  }
  driver::current().minimizedChanged(handle);
  if (!minimized) invalidateTree(handle);
  return true;
}

}  // namespace model

using model::Window;

// Shows, hides, minimises or restores the window (a child window is only shown or hidden), then
// lets the driver show it at once. Returns nonzero when the window was visible before.
BOOL WINAPI ShowWindow(HWND handle, int command) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  const bool wasVisible = (window->style & WS_VISIBLE) != 0;
  bool visible = wasVisible;
  bool minimized = (window->style & WS_MINIMIZE) != 0;
  if (!model::showTarget(command, visible, minimized)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return wasVisible;
  }
  if (visible != wasVisible) model::changeVisibility(handle, visible);
  // Only top-level windows are minimised here; a child is shown or hidden.
  if (model::parentOf(handle) == nullptr) model::changeMinimized(handle, minimized);
  model::showNow(handle);
  return wasVisible;
}

// Returns TRUE while the window is minimised.
BOOL WINAPI IsIconic(HWND handle) {
  Window* window = model::findWindow(handle);
  return window != nullptr && (window->style & WS_MINIMIZE) != 0;
}

// Returns TRUE when the window and all its ancestors have WS_VISIBLE.
BOOL WINAPI IsWindowVisible(HWND handle) { return model::isVisible(handle); }

// Enables or disables the window. Disabling moves the focus away from the window and its
// descendants. WM_ENABLE is sent when the state changes. Returns nonzero when the window was
// disabled before.
BOOL WINAPI EnableWindow(HWND handle, BOOL enable) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr) return FALSE;
  const bool wasDisabled = (window->style & WS_DISABLED) != 0;
  if (wasDisabled == !enable) return wasDisabled;
  if (enable) {
    window->style &= ~static_cast<DWORD>(WS_DISABLED);
  } else {
    window->style |= WS_DISABLED;
  }
  model::invalidate(*window, nullptr, true);
  driver::current().enabledChanged(handle);
  HWND focused = GetFocus();
  if (!enable && focused != nullptr && model::isSelfOrAncestor(handle, focused)) SetFocus(nullptr);
  SendMessageA(handle, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

// Returns TRUE when the window itself is enabled.
BOOL WINAPI IsWindowEnabled(HWND handle) {
  Window* window = model::findWindow(handle);
  return window != nullptr && (window->style & WS_DISABLED) == 0;
}

// Sets the text through WM_SETTEXT and lets the driver show it at once. Returns the result of
// WM_SETTEXT; FALSE for an invalid window.
BOOL WINAPI SetWindowTextA(HWND handle, LPCSTR text) {
  if (model::findWindowOrFail(handle) == nullptr) return FALSE;
  LRESULT result = SendMessageA(handle, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  model::showNow(handle);
  return result != 0 ? TRUE : FALSE;
}

// Copies at most maxCount - 1 characters of the text and a zero into `buffer` through
// WM_GETTEXT. Returns the number of characters copied; 0 for an empty text, an invalid window
// (the buffer then holds an empty text) or a maxCount below 1 (the buffer is left alone).
int WINAPI GetWindowTextA(HWND handle, LPSTR buffer, int maxCount) {
  if (buffer == nullptr || maxCount <= 0) return 0;
  buffer[0] = '\0';
  if (model::findWindowOrFail(handle) == nullptr) return 0;
  return static_cast<int>(SendMessageA(handle, WM_GETTEXT, static_cast<WPARAM>(maxCount),
                                       reinterpret_cast<LPARAM>(buffer)));
}

// Returns the length of the text through WM_GETTEXTLENGTH; 0 for an invalid window.
int WINAPI GetWindowTextLengthA(HWND handle) {
  if (model::findWindowOrFail(handle) == nullptr) return 0;
  return static_cast<int>(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

// Fills `rect` with the client area: origin 0, 0 and the client size. FALSE when invalid.
BOOL WINAPI GetClientRect(HWND handle, LPRECT rect) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  SIZE size = model::clientSizeOf(handle);
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

// Fills `rect` with the window's outer rectangle in screen coordinates. FALSE when invalid.
BOOL WINAPI GetWindowRect(HWND handle, LPRECT rect) {
  Window* window = model::findWindowOrFail(handle);
  if (window == nullptr || rect == nullptr) return FALSE;
  *rect = window->rect;
  if (const Window* parent = model::findWindow(window->parent)) {
    POINT origin = model::clientOriginOnScreen(*parent);
    *rect = RECT{rect->left + origin.x, rect->top + origin.y, rect->right + origin.x,
                 rect->bottom + origin.y};
  }
  return TRUE;
}

// Gives the keyboard focus to `handle` (null: to no window): WM_KILLFOCUS to the window losing
// it, then WM_SETFOCUS to the window getting it; nothing when it already has it. Returns the
// window that had the focus; null with ERROR_INVALID_WINDOW_HANDLE for an invalid window.
HWND WINAPI SetFocus(HWND handle) {
  HWND previous = model::focus;
  if (handle != nullptr && model::findWindowOrFail(handle) == nullptr) return nullptr;
  if (handle == previous) return previous;
  if (previous != nullptr && IsWindow(previous)) {
    SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(handle), 0);
  }
  model::focus = IsWindow(handle) ? handle : nullptr;
  if (model::focus != nullptr) {
    SendMessageA(handle, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  }
  return previous;
}

// Returns the window with the keyboard focus, null for none.
HWND WINAPI GetFocus(void) { return model::focus; }
