// The main block: start-up in its fixed order, the message loop and the end of the program.
#include <cstdio>

#include "app/main_window.h"
#include "settings/settings.h"

HINSTANCE programInstance = nullptr;

namespace {

// The exit code when the window cannot be set up (no display, for example).
constexpr int kStartFailedExitCode = 1;

// The message record of the loop; the exit code is taken from it when the loop ends.
MSG loopMessage;

// Fetches and dispatches messages until the quit message arrives; changes loopMessage.
void runMessageLoop() {
  while (GetMessageA(&loopMessage, nullptr, 0, 0) != 0) {
    TranslateMessage(&loopMessage);
    DispatchMessageA(&loopMessage);
  }
}

// Writes `message` to standard error (a GUI process on Windows has none; the text is lost there)
// and returns the exit code of a start-up that failed.
int failStart(const char* message) {
  std::fputs(message, stderr);
  return kStartFailedExitCode;
}

}  // namespace

// Runs the whole program; sets programInstance and mainWindow. Returns the process exit code:
// the quit message's, or 1 when the window class or the main window cannot be made.
int runMainBlock(HINSTANCE instance) {
  programInstance = instance;
  if (!registerMainWindowClass()) return failStart("sorvel: cannot register the window class\n");
  mainWindow = createMainWindow();
  if (mainWindow == nullptr) return failStart("sorvel: cannot create the main window\n");
  setDefaultSettings();
  createControls();
  loadSettings();
  runMessageLoop();
  if (settings.saveSettings) saveSettingsFile();
  deleteFonts();
  return static_cast<int>(loopMessage.wParam);
}
