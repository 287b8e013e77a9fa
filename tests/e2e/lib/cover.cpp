// sorvel_cover: covers a rectangle of the screen with a window of its own for a while, as another
// program's window does when the user brings it to the front, then takes it away again.
//
//   sorvel_cover X Y WIDTH HEIGHT MILLISECONDS
//
// The covering window has no border and is placed by the program itself (override-redirect), so
// it lies exactly over the rectangle with or without a window manager. It is on the screen once
// its first expose arrived; it is gone when the program ends. Exit code 0, or 3 for no display or
// a bad command line.
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fputs("usage: sorvel_cover X Y WIDTH HEIGHT MILLISECONDS\n", stderr);
    return 3;
  }
  const int x = std::atoi(argv[1]), y = std::atoi(argv[2]);
  const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
  const int milliseconds = std::atoi(argv[5]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr || width <= 0 || height <= 0) {
    std::fputs("sorvel_cover: cannot open the display, or an empty rectangle\n", stderr);
    return 3;
  }
  const int screen = DefaultScreen(display);
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = 0xFF00FF;  // magenta: no colour of the program's window
  const Window cover =
      XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                    static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                    CWOverrideRedirect | CWBackPixel, &attributes);
  XSelectInput(display, cover, ExposureMask);
  XMapRaised(display, cover);
  XEvent event;
  do {
    XNextEvent(display, &event);
  } while (event.type != Expose);
  XSync(display, False);
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  XDestroyWindow(display, cover);
  XCloseDisplay(display);
  return 0;
}
