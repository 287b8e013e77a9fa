// sorvel_wm_close: asks a top-level X window to close itself the way a window manager does when
// the user clicks the close button: a WM_PROTOCOLS client message carrying WM_DELETE_WINDOW
// (ICCCM 4.2.8.1). The window's owner decides what to do with it; nothing is destroyed here.
//
//   sorvel_wm_close WINDOW_ID       (decimal or 0x hexadecimal, as xdotool prints it)
//
// Exit codes: 0 the message was sent; 1 the window does not exist (any more); 2 the window does
// not take part in WM_DELETE_WINDOW; 3 no display or a bad command line.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

bool badWindow = false;

int onXError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow) badWindow = true;
  return 0;
}

// Returns true when `window` lists `deleteWindow` in its WM_PROTOCOLS property.
bool takesDeleteWindow(Display* display, Window window, Atom deleteWindow) {
  Atom* protocols = nullptr;
  int count = 0;
  if (XGetWMProtocols(display, window, &protocols, &count) == 0) return false;
  bool found = false;
  for (int i = 0; i < count; ++i) found = found || protocols[i] == deleteWindow;
  XFree(protocols);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: sorvel_wm_close WINDOW_ID\n", stderr);
    return 3;
  }
  Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fputs("sorvel_wm_close: cannot open the display\n", stderr);
    return 3;
  }
  XSetErrorHandler(onXError);
  Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  bool takesIt = takesDeleteWindow(display, window, deleteWindow);
  XSync(display, False);
  if (badWindow) return 1;
  if (!takesIt) return 2;
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = protocols;
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(deleteWindow);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return badWindow ? 1 : 0;
}
