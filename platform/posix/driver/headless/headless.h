// The headless display driver: the window system without a screen, for tests. A test makes it
// the current driver, then does what a user does and reads what a user sees.
//
//   TEST_F(...)  { headless::install(); ... }   // SetUp: install() also resets everything
//
// User actions go through the same input path as the desktop driver (model/user_input.h): they
// are queued and reach the program when a message loop fetches them. A test that runs no loop of
// its own lets them through with headless::dispatchPending().
//
// When the program's loop waits for input (GetMessageA with an empty queue), the driver runs the
// test's next scripted action; with no action left it prints a message and aborts the test
// program instead of hanging.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/winapi.h"

namespace headless {

// Makes the headless driver the current display driver and resets the window system (reset()).
void install();

// Forgets everything: destroys every window (sending WM_DESTROY as DestroyWindow does),
// unregisters the program's classes, deletes font objects and device contexts, empties the
// message queue and the quit state, and forgets scripts, message-box answers and picker choices.
void reset();

// ----- what the user does (each returns false when the window system refused the input) -----

// Clicks a window: a button reports BN_CLICKED (an auto check box toggles first); an edit
// control takes the focus with the caret at the end of its text.
bool click(HWND window);

// Clicks into the edit control (caret to the end of its text) and types the characters, one
// WM_CHAR each; 13 is the Enter key.
bool typeChar(HWND edit, char character);
bool typeText(HWND edit, std::string_view text);

// Replaces the whole text of the edit control as a user selecting all and pasting does.
bool replaceText(HWND edit, std::string_view text);

// Asks to close a top-level window (its close button); refused while the window is disabled.
bool requestClose(HWND topLevel);

// Minimises or restores a top-level window (through the window manager: also while disabled).
bool minimize(HWND topLevel);
bool restore(HWND topLevel);

// Dispatches every queued message (the user's input included), as a loop that does not wait.
// Returns the number of messages dispatched. WM_QUIT stays queued.
int dispatchPending();

// ----- what the user does when the program's loop waits -----

// The actions, in order; each runs when GetMessageA finds the queue empty. Replaces any earlier
// script.
void script(std::vector<std::function<void()>> actions);

// The number of scripted actions not run yet.
std::size_t actionsLeft();

// ----- answering dialogs -----

// One message box as shown.
struct MessageBoxShown {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT type = 0;
};

// How the user answers message boxes: called once per box, while the box is up, with the box's
// owner, text, caption and type; returns the button (IDOK, IDCANCEL, ...). Without an answerer
// a box is answered with its first button (IDOK for MB_OK and MB_OKCANCEL).
void answerMessageBoxes(
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>
        answer);

// The message boxes shown since the last reset, in order.
const std::vector<MessageBoxShown>& messageBoxes();
std::size_t messageBoxCount();

// What the open-file dialog returns from now on: the full path, or nothing to cancel (the
// default). Stays in force for every later dialog until changed.
void chooseOpenFile(std::optional<std::string> path);

// What the folder browser returns from now on: a folder's full path, or nothing to cancel (the
// default). Stays in force until changed.
void chooseFolder(std::optional<std::string> path);

// The folder browser returns an item outside the file system (a virtual folder such as the
// control panel): SHGetPathFromIDListA then gives an empty path and FALSE.
void chooseNonFileSystemItem(std::string displayName);

// How many times each dialog was shown since the last reset.
int openFileDialogCount();
int folderBrowserCount();

// ----- how text is measured -----

// Measures text for the edit controls that cannot scroll (single-line without ES_AUTOHSCROLL):
// `width` returns the pixels `text` takes in `window`. Without a measure (the default) such a
// control takes text of any width.
void measureText(std::function<int(HWND window, std::string_view text)> width);

// ----- what the user sees -----

std::string text(HWND window);  // a control's text or a window's title
bool isChecked(HWND button);
bool isEnabled(HWND window);   // the window's own state (IsWindowEnabled)
bool takesInput(HWND window);  // it and all its ancestors are enabled
bool isVisible(HWND window);   // it and all its ancestors are visible
bool isMinimized(HWND topLevel);
std::optional<LOGFONTA> fontOf(HWND window);  // nothing: the system font
COLORREF pixel(HWND topLevel, int x, int y);  // client coordinates; see model::pixelOf
SIZE clientSize(HWND window);
std::string windowClass(HWND window);  // as given to CreateWindowExA
DWORD styleOf(HWND window);
DWORD exStyleOf(HWND window);
RECT rectOf(HWND window);  // parent's client coordinates for a child, screen for a top level
std::vector<HWND> children(HWND window);  // creation order
std::vector<HWND> topLevelWindows();
HWND focus();

}  // namespace headless
