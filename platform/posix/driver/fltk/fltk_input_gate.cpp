// The input gate: every FLTK event passes here before FLTK handles it. User input is let through
// only while the program's loop waits for it (or, to a dialog's own windows, while a dialog is
// up); at every other moment program code is running, and a click or a key handled then would
// change a widget behind the model's back. Window-system events (expose, map, focus, pointer
// crossing) always pass, so the screen keeps up during a long run.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <vector>

#include "platform/posix/driver/fltk/fltk_driver.h"
#include "platform/posix/model/user_input.h"
#include "platform/posix/model/window_state.h"

namespace fltk_driver {
namespace {

InputGate gate = InputGate::closed;

// True for the events that carry what the user does.
bool isUserInput(int event) {
  switch (event) {
    case FL_PUSH:
    case FL_RELEASE:
    case FL_DRAG:
    case FL_MOUSEWHEEL:
    case FL_KEYDOWN:
    case FL_KEYUP:
    case FL_SHORTCUT:
    case FL_PASTE:
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
    case FL_DND_RELEASE:
    case FL_CLOSE:
      return true;
    default:
      return false;
  }
}

// True when the gate lets user input to `window` through now.
bool admits(const Fl_Window* window) {
  switch (gate) {
    case InputGate::open:
      return true;
    case InputGate::dialogsOnly:
      return window != nullptr && !isMirrorWindow(window);
    case InputGate::closed:
      return false;
  }
  return false;
}

// A top-level mirror unmapped or mapped by the window manager: iconified or restored.
void noteMapping(int event, Fl_Window* window) {
  if (window == nullptr || !isMirrorWindow(window)) return;
  auto* surface = static_cast<SurfaceWindow*>(window);
  if (event == FL_HIDE && surface->shown()) surface->setShownMinimized(true);
  if (event == FL_SHOW) surface->setShownMinimized(false);
}

// True for the keyboard events.
bool isKey(int event) { return event == FL_KEYDOWN || event == FL_KEYUP || event == FL_SHORTCUT; }

// The event filter: notes the window manager's (un)mapping, hands a dialog's keys to the
// dialog, drops the user's input the gate does not admit, and lets FLTK handle the rest.
int dispatchEvent(int event, Fl_Window* window) {
  if (event == FL_HIDE || event == FL_SHOW) noteMapping(event, window);
  // A modal dialog owns the keyboard, wherever the pointer is: keys meant for the disabled
  // window behind it go to the dialog, as Enter confirms a message box on Windows.
  if (gate == InputGate::dialogsOnly && isKey(event) && Fl::modal() != nullptr &&
      window != Fl::modal()) {
    return Fl::handle_(event, Fl::modal());
  }
  if (isUserInput(event) && !admits(window)) return 0;
  return Fl::handle_(event, window);
}

}  // namespace

// Installs dispatchEvent as FLTK's event filter, with the gate closed.
void installInputGate() {
  gate = InputGate::closed;
  Fl::event_dispatch(dispatchEvent);
}

// Sets the gate; returns its previous state.
InputGate setInputGate(InputGate newGate) {
  const InputGate previous = gate;
  gate = newGate;
  return previous;
}

// Tells the model what the display did to each mirrored top-level window since the last call.
bool reportScreenChanges() {
  std::vector<SurfaceWindow*> surfaces;
  for (HWND window : model::topLevelWindows()) {
    if (SurfaceWindow* surface = surfaceOf(window)) surfaces.push_back(surface);
  }
  bool reported = false;
  for (SurfaceWindow* surface : surfaces) {
    HWND window = surface->window();
    const bool minimized = model::isMinimized(window);
    if (surface->shownMinimized() && !minimized) reported |= model::userMinimized(window);
    if (!surface->shownMinimized() && minimized) reported |= model::userRestored(window);
    if (surface->takeExposed()) reported |= model::userExposed(window);
  }
  return reported;
}

}  // namespace fltk_driver
