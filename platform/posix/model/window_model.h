// The window system's own state, shared by the files of platform/posix/model. Not for drivers
// (they use window_state.h and user_input.h) nor for the program (it uses the Win32 calls).
//
// The window system is used from one thread, as the program does: windows, classes, fonts and
// device contexts are plain globals; the message queue belongs to the calling thread.
//
// Rule for every handler: a SendMessageA may run a window procedure that destroys windows, so no
// Window reference is kept across a sent message; look the handle up again with findWindow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/posix/model/window_state.h"
#include "platform/winapi.h"

namespace model {

// An EDIT control's default text limit, as Win32 sets it before EM_LIMITTEXT.
inline constexpr std::size_t kDefaultEditLimit = 30000;

// Messages the model uses between its input path and the controls. They lie in the range
// Windows reserves for the system (below WM_USER), where no program message can be.
inline constexpr UINT kUserReplaceTextMessage = 0x03F0;

// A registered or system window class.
struct WindowClass {
  std::string name;
  WindowKind kind = WindowKind::program;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;
};

// The pixels of a top-level window's client area.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
};

// What only an EDIT control has.
struct EditState {
  Selection selection;
  std::size_t limit = kDefaultEditLimit;
  std::deque<std::string> userTexts;  // payloads of queued kUserReplaceTextMessage events
};

struct Window {
  HWND handle = nullptr;
  HWND parent = nullptr;  // the parent of a child window
  HWND owner = nullptr;   // the owner of a top-level window
  std::vector<HWND> children;
  std::string className;  // as given to CreateWindowExA
  WindowKind kind = WindowKind::program;
  WNDPROC procedure = nullptr;
  HBRUSH background = nullptr;
  HICON icon = nullptr;  // the class's icon, shown in a top-level window's title bar
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // screen coordinates for a top-level window, parent client ones for a child
  int id = 0;
  std::string text;
  HFONT font = nullptr;
  int checkState = BST_UNCHECKED;
  bool pressed = false;
  EditState edit;
  Surface surface;
  bool needsPaint = false;
  bool needsErase = false;
  RECT invalid{};  // client coordinates; meaningful while needsPaint
  bool destroying = false;
};

// Writes "sorvel window system: <what>" to standard error and aborts: for states that cannot
// happen and for a loop that would wait forever.
[[noreturn]] void fatal(const char* what);

// ----- window table (window.cpp) -----

// A new handle value for a window, font, device context or icon; never given out twice, so a
// stale handle is never mistaken for a live one.
std::uintptr_t newHandleValue();

// The live window with this handle, or null.
Window* findWindow(HWND handle);

// As findWindow; an invalid handle also sets ERROR_INVALID_WINDOW_HANDLE.
Window* findWindowOrFail(HWND handle);

// Every live window, top-level windows in creation order each followed by its descendants.
std::vector<HWND> allWindows();

// The window and its descendants, parents first, in allWindows order.
std::vector<HWND> windowTree(HWND handle);

// The top-level window that `handle` belongs to (itself for a top-level window).
HWND topLevelOf(HWND handle);

// True when `ancestor` is `handle` or one of its ancestors.
bool isSelfOrAncestor(HWND ancestor, HWND handle);

// Destroys every window as DestroyWindow does. Used by resetWindowSystem.
void destroyAllWindows();

// ----- classes (classes.cpp) -----

// The class named `name` (case-insensitive): the program's own first, then the system's.
const WindowClass* findClass(const char* name);

// Forgets the program's classes.
void unregisterAllClasses();

// True when `icon` is the system's standard application icon (LoadIconA with IDI_APPLICATION).
bool isApplicationIcon(HICON icon);

// ----- window procedures of the system classes -----

LRESULT CALLBACK buttonWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK editWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Sends WM_COMMAND (MAKEWPARAM(id, code), the control) to the control's parent, as controls
// notify. Nothing for a window without parent.
void notifyParent(HWND control, WORD code);

// WM_SETFONT / WM_GETFONT as every control handles them: stores the font (redrawing when asked)
// and returns it.
LRESULT controlWmSetFont(HWND control, WPARAM font, LPARAM redraw);
LRESULT controlWmGetFont(HWND control);

// The default handling of a message that changes a control's look (its text, its enabled state),
// then the control is drawn again. Returns what the default handling returns.
LRESULT controlRedrawAfter(HWND control, UINT message, WPARAM wParam, LPARAM lParam);

// ----- painting (painting.cpp) -----

// Adds `rect` (client coordinates; null for the whole client area) to the window's area that
// needs painting; `erase` asks for the background to be erased first.
void invalidate(Window& window, const RECT* rect, bool erase);

// Reports the pixels painted so far (reportPaintedPixels) and lets the driver bring the screen up
// to date for the window now: the end of UpdateWindow, SetWindowTextA, ShowWindow, WM_PAINT and
// ReleaseDC. Only the report for a window that is gone.
void showNow(HWND handle);

// Marks the window and all its descendants as needing painting with erase.
void invalidateTree(HWND handle);

// The first window, in allWindows order, that needs painting and is on the screen and matches
// the filter (null filter: any), or null.
HWND windowNeedingPaint(HWND filter);

// Clears the window's need of painting.
void validate(Window& window);

// Fills the invalid part of a top-level window's surface with its class background colour.
// Returns true when it had a background brush to erase with.
bool eraseBackground(HWND handle);

// The colour of a class background brush (a system colour index + 1); kWhiteSurface for none.
COLORREF brushColour(HBRUSH brush);

// The size of the client area for a window of this style and outer size.
SIZE clientSizeFor(DWORD style, DWORD exStyle, int width, int height);

// The offset of the client area's origin from the window's top-left corner.
POINT clientOffsetFor(DWORD style, DWORD exStyle);

// ----- focus and visibility (window_properties.cpp) -----

// Removes the focus when it lies in the tree of `handle` (without messages: used on destroy).
void dropFocusWithin(HWND handle);

// Sets the minimised state without messages, tells the driver and, when restored, marks the
// window as needing painting. Returns false when it was already so (or the window is invalid).
bool changeMinimized(HWND handle, bool minimized);

// ----- message queue (message_queue.cpp) -----

// What an input event needs at fetch time: a window on the screen that takes input, or only an
// enabled top-level window (closing).
enum class InputNeed { onScreen, enabledWindow };

// Queues a user input message for the calling thread's loop.
void queueInput(const MSG& message, InputNeed need);

// True when `handle` can take input of this need now.
bool acceptsInput(HWND handle, InputNeed need);

// Takes the next message as GetMessageA and PeekMessageA do (posted, WM_QUIT when `withQuit`,
// input, painting), without waiting. Returns false when there is none.
bool fetchMessage(MSG* message, HWND filter, UINT first, UINT last, bool remove, bool withQuit);

// Removes every queued message for `handle` (the window is being destroyed).
void purgeMessagesFor(HWND handle);

// Empties the calling thread's queue and forgets WM_QUIT.
void resetQueue();

// ----- gdi (gdi.cpp) -----

// Deletes every font object and device context.
void resetGdi();

// The description of a live font object, or null.
const LOGFONTA* findFont(HFONT font);

// Reports to the driver the pixels painted through the live device contexts since they were
// last reported. SetPixel only collects what it paints; the model calls this before every
// driver hook that may show the screen (flush, waiting, modal dialogs) and before a window is
// destroyed, so that the driver always learns of the pixels before it could draw them.
void reportPaintedPixels();

// Forgets what SetPixel keeps of the surface it painted last; called when a window goes, as its
// surface may go with it.
void forgetPaintingShortcut();

// ----- modal dialogs (message box and pickers) -----

// Runs a modal dialog of the display driver: the owner's top-level window is disabled while it
// is up, so no user input reaches it or its controls (its window procedure still gets what the
// dialog's own loop dispatches, such as painting), and enabled again afterwards if it was
// enabled before. Returns what `show` returns.
template <typename Show>
auto runModal(HWND owner, Show show) {
  HWND top = topLevelOf(owner);
  const bool wasEnabled = top != nullptr && IsWindowEnabled(top);
  if (wasEnabled) EnableWindow(top, FALSE);
  reportPaintedPixels();
  auto result = show();
  if (wasEnabled && IsWindow(top)) EnableWindow(top, TRUE);
  return result;
}

// ----- pickers (pickers.cpp) -----

// Frees every item list the folder browser returned.
void resetPickers();

}  // namespace model
