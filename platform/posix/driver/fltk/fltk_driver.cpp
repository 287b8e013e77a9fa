// The FLTK driver's hook table and its table of mirrors: every hook only reads the model and
// updates the mirrors; the screen is brought up to date when the program asks for it (flush), at
// most once a frame, whenever the program's loop waits for the user, and by the display keeper
// while the program's thread waits in the file system (display_keeper.h).
#include "platform/posix/driver/fltk/fltk_driver.h"

#include <FL/Fl.H>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <unordered_map>

#include "platform/posix/driver/display_keeper.h"
#include "platform/posix/model/window_state.h"

namespace fltk_driver {
namespace {

struct Mirror {
  MirrorKind kind;
  Fl_Widget* widget;
  bool textDirty;
};

std::unordered_map<HWND, Mirror> mirrors;

// Set while the display's events have been handled with the windows disabled (during a run).
bool inputWhileDisabled = false;

// Written to end the keeper's wait for the display's events (an eventfd).
int wakeFd = -1;

// Empties the wake-up counter; FLTK calls it when the descriptor is readable.
void drainWake(int fd, void*) {
  std::uint64_t count = 0;
  [[maybe_unused]] ssize_t ignored = ::read(fd, &count, sizeof count);
}

// The windows looked up lately and their mirrors, each in the entry its handle picks: during a run
// the same few windows (the main window's bar, the state lines, the result box) are looked up
// thousands of times a second, in turn. The map's elements stay where they are until erased, so
// only creating or destroying a window forgets them.
struct LookedUp {
  HWND window = nullptr;
  Mirror* mirror = nullptr;
};
constexpr std::size_t kLookedUpEntries = 16;
std::array<LookedUp, kLookedUpEntries> lookedUp;

// Handles come 4 apart, so windows made one after another take entries one after another.
LookedUp& lookedUpEntry(HWND window) {
  return lookedUp[(reinterpret_cast<std::uintptr_t>(window) / 4) % kLookedUpEntries];
}

void forgetLookedUp() { lookedUp.fill(LookedUp{}); }

// Returns the mirror of `window`, null when it has none.
Mirror* findMirror(HWND window) {
  LookedUp& entry = lookedUpEntry(window);
  if (entry.window == window && window != nullptr) return entry.mirror;
  auto found = mirrors.find(window);
  entry = LookedUp{window, found == mirrors.end() ? nullptr : &found->second};
  return entry.mirror;
}

// windowCreated: makes the mirror of the new window, hidden, with the model's state.
void onWindowCreated(HWND window) {
  MirrorKind kind = MirrorKind::label;
  Fl_Widget* widget = createMirror(window, kind);
  if (widget == nullptr) return;
  forgetLookedUp();
  mirrors[window] = Mirror{kind, widget, false};
  showText(window, kind, widget);
  showCheck(window, widget);
  showEnabled(window, kind, widget);
  showFont(window, kind, widget);
  showVisibility(window, kind, widget);
}

// windowDestroyed: deletes the mirror (the model reports children before their parent).
void onWindowDestroyed(HWND window) {
  Mirror* mirror = findMirror(window);
  if (mirror == nullptr) return;
  Fl_Widget* widget = mirror->widget;
  forgetLookedUp();
  mirrors.erase(window);
  if (Fl_Group* group = widget->parent()) {
    redrawUnder(widget);
    group->remove(widget);
  }
  delete widget;
}

// textChanged: the new text is shown at the next sync, so that typing into the result box one
// character at a time costs one text update per repaint, not one per character.
void onTextChanged(HWND window) {
  if (Mirror* mirror = findMirror(window)) mirror->textDirty = true;
}

// checkChanged: shows the new state of the check box.
void onCheckChanged(HWND window) {
  if (Mirror* mirror = findMirror(window)) showCheck(window, mirror->widget);
}

// enabledChanged: a window's state decides whether its descendants take input, so every mirror
// of the window's tree is brought up to date.
void onEnabledChanged(HWND window) {
  for (auto& [handle, mirror] : mirrors) {
    HWND ancestor = handle;
    while (ancestor != nullptr && ancestor != window) ancestor = model::parentOf(ancestor);
    if (ancestor == window) showEnabled(handle, mirror.kind, mirror.widget);
  }
}

// visibilityChanged: shows or hides the mirror.
void onVisibilityChanged(HWND window) {
  if (Mirror* mirror = findMirror(window)) showVisibility(window, mirror->kind, mirror->widget);
}

// minimizedChanged: iconifies or restores the top-level window, unless the display already
// shows that state (the window manager did it and the model followed).
void onMinimizedChanged(HWND window) {
  SurfaceWindow* surface = surfaceOf(window);
  if (surface == nullptr) return;
  const bool minimized = model::isMinimized(window);
  if (surface->shownMinimized() == minimized) return;
  surface->setShownMinimized(minimized);
  if (minimized) {
    surface->iconize();
  } else if (model::isVisible(window)) {
    surface->show();
  }
}

// fontChanged: shows the control in its new font.
void onFontChanged(HWND window) {
  if (Mirror* mirror = findMirror(window)) showFont(window, mirror->kind, mirror->widget);
}

// pixelsChanged: remembers the changed area; it is drawn at the next sync.
void onPixelsChanged(HWND topLevel, const RECT& rect) {
  if (SurfaceWindow* surface = surfaceOf(topLevel)) surface->addPixelDamage(rect);
}

// True when some top-level window on the screen takes input: then the program is only briefly
// busy (starting up, answering a click) and will wait for input again soon.
bool windowsTakeInput() {
  for (const auto& [window, mirror] : mirrors) {
    if (mirror.kind == MirrorKind::topLevel && model::isVisible(window) &&
        model::isEnabledForInput(window)) {
      return true;
    }
  }
  return false;
}

// Brings the screen up to date: everything damaged is drawn. While the windows take input, the
// display's events stay queued for the loop, so a click made during start-up is not lost. While
// they take none (a run disabled them, and may last for hours), the display's events are handled
// here so that the window keeps up with exposes and the window manager; the gate is closed, so
// the user's input is dropped, as a disabled window takes none. Called by the thread that holds
// the display (display_keeper.h).
void showFrame() {
  syncAll();
  if (!windowsTakeInput()) {
    inputWhileDisabled = true;
    Fl::check();
  }
  Fl::flush();
}

// The program's thread has waited in a blocking call for a frame: the keeper serves the
// display's events meanwhile, for at most `seconds` or until woken. Exposes are repainted from
// the windows' back buffers and the window manager is answered; the user's input is refused.
// While the windows take input (start-up) the events are left for the loop, as in showFrame.
void serveEvents(double seconds) {
  if (windowsTakeInput()) {
    pollfd wakeUp{wakeFd, POLLIN, 0};
    poll(&wakeUp, 1, static_cast<int>(seconds * 1000));
    drainWake(wakeFd, nullptr);
    return;
  }
  InputGateScope closed(InputGate::closed);
  inputWhileDisabled = true;
  Fl::wait(seconds);
}

// Ends the keeper's serveEvents early: the program's call is over.
void wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t written = write(wakeFd, &one, sizeof one);
}

// flush: the program wants the screen to follow the model now; it does at the pace of frames
// (display_keeper.h), since the program asks thousands of times a second during a copy.
void onFlush(HWND) { display_keeper::requestFrame(); }

// waitForInput: shows the model's last state, then waits for the user with the gate open.
// Returns false when no window is left on the screen, so no input can ever come.
bool onWaitForInput() {
  display_keeper::showFrameNow();
  // What the user did while the windows were disabled is dropped, even where the display
  // delivers it only now: a disabled window takes no input.
  if (inputWhileDisabled) {
    inputWhileDisabled = false;
    Fl::check();
  }
  if (reportScreenChanges()) return true;
  {
    InputGateScope open(InputGate::open);
    Fl::wait();
  }
  reportScreenChanges();
  return Fl::first_window() != nullptr;
}

}  // namespace

// Brings every dirty text and every pending pixel damage to the screen's widgets.
void syncAll() {
  for (auto& [window, mirror] : mirrors) {
    if (mirror.textDirty) {
      mirror.textDirty = false;
      showText(window, mirror.kind, mirror.widget);
    }
    if (mirror.kind == MirrorKind::topLevel) {
      static_cast<SurfaceWindow*>(mirror.widget)->applyPixelDamage();
    }
  }
}

// Returns the SurfaceWindow mirroring exactly `window`; null when it is not a mirrored top level.
SurfaceWindow* surfaceOf(HWND window) {
  Mirror* mirror = findMirror(window);
  if (mirror == nullptr || mirror->kind != MirrorKind::topLevel) return nullptr;
  return static_cast<SurfaceWindow*>(mirror->widget);
}

// True when `window` is the mirror of a model window.
bool isMirrorWindow(const Fl_Window* window) {
  for (const auto& [handle, mirror] : mirrors) {
    if (mirror.kind == MirrorKind::topLevel && mirror.widget == window) return true;
  }
  return false;
}

// Installs the driver's hooks and the input gate.
void install() {
  installInputGate();
  driver::Hooks hooks;
  hooks.windowCreated = onWindowCreated;
  hooks.windowDestroyed = onWindowDestroyed;
  hooks.textChanged = onTextChanged;
  hooks.checkChanged = onCheckChanged;
  hooks.enabledChanged = onEnabledChanged;
  hooks.visibilityChanged = onVisibilityChanged;
  hooks.minimizedChanged = onMinimizedChanged;
  hooks.fontChanged = onFontChanged;
  hooks.pixelsChanged = onPixelsChanged;
  hooks.flush = onFlush;
  hooks.waitForInput = onWaitForInput;
  // What the program showed before a dialog comes up is on the screen in full.
  hooks.messageBox = [](HWND owner, const char* text, const char* caption, UINT type) {
    display_keeper::showFrameNow();
    return showMessageBox(owner, text, caption, type);
  };
  hooks.chooseOpenFile = [](const OPENFILENAMEA& request) {
    display_keeper::showFrameNow();
    return chooseOpenFile(request);
  };
  hooks.chooseFolder = [](const BROWSEINFOA& request) {
    display_keeper::showFrameNow();
    return chooseFolder(request);
  };
  driver::install(hooks);
  wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wakeFd >= 0) Fl::add_fd(wakeFd, FL_READ, drainWake);
  display_keeper::start(display_keeper::Screen{showFrame, serveEvents, wake});
}

}  // namespace fltk_driver
