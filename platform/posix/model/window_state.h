// Read-only questions a display driver (and the headless test API) asks the window system.
// Nothing here changes the model or sends a message. An invalid handle gives the empty answer
// (empty text, false, zero, null).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/winapi.h"

namespace model {

// The window classes the model implements.
enum class WindowKind { program, button, edit, staticText };

// True when `window` is a live window of the model.
bool isValid(HWND window);

// The window's kind; WindowKind::program for a class the program registered.
WindowKind kindOf(HWND window);

// The class name as the program gave it to CreateWindowExA ("BUTTON", "sorvel", ...).
std::string classNameOf(HWND window);

// The window's style and extended style; the style includes WS_VISIBLE, WS_DISABLED and
// WS_MINIMIZE as they are now.
DWORD styleOf(HWND window);
DWORD exStyleOf(HWND window);

// The parent (null for a top-level window) and the children in creation order.
HWND parentOf(HWND window);
std::vector<HWND> childrenOf(HWND window);

// Every top-level window in creation order.
std::vector<HWND> topLevelWindows();

// The control identifier given as the menu argument of a child window.
int controlIdOf(HWND window);

// The window rectangle: screen coordinates for a top-level window, the parent's client
// coordinates for a child.
RECT windowRectOf(HWND window);

// The size of the client area: the window's size without caption and borders.
SIZE clientSizeOf(HWND window);

// The text of a control or the title of a top-level window.
std::string textOf(HWND window);

// The same text without a copy (a result box holds every line of a run); valid until the model
// changes the window's text or destroys the window.
std::string_view textViewOf(HWND window);

// A button's check state: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
int checkStateOf(HWND window);

// An edit control's selection as character offsets; the caret is at `end`.
struct Selection {
  std::size_t start = 0;
  std::size_t end = 0;
};
Selection selectionOf(HWND window);

// An edit control's text limit in characters.
std::size_t textLimitOf(HWND window);

// The window's own enabled state, and whether it takes input: it and every ancestor enabled.
bool isEnabled(HWND window);
bool isEnabledForInput(HWND window);

// The window's own WS_VISIBLE style, and whether it is on the screen: it and every ancestor
// visible.
bool hasVisibleStyle(HWND window);
bool isVisible(HWND window);

// True while a top-level window is minimised.
bool isMinimized(HWND window);

// True when a top-level window shows the program's own icon (in its title bar, the task bar and
// the window switcher): its class's icon is the system's standard application icon, which on
// this layer is the program's icon, or the class has none, for which Windows shows the standard
// application icon as well. False for a child window and for any other icon.
bool showsProgramIcon(HWND window);

// The window with the keyboard focus, null for none.
HWND focusWindow();

// The description of the font assigned with WM_SETFONT; nothing when no font was assigned (the
// control uses the system font) or the font object was deleted.
std::optional<LOGFONTA> fontOf(HWND window);

// One pixel of a top-level window's client surface (client coordinates); CLR_INVALID outside
// it. A pixel nobody painted has the colour of the class background brush, or kWhiteSurface
// for a class without one.
COLORREF pixelOf(HWND topLevel, int x, int y);
inline constexpr COLORREF kWhiteSurface = 0x00FFFFFF;

// The whole client surface of a top-level window: width * height colours, row by row, for fast
// drawing. Empty for a child window.
struct SurfaceView {
  int width = 0;
  int height = 0;
  const COLORREF* pixels = nullptr;
};
SurfaceView surfaceOf(HWND topLevel);

}  // namespace model
