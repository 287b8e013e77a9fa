// The STATIC class: a label that shows its text. It takes no input and sends no notification.
#include "platform/posix/model/window_model.h"

namespace model {

// The window procedure of the STATIC class.
LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
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
