// The display driver seam. The window system in platform/posix/model owns every piece of state
// (windows, texts, check, enabled, visible and minimised states, fonts, the pixels of the client
// surfaces); a display driver only shows that state and turns what the user does into model
// events through platform/posix/model/user_input.h. It reads the state through
// platform/posix/model/window_state.h.
//
// The driver is a table of hooks. Every hook has a do-nothing default (the null driver), so a
// driver fills in only what it needs:
//
//   driver::Hooks hooks;               // the null driver's hooks
//   hooks.textChanged = &myTextChanged;
//   driver::install(hooks);
//
// Rules every driver keeps:
// - Hooks are called on the program's one thread, from inside the model. A hook never calls a
//   window procedure, never sends or posts a message and never calls a Win32 function that
//   changes the model; it only reads state (window_state.h) and updates the screen.
// - User input reaches the model only through user_input.h, from waitForInput (or the driver's
//   own modal loops): the events are queued and the program sees them when its loop fetches
//   them. Outside waitForInput and the modal hooks a driver may process expose/redraw events
//   but never input.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/winapi.h"

namespace driver {

// What the user chose in the folder browser.
struct FolderChoice {
  enum class Kind {
    cancelled,          // the browser was cancelled: SHBrowseForFolderA returns null
    folder,             // a folder of the file system: `path` is its full path
    nonFileSystemItem,  // an item with no path (a virtual folder): `path` is its display name
  };
  Kind kind = Kind::cancelled;
  std::string path;
};

struct Hooks {
  // A window now exists: class, styles, rectangle, text and parent can be read. Called once per
  // window from CreateWindowExA, after WM_NCCREATE and before WM_CREATE, so a parent is always
  // reported before the children its window procedure creates. The window is still hidden: a
  // window created with WS_VISIBLE is shown right after WM_CREATE (visibilityChanged). When
  // WM_CREATE fails, windowDestroyed follows.
  void (*windowCreated)(HWND window) = [](HWND) {};

  // A window is being destroyed. Called for every window of a destroyed tree, children before
  // their parent, while the model still answers questions about it; afterwards its handle is
  // invalid and the driver must forget it.
  void (*windowDestroyed)(HWND window) = [](HWND) {};

  // The window's text changed: a control's text or a top-level window's title.
  void (*textChanged)(HWND window) = [](HWND) {};

  // A button's check state changed.
  void (*checkChanged)(HWND window) = [](HWND) {};

  // The window's own enabled state changed. A window shows as enabled only when it and all its
  // ancestors are enabled (model::isEnabledForInput); a driver that greys out controls must
  // re-check the descendants of `window` too.
  void (*enabledChanged)(HWND window) = [](HWND) {};

  // The window's own WS_VISIBLE style changed. It is on the screen only when it and all its
  // ancestors are visible (model::isVisible).
  void (*visibilityChanged)(HWND window) = [](HWND) {};

  // A top-level window was minimised or restored (model::isMinimized), by the program's
  // ShowWindow or by a user event a driver reported. The driver iconifies or restores its
  // window to match; it must accept a report of a change it made itself.
  void (*minimizedChanged)(HWND window) = [](HWND) {};

  // The font assigned with WM_SETFONT changed (model::fontOf).
  void (*fontChanged)(HWND window) = [](HWND) {};

  // The width in pixels of `text` drawn in the window's font, or -1 when the driver does not
  // measure text. A single-line edit control without ES_AUTOHSCROLL cannot scroll, so, as in
  // Win32, it takes back typed or pasted characters that would run past its client width
  // (EN_MAXTEXT); text set by the program (WM_SETTEXT) is never cut. With -1 nothing is taken
  // back. A driver whose own text widget showed the user's text must re-read the model's text
  // when textChanged follows a user replacement.
  int (*textWidth)(HWND window, std::string_view text) = [](HWND, std::string_view) { return -1; };

  // Pixels of a top-level window's client surface changed inside `rect` (client coordinates,
  // right and bottom exclusive). Pixels painted through a device context are reported when the
  // context is released, and before any hook that may show the screen (flush, waitForInput, the
  // modal hooks) and before windowDestroyed, as whole rows of the context's client area: `rect`
  // may be wider than what changed. Accumulate damage here and redraw at flush or when the
  // driver's own loop runs.
  void (*pixelsChanged)(HWND topLevel, const RECT& rect) = [](HWND, const RECT&) {};

  // The program asked to see the window now: UpdateWindow, SetWindowTextA, ShowWindow, the end
  // of painting through a device context (ReleaseDC) and WM_SETFONT with redraw. While the
  // program runs a long operation inside a window procedure the loop fetches nothing, so these
  // calls are the only moments the screen can follow the model: bring the screen up to date
  // (processing expose events is allowed, input never). Called thousands of times a second
  // during a copy (every character typed into the result box): keep it cheap, for example by
  // redrawing at most every few milliseconds, as long as the last state is shown once the
  // loop waits again.
  void (*flush)(HWND window) = [](HWND) {};

  // GetMessageA found nothing to return. Block until the user did something (delivered through
  // user_input.h) or the screen needs painting, then return true; returning true without any
  // event is allowed (GetMessageA looks again and calls again). Return false when no input can
  // ever come: the model then ends the process with a message instead of hanging.
  bool (*waitForInput)() = []() { return false; };

  // MessageBoxA: show a modal box and return the button chosen (IDOK, IDCANCEL, ...), 0 when it
  // cannot be shown. The model has already disabled `owner` (null for no owner) and enables it
  // again afterwards. While the box is up the driver's own loop calls
  // model::dispatchAvailableMessages() so that painting still reaches the windows; input to the
  // disabled owner and its controls is refused by the model.
  int (*messageBox)(HWND owner, const char* text, const char* caption,
                    UINT type) = [](HWND, const char*, const char*, UINT) { return 0; };

  // GetOpenFileNameA: show the open-file dialog modally for `request` (owner disabled as for
  // the message box) and return the chosen file's full path, or nothing when cancelled.
  std::optional<std::string> (*chooseOpenFile)(const OPENFILENAMEA& request) =
      [](const OPENFILENAMEA&) -> std::optional<std::string> { return std::nullopt; };

  // SHBrowseForFolderA: show the folder browser modally for `request` (owner disabled as for
  // the message box) and return what the user chose.
  FolderChoice (*chooseFolder)(const BROWSEINFOA& request) = [](const BROWSEINFOA&) {
    return FolderChoice{};
  };
};

// The hooks in force: the null driver's until a driver installs its own.
const Hooks& current();

// Makes a copy of `hooks` the current driver. Changes only the driver table.
void install(const Hooks& hooks);

}  // namespace driver
