// The desktop program's entry point on Linux: opens the X display, installs the FLTK display
// driver and runs the program's main block through WinMain.
#include <FL/Fl.H>
#include <FL/x.H>

#include <cstdio>
#include <cstdlib>

#include "platform/posix/driver/fltk/fltk_driver.h"
#include "platform/winapi.h"

namespace {

// The exit code when there is no display to show the window on.
constexpr int kNoDisplayExitCode = 1;

// Opens the X display named by DISPLAY for FLTK. Returns false, after saying why on standard
// error, when there is none (FLTK itself would end the program with a terse message).
bool openDisplay() {
  const char* name = std::getenv("DISPLAY");
  Display* probe = XOpenDisplay(nullptr);
  if (probe == nullptr) {
    std::fprintf(stderr,
                 "sorvel: cannot open the X display \"%s\"; the program needs a graphical "
                 "desktop (set DISPLAY to a running X server)\n",
                 name != nullptr ? name : "");
    return false;
  }
  XCloseDisplay(probe);
  // FLTK's own opening also sets up the locale for keyboard input and its X error handlers.
  fl_open_display();
  return true;
}

}  // namespace

int main() {
  if (!openDisplay()) return kNoDisplayExitCode;
  fltk_driver::install();
  return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<char*>(""), SW_SHOWDEFAULT);
}
