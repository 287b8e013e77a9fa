// DefWindowProcA: the default handling of the messages a window procedure passes on.
#include <algorithm>
#include <cstring>

#include "platform/posix/driver/driver.h"
#include "platform/posix/model/window_model.h"

namespace model {
namespace {

// WM_NCCREATE: takes the window's text from the creation record. Returns TRUE.
LRESULT defWmNcCreate(HWND handle, LPARAM lParam) {
  const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
  Window* window = findWindow(handle);
  if (window != nullptr && create != nullptr && create->lpszName != nullptr) {
    window->text = create->lpszName;
  }
  return TRUE;
}

// WM_SETTEXT: stores the text (null: empty) and tells the driver. Returns TRUE.
LRESULT defWmSetText(HWND handle, LPARAM lParam) {
  Window* window = findWindow(handle);
  if (window == nullptr) return FALSE;
  const char* text = reinterpret_cast<const char*>(lParam);
  window->text = text != nullptr ? text : "";
  driver::current().textChanged(handle);
  return TRUE;
}

// WM_GETTEXT: copies at most wParam - 1 characters and a zero. Returns the count copied; 0 and
// the buffer untouched when wParam is 0.
LRESULT defWmGetText(HWND handle, WPARAM wParam, LPARAM lParam) {
  Window* window = findWindow(handle);
  char* buffer = reinterpret_cast<char*>(lParam);
  if (window == nullptr || buffer == nullptr || wParam == 0) return 0;
  std::size_t count = std::min<std::size_t>(window->text.size(), wParam - 1);
  std::memcpy(buffer, window->text.data(), count);
  buffer[count] = '\0';
  return static_cast<LRESULT>(count);
}

// WM_PAINT: erases the background when asked (WM_ERASEBKGND), validates the window and lets the
// driver show it. Returns 0.
LRESULT defWmPaint(HWND handle) {
  Window* window = findWindow(handle);
  if (window == nullptr) return 0;
  if (window->needsErase && window->parent == nullptr) {
    window->needsErase = false;
    HDC dc = GetDC(handle);
    SendMessageA(handle, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    ReleaseDC(handle, dc);
  }
  if (Window* painted = findWindow(handle)) validate(*painted);
  showNow(handle);
  return 0;
}

// WM_SYSCOMMAND: the close, minimise and restore commands of the window menu and buttons.
// Returns 0.
LRESULT defWmSysCommand(HWND handle, WPARAM wParam) {
  // The low four bits of the command are used by the system itself.
  constexpr WPARAM kCommandMask = 0xFFF0;
  switch (wParam & kCommandMask) {
    case SC_CLOSE:
      SendMessageA(handle, WM_CLOSE, 0, 0);
      break;
    case SC_MINIMIZE:
      ShowWindow(handle, SW_MINIMIZE);
      break;
    case SC_RESTORE:
      ShowWindow(handle, SW_RESTORE);
      break;
    default:
      break;
  }
  return 0;
}

}  // namespace
}  // namespace model

// The default window procedure: WM_NCCREATE takes the window text, WM_CLOSE destroys the
// window, WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH keep the text, WM_PAINT validates,
// WM_ERASEBKGND fills with the class background, WM_SYSCOMMAND closes, minimises and restores.
// Every other message gives 0.
LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return model::defWmNcCreate(window, lParam);
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_SETTEXT:
      return model::defWmSetText(window, lParam);
    case WM_GETTEXT:
      return model::defWmGetText(window, wParam, lParam);
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(model::textOf(window).size());
    case WM_PAINT:
      return model::defWmPaint(window);
    case WM_ERASEBKGND:
      return model::eraseBackground(window) ? 1 : 0;
    case WM_SYSCOMMAND:
      return model::defWmSysCommand(window, wParam);
    default:
      return 0;
  }
}
