// The FLTK display driver: shows the window model in real X11 windows through FLTK 1.3 and turns
// what the user does there into model events (platform/posix/model/user_input.h).
//
// Every model window is mirrored by one FLTK widget: a top-level window by a SurfaceWindow that
// paints the model's client-area pixels under its children, a push button by an Fl_Button, an
// auto check box by an Fl_Check_Button, a single-line edit box by an Fl_Input, a multi-line edit
// box by a read-only Fl_Text_Display and a static control by a StaticLabel. The model owns every
// piece of state; the mirrors are brought up to date from it.
//
// Input reaches the model only while the program's loop waits (waitForInput) or a dialog of the
// driver is up: the input gate drops every user event that arrives while program code runs, so
// repainting during a long copy never hands the program a click or a key.
#pragma once

#include <FL/Enumerations.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Widget.H>

#include <optional>
#include <string>

#include "platform/posix/driver/driver.h"
#include "platform/winapi.h"

namespace fltk_driver {

// ----- the driver as a whole (fltk_driver.cpp) -----

// Makes the FLTK driver the current display driver. The X display must already be open.
void install();

// Brings every mirror up to date with the model (texts changed since the last call, pending
// pixel damage) and draws what changed. Changes only the mirrors.
void syncAll();

// ----- the mirrors (fltk_widgets.cpp) -----

enum class MirrorKind { topLevel, pushButton, checkBox, edit, resultBox, label };

// A top-level model window: the model's client surface, painted under the child widgets.
class SurfaceWindow : public Fl_Double_Window {
 public:
  SurfaceWindow(HWND window, int width, int height);

  HWND window() const { return window_; }

  // Adds a changed rectangle of the model's surface (client coordinates, right and bottom
  // exclusive) to the area redrawn at the next sync.
  void addPixelDamage(const RECT& rect);

  // Marks the pending pixel damage for redrawing. Returns true when there was any.
  bool applyPixelDamage();

  // True once the display lost part of the picture since the last call (an X expose).
  bool takeExposed();

  // The state the display shows: minimised (iconified by the window manager) or not.
  bool shownMinimized() const { return shownMinimized_; }
  void setShownMinimized(bool minimized) { shownMinimized_ = minimized; }

  void draw() override;
  void flush() override;

 private:
  HWND window_;
  bool hasPixelDamage_ = false;
  RECT pixelDamage_ = {};
  bool exposed_ = false;
  bool shownMinimized_ = false;
};

// Creates the mirror of a model window (a top-level window or a control of one); returns null for
// a window that has no mirror (a child of a class the driver does not know, or of a window
// without mirror). The widget is not yet shown.
Fl_Widget* createMirror(HWND window, MirrorKind& kind);

// Brings one mirror's text, check state, enabled state, visibility and font up to the model.
void showText(HWND window, MirrorKind kind, Fl_Widget* widget);
void showCheck(HWND window, Fl_Widget* widget);
void showEnabled(HWND window, MirrorKind kind, Fl_Widget* widget);
void showVisibility(HWND window, MirrorKind kind, Fl_Widget* widget);
void showFont(HWND window, MirrorKind kind, Fl_Widget* widget);

// Redraws the part of its window under a widget (labels and check boxes have no background of
// their own, so the window's surface must be drawn under them again).
void redrawUnder(Fl_Widget* widget);

// ----- the program's icon (fltk_icon.cpp) -----

// Gives `window` the program's own icon, in every size compiled into the program.
void giveProgramIcon(Fl_Window& window);

// ----- fonts (fltk_fonts.cpp) -----

struct FontChoice {
  Fl_Font face;
  Fl_Fontsize size;
  bool underline;
};

// The FLTK font that shows a model font legibly; `font` empty means the system font.
FontChoice chooseFont(const std::optional<LOGFONTA>& font);

// `base`, or a narrower or slightly smaller face when `text` would not fit `width` pixels.
FontChoice fitFont(const FontChoice& base, const char* text, int width);

// ----- the input gate (fltk_input_gate.cpp) -----

enum class InputGate {
  closed,      // program code runs: no user input at all
  open,        // the program's loop waits: input to every window
  dialogsOnly  // a dialog of the driver is up: input only to windows that mirror no model window
};

// Installs the event filter; from then on the gate is closed.
void installInputGate();

// Sets the gate and returns the previous state.
InputGate setInputGate(InputGate gate);

// While it lives, the gate is in the given state; the previous state comes back afterwards.
class InputGateScope {
 public:
  explicit InputGateScope(InputGate gate) : previous_(setInputGate(gate)) {}
  ~InputGateScope() { setInputGate(previous_); }
  InputGateScope(const InputGateScope&) = delete;
  InputGateScope& operator=(const InputGateScope&) = delete;

 private:
  InputGate previous_;
};

// Reports to the model what the display did to the top-level windows while the gate was closed:
// pictures lost (exposed) and minimising or restoring by the window manager. Returns true when
// anything was reported.
bool reportScreenChanges();

// ----- dialogs (fltk_dialogs.cpp) -----

int showMessageBox(HWND owner, const char* text, const char* caption, UINT type);
std::optional<std::string> chooseOpenFile(const OPENFILENAMEA& request);
driver::FolderChoice chooseFolder(const BROWSEINFOA& request);

// Returns the FLTK filter text ("Name\tpattern" lines) for a Win32 filter list (pairs of
// zero-terminated texts ended by an empty text); "*.*" means every file.
std::string fltkFilter(const char* win32Filter);

// ----- the mirror table (fltk_driver.cpp) -----

// The top-level mirror of a model window (or of its top-level ancestor); null for none.
SurfaceWindow* surfaceOf(HWND window);

// True when `window` is an FLTK window that mirrors a model window.
bool isMirrorWindow(const Fl_Window* window);

}  // namespace fltk_driver
