// The STATIC class: a label that shows its text. It takes no input and sends no notification.
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// WM_SETTEXT: the default text handling, then the label is drawn again. Returns TRUE.
LRESULT staticWmSetText(HWND window, LPARAM text) {
  LRESULT result = DefWindowProcA(window, WM_SETTEXT, 0, text);
  if (Window* label = findWindow(window)) invalidate(*label, nullptr, true);
  return result;
}

}  // namespace

// The window procedure of the STATIC class.
LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      return staticWmSetText(window, lParam);
    case WM_SETFONT:
      return controlWmSetFont(window, wParam, lParam);
    case WM_GETFONT:
      return controlWmGetFont(window);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace model
