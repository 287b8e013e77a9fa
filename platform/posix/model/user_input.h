// What a user does, turned into model events. The one path shared by every display driver: the
// FLTK driver calls it from its callbacks, the headless driver from a test's scripted actions.
//
// Events are queued as input messages; the program sees them when its message loop (or the loop
// of a modal box) fetches and dispatches them, never from inside the call. Input is refused at
// once when the target window or one of its ancestors is disabled or hidden, and again when it is
// fetched, so no input reaches a disabled window, even one disabled after the event was queued.
#pragma once

#include <string_view>

#include "platform/winapi.h"

namespace model {

// The user clicks `window` with the left mouse button (WM_LBUTTONDOWN, WM_LBUTTONUP at its
// centre). A button takes the focus and reports BN_CLICKED (an auto check box toggles first); an
// edit control takes the focus with its caret at the end of its text. Returns false (nothing
// queued) when the window is invalid, hidden or not enabled for input.
bool userClick(HWND window);

// The user types `chars` into the edit control `edit`, one WM_CHAR each (13 is the Enter key).
// Returns false when `edit` is not an edit control, is read-only or is not enabled for input.
bool userTypeChars(HWND edit, std::string_view chars);

// The user changed the whole text of `edit` at once (typing, deleting or pasting in a driver's
// own text widget). When fetched, the text replaces the control's text as a user edit: cut at
// the control's limit or, for a control that cannot scroll, its width (EN_MAXTEXT), then
// EN_UPDATE and EN_CHANGE when it differs. A lone line feed becomes "\r\n" in a multi-line
// control; a single-line control keeps the first line. When the control keeps other text than
// given, driver hook textChanged follows so the driver's widget can show it. The caret ends
// after the text. Returns false as userTypeChars does.
bool userReplaceText(HWND edit, std::string_view text);

// The user asks to close the top-level window (close button, window manager): queues
// WM_SYSCOMMAND SC_CLOSE, which DefWindowProcA turns into WM_CLOSE. Returns false, and the window
// stays, while it is disabled.
bool userClose(HWND topLevel);

// The display minimised or restored the top-level window (the window manager did it, so it is
// accepted even while the window is disabled). Changes the model's minimised state at once and
// reports it through driver hook minimizedChanged; restoring makes the window need painting, as
// after any uncovering. Returns false when the window is invalid or not top-level.
bool userMinimized(HWND topLevel);
bool userRestored(HWND topLevel);

// The display lost the picture of `window` (it was covered, for example): the window needs
// painting; the loop sends WM_PAINT when it next runs. Returns false for an invalid window.
bool userExposed(HWND window);

// One pass of a modal box's own loop: dispatches every message waiting in the queue (posted,
// input, painting), without waiting and leaving WM_QUIT queued. Returns the number dispatched.
int dispatchAvailableMessages();

}  // namespace model
