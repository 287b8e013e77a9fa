// The BUTTON class: push buttons and check boxes. A click (the user's or BM_CLICK) is a press
// (WM_LBUTTONDOWN) and a release (WM_LBUTTONUP); on the release an auto check box toggles
// through BM_SETCHECK and then the parent gets BN_CLICKED, so its handler reads the new state.
// BM_SETCHECK itself notifies nobody.
#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// The button's type, from the low bits of its style.
DWORD buttonType(const Window& window) { return window.style & BS_TYPEMASK; }

// True for the two check-box types; every other type behaves as a push button.
bool isCheckBox(const Window& window) {
  return buttonType(window) == BS_CHECKBOX || buttonType(window) == BS_AUTOCHECKBOX;
}

// BM_GETCHECK: the check state of a check box; BST_UNCHECKED for a push button.
LRESULT buttonBmGetCheck(HWND handle) {
  Window* window = findWindow(handle);
  return (window != nullptr && isCheckBox(*window)) ? window->checkState : BST_UNCHECKED;
}

// BM_SETCHECK: sets a check box checked (any nonzero state) or unchecked, with no notification;
// a push button ignores it. Returns 0.
LRESULT buttonBmSetCheck(HWND handle, WPARAM state) {
  Window* window = findWindow(handle);
  if (window == nullptr || !isCheckBox(*window)) return 0;
  const int checkState = state != BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
  if (window->checkState == checkState) return 0;
  window->checkState = checkState;
  invalidate(*window, nullptr, true);
  driver::current().checkChanged(handle);
  return 0;
}

// BM_GETSTATE: the check state with BST_PUSHED while pressed and BST_FOCUS with the focus.
LRESULT buttonBmGetState(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return 0;
  LRESULT state = isCheckBox(*window) ? window->checkState : BST_UNCHECKED;
  if (window->pressed) state |= BST_PUSHED;
  if (GetFocus() == handle) state |= BST_FOCUS;
  return state;
}

// BM_SETSTATE: shows the button pressed (nonzero) or released. Returns 0.
LRESULT buttonBmSetState(HWND handle, WPARAM pressed) {
  Window* window = findWindow(handle);
  if (window == nullptr) return 0;
  window->pressed = pressed != 0;
  invalidate(*window, nullptr, true);
  return 0;
}

// BM_CLICK: a click as the user makes it, press then release, sent as messages: like every
// message of the program it works on a disabled button too (only the user's clicks are refused,
// by the input path). Returns 0.
LRESULT buttonBmClick(HWND handle) {
  SendMessageA(handle, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  SendMessageA(handle, WM_LBUTTONUP, 0, 0);
  return 0;
}

// WM_LBUTTONDOWN: the button takes the focus and shows pressed. Returns 0.
LRESULT buttonWmLButtonDown(HWND handle) {
  SetFocus(handle);
  SendMessageA(handle, BM_SETSTATE, TRUE, 0);
  return 0;
}

// WM_LBUTTONUP: after a press, releases the button, toggles an auto check box and reports
// BN_CLICKED to the parent. Returns 0.
LRESULT buttonWmLButtonUp(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr || !window->pressed) return 0;
  SendMessageA(handle, BM_SETSTATE, FALSE, 0);
  window = findWindow(handle);
  if (window == nullptr) return 0;
  if (buttonType(*window) == BS_AUTOCHECKBOX) {
    const bool checked = window->checkState == BST_CHECKED;
    SendMessageA(handle, BM_SETCHECK, checked ? BST_UNCHECKED : BST_CHECKED, 0);
  }
  notifyParent(handle, BN_CLICKED);
  return 0;
}

}  // namespace

// The window procedure of the BUTTON class.
LRESULT CALLBACK buttonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return buttonBmGetCheck(window);
    case BM_SETCHECK:
      return buttonBmSetCheck(window, wParam);
    case BM_GETSTATE:
      return buttonBmGetState(window);
    case BM_SETSTATE:
      return buttonBmSetState(window, wParam);
    case BM_CLICK:
      return buttonBmClick(window);
    case WM_LBUTTONDOWN:
      return buttonWmLButtonDown(window);
    case WM_LBUTTONUP:
      return buttonWmLButtonUp(window);
    case WM_SETTEXT:
    case WM_ENABLE:
      return controlRedrawAfter(window, message, wParam, lParam);
    case WM_SETFONT:
      return controlWmSetFont(window, wParam, lParam);
    case WM_GETFONT:
      return controlWmGetFont(window);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace model
