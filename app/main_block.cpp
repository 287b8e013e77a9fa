// The main block: start-up, the message loop and the end of the program.
#include <cstdio>

#include "app/main_window.h"

int runMainBlock(HINSTANCE) {
  // The window is not built yet: say so and end without error.
  std::fputs("sorvel: the main window is not built yet\n", stderr);
  return 0;
}
