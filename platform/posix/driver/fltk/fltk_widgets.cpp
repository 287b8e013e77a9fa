// The FLTK mirrors of the model's windows: how each kind of control is shown, and how what the
// user does to a mirror becomes a model event. A callback never changes a mirror's state on its
// own account: the model decides, and the driver shows what it decided.
#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/posix/driver/fltk/fltk_driver.h"
#include "platform/posix/model/user_input.h"
#include "platform/posix/model/window_state.h"

namespace fltk_driver {
namespace {

// A static control: its text at the top left of its rectangle, in one line, clipped, over the
// window's surface (the control has no background of its own). '&' and '@' are shown as they
// are, since the program's labels show file names.
class StaticLabel : public Fl_Widget {
 public:
  StaticLabel(int x, int y, int width, int height) : Fl_Widget(x, y, width, height) {
    box(FL_NO_BOX);
  }

  void setUnderline(bool underline) { underline_ = underline; }

  void draw() override {
    const char* text = label();
    if (text == nullptr || *text == '\0') return;
    fl_push_clip(x(), y(), w(), h());
    fl_font(labelfont(), labelsize());
    fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
    const int baseline = y() + fl_height() - fl_descent();
    fl_draw(text, x(), baseline);
    if (underline_) {
      const int width = static_cast<int>(fl_width(text));
      fl_xyline(x(), baseline + 1, x() + width - 1);
    }
    fl_pop_clip();
  }

  int handle(int) override { return 0; }

 private:
  bool underline_ = false;
};

// A multi-line edit box as the program uses it: a console the user reads but never types into.
// It follows its content to the end, as an edit box does while characters are typed at its end.
class ResultDisplay : public Fl_Text_Display {
 public:
  ResultDisplay(int x, int y, int width, int height) : Fl_Text_Display(x, y, width, height) {
    buffer(&content_);
    box(FL_DOWN_BOX);
    color(FL_BACKGROUND2_COLOR);
  }
  ~ResultDisplay() override { buffer(nullptr); }

  // Shows the model's text (lines ended by CR LF); appends when the text only grew. The text of
  // a long run is large and shown again at every frame, so nothing is copied but what is new.
  void showModelText(std::string_view text) {
    const bool grew = text.size() >= shown_.size() && text.substr(0, shown_.size()) == shown_;
    if (grew) {
      const std::string_view added = text.substr(shown_.size());
      std::string tail = withoutCarriageReturns(added);
      if (!tail.empty()) content_.append(tail.c_str());
      shown_.append(added);
    } else {
      content_.text(withoutCarriageReturns(text).c_str());
      shown_.assign(text);
    }
    insert_position(content_.length());
    show_insert_position();
  }

 private:
  static std::string withoutCarriageReturns(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept),
                 [](char c) { return c != '\r'; });
    return kept;
  }

  Fl_Text_Buffer content_;
  std::string shown_;
};

// A callback's data is the model window its widget mirrors.
HWND handleOf(void* data) { return static_cast<HWND>(data); }
void* dataOf(HWND window) { return static_cast<void*>(window); }

// A push button was clicked (mouse or space bar).
void onButtonClicked(Fl_Widget*, void* data) { model::userClick(handleOf(data)); }

// A check box was clicked: FLTK toggled it already, but the model decides its state.
void onCheckBoxClicked(Fl_Widget* widget, void* data) {
  HWND window = handleOf(data);
  showCheck(window, widget);
  model::userClick(window);
}

// The user changed the text of an edit box (typing, deleting, pasting). A refused change is
// taken back at once.
void onEditChanged(Fl_Widget* widget, void* data) {
  HWND window = handleOf(data);
  if (!model::userReplaceText(window, static_cast<Fl_Input*>(widget)->value())) {
    showText(window, MirrorKind::edit, widget);
  }
}

// The window manager asks to close the window. Escape, which FLTK also reports here, does not
// close a main window.
void onWindowCallback(Fl_Widget* widget, void*) {
  if (Fl::event() != FL_CLOSE) return;
  model::userClose(static_cast<SurfaceWindow*>(widget)->window());
}

// The surface row painter for fl_draw_image: converts one run of model pixels to RGB.
struct SurfaceRows {
  model::SurfaceView view;
  int left;
  int top;
};

// Converts `width` model pixels of row `y` from column `x` (relative to the drawn area) to RGB.
void paintSurfaceRow(void* data, int x, int y, int width, uchar* rgb) {
  const auto* rows = static_cast<const SurfaceRows*>(data);
  const COLORREF* pixel = rows->view.pixels +
                          static_cast<std::size_t>(rows->top + y) * rows->view.width + rows->left +
                          x;
  for (int i = 0; i < width; ++i, ++pixel, rgb += 3) {
    rgb[0] = GetRValue(*pixel);
    rgb[1] = GetGValue(*pixel);
    rgb[2] = GetBValue(*pixel);
  }
}

// Returns the widget of a control of the given model kind, placed at `rect`; sets `kind`. Null
// for a child of a class that has no mirror.
Fl_Widget* makeControl(HWND window, const RECT& rect, MirrorKind& kind) {
  const int x = rect.left, y = rect.top;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  const DWORD style = model::styleOf(window);
  switch (model::kindOf(window)) {
    case model::WindowKind::button: {
      const DWORD type = style & BS_TYPEMASK;
      if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX) {
        kind = MirrorKind::checkBox;
        auto* box = new Fl_Check_Button(x, y, width, height);
        box->callback(onCheckBoxClicked, dataOf(window));
        return box;
      }
      kind = MirrorKind::pushButton;
      auto* button = new Fl_Button(x, y, width, height);
      button->callback(onButtonClicked, dataOf(window));
      return button;
    }
    case model::WindowKind::edit:
      if (style & ES_MULTILINE) {
        kind = MirrorKind::resultBox;
        return new ResultDisplay(x, y, width, height);
      } else {
        kind = MirrorKind::edit;
        auto* input = new Fl_Input(x, y, width, height);
        input->when(FL_WHEN_CHANGED);
        input->callback(onEditChanged, dataOf(window));
        return input;
      }
    case model::WindowKind::staticText:
      kind = MirrorKind::label;
      return new StaticLabel(x, y, width, height);
    case model::WindowKind::program:
      break;
  }
  return nullptr;
}

// Where a caption starts inside its control: the check box's square (as wide as the font is
// high) and the gaps around it; the frame of a push button. A pixel is kept free at the end.
constexpr int kCheckBoxGaps = 4;
constexpr int kButtonFrame = 4;
constexpr int kCaptionSpare = 1;

// Returns the width a caption of font size `size` has inside its control, within the window's
// client area (controls may reach past the window's right edge, where nothing shows).
int captionWidth(MirrorKind kind, const Fl_Widget* widget, Fl_Fontsize size) {
  int right = widget->x() + widget->w();
  if (const Fl_Window* window = widget->window()) right = std::min(right, window->w());
  int width = right - widget->x() - kCaptionSpare;
  if (kind == MirrorKind::checkBox) width -= size + kCheckBoxGaps;
  if (kind == MirrorKind::pushButton) width -= 2 * kButtonFrame;
  return width;
}

// Gives a caption the model's font, narrowed where the caption would not fit its control.
void showCaptionFont(HWND window, MirrorKind kind, Fl_Widget* widget) {
  const FontChoice base = chooseFont(model::fontOf(window));
  const FontChoice font = fitFont(base, widget->label(), captionWidth(kind, widget, base.size));
  if (kind == MirrorKind::label) static_cast<StaticLabel*>(widget)->setUnderline(font.underline);
  widget->labelfont(font.face);
  widget->labelsize(font.size);
}

// Makes FLTK's background colour the model's colour of a window nobody painted yet, so that
// buttons and dialogs match the window's surface.
void adoptBackground(HWND topLevel) {
  const COLORREF background = model::pixelOf(topLevel, 0, 0);
  if (background == CLR_INVALID) return;
  Fl::background(GetRValue(background), GetGValue(background), GetBValue(background));
}

}  // namespace

// A fixed-size window of the client size, closed only through the model.
SurfaceWindow::SurfaceWindow(HWND window, int width, int height)
    : Fl_Double_Window(width, height), window_(window) {
  end();
  box(FL_NO_BOX);
  xclass("sorvel");
  // The window keeps its size: no sizing border, no maximise button.
  size_range(width, height, width, height);
  callback(onWindowCallback);
}

// Adds `rect` to the pending pixel damage.
void SurfaceWindow::addPixelDamage(const RECT& rect) {
  if (!hasPixelDamage_) {
    pixelDamage_ = rect;
    hasPixelDamage_ = true;
    return;
  }
  pixelDamage_.left = std::min(pixelDamage_.left, rect.left);
  pixelDamage_.top = std::min(pixelDamage_.top, rect.top);
  pixelDamage_.right = std::max(pixelDamage_.right, rect.right);
  pixelDamage_.bottom = std::max(pixelDamage_.bottom, rect.bottom);
}

// Marks the pending pixel damage for redrawing; returns true when there was any.
bool SurfaceWindow::applyPixelDamage() {
  if (!hasPixelDamage_) return false;
  hasPixelDamage_ = false;
  damage(FL_DAMAGE_ALL, pixelDamage_.left, pixelDamage_.top, pixelDamage_.right - pixelDamage_.left,
         pixelDamage_.bottom - pixelDamage_.top);
  return true;
}

// Returns whether the display lost part of the picture since the last call, and forgets it.
bool SurfaceWindow::takeExposed() {
  const bool exposed = exposed_;
  exposed_ = false;
  return exposed;
}

// Draws the model's surface inside the clip area, then the children over it.
void SurfaceWindow::draw() {
  if (damage() & ~FL_DAMAGE_CHILD) {
    SurfaceRows rows{model::surfaceOf(window_), 0, 0};
    int width = 0, height = 0;
    fl_clip_box(0, 0, std::min(w(), rows.view.width), std::min(h(), rows.view.height), rows.left,
                rows.top, width, height);
    if (width > 0 && height > 0 && rows.view.pixels != nullptr) {
      fl_draw_image(paintSurfaceRow, &rows, rows.left, rows.top, width, height, 3);
    }
  }
  draw_children();
}

// An expose (the display lost part of the picture) is noted for the model, which repaints the
// window the way Windows does after it was covered.
void SurfaceWindow::flush() {
  if (damage() & FL_DAMAGE_EXPOSE) exposed_ = true;
  Fl_Double_Window::flush();
}

// Creates the mirror of `window`; sets `kind`. Null when the window has no mirror.
Fl_Widget* createMirror(HWND window, MirrorKind& kind) {
  HWND parent = model::parentOf(window);
  if (parent == nullptr) {
    kind = MirrorKind::topLevel;
    const SIZE client = model::clientSizeOf(window);
    adoptBackground(window);
    auto* surface = new SurfaceWindow(window, client.cx, client.cy);
    // The standard application icon of a window class is the program's own icon.
    if (model::showsProgramIcon(window)) giveProgramIcon(*surface);
    return surface;
  }
  SurfaceWindow* surface = surfaceOf(parent);
  if (surface == nullptr) return nullptr;
  Fl_Widget* widget = makeControl(window, model::windowRectOf(window), kind);
  if (widget == nullptr) return nullptr;
  widget->hide();
  surface->add(widget);
  return widget;
}

// Shows the model's text: the title of a top-level window, a control's caption or content.
void showText(HWND window, MirrorKind kind, Fl_Widget* widget) {
  const std::string_view view = model::textViewOf(window);
  if (kind == MirrorKind::resultBox) {
    static_cast<ResultDisplay*>(widget)->showModelText(view);
    return;
  }
  const std::string text(view);
  switch (kind) {
    case MirrorKind::topLevel:
      // Fl_Window's own copy_label also hands the title to the window manager.
      if (widget->label() == nullptr || text != widget->label()) {
        static_cast<SurfaceWindow*>(widget)->copy_label(text.c_str());
      }
      return;
    case MirrorKind::edit: {
      auto* input = static_cast<Fl_Input*>(widget);
      if (text == input->value()) return;
      // A text the program sets shows from its start, as far as it fits.
      input->value(text.c_str());
      input->position(0);
      return;
    }
    case MirrorKind::resultBox:
      return;  // shown above, from the view: its text holds every line of a run
    case MirrorKind::pushButton:
    case MirrorKind::checkBox:
      if (widget->label() != nullptr && text == widget->label()) return;
      widget->copy_label(text.c_str());
      showCaptionFont(window, kind, widget);
      redrawUnder(widget);
      return;
    case MirrorKind::label:
      // A label keeps the font chosen when its font was set, so that the state lines do not
      // change their face with every file name.
      if (widget->label() != nullptr && text == widget->label()) return;
      widget->copy_label(text.c_str());
      redrawUnder(widget);
      return;
  }
}

// Shows a check box's state as the model has it.
void showCheck(HWND window, Fl_Widget* widget) {
  auto* box = dynamic_cast<Fl_Check_Button*>(widget);
  if (box == nullptr) return;
  const bool checked = model::checkStateOf(window) == BST_CHECKED;
  if ((box->value() != 0) == checked) return;
  box->value(checked ? 1 : 0);
  redrawUnder(widget);
}

// Controls the user works with take input only while they and their window are enabled; a
// label shows its own state, so that the state lines stay black while the window is disabled
// during a run; the result box is only ever read.
void showEnabled(HWND window, MirrorKind kind, Fl_Widget* widget) {
  bool active = true;
  switch (kind) {
    case MirrorKind::pushButton:
    case MirrorKind::checkBox:
    case MirrorKind::edit:
      active = model::isEnabledForInput(window);
      break;
    case MirrorKind::label:
      active = model::isEnabled(window);
      break;
    case MirrorKind::topLevel:
    case MirrorKind::resultBox:
      return;
  }
  if ((widget->active() != 0) == active) return;
  if (active) {
    widget->activate();
  } else {
    widget->deactivate();
  }
  redrawUnder(widget);
}

// Shows or hides the mirror as the model's visibility (and, for a top-level window, its
// minimised state) says.
void showVisibility(HWND window, MirrorKind kind, Fl_Widget* widget) {
  if (kind == MirrorKind::topLevel) {
    auto* surface = static_cast<SurfaceWindow*>(widget);
    if (!model::isVisible(window)) {
      surface->hide();
    } else if (model::isMinimized(window)) {
      surface->setShownMinimized(true);
      surface->iconize();
    } else if (!surface->shown()) {
      surface->show();
    }
    return;
  }
  const bool visible = model::hasVisibleStyle(window);
  if ((widget->visible() != 0) == visible) return;
  if (visible) {
    widget->show();
  } else {
    widget->hide();
  }
  redrawUnder(widget);
}

// Gives the mirror the FLTK font that shows the model's font of the window.
void showFont(HWND window, MirrorKind kind, Fl_Widget* widget) {
  const FontChoice font = chooseFont(model::fontOf(window));
  switch (kind) {
    case MirrorKind::topLevel:
      return;
    case MirrorKind::edit:
      static_cast<Fl_Input*>(widget)->textfont(font.face);
      static_cast<Fl_Input*>(widget)->textsize(font.size);
      break;
    case MirrorKind::resultBox:
      static_cast<ResultDisplay*>(widget)->textfont(font.face);
      static_cast<ResultDisplay*>(widget)->textsize(font.size);
      break;
    case MirrorKind::label:
    case MirrorKind::pushButton:
    case MirrorKind::checkBox:
      showCaptionFont(window, kind, widget);
      break;
  }
  redrawUnder(widget);
}

// Redraws the window's surface and children under `widget`.
void redrawUnder(Fl_Widget* widget) {
  Fl_Window* window = widget->window();
  if (window == nullptr) return;
  window->damage(FL_DAMAGE_ALL, widget->x(), widget->y(), widget->w(), widget->h());
}

}  // namespace fltk_driver
