// What every control does alike: notifying its parent, keeping its font.
#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {

// Sends WM_COMMAND with MAKEWPARAM(control id, code) and the control's handle to its parent.
void notifyParent(HWND control, WORD code) {
  Window* window = findWindow(control);
  if (window == nullptr || window->parent == nullptr) return;
  SendMessageA(window->parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(window->id), code),
               reinterpret_cast<LPARAM>(control));
}

// WM_SETFONT: keeps the font handle, tells the driver and, when lParam asks for it, redraws at
// once. Returns 0.
LRESULT controlWmSetFont(HWND control, WPARAM font, LPARAM redraw) {
  Window* window = findWindow(control);
  if (window == nullptr) return 0;
  window->font = reinterpret_cast<HFONT>(font);
  driver::current().fontChanged(control);
  if (redraw) {
    invalidate(*window, nullptr, true);
    UpdateWindow(control);
  }
  return 0;
}

// WM_GETFONT: returns the font handle last set, null for the system font.
LRESULT controlWmGetFont(HWND control) {
  Window* window = findWindow(control);
  return window == nullptr ? 0 : reinterpret_cast<LRESULT>(window->font);
}

LRESULT controlRedrawAfter(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = DefWindowProcA(control, message, wParam, lParam);
  if (Window* window = findWindow(control)) invalidate(*window, nullptr, true);
  return result;
}

}  // namespace model
