// The window class "sorvel", the main window and its window procedure.
#include "app/main_window.h"
#include "copy/copy_job.h"
#include "settings/settings.h"

namespace {

constexpr const char* kClassName = "sorvel";
constexpr const char* kWindowTitle = "sorvel";

constexpr UINT kClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_CLASSDC | CS_PARENTDC;
// A title bar with system menu, close and minimise buttons; no sizing border, no maximise button.
constexpr DWORD kMainWindowStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The outer size of the main window, frame and title bar included.
constexpr int kMainWindowWidth = 530;
constexpr int kMainWindowHeight = 472;

// The exit code posted with the quit message at the end of a normal run.
constexpr int kNormalExitCode = 0;

// WM_DESTROY: keeps the boxes' last state for the settings file and ends the loop; returns 0.
LRESULT onDestroy() {
  readCheckBoxes();
  PostQuitMessage(kNormalExitCode);
  return 0;
}

// WM_CLOSE: reads the check boxes, then lets the default handling destroy the window.
LRESULT onClose(HWND window, WPARAM wParam, LPARAM lParam) {
  readCheckBoxes();
  return DefWindowProcA(window, WM_CLOSE, wParam, lParam);
}

// BN_CLICKED from `sender`: refreshes every flag, then runs the copy job or a picker when the
// sender is one of the three push buttons. Changes Settings and whatever those runs change.
void onClicked(HWND sender) {
  readCheckBoxes();
  if (sender == copyButton) runCopyJob();
  if (sender == browseSourceButton) onBrowseSource();
  if (sender == browseDestinationButton) onBrowseDestination();
}

// WM_COMMAND: acts on a click or an edit change, then hands the message to the default handling.
LRESULT onCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  switch (HIWORD(wParam)) {
    case BN_CLICKED:
      onClicked(reinterpret_cast<HWND>(lParam));
      break;
    case EN_CHANGE:
      readCheckBoxes();
      break;
    default:
      break;
  }
  return DefWindowProcA(window, WM_COMMAND, wParam, lParam);
}

}  // namespace

// Registers the class "sorvel" with mainWindowProc; returns true when the platform gave an atom.
bool registerMainWindowClass() {
  WNDCLASSA windowClass = {};
  windowClass.style = kClassStyle;
  windowClass.lpfnWndProc = mainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = programInstance;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // A class brush may be given as a system colour index plus one.
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_BTNFACE + 1));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = kClassName;
  return RegisterClassA(&windowClass) != 0;
}

// Creates the main window, then shows and paints it; returns its handle, null on failure.
HWND createMainWindow() {
  HWND window = CreateWindowExA(0, kClassName, kWindowTitle, kMainWindowStyle, CW_USEDEFAULT,
                                CW_USEDEFAULT, kMainWindowWidth, kMainWindowHeight, nullptr,
                                nullptr, programInstance, nullptr);
  if (window == nullptr) return nullptr;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return window;
}

// The main window's procedure: one named handler per message it acts on.
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      return onDestroy();
    case WM_CLOSE:
      return onClose(window, wParam, lParam);
    case WM_COMMAND:
      return onCommand(window, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
